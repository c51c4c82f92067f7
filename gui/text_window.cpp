// The text window: a read-only edit control that scrolls, one OK button, a
// size measured from the text and clamped to the monitor's work area.
#include "gui/text_window.h"

#include <stdlib.h>
#include <string.h>

#include <initializer_list>

#include "core/heap.h"
#include "platform/dpi.h"

static const wchar_t kTextClass[] = L"QuorvinText";
static const DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
static const DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP |
                                ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL;
// At 96 DPI.
static const int kMargin = 10, kButtonWidth = 88, kButtonHeight = 26, kScreenGap = 12;
static const int kEditSlack = 44;  // the edit's borders, margins and scroll bar beside the text
enum { ID_TEXT = 100 };

struct TextWindow {
    HFONT font;
    UINT dpi;
};

HFONT create_message_font(UINT dpi, bool fixed_pitch) {
    NONCLIENTMETRICSW m;
    memset(&m, 0, sizeof m);
    m.cbSize = sizeof m;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0))
        return NULL;
    LOGFONTW f = m.lfMessageFont;
    f.lfHeight = MulDiv(f.lfHeight, (int)dpi, (int)dpi_of_system());
    if (fixed_pitch) {
        f.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
        wcscpy(f.lfFaceName, L"Consolas");
    }
    return CreateFontIndirectW(&f);
}

// The edit control wants CRLF line ends; a fresh heap block, or null.
static wchar_t* with_crlf(const wchar_t* text) {
    size_t units = 1;
    for (const wchar_t* p = text; *p; p++)
        units += *p == L'\n' ? 2 : 1;
    wchar_t* out = (wchar_t*)heap_alloc(units * sizeof(wchar_t));
    if (!out)
        return NULL;
    wchar_t* o = out;
    for (const wchar_t* p = text; *p; p++) {
        if (*p == L'\n' && (p == text || p[-1] != L'\r'))
            *o++ = L'\r';
        *o++ = *p;
    }
    *o = 0;
    return out;
}

static RECT work_area_of(HWND owner) {
    HMONITOR monitor = owner ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                             : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info;
    info.cbSize = sizeof info;
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(monitor, &info))
        area = info.rcWork;
    return area;
}

// The window rectangle that shows the whole text, clamped to the work area
// and centred in it.
static RECT fitting_rect(HWND owner, const wchar_t* text, HFONT font, UINT dpi) {
    RECT text_size = {0, 0, 0, 0};
    HDC dc = GetDC(NULL);
    HGDIOBJ old = SelectObject(dc, font ? (HGDIOBJ)font : GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(dc, text, -1, &text_size, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(NULL, dc);
    RECT r = {0, 0, text_size.right + dpi_scale(2 * kMargin + kEditSlack, dpi),
              text_size.bottom + dpi_scale(3 * kMargin + kButtonHeight + kEditSlack, dpi)};
    AdjustWindowRectEx(&r, kStyle, FALSE, 0);
    const RECT area = work_area_of(owner);
    const int gap = dpi_scale(kScreenGap, dpi);
    const LONG most_w = area.right - area.left - 2 * gap, most_h = area.bottom - area.top - 2 * gap;
    const LONG w = r.right - r.left < most_w ? r.right - r.left : most_w;
    const LONG h = r.bottom - r.top < most_h ? r.bottom - r.top : most_h;
    const LONG x = area.left + (area.right - area.left - w) / 2;
    const LONG y = area.top + (area.bottom - area.top - h) / 2;
    return RECT{x, y, x + w, y + h};
}

static void lay_out(HWND hwnd, UINT dpi) {
    RECT c;
    GetClientRect(hwnd, &c);
    const int m = dpi_scale(kMargin, dpi), bw = dpi_scale(kButtonWidth, dpi),
              bh = dpi_scale(kButtonHeight, dpi);
    MoveWindow(GetDlgItem(hwnd, ID_TEXT), m, m, c.right - 2 * m, c.bottom - 3 * m - bh, TRUE);
    MoveWindow(GetDlgItem(hwnd, IDOK), c.right - m - bw, c.bottom - m - bh, bw, bh, TRUE);
}

static LRESULT CALLBACK text_wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    TextWindow* w = (TextWindow*)GetWindowLongPtrW(hwnd, GWLP_USERDATA);
    switch (msg) {
    case WM_SIZE:
        if (w)
            lay_out(hwnd, w->dpi);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)
            DestroyWindow(hwnd);
        return 0;
    case WM_NCDESTROY:
        // The controls are gone by now, so their font can go too.
        if (w) {
            DeleteObject(w->font);
            heap_free(w);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        }
        break;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

static bool register_text_class(void) {
    WNDCLASSEXW wc;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = text_wndproc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.lpszClassName = kTextClass;
    return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

static void add_controls(HWND hwnd, TextWindow* w, const wchar_t* text) {
    HINSTANCE instance = GetModuleHandleW(NULL);
    HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", kEditStyle, 0, 0, 0, 0, hwnd,
                                (HMENU)(INT_PTR)ID_TEXT, instance, NULL);
    HWND ok = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                              0, 0, 0, 0, hwnd, (HMENU)(INT_PTR)IDOK, instance, NULL);
    wchar_t* crlf = with_crlf(text);
    SetWindowTextW(edit, crlf ? crlf : text);
    heap_free(crlf);
    for (HWND control : {edit, ok})
        SendMessageW(control, WM_SETFONT, (WPARAM)w->font, FALSE);
    lay_out(hwnd, w->dpi);
    SetFocus(ok);
}

HWND text_window_open(HWND owner, const wchar_t* caption, const wchar_t* text, bool fixed_pitch) {
    if (!register_text_class())
        return NULL;
    TextWindow* w = (TextWindow*)heap_alloc(sizeof *w);
    if (!w)
        return NULL;
    w->dpi = owner ? dpi_of_window(owner) : dpi_of_system();
    w->font = create_message_font(w->dpi, fixed_pitch);
    RECT r = fitting_rect(owner, text, w->font, w->dpi);
    HWND hwnd = CreateWindowExW(WS_EX_DLGMODALFRAME, kTextClass, caption, kStyle, r.left, r.top,
                                r.right - r.left, r.bottom - r.top, owner, NULL,
                                GetModuleHandleW(NULL), NULL);
    if (!hwnd) {
        DeleteObject(w->font);
        heap_free(w);
        return NULL;
    }
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, (LONG_PTR)w);
    add_controls(hwnd, w, text);
    ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

void text_window_run(HWND owner, const wchar_t* caption, const wchar_t* text, bool fixed_pitch) {
    HWND hwnd = text_window_open(owner, caption, text, fixed_pitch);
    if (!hwnd)
        return;
    if (owner)
        EnableWindow(owner, FALSE);
    MSG m;
    int got = 1;
    while (IsWindow(hwnd) && (got = GetMessageW(&m, NULL, 0, 0)) > 0) {
        if (!IsDialogMessageW(hwnd, &m)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    if (got == 0)
        PostQuitMessage((int)m.wParam);  // the outer loop must see it too
    if (owner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
}
