// Message boxes, behind a seam so tests can read what the user would be shown.
#pragma once

#include <windows.h>

int message_box(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
