// The main window procedure: each message is handed to a small function.
// Measuring is started and stopped by adding and removing the Raw Input
// registrations; hot-plug notices trigger one rescan 350 ms after the last.
// Every size is written for 96 DPI and scaled to the monitor the window is on.
#include "gui/main_window.h"

#include "capture/usbpcap_diag.h"
#include "core/version.h"
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

// The row of controls at 96 DPI: x, y, width, height (the chooser's height
// includes its drop-down list).
struct ControlPlace {
    int id;
    int x, y, width, height;
};
static const ControlPlace kControlPlaces[] = {
    {ID_DEVICE_CHOOSER, 12, 10, 330, 200}, {ID_START_STOP, 350, 8, 110, 26},
    {ID_CLEAR_DATA, 468, 8, 100, 26},      {ID_CAPTURE_DIAG, 576, 8, 95, 26},
    {ID_ABOUT, 679, 8, 90, 26},            {ID_PLOT, 781, 8, 88, 26},
};
// Wide enough for the row of controls with the same right margin as ever.
static const int kWindowWidth = 880;
static const int kWindowHeight = 520;
// The smallest client area that still shows every control (the plot button
// ends at 869) and the histogram with its labels (below 465 at the latest).
static const int kMinClientWidth = 872;
static const int kMinClientHeight = 472;

// The one main window's own state.
static struct {
    HWND hwnd;
    HWND chooser, start;
    bool rescan_pending;  // a hot-plug notice came; the rescan waits for the quiet period
    UINT dpi;             // the DPI the window is laid out for
    HFONT control_font;
    PanelFont panel_font;
} s_main = {NULL, NULL, NULL, false, DPI_BASE, NULL, {NULL, 0}};

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
static const DWORD kButtonStyle = WS_CHILD | WS_VISIBLE;                       // 0x50000000
static const DWORD kChooserStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST;  // 0x50200003
static const WPARAM kChooserSelectionChanged = MAKEWPARAM(ID_DEVICE_CHOOSER, CBN_SELCHANGE);

const wchar_t g_help_text[] =
    QUORVIN_SHORT_NAME L"  —  使用说明\n"
    L"\n"
    L"1. 测量原理\n"
    L"   通过 Windows Raw Input 接收每个鼠标 HID 报告，收到瞬间用高精度计时器(QPC)打时间戳。\n"
    L"   相邻两次时间戳之差 = 一次报告间隔；瞬时 Hz = 1,000,000 ÷ 间隔(微秒)。\n"
    L"   报告由独立的高优先级读取线程接收，界面、绘图、导出都不会推迟时间戳；同一次读取的报告共用一个时间戳。\n"
    L"   适配所有 HID 鼠标(USB / 蓝牙 / 2.4G / 星闪等无线方案均可)。\n"
    L"\n"
    L"2. 读数含义\n"
    L"   • 平均回报率：纸面表现，大致等于你设置的值。\n"
    L"   • 最低瞬时：最长间隔决定是否卡顿(最重要)。\n"
    L"   • 最高瞬时：设备上限能力(已过滤系统合并投递的虚假极值，封顶 10000Hz)。\n"
    L"   • 近1秒最低：最近 1 秒内的最差情况。\n"
    L"   • 报告数 / 时长：均为 64 位计数，正常使用不会溢出。\n"
    L"\n"
    L"3. 直方图与分档\n"
    L"   柱色：青/绿(>8K / 8K / 4K / 2K)=精英/电竞级；金(1K)=竞技标准(大众主流水平)。\n"
    L"   橙(500)=尚可；红(≤125)=明显卡顿。注：1K 和 2K 均为“好”，不必追求最左边。\n"
    L"   分档容差：每档上限在频率上向上放宽 15%(如 1000Hz 档实际上延到 1150Hz)，\n"
    L"   使仅略超名义值的样本(如 1001/1002Hz)归入更低一档，避免点亮整柱、更符合直觉。\n"
    L"   说明：鼠标回报率的响应时间受电磁干扰、USB 调度、CPU 抢占等多种环境因素影响，\n"
    L"   实测数值并不一定完全准确；加入这 15% 向上浮动，正是为了让直方图更贴近人的直觉。\n"
    L"\n"
    L"4. 关于 8K 卡 2K\n"
    L"   高速 USB：bInterval=1 → 125µs → 8000Hz；bInterval=3 → 500µs → 2000Hz。\n"
    L"   设 8K 却只到 2K，说明接收器到电脑的 USB 端点被限频。\n"
    L"   解决：用厂商软件(如Logitech G HUB/Razer Synapse)把 8K 配置推给接收器 + 换后置主板 USB 口。\n"
    L"\n"
    L"5. 使用要点\n"
    L"   • 测量时请移动鼠标(电竞鼠会持续发心跳包)。\n"
    L"   • Windows 11 把后台窗口的鼠标输入限速到约 125Hz(每 8ms 一次)：测量时请让本窗口留在前台。\n"
    L"   • 后台测量需在 HKEY_CURRENT_USER\\Control Panel\\Mouse 设 DWORD RawMouseThrottleEnabled=0，注销后重新登录。\n"
    L"   • 拔插鼠标后程序会自动重新识别。\n"
    L"   • 间隔图：按时间画出每个报告的间隔(滚轮缩放时间、Shift+滚轮缩放纵轴、拖动平移、双击复原)，可导出 CSV。\n"
    L"   • 支持所有 HID 鼠标，无需装驱动/管理员。\n"
    L"   • USBPcap 诊断(可选，需驱动+管理员)：https://github.com/desowin/usbpcap/releases\n";

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

static const ControlPlace* place_of(int id) {
    for (const ControlPlace& p : kControlPlaces) {
        if (p.id == id)
            return &p;
    }
    return &kControlPlaces[0];
}

static HWND create_control(HWND parent, const wchar_t* cls, const wchar_t* caption, DWORD style,
                           int id) {
    const ControlPlace* p = place_of(id);
    const UINT dpi = s_main.dpi;
    return CreateWindowExW(0, cls, caption, style, dpi_scale(p->x, dpi), dpi_scale(p->y, dpi),
                           dpi_scale(p->width, dpi), dpi_scale(p->height, dpi), parent,
                           (HMENU)(INT_PTR)id, NULL, NULL);
}

// Places the controls and gives them a font for the window's current DPI.
static void apply_dpi(HWND hwnd) {
    HFONT font = create_message_font(s_main.dpi, false);
    const UINT dpi = s_main.dpi;
    for (const ControlPlace& p : kControlPlaces) {
        HWND control = GetDlgItem(hwnd, p.id);
        if (!control)
            continue;
        MoveWindow(control, dpi_scale(p.x, dpi), dpi_scale(p.y, dpi), dpi_scale(p.width, dpi),
                   dpi_scale(p.height, dpi), TRUE);
        if (font)
            SendMessageW(control, WM_SETFONT, (WPARAM)font, TRUE);
    }
    if (font) {
        if (s_main.control_font)
            DeleteObject(s_main.control_font);
        s_main.control_font = font;
    }
}

static LRESULT on_create(HWND hwnd) {
    s_main.rescan_pending = false;  // an earlier window's wait ended with its timer
    s_main.dpi = dpi_of_window(hwnd);
    s_main.chooser = create_control(hwnd, L"COMBOBOX", NULL, kChooserStyle, ID_DEVICE_CHOOSER);
    fill_chooser();
    if (g_nri != 0)
        SendMessageW(s_main.chooser, CB_SETCURSEL, 0, 0);  // no notification: display stays automatic
    s_main.start = create_control(hwnd, L"BUTTON", L"开始测量", kButtonStyle, ID_START_STOP);
    create_control(hwnd, L"BUTTON", L"清除数据", kButtonStyle, ID_CLEAR_DATA);
    create_control(hwnd, L"BUTTON", L"USBPcap 诊断", kButtonStyle, ID_CAPTURE_DIAG);
    create_control(hwnd, L"BUTTON", L"关于", kButtonStyle, ID_ABOUT);
    create_control(hwnd, L"BUTTON", L"间隔图", kButtonStyle, ID_PLOT);
    panel_font_make(&s_main.panel_font, s_main.dpi);
    apply_dpi(hwnd);
    gui_create_bar_brushes();
    if (g_nri == 0)
        message_box(hwnd, L"未找到鼠标设备(Raw Input)。", L"提示", MB_OK);
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
        message_box(hwnd, L"注册 Raw Input 失败。", L"错误", MB_OK);
        return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
    SetWindowTextW(s_main.start, L"停止测量");
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
        SetWindowTextW(s_main.start, L"开始测量");
        message_box(hwnd, L"注册 Raw Input 失败。", L"错误", MB_OK);
    }
    invalidate(hwnd);
    return 0;
}

static LRESULT stop_measuring(HWND hwnd) {
    reader_stop();
    reception_stop_run(main_window_run());  // the figures stay on display
    SetWindowTextW(s_main.start, L"开始测量");
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
        RunUsbPcapDiag(hwnd);
        return 0;
    case ID_ABOUT:
        text_window_run(hwnd, L"关于 — " QUORVIN_SHORT_NAME, g_help_text, false);
        return 0;
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
    gui_draw(memory, width, height, s_main.dpi, &s_main.panel_font, main_window_run());
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
    gui_move_to_suggested(hwnd, lparam);
    DeleteObject(panel_font_make(&s_main.panel_font, s_main.dpi));  // only painting used it
    apply_dpi(hwnd);
    invalidate(hwnd);
    return 0;
}

static LRESULT on_min_max_info(HWND hwnd, LPARAM lparam) {
    MINMAXINFO* m = (MINMAXINFO*)lparam;
    RECT r = {0, 0, dpi_scale(kMinClientWidth, s_main.dpi), dpi_scale(kMinClientHeight, s_main.dpi)};
    AdjustWindowRectEx(&r, (DWORD)GetWindowLongW(hwnd, GWL_STYLE), FALSE,
                       (DWORD)GetWindowLongW(hwnd, GWL_EXSTYLE));
    m->ptMinTrackSize.x = r.right - r.left;
    m->ptMinTrackSize.y = r.bottom - r.top;
    return 0;
}

static LRESULT on_destroy(void) {
    panel_font_free(&s_main.panel_font);  // no control uses it: only painting does
    reader_stop();  // the measuring switch itself stays on
    PostQuitMessage(0);
    return 0;
}

LRESULT CALLBACK gui_wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_CREATE:
        return on_create(hwnd);
    case WM_DESTROY:
        return on_destroy();
    case WM_GETMINMAXINFO:
        return on_min_max_info(hwnd, lparam);
    case WM_SIZE:
        return 0;  // the next repaint tick lays the panel out for the new size
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
        invalidate(hwnd);
        plot_refresh();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
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
        message_box(NULL, L"窗口类注册失败。", L"错误", MB_OK);
        return NULL;
    }
    const UINT dpi = dpi_of_system();
    s_main.hwnd = CreateWindowExW(0, L"Quorvin", QUORVIN_SHORT_NAME L" (Raw Input)",
                             WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                             dpi_scale(kWindowWidth, dpi), dpi_scale(kWindowHeight, dpi), NULL,
                             NULL, instance, NULL);
    if (!s_main.hwnd)
        message_box(NULL, L"窗口创建失败。", L"错误", MB_OK);
    return s_main.hwnd;
}

UINT main_window_dpi(void) { return s_main.dpi; }
bool main_window_rescan_pending(void) { return s_main.rescan_pending; }

int run_main_window(void) {
    enumerate_mice();  // the chooser is filled while the window is being created
    if (!create_main_window())
        return 1;
    ShowWindow(s_main.hwnd, SW_SHOW);
    UpdateWindow(s_main.hwnd);
    MSG msg;
    // A fetch error (-1) ends the loop too, rather than spinning on it.
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
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
