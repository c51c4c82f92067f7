// The Save As answer a test chooses (see fake_file_dialog.h).
#include "tests/fakes/fake_file_dialog.h"

#include <wchar.h>

#include "platform/file_dialog.h"

std::wstring g_fake_save_path;
std::wstring g_fake_save_default;
int g_fake_save_calls;
std::wstring g_fake_open_path;
void (*g_fake_open_during)(void);

bool file_dialog_save(HWND, const wchar_t* default_name, const wchar_t*, const wchar_t*,
                      wchar_t* path, size_t path_units) {
    g_fake_save_calls++;
    g_fake_save_default = default_name;
    if (g_fake_save_path.empty())
        return false;
    wcsncpy(path, g_fake_save_path.c_str(), path_units - 1);
    path[path_units - 1] = 0;
    return true;
}

bool file_dialog_open(HWND, const wchar_t*, wchar_t* path, size_t path_units) {
    if (g_fake_open_during)
        g_fake_open_during();
    if (g_fake_open_path.empty())
        return false;
    wcsncpy(path, g_fake_open_path.c_str(), path_units - 1);
    path[path_units - 1] = 0;
    return true;
}
