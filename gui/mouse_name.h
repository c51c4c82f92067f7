// The window's names of the registry's mice: the chooser and the panel's
// active-device line show them.
#pragma once

#include <stddef.h>
#include <wchar.h>

// The slot's name in the chosen language (devices/mouse_label): slot 0 is
// "全部鼠标" (with how many mice are listed, when there are any); a mouse is
// its product string with its ids, or "鼠标 VID_845E PID_0001" after its ids,
// "HID 鼠标" without both.
void gui_mouse_name(int slot, wchar_t* out, size_t units);
