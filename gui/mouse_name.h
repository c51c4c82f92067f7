// The window's names of the registry's mice: the chooser and the panel's
// active-device line show them.
#pragma once

#include <stddef.h>
#include <wchar.h>

// The slot's name in the chosen language (devices/mouse_label): slot 0 is
// "All mice (2)" ("全部鼠标 (2 只)"); a mouse is its product string with its
// ids, or "Mouse VID_845E PID_0001" ("鼠标 VID_845E PID_0001") without one,
// "HID mouse" ("HID 鼠标") without both.
void gui_mouse_name(int slot, wchar_t* out, size_t units);
