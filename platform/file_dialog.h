// The Save As and Open dialogs, behind a seam so tests choose the answer.
#pragma once

#include <stddef.h>
#include <windows.h>

// Asks where to save, starting from default_name; false when the user cancels.
bool file_dialog_save(HWND owner, const wchar_t* default_name, const wchar_t* filter,
                      const wchar_t* extension, wchar_t* path, size_t path_units);
// Asks which existing file to open; false when the user cancels.
bool file_dialog_open(HWND owner, const wchar_t* filter, wchar_t* path, size_t path_units);
