// The common Save As dialog (comdlg32), asking before overwriting a file, and
// its Open dialog, which takes only a file that exists. comdlg32 is loaded
// when a dialog is first asked for, not with the program: the console
// program never shows one, and under Wine that DLL with the common controls
// it pulls in made up half of a console run's start (about 0.1 s).
#include "platform/file_dialog.h"

#include <commdlg.h>
#include <wchar.h>

typedef BOOL(WINAPI* FileDialogFn)(OPENFILENAMEW*);

// The dialog function of that name; null (no dialog: as if cancelled) when
// the DLL or the function cannot be had.
static FileDialogFn dialog_function(const char* name) {
    static const HMODULE comdlg = LoadLibraryW(L"comdlg32.dll");
    if (!comdlg)
        return NULL;
    return (FileDialogFn)(void (*)(void))GetProcAddress(comdlg, name);
}

static bool show_dialog(const char* name, OPENFILENAMEW* ofn) {
    const FileDialogFn show = dialog_function(name);
    return show && show(ofn) != FALSE;
}

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
    return show_dialog("GetSaveFileNameW", &ofn);
}

bool file_dialog_open(HWND owner, const wchar_t* filter, wchar_t* path, size_t path_units) {
    path[0] = 0;
    OPENFILENAMEW ofn = dialog_of(owner, filter, path, path_units);
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    return show_dialog("GetOpenFileNameW", &ofn);
}
