// A long text in a window of its own (the about box, the window's help): sized
// to the text at its DPI but never beyond the work area of its monitor, so its
// title and its one OK button are always on screen; what does not fit scrolls.
#pragma once

#include <windows.h>

// The system's message font at a DPI (the metrics come at the system's DPI);
// fixed_pitch keeps its size in a fixed-pitch face. Null when it cannot be had.
HFONT create_message_font(UINT dpi, bool fixed_pitch);
// Opens the window, not modal; null when it cannot be made. fixed_pitch suits
// text aligned with spaces.
HWND text_window_open(HWND owner, const wchar_t* caption, const wchar_t* text, bool fixed_pitch);
// Shows the text and returns when the user closes it; the owner (may be null)
// is disabled meanwhile, and its messages (reports too) are still served.
void text_window_run(HWND owner, const wchar_t* caption, const wchar_t* text, bool fixed_pitch);
