// The console's names of the registry's mice (devices/mouse_label), apart from
// the rest of its text: the registry is Windows', while the summary's lines
// are printed by the native offline program too.
#include <stdio.h>

#include "app/console_text.h"
#include "core/views/wide_text.h"
#include "devices/mouse_label.h"

void console_mouse_name(int slot, wchar_t* out, size_t units) { mouse_label(slot, out, units); }

void console_mouse_name_in(Lang lang, int slot, wchar_t* out, size_t units) {
    mouse_label_in(lang, slot, out, units);
}

void console_mouse_name_utf8(int slot, char* name, size_t cap) {
    wchar_t wide[CONSOLE_NAME_UNITS];
    console_mouse_name(slot, wide, CONSOLE_NAME_UNITS);
    wide_to_utf8(wide, name, cap);
}

void format_device_line(char* buf, size_t cap, int slot) {
    char name[kConsoleNameBytes];
    console_mouse_name_utf8(slot, name, sizeof name);
    snprintf(buf, cap, "Device: %s\n", name);
}
