// A registry slot's name in the chosen language, as every front end shows
// it: the window's chooser and panel, the console's lines, --list and --json.
#pragma once

#include <stddef.h>
#include <wchar.h>

#include "core/views/texts.h"

// Slot 0 is "All mice (2)" ("全部鼠标 (2 只)"), "All mice" while none is
// listed; a mouse is its product string with its ids, "G305 (VID_046D
// PID_4074)", or without one "Mouse VID_845E PID_0001" ("鼠标 VID_845E
// PID_0001"), the product alone without both ids, "HID mouse" without any.
// Any name fits 64 units.
void mouse_label(int slot, wchar_t* out, size_t units);
// The same name in a given language: English for --json, whatever was chosen.
void mouse_label_in(Lang lang, int slot, wchar_t* out, size_t units);
