// The plot window's procedure and its small handlers: the buttons (the views
// at the top left; the export, the picture and the saved runs at the top
// right), creation and end, size and DPI, and the news its threads post. It
// opens the live run's window, whose state is kept here, and refreshes it on
// the main window's tick. Painting is gui/plot_paint, zoom and pan
// gui/plot_interaction, the export's window side gui/plot_export_button.
#include "gui/plot_window.h"

#include <commctrl.h>

#include "core/figures/distribution.h"
#include "core/version.h"
#include "core/views/texts.h"
#include "engine/reception.h"
#include "gui/plot_builder.h"
#include "gui/plot_export.h"
#include "gui/plot_export_button.h"
#include "gui/plot_image.h"
#include "gui/plot_interaction.h"
#include "gui/plot_paint.h"
#include "gui/plot_saved.h"
#include "platform/dpi.h"
#include "platform/message_box.h"

static const wchar_t kPlotClass[] = L"QuorvinPlot";
static const TextId kViewNames[PLOT_KINDS] = {TX_PLOT_VIEW_INTERVALS, TX_PLOT_VIEW_COUNTS, TX_PLOT_VIEW_SPEED,
                                              TX_PLOT_VIEW_BUTTONS};

// The live run's window. Its view, status line and builder outlive it: an
// export's end and the tests find them whether it is open or not.
static struct {
    HWND window;  // while open: null from its WM_DESTROY on (win.hwnd lasts to WM_NCDESTROY)
    PlotWin win;
    PlotView view;
    wchar_t status[PLOT_STATUS_CHARS];
    PlotBuilder builder;
} s_live;

// The live window's state, its pointers set.
static PlotWin* live(void) {
    s_live.win.view = &s_live.view;
    s_live.win.status = s_live.status;
    s_live.win.builder = &s_live.builder;
    s_live.win.log = s_live.win.run ? &s_live.win.run->log : NULL;
    return &s_live.win;
}

HWND plot_live_window(void) { return s_live.window; }
PlotView* plot_live_view(void) { return &s_live.view; }
wchar_t* plot_live_status(void) { return s_live.status; }
PlotBuilder* plot_live_builder(void) { return &s_live.builder; }

static int px(int v, UINT dpi) { return dpi_scale(v, dpi); }

// Building runs on the plot's own thread, but a long run's build is long and
// the machine has other work (the reader thread stamps every report): while
// measuring, a new model is asked for only once the builder has rested three
// times as long as its last build took, so it keeps a core busy a quarter of
// the time at most. A short run's model still comes at every 100 ms tick.
static const double kBuilderRest = 3.0;

static PlotWin* win_of(HWND hwnd) { return (PlotWin*)GetWindowLongPtrW(hwnd, GWLP_USERDATA); }

static void move_to(HWND control, const RECT* r) {
    MoveWindow(control, r->left, r->top, r->right - r->left, r->bottom - r->top, TRUE);
}

// The view buttons at the top left; at the top right the export (the live
// run's only), then 保存图片 and 打开 CSV to its left, each as wide as its
// words in the window's font need (plot_controls, which the painter asks
// too); the export's bar at the foot's right, beside the status line.
static void place_controls(PlotWin* w) {
    RECT r;
    GetClientRect(w->hwnd, &r);
    const UINT dpi = w->dpi;
    HDC dc = GetDC(w->hwnd);
    HGDIOBJ previous = SelectObject(dc, panel_font_of(&w->font));
    const PlotControls c = plot_controls(dc, r.right, dpi, w->saved != NULL);
    SelectObject(dc, previous);
    ReleaseDC(w->hwnd, dc);
    move_to(GetDlgItem(w->hwnd, ID_PLOT_EXPORT), &c.export_button);
    move_to(GetDlgItem(w->hwnd, ID_PLOT_IMAGE), &c.image_button);
    move_to(GetDlgItem(w->hwnd, ID_PLOT_OPEN), &c.open_button);
    MoveWindow(GetDlgItem(w->hwnd, ID_PLOT_PROGRESS), r.right - px(160, dpi), r.bottom - px(18, dpi),
               px(150, dpi), px(12, dpi), TRUE);
    for (int k = 0; k < PLOT_KINDS; k++)
        move_to(GetDlgItem(w->hwnd, ID_PLOT_VIEW + k), &c.view[k]);
}

// The buttons take the window's font.
static void set_button_fonts(PlotWin* w) {
    static const int kIds[] = {ID_PLOT_EXPORT, ID_PLOT_OPEN, ID_PLOT_IMAGE};
    for (int id : kIds)
        SendMessageW(GetDlgItem(w->hwnd, id), WM_SETFONT, (WPARAM)panel_font_of(&w->font), TRUE);
    for (int k = 0; k < PLOT_KINDS; k++)
        SendMessageW(GetDlgItem(w->hwnd, ID_PLOT_VIEW + k), WM_SETFONT, (WPARAM)panel_font_of(&w->font), TRUE);
}

static void make_button(HWND hwnd, int id, const wchar_t* text) {
    CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd, (HMENU)(INT_PTR)id, NULL, NULL);
}

// Push-like radio buttons: the view shown stays pressed.
static void make_view_buttons(PlotWin* w) {
    for (int k = 0; k < PLOT_KINDS; k++) {
        const DWORD style = WS_CHILD | WS_VISIBLE | BS_RADIOBUTTON | BS_PUSHLIKE | (k == 0 ? WS_GROUP : 0);
        CreateWindowExW(0, L"BUTTON", txw(kViewNames[k]), style, 0, 0, 0, 0, w->hwnd,
                        (HMENU)(INT_PTR)(ID_PLOT_VIEW + k), NULL, NULL);
    }
    CheckRadioButton(w->hwnd, ID_PLOT_VIEW, ID_PLOT_VIEW + PLOT_KINDS - 1, ID_PLOT_VIEW + w->view->kind);
}

static LRESULT plot_on_command(PlotWin* w, WPARAM wparam) {
    const int id = LOWORD(wparam);
    if (id == ID_PLOT_EXPORT)
        plot_export_csv(w->hwnd);
    else if (id == ID_PLOT_OPEN)
        plot_saved_open(w, plot_window_make);
    else if (id == ID_PLOT_IMAGE)
        plot_save_image(w);
    else if (id >= ID_PLOT_VIEW && id < ID_PLOT_VIEW + PLOT_KINDS)
        plot_show_view(w, id - ID_PLOT_VIEW);
    return 0;
}

static LRESULT plot_on_paint(PlotWin* w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w->hwnd, &ps);
    RECT r;
    GetClientRect(w->hwnd, &r);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, r.right, r.bottom);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    plot_paint_now(w, memory, r.right, r.bottom);
    BitBlt(dc, 0, 0, r.right, r.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(w->hwnd, &ps);
    return 0;
}

// The progress bar's class, from comctl32, loaded here rather than with the
// program: the console program shows no control of it, and under Wine the
// DLL slowed its start.
static void register_progress_class(void) {
    typedef BOOL(WINAPI * InitFn)(const INITCOMMONCONTROLSEX*);
    static const INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    static const HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    const InitFn init =
        comctl ? (InitFn)(void (*)(void))GetProcAddress(comctl, "InitCommonControlsEx") : NULL;
    if (init)
        init(&controls);
}

// The export's bar, hidden until an export runs, counting per mille.
static void make_progress_bar(HWND hwnd) {
    register_progress_class();
    HWND bar = CreateWindowExW(0, PROGRESS_CLASSW, NULL, WS_CHILD, 0, 0, 0, 0, hwnd,
                               (HMENU)(INT_PTR)ID_PLOT_PROGRESS, NULL, NULL);
    SendMessageW(bar, PBM_SETRANGE32, 0, PLOT_EXPORT_PERMILLE);
}

// A window without its builder (a saved run's: its reading thread, which
// starts the builder when done) could not show anything: its creation fails,
// and w is left to its maker. Once made, the window holds w until it is gone.
static LRESULT plot_on_create(HWND hwnd, LPARAM lparam) {
    PlotWin* w = (PlotWin*)((const CREATESTRUCTW*)lparam)->lpCreateParams;
    w->hwnd = hwnd;
    if (w->saved ? !plot_saved_start(w->saved) : !plot_builder_start(w->builder, hwnd, w->log, NULL))
        return -1;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, (LONG_PTR)w);
    w->asked_any = false;
    w->shown.any = false;
    w->area_known = false;
    w->drag_x = -1;
    w->dpi = dpi_of_window(hwnd);
    DeleteObject(panel_font_make(&w->font, w->dpi));  // an earlier window's, if any
    if (!w->saved)
        make_button(hwnd, ID_PLOT_EXPORT, txw(TX_PLOT_EXPORT_BUTTON));
    make_button(hwnd, ID_PLOT_OPEN, txw(TX_PLOT_OPEN_BUTTON));
    make_button(hwnd, ID_PLOT_IMAGE, txw(TX_PLOT_IMAGE_BUTTON));
    make_view_buttons(w);
    set_button_fonts(w);
    if (!w->saved)
        make_progress_bar(hwnd);
    place_controls(w);
    return 0;
}

// An export or a reading under way is cancelled and the window's threads
// have ended before it is gone, so none posts to a window that is no more.
static LRESULT plot_on_destroy(PlotWin* w) {
    if (w->saved) {
        plot_saved_stop(w->saved);
        return 0;
    }
    plot_export_cancel();
    plot_export_join();
    plot_builder_stop(w->builder);
    s_live.window = NULL;
    return 0;
}

// The buttons are gone: nothing uses the font any more, nor a saved run's memory.
static void plot_on_gone(PlotWin* w) {
    SetWindowLongPtrW(w->hwnd, GWLP_USERDATA, 0);
    panel_font_free(&w->font);
    w->hwnd = NULL;
    if (w->saved)
        plot_saved_free(w->saved);
}

// The buttons take the new font before the old one is deleted.
static LRESULT plot_on_dpi_changed(PlotWin* w, WPARAM wparam, LPARAM lparam) {
    w->dpi = HIWORD(wparam);
    gui_move_to_suggested(w->hwnd, lparam);
    HFONT old = panel_font_make(&w->font, w->dpi);
    set_button_fonts(w);
    DeleteObject(old);
    place_controls(w);
    return 0;
}

static LRESULT plot_on_size(PlotWin* w) {
    place_controls(w);
    InvalidateRect(w->hwnd, NULL, FALSE);  // the next paint asks for as many columns as fit
    return 0;
}

// What the builder, the export and a saved run's reading post.
static LRESULT plot_on_thread_news(PlotWin* w, UINT msg, WPARAM wparam) {
    if (msg == WM_PLOT_EXPORT_END)
        return plot_export_on_end(live(), w->hwnd);
    if (msg == WM_PLOT_LOADED && w->saved)
        plot_saved_on_loaded(w);
    else if (msg == WM_PLOT_EXPORT_PROGRESS)
        SendMessageW(GetDlgItem(w->hwnd, ID_PLOT_PROGRESS), PBM_SETPOS, wparam, 0);
    else
        InvalidateRect(w->hwnd, NULL, FALSE);  // a model is finished
    return 0;
}

// Until WM_CREATE has made the window w's, its messages are the default's.
LRESULT CALLBACK plot_wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_CREATE)
        return plot_on_create(hwnd, lparam);
    PlotWin* w = win_of(hwnd);
    if (!w)
        return DefWindowProcW(hwnd, msg, wparam, lparam);
    switch (msg) {
    case WM_SIZE:
        return plot_on_size(w);
    case WM_PAINT:
        return plot_on_paint(w);
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEWHEEL:
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        return plot_on_mouse(w, msg, wparam, lparam);
    case WM_COMMAND:
        return plot_on_command(w, wparam);
    case WM_PLOT_MODEL:
    case WM_PLOT_EXPORT_PROGRESS:
    case WM_PLOT_EXPORT_END:
    case WM_PLOT_LOADED:
        return plot_on_thread_news(w, msg, wparam);
    case 0x02E0:  // WM_DPICHANGED
        return plot_on_dpi_changed(w, wparam, lparam);
    case WM_DESTROY:
        return plot_on_destroy(w);
    case WM_NCDESTROY:
        plot_on_gone(w);
        break;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

// Registered once per process. The icon is the owner's (the main window's,
// loaded once), so opening the plot again makes no new icon.
static bool register_plot_class(HINSTANCE instance, HWND owner) {
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, kPlotClass, &wc))
        return true;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = plot_wndproc;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.hIcon = owner ? (HICON)GetClassLongPtrW(owner, GCLP_HICON) : NULL;
    wc.lpszClassName = kPlotClass;
    return RegisterClassExW(&wc) != 0;
}

// The width of the work area of owner's monitor (the primary's without one).
static LONG work_width_of(HWND owner) {
    HMONITOR monitor = owner ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                             : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info;
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info))
        return info.rcWork.right - info.rcWork.left;
    return GetSystemMetrics(SM_CXSCREEN);
}

// At its size, or as wide as the screen's work area where that is narrower
// (the header and the foot then take more lines, and the plot fewer rows).
HWND plot_window_make(HWND owner, const wchar_t* title, PlotWin* w) {
    HINSTANCE instance = GetModuleHandleW(NULL);
    register_plot_class(instance, owner);
    const UINT dpi = owner ? dpi_of_window(owner) : dpi_of_system();
    RECT r = {0, 0, dpi_scale(PLOT_CLIENT_WIDTH, dpi), dpi_scale(PLOT_CLIENT_HEIGHT, dpi)};
    const DWORD style = WS_OVERLAPPEDWINDOW;
    AdjustWindowRectEx(&r, style, FALSE, 0);
    const LONG most = work_width_of(owner), width = r.right - r.left < most ? r.right - r.left : most;
    HWND hwnd = CreateWindowExW(0, kPlotClass, title, style, CW_USEDEFAULT, CW_USEDEFAULT, width,
                                r.bottom - r.top, owner, NULL, instance, w);
    if (hwnd) {
        ShowWindow(hwnd, SW_SHOW);
        UpdateWindow(hwnd);
    }
    return hwnd;
}

void plot_open(HWND owner, Run* run) {
    if (s_live.window) {
        ShowWindow(s_live.window, SW_RESTORE);
        SetForegroundWindow(s_live.window);
        return;
    }
    s_live.win.run = run;
    s_live.view = PlotView{true, 0, 0, false, 0, 0, PLOT_INTERVALS};
    s_live.status[0] = 0;
    wchar_t title[80];
    swprintf(title, 80, txw(TX_PLOT_TITLE), QUORVIN_SHORT_NAME);
    s_live.window = plot_window_make(owner, title, live());
    if (!s_live.window)
        message_box(owner, txw(TX_PLOT_WINDOW_FAILED), txw(TX_PLOT_ERROR), MB_OK);
}

// While measuring, a model of the run so far once the builder has rested;
// otherwise one when the picture wanted has changed (the run stopped, or was
// cleared). The finished model's message repaints. Saved runs do not change.
void plot_refresh(void) {
    if (!s_live.window)
        return;
    Run* run = s_live.win.run;
    Distribution d;
    if (!run_measuring(run)) {
        record_distribution(display_stats(run), &d);
        plot_ask_if_changed(&s_live.win, &d);
        return;
    }
    if (!plot_builder_rested(&s_live.builder, kBuilderRest))
        return;
    record_distribution(display_stats(run), &d);
    s_live.win.asked = plot_request_now(&s_live.win, &d);
    s_live.win.asked_any = true;
    plot_builder_ask(&s_live.builder, &s_live.win.asked);
}

bool plot_export_csv(HWND plot) { return plot_export_button(live(), plot); }
