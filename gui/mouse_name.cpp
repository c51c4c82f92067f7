// The window's names of the registry's mice, from the ids devices/ keeps.
#include "gui/mouse_name.h"

#include "devices/mouse_registry.h"

void gui_mouse_name(int slot, wchar_t* out, size_t units) {
    const RiDevice* d = &g_ri_devs[slot];
    if (slot == 0 && g_nri > 1)
        swprintf(out, units, L"全部鼠标 (%d 只)", registry_mice_present());
    else if (slot == 0)
        swprintf(out, units, L"全部鼠标");
    else if (d->vid[0] && d->pid[0])
        swprintf(out, units, L"鼠标 VID_%ls PID_%ls", d->vid, d->pid);
    else
        swprintf(out, units, L"HID 鼠标");
}
