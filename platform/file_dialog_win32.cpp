// The common Save As dialog (comdlg32), asking before overwriting a file, and
// its Open dialog, which takes only a file that exists.
#include "platform/file_dialog.h"

#include <commdlg.h>
#include <wchar.h>

static OPENFILENAMEW dialog_of(HWND owner, const wchar_t* filter, wchar_t* path, size_t path_units) {
    OPENFILENAMEW ofn;
    ZeroMemory(&ofn, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = (DWORD)path_units;
    return ofn;
}

bool file_dialog_save(HWND owner, const wchar_t* default_name, const wchar_t* filter,
                      const wchar_t* extension, wchar_t* path, size_t path_units) {
    wcsncpy(path, default_name, path_units - 1);
    path[path_units - 1] = 0;
    OPENFILENAMEW ofn = dialog_of(owner, filter, path, path_units);
    ofn.lpstrDefExt = extension;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    return GetSaveFileNameW(&ofn) != FALSE;
}

bool file_dialog_open(HWND owner, const wchar_t* filter, wchar_t* path, size_t path_units) {
    path[0] = 0;
    OPENFILENAMEW ofn = dialog_of(owner, filter, path, path_units);
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    return GetOpenFileNameW(&ofn) != FALSE;
}
