// GetSystemTimePreciseAsFileTime (Windows 8 and later, looked up at run time),
// else GetSystemTimeAsFileTime.
#include <windows.h>

#include "platform/utc_clock.h"

typedef void(WINAPI* FileTimeFn)(FILETIME*);

static const int64_t kFileTimeTo1970Us = 11644473600000000LL;  // 1601 to 1970

int64_t utc_now_us(void) {
    static FileTimeFn precise = (FileTimeFn)(void*)GetProcAddress(
        GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime");
    FILETIME ft;
    if (precise)
        precise(&ft);
    else
        GetSystemTimeAsFileTime(&ft);
    int64_t ticks = ((int64_t)ft.dwHighDateTime << 32) | ft.dwLowDateTime;  // 100 ns units
    return ticks / 10 - kFileTimeTo1970Us;
}
