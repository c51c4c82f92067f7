// Names of the registry's mice, from what devices/ read when it listed them.
#include "devices/mouse_label.h"

#include "core/views/texts.h"
#include "devices/mouse_registry.h"

void mouse_label(int slot, wchar_t* out, size_t units) { mouse_label_in(texts_lang(), slot, out, units); }

void mouse_label_in(Lang lang, int slot, wchar_t* out, size_t units) {
    const RiDevice* d = &g_ri_devs[slot];
    const bool ids = d->vid[0] && d->pid[0];
    if (slot == 0 && g_nri > 1)
        swprintf(out, units, txw_in(lang, TX_MOUSE_ALL_COUNT), registry_mice_present());
    else if (slot == 0)
        swprintf(out, units, L"%ls", txw_in(lang, TX_MOUSE_ALL));
    else if (d->product[0] && ids)
        swprintf(out, units, L"%ls (VID_%ls PID_%ls)", d->product, d->vid, d->pid);
    else if (d->product[0])
        swprintf(out, units, L"%ls", d->product);
    else if (ids)
        swprintf(out, units, txw_in(lang, TX_MOUSE_IDS), d->vid, d->pid);
    else
        swprintf(out, units, L"%ls", txw_in(lang, TX_MOUSE_HID));
}
