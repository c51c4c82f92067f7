// The real DPI calls. GetDpiForWindow and GetDpiForSystem are looked up at run
// time so that the program still starts on Windows before 10; there the screen's
// LOGPIXELSY serves for both.
#include "platform/dpi.h"

typedef UINT(WINAPI* DpiForWindowFn)(HWND);
typedef UINT(WINAPI* DpiForSystemFn)(void);

static FARPROC user32_entry(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? GetProcAddress(user32, name) : NULL;
}

static UINT screen_dpi(void) {
    HDC screen = GetDC(NULL);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(NULL, screen);
    return dpi > 0 ? (UINT)dpi : DPI_BASE;
}

UINT dpi_of_window(HWND window) {
    DpiForWindowFn fn = (DpiForWindowFn)(void*)user32_entry("GetDpiForWindow");
    UINT dpi = fn && window ? fn(window) : 0;
    return dpi ? dpi : dpi_of_system();
}

UINT dpi_of_system(void) {
    DpiForSystemFn fn = (DpiForSystemFn)(void*)user32_entry("GetDpiForSystem");
    UINT dpi = fn ? fn() : 0;
    return dpi ? dpi : screen_dpi();
}
