// Windows' spelling of the shared C library calls: the wide-character
// functions of its C library take UTF-16 names directly.
#include "platform/c_library.h"

#include <windows.h>

FILE* file_open_read(const wchar_t* path) { return _wfopen(path, L"rb"); }

int file_remove(const wchar_t* path) { return _wremove(path); }

bool file_is_directory(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool file_names_same(const wchar_t* a, const wchar_t* b) {
    wchar_t full_a[MAX_PATH], full_b[MAX_PATH];
    if (!_wfullpath(full_a, a, MAX_PATH) || !_wfullpath(full_b, b, MAX_PATH))
        return _wcsicmp(a, b) == 0;
    return _wcsicmp(full_a, full_b) == 0;
}

bool utc_calendar(int64_t seconds, struct tm* out) {
    const __time64_t t = (__time64_t)seconds;
    return _gmtime64_s(out, &t) == 0;
}
