// The main window procedure: each message is handed to a small function.
// Measuring is started and stopped by adding and removing the Raw Input
// registrations; hot-plug notices trigger one rescan 350 ms after the last.
// Every size is written for 96 DPI and scaled to the monitor the window is on;
// the window never starts larger than the monitor's work area.
#include "gui/main_window.h"

#include "capture/usbpcap_diag.h"
#include "core/version.h"
#include "core/views/panel_layout.h"
#include "core/views/texts.h"
#include "devices/mouse_registry.h"
#include "engine/reader.h"
#include "engine/reception.h"
#include "platform/counter.h"
#include "platform/dpi.h"
#include "platform/message_box.h"
#include "gui/mouse_name.h"
#include "gui/panel.h"
#include "gui/plot_window.h"
#include "gui/text_window.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// The controls in their order in the rows and for Tab, which is the order
// they are made in (core/views/panel_layout places them).
static const int kControlIds[PANEL_CONTROLS] = {ID_DEVICE_CHOOSER, ID_START_STOP, ID_CLEAR_DATA,
                                                ID_CAPTURE_DIAG,   ID_ABOUT,      ID_PLOT};
static const int kChooserListHeight = 200;  // the chooser's height includes its drop-down list
// The first size at 96 DPI, as far as the monitor's work area allows.
static const int kWindowWidth = 880;
static const int kWindowHeight = 520;

// The one main window's own state.
static struct {
    HWND hwnd;
    HWND chooser, start;
    HWND focus;           // the control that had the keyboard when the window lost it
    bool rescan_pending;  // a hot-plug notice came; the rescan waits for the quiet period
    UINT dpi;             // the DPI the window is laid out for
    PanelFont panel_font; // painting and the controls
    HFONT rate_font;
    PanelRate rate;
} s_main;

// The window's run, made at first use and kept until the window's loop ends:
// the reader stamps into it, the panel and the plot read it.
static Run s_run;
static bool s_run_made;

Run* main_window_run(void) {
    if (!s_run_made) {
        run_init(&s_run, (double)counter_frequency());
        s_run_made = true;
    }
    return &s_run;
}

void main_window_run_free(void) {
    if (s_run_made)
        run_free(&s_run);
    s_run_made = false;
}

static const UINT kRepaintMs = 100;
static const UINT kRescanQuietMs = 350;
static const DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;                       // 0x50010000
static const DWORD kChooserStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;  // 0x50210003
static const WPARAM kChooserSelectionChanged = MAKEWPARAM(ID_DEVICE_CHOOSER, CBN_SELCHANGE);

const wchar_t* main_window_help_text(void) {
    static wchar_t text[8192];
    swprintf(text, sizeof text / sizeof text[0], txw(TX_HELP), QUORVIN_SHORT_NAME);
    return text;
}

static void invalidate(HWND hwnd) { InvalidateRect(hwnd, NULL, FALSE); }

static void fill_chooser(void) {
    for (int i = 0; i < g_nri; i++) {
        wchar_t name[64];
        gui_mouse_name(i, name, 64);
        SendMessageW(s_main.chooser, CB_ADDSTRING, 0, (LPARAM)name);
    }
}

static int chooser_selection(void) {
    LRESULT sel = SendMessageW(s_main.chooser, CB_GETCURSEL, 0, 0);
    return sel < 0 ? 0 : (int)sel;
}

// Lays the controls out in rows for the client's width at the window's DPI.
static void place_controls(HWND hwnd) {
    RECT client;
    GetClientRect(hwnd, &client);
    const UINT dpi = s_main.dpi;
    ControlBox boxes[PANEL_CONTROLS];
    control_flow(MulDiv(client.right, (int)DPI_BASE, (int)dpi), boxes);
    for (int i = 0; i < PANEL_CONTROLS; i++) {
        HWND control = GetDlgItem(hwnd, kControlIds[i]);
        const int height = kControlIds[i] == ID_DEVICE_CHOOSER ? kChooserListHeight : boxes[i].height;
        if (control)
            MoveWindow(control, dpi_scale(boxes[i].x, dpi), dpi_scale(boxes[i].y, dpi),
                       dpi_scale(boxes[i].width, dpi), dpi_scale(height, dpi), TRUE);
    }
}

// Fonts for the window's current DPI: the panel's (the controls use it too)
// and the rate line's; the ones they replace go once no control uses them.
static void apply_dpi(HWND hwnd) {
    HFONT old = panel_font_make(&s_main.panel_font, s_main.dpi);
    for (int id : kControlIds)
        SendMessageW(GetDlgItem(hwnd, id), WM_SETFONT, (WPARAM)panel_font_of(&s_main.panel_font), TRUE);
    if (old)
        DeleteObject(old);
    if (s_main.rate_font)
        DeleteObject(s_main.rate_font);
    s_main.rate_font = panel_rate_font_make(s_main.dpi);
    place_controls(hwnd);
}

static HWND create_control(HWND parent, const wchar_t* cls, const wchar_t* caption, DWORD style,
                           int id) {
    return CreateWindowExW(0, cls, caption, style, 0, 0, 0, 0, parent, (HMENU)(INT_PTR)id, NULL, NULL);
}

static LRESULT on_create(HWND hwnd) {
    s_main.rescan_pending = false;  // an earlier window's wait ended with its timer
    s_main.dpi = dpi_of_window(hwnd);
    s_main.focus = NULL;
    panel_rate_free(&s_main.rate);  // an earlier window's run is gone
    s_main.chooser = create_control(hwnd, L"COMBOBOX", NULL, kChooserStyle, ID_DEVICE_CHOOSER);
    fill_chooser();
    if (g_nri != 0)
        SendMessageW(s_main.chooser, CB_SETCURSEL, 0, 0);  // no notification: display stays automatic
    s_main.start = create_control(hwnd, L"BUTTON", txw(TX_WIN_START), kButtonStyle, ID_START_STOP);
    create_control(hwnd, L"BUTTON", txw(TX_WIN_CLEAR), kButtonStyle, ID_CLEAR_DATA);
    create_control(hwnd, L"BUTTON", txw(TX_WIN_DIAG), kButtonStyle, ID_CAPTURE_DIAG);
    create_control(hwnd, L"BUTTON", txw(TX_WIN_ABOUT), kButtonStyle, ID_ABOUT);
    create_control(hwnd, L"BUTTON", txw(TX_WIN_PLOT), kButtonStyle, ID_PLOT);
    apply_dpi(hwnd);
    gui_create_bar_brushes();
    if (g_nri == 0)
        message_box(hwnd, txw(TX_BOX_NO_MICE), txw(TX_BOX_NOTICE), MB_OK);
    SetTimer(hwnd, TIMER_REPAINT, kRepaintMs, NULL);
    return 0;
}

// Refills the chooser with the registry's names and selects sel (0 when it
// names no slot); an explicit display choice follows the selection.
static void refill_chooser(int sel) {
    SendMessageW(s_main.chooser, CB_RESETCONTENT, 0, 0);
    fill_chooser();
    sel = sel < 0 || sel >= g_nri ? 0 : sel;
    SendMessageW(s_main.chooser, CB_SETCURSEL, (WPARAM)sel, 0);
    Run* run = main_window_run();
    if (run->chosen_slot >= 0)
        run->chosen_slot = sel;
}

// Slots never move during a run, so the selection keeps naming its mouse.
static LRESULT rescan(HWND hwnd) {
    KillTimer(hwnd, TIMER_RESCAN);
    if (!s_main.rescan_pending)
        return 0;
    s_main.rescan_pending = false;
    if (rescan_mice() && s_main.chooser)
        refill_chooser(chooser_selection());
    invalidate(hwnd);
    return 0;
}

// A new run starts from the mice that are there: unplugged ones leave the
// chooser, and the selection stays on its mouse wherever it now sits.
static void drop_gone_mice(void) {
    if (!registry_has_gone_mice() || !s_main.chooser)
        return;
    int sel = chooser_selection();
    HANDLE chosen = sel > 0 && sel < g_nri ? g_ri_devs[sel].handle : NULL;
    enumerate_mice();
    int now = 0;
    for (int i = 1; i < g_nri && chosen; i++)
        now = g_ri_devs[i].handle == chosen ? i : now;
    refill_chooser(now);
}

// A run from nothing with the reader reading it; false, with nothing
// changed, when the reader could not register. The reader ignores reports
// until measuring is switched on, after the records are cleared.
static bool start_reading(HWND hwnd) {
    DWORD error = 0;
    Run* run = main_window_run();
    if (!reader_start(run, hwnd, &error))
        return false;
    reception_start_run(run);
    run_set_measuring(run, true);
    return true;
}

static LRESULT start_measuring(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    drop_gone_mice();
    int sel = chooser_selection();
    if (sel >= g_nri)
        return DefWindowProcW(hwnd, msg, wparam, lparam);
    main_window_run()->chosen_slot = sel;
    reception_read_throttle(main_window_run());
    if (!start_reading(hwnd)) {
        message_box(hwnd, txw(TX_BOX_REGISTER_FAILED), txw(TX_BOX_ERROR), MB_OK);
        return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
    SetWindowTextW(s_main.start, txw(TX_WIN_STOP));
    invalidate(hwnd);
    return 0;
}

// Clearing during a run starts it afresh: the reader is stopped while the
// log and the records are emptied, since only one thread may write them.
static LRESULT clear_data(HWND hwnd) {
    Run* run = main_window_run();
    const bool reading = reader_running();
    reader_stop();
    run_set_measuring(run, false);
    drop_gone_mice();
    if (!reading || !start_reading(hwnd))
        reception_start_run(run);
    if (reading && !reader_running()) {
        reception_stop_run(run);
        SetWindowTextW(s_main.start, txw(TX_WIN_START));
        message_box(hwnd, txw(TX_BOX_REGISTER_FAILED), txw(TX_BOX_ERROR), MB_OK);
    }
    invalidate(hwnd);
    return 0;
}

static LRESULT stop_measuring(HWND hwnd) {
    reader_stop();
    reception_stop_run(main_window_run());  // the figures stay on display
    SetWindowTextW(s_main.start, txw(TX_WIN_START));
    invalidate(hwnd);
    return 0;
}

static LRESULT on_command(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if ((wparam & 0xFFFFFFFF) == kChooserSelectionChanged) {
        main_window_run()->chosen_slot = chooser_selection();
        invalidate(hwnd);
        return 0;
    }
    switch (LOWORD(wparam)) {
    case ID_START_STOP:
        return run_measuring(main_window_run()) ? stop_measuring(hwnd)
                                                : start_measuring(hwnd, msg, wparam, lparam);
    case ID_CLEAR_DATA:
        return clear_data(hwnd);
    case ID_CAPTURE_DIAG:
        // The mouse chosen in the list is the one judged, when the capture shows it.
        RunUsbPcapDiag(hwnd, main_window_run()->chosen_slot);
        return 0;
    case ID_ABOUT: {
        wchar_t caption[64];
        swprintf(caption, 64, txw(TX_ABOUT_CAPTION), QUORVIN_SHORT_NAME);
        text_window_run(hwnd, caption, main_window_help_text(), false);
        return 0;
    }
    case ID_PLOT:
        plot_open(hwnd, main_window_run());
        return 0;
    }
    return 0;
}

static LRESULT on_device_change(HWND hwnd) {
    s_main.rescan_pending = true;
    SetTimer(hwnd, TIMER_RESCAN, kRescanQuietMs, NULL);  // re-arming restarts the wait
    return 0;
}

static LRESULT on_paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    const int width = client.right, height = client.bottom;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    gui_draw(memory, width, height, s_main.dpi, &s_main.panel_font, main_window_run(), &s_main.rate,
             s_main.rate_font);
    BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(hwnd, &ps);
    return 0;
}

// The window moved to a monitor of another DPI: lay the controls and the
// panel out again.
static LRESULT on_dpi_changed(HWND hwnd, WPARAM wparam, LPARAM lparam) {
    s_main.dpi = HIWORD(wparam);
    apply_dpi(hwnd);
    gui_move_to_suggested(hwnd, lparam);
    invalidate(hwnd);
    return 0;
}

static LRESULT on_min_max_info(HWND hwnd, LPARAM lparam) {
    MINMAXINFO* m = (MINMAXINFO*)lparam;
    const UINT dpi = s_main.dpi ? s_main.dpi : dpi_of_system();  // asked before WM_CREATE too
    RECT r = {0, 0, dpi_scale(PANEL_MIN_WIDTH, dpi), dpi_scale(PANEL_MIN_HEIGHT, dpi)};
    AdjustWindowRectEx(&r, (DWORD)GetWindowLongW(hwnd, GWL_STYLE), FALSE,
                       (DWORD)GetWindowLongW(hwnd, GWL_EXSTYLE));
    m->ptMinTrackSize.x = r.right - r.left;
    m->ptMinTrackSize.y = r.bottom - r.top;
    return 0;
}

static LRESULT on_destroy(HWND hwnd) {
    for (int id : kControlIds)
        DestroyWindow(GetDlgItem(hwnd, id));  // before their font goes
    panel_font_free(&s_main.panel_font);
    if (s_main.rate_font)
        DeleteObject(s_main.rate_font);
    s_main.rate_font = NULL;
    panel_rate_free(&s_main.rate);
    reader_stop();  // the measuring switch itself stays on
    PostQuitMessage(0);
    return 0;
}

LRESULT CALLBACK gui_wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_CREATE:
        return on_create(hwnd);
    case WM_DESTROY:
        return on_destroy(hwnd);
    case WM_GETMINMAXINFO:
        return on_min_max_info(hwnd, lparam);
    case WM_SIZE:
        place_controls(hwnd);  // the next repaint tick lays the panel out for the new size
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wparam) == WA_INACTIVE && IsChild(hwnd, GetFocus()))
            s_main.focus = GetFocus();
        break;  // activation gives the window the focus, which hands it on
    case WM_SETFOCUS:
        SetFocus(s_main.focus && IsWindow(s_main.focus) ? s_main.focus : s_main.start);
        return 0;
    case WM_DPICHANGED:
        return on_dpi_changed(hwnd, wparam, lparam);
    case WM_PAINT:
        return on_paint(hwnd);
    case WM_ERASEBKGND:
        return 1;  // every paint covers every pixel
    case WM_INPUT_DEVICE_CHANGE:
        return on_device_change(hwnd);
    case WM_ACTIVATEAPP:
        g_app_foreground.store(wparam != 0);
        return 0;
    case WM_COMMAND:
        return on_command(hwnd, msg, wparam, lparam);
    case WM_TIMER:
        if (wparam == TIMER_RESCAN)
            return rescan(hwnd);
        if (run_measuring(main_window_run()))
            reception_sample_clock(main_window_run());
        panel_rate_refresh(&s_main.rate, main_window_run(), panel_slot(main_window_run()),
                           counter_read());
        invalidate(hwnd);
        plot_refresh();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

// A window larger than the work area of its monitor (a 1024 x 768 screen at
// 144 DPI) is made to fit it, and moved wholly onto it.
static void fit_work_area(HWND hwnd) {
    MONITORINFO info;
    info.cbSize = sizeof info;
    RECT r;
    if (!GetWindowRect(hwnd, &r) ||
        !GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info))
        return;
    const RECT a = info.rcWork;
    const LONG w = r.right - r.left < a.right - a.left ? r.right - r.left : a.right - a.left;
    const LONG h = r.bottom - r.top < a.bottom - a.top ? r.bottom - r.top : a.bottom - a.top;
    LONG x = r.left + w > a.right ? a.right - w : r.left;
    LONG y = r.top + h > a.bottom ? a.bottom - h : r.top;
    x = x < a.left ? a.left : x;
    y = y < a.top ? a.top : y;
    if (x != r.left || y != r.top || w != r.right - r.left || h != r.bottom - r.top)
        SetWindowPos(hwnd, NULL, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND create_main_window(void) {
    HINSTANCE instance = GetModuleHandleW(NULL);
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = gui_wndproc;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = L"Quorvin";
    // The program's own icon, resource 1 (absent in test programs).
    wc.hIcon = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
    wc.hIconSm = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0);
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    if (!RegisterClassExW(&wc)) {
        message_box(NULL, txw(TX_BOX_CLASS_FAILED), txw(TX_BOX_ERROR), MB_OK);
        return NULL;
    }
    const UINT dpi = dpi_of_system();
    s_main.hwnd = CreateWindowExW(0, L"Quorvin", QUORVIN_SHORT_NAME L" (Raw Input)",
                             WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                             dpi_scale(kWindowWidth, dpi), dpi_scale(kWindowHeight, dpi), NULL,
                             NULL, instance, NULL);
    if (!s_main.hwnd)
        message_box(NULL, txw(TX_BOX_WINDOW_FAILED), txw(TX_BOX_ERROR), MB_OK);
    else
        fit_work_area(s_main.hwnd);
    return s_main.hwnd;
}

UINT main_window_dpi(void) { return s_main.dpi; }
bool main_window_rescan_pending(void) { return s_main.rescan_pending; }
const PanelRate* main_window_rate(void) { return &s_main.rate; }

// Whether the chooser's list is open: its keys are its own then.
static bool chooser_dropped(void) {
    return s_main.chooser && SendMessageW(s_main.chooser, CB_GETDROPPEDSTATE, 0, 0);
}

bool main_window_key(MSG* m) {
    HWND w = s_main.hwnd;
    if (!w || !IsWindow(w) || (m->hwnd != w && !IsChild(w, m->hwnd)))
        return false;
    if (m->message == WM_KEYDOWN && !chooser_dropped()) {
        HWND focus = GetFocus();
        const bool on_button = focus && focus != s_main.chooser && IsChild(w, focus);
        // Enter presses the focused button, or starts and stops; Space does
        // that from the chooser or the window (a button takes its own Space).
        if (m->wParam == VK_RETURN || (m->wParam == VK_SPACE && !on_button)) {
            // A key held down repeats: only its first press starts or stops.
            if (m->lParam & (1L << 30))
                return true;
            HWND button = m->wParam == VK_RETURN && on_button ? focus : s_main.start;
            SendMessageW(w, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), (LPARAM)button);
            return true;
        }
        if (m->wParam == VK_ESCAPE)
            return true;  // nothing to cancel in the main window
    }
    return IsDialogMessageW(w, m) != 0;
}

int run_main_window(void) {
    enumerate_mice();  // the chooser is filled while the window is being created
    if (!create_main_window())
        return 1;
    ShowWindow(s_main.hwnd, SW_SHOW);
    UpdateWindow(s_main.hwnd);
    MSG msg;
    // A fetch error (-1) ends the loop too, rather than spinning on it.
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        if (main_window_key(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // A fetch error ends the loop with the window (and its reader, plot
    // threads) alive: they go first, the run they write and read after.
    if (IsWindow(s_main.hwnd))
        DestroyWindow(s_main.hwnd);
    reader_stop();
    main_window_run_free();
    return 0;
}
