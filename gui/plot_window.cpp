// The interval plot window and its painter. The painter asks the plot model
// for one column per pixel, so a repaint costs one walk over the visible
// reports however many there are; the distribution lines and the summary line
// come from the record's histogram of the whole run, whose cost does not grow
// with it.
#include "gui/plot_window.h"

#include <errno.h>
#include <math.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "core/arrival_csv.h"
#include "core/distribution.h"
#include "core/plot_model.h"
#include "core/version.h"
#include "engine/reception.h"
#include "gui/main_window.h"
#include "gui/panel.h"
#include "platform/counter.h"
#include "platform/dpi.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/output_file.h"

HWND g_hPlot;
PlotView g_plot_view = {true, 0, 0};

static const wchar_t kPlotClass[] = L"QuorvinPlot";
static const COLORREF kAxisColor = PANEL_TITLE_COLOR;
static const COLORREF kMergedColor = 0x808080;
static const COLORREF kLineColor = 0xe0e0e0;
static const double kZoomPerNotch = 0.8;
static const double kNarrowestViewS = 0.002;

static UINT g_plot_dpi = DPI_BASE;
static PanelFont g_plot_font;  // the plot's own, at its DPI: painting and the button
static int g_drag_x = -1;  // -1: no drag
static PlotView g_drag_view;

static int px(int v, UINT dpi) { return dpi_scale(v, dpi); }

PlotArea plot_area(int width, int height, UINT dpi) {
    PlotArea a = {px(60, dpi), px(40, dpi), width - px(150, dpi), height - px(36, dpi)};
    if (a.right < a.left + 10)
        a.right = a.left + 10;
    if (a.bottom < a.top + 10)
        a.bottom = a.top + 10;
    return a;
}

// Painting runs on the thread that stamps the reports, so repaints while
// measuring are spread out: each waits at least 50 times as long as the last
// one took (a 25 ms repaint then runs every 1.25 s, not every 100 ms), keeping
// the thread free for reports 98 % of the time.
static const double kIdleShare = 50.0;
static double g_repaint_cost_s;
static int64_t g_last_repaint;

static double seconds_since(int64_t then) { return (double)(counter_read() - then) / g_qpc_freq; }

// --- Painting ---------------------------------------------------------------------

static void fill(HDC dc, int x, int y, int w, int h, COLORREF color) {
    SetDCBrushColor(dc, color);
    PatBlt(dc, x, y, w, h, PATCOPY);
}

static COLORREF color_of(double interval_us) { return g_bar_color[stats_bucket_of(interval_us)]; }

static int row_of(double us, double top_ms, const PlotArea* a) {
    double r = (double)a->bottom - us / (top_ms * 1000.0) * (double)(a->bottom - a->top);
    return (int)floor(r + 0.5);
}

// A dot, or at the top edge an up-arrow for an interval above the axis.
static void mark(HDC dc, int x, double us, double top_ms, const PlotArea* a, UINT dpi) {
    COLORREF color = color_of(us);
    if (us > top_ms * 1000.0) {
        int size = px(3, dpi);
        for (int i = 0; i < size; i++)
            fill(dc, x - i, a->top + i, 2 * i + 1, 1, color);
        return;
    }
    int dot = px(2, dpi);
    fill(dc, x - dot / 2, row_of(us, top_ms, a) - dot / 2, dot, dot, color);
}

static void text_at(HDC dc, int x, int y, COLORREF color, const wchar_t* text, UINT align) {
    SetTextColor(dc, color);
    SetTextAlign(dc, align);
    TextOutW(dc, x, y, text, (int)wcslen(text));
}

static void draw_axes(HDC dc, const PlotArea* a, const PlotModel* m, UINT dpi) {
    fill(dc, a->left - 1, a->top, 1, a->bottom - a->top + 1, kAxisColor);
    fill(dc, a->left - 1, a->bottom, a->right - a->left + 1, 1, kAxisColor);
    wchar_t label[48];
    for (int i = 0; i <= 5; i++) {
        double ms = m->top_ms * i / 5;
        int y = row_of(ms * 1000.0, m->top_ms, a);
        fill(dc, a->left - px(5, dpi), y, px(4, dpi), 1, kAxisColor);
        swprintf(label, 48, m->top_ms < 3 ? L"%.2f ms" : L"%.1f ms", ms);
        text_at(dc, a->left - px(7, dpi), y - px(6, dpi), kAxisColor, label, TA_RIGHT | TA_TOP);
    }
    for (int i = 0; i <= 5; i++) {
        double s = m->t0_s + (m->t1_s - m->t0_s) * i / 5;
        int x = a->left + (int)((double)(a->right - a->left - 1) * i / 5);
        fill(dc, x, a->bottom + 1, 1, px(4, dpi), kAxisColor);
        swprintf(label, 48, m->t1_s - m->t0_s < 1 ? L"%.3f s" : L"%.1f s", s);
        text_at(dc, x, a->bottom + px(6, dpi), kAxisColor, label, TA_CENTER | TA_TOP);
    }
}

// Median solid, P1 and P99 dotted, each labelled at the right in ms and Hz.
static void draw_percentile_lines(HDC dc, const PlotArea* a, const PlotModel* m,
                                  const Distribution* d, UINT dpi) {
    if (d->n == 0)
        return;
    const struct {
        int pct;
        const wchar_t* name;
        bool dotted;
    } lines[] = {{PCT_50, L"中位", false}, {PCT_1, L"P1", true}, {PCT_99, L"P99", true}};
    for (const auto& line : lines) {
        double us = d->pct_us[line.pct];
        if (us > m->top_ms * 1000.0)
            continue;
        int y = row_of(us, m->top_ms, a);
        for (int x = a->left; x < a->right; x += line.dotted ? px(4, dpi) : a->right - a->left)
            fill(dc, x, y, line.dotted ? px(2, dpi) : a->right - a->left, 1, kLineColor);
        wchar_t label[64];
        swprintf(label, 64, L"%ls %.3f ms  %.1f Hz", line.name, us / 1000.0, rate_at(us));
        text_at(dc, a->right + px(6, dpi), y - px(6, dpi), kLineColor, label, TA_LEFT | TA_TOP);
    }
}

static void draw_columns(HDC dc, const PlotArea* a, const PlotModel* m, UINT dpi) {
    for (int c = 0; c < m->columns; c++) {
        const PlotColumn* col = &m->col[c];
        const int x = a->left + c;
        if (col->coalesced)
            fill(dc, x, a->bottom - px(1, dpi), px(2, dpi), px(2, dpi), kMergedColor);
        if (col->count == 0)
            continue;
        if (col->count <= PLOT_FEW) {
            for (uint32_t i = 0; i < col->count; i++)
                mark(dc, x, col->few_us[i], m->top_ms, a, dpi);
            continue;
        }
        // Many reports in one column: the span from the shortest to the
        // longest, so that no outlier disappears.
        const double top_us = m->top_ms * 1000.0;
        int y_high = row_of(col->max_us < top_us ? col->max_us : top_us, m->top_ms, a);
        int y_low = row_of(col->min_us < top_us ? col->min_us : top_us, m->top_ms, a);
        fill(dc, x, y_high, 1, y_low - y_high + 1, color_of(col->max_us));
        mark(dc, x, col->min_us, m->top_ms, a, dpi);
        mark(dc, x, col->max_us, m->top_ms, a, dpi);
    }
}

// The figures cover the whole run; the log behind the dots keeps the newest
// hour or so: when older reports went, the line says how far back the dots reach.
static void draw_summary_line(HDC dc, const Distribution* d, const PlotModel* m, UINT dpi) {
    wchar_t line[240];
    int n = swprintf(line, 240,
                     L"n=%llu   中位 %.2f Hz   P1–P99 %.2f–%.2f Hz   标准差 %.1f µs   稳定度 %.1f%%",
                     (unsigned long long)d->n, rate_at(d->pct_us[PCT_50]), rate_at(d->pct_us[PCT_99]),
                     rate_at(d->pct_us[PCT_1]), d->sd_us, d->stability_pct);
    if (n > 0 && arrival_log_wrapped(&g_arrival_log))
        swprintf(line + n, 240 - (size_t)n, L"   (图中只有最近 %.1f 秒)", m->span_s);
    if (n > 0 && g_arrival_log.failed)
        swprintf(line + n, 240 - (size_t)n, L"   (内存不足，图的记录已停止)");
    text_at(dc, px(12, dpi), px(10, dpi), PANEL_READING_COLOR, line, TA_LEFT | TA_TOP);
}

void plot_draw(HDC dc, int width, int height, UINT dpi, const PanelFont* font, int slot,
               const PlotView* view) {
    static PlotModel model;
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    SelectObject(dc, GetStockObject(DC_BRUSH));
    SelectObject(dc, panel_font_of(font));
    SetBkMode(dc, TRANSPARENT);
    const PlotArea a = plot_area(width, height, dpi);
    Distribution d;
    record_distribution(&g_dev_stats[slot], &d);
    plot_model_build(&model, &g_arrival_log, slot, g_qpc_freq, a.right - a.left, view->t0_s,
                     view->t1_s, view->whole, d.pct_us[PCT_99_9]);
    draw_summary_line(dc, &d, &model, dpi);
    draw_axes(dc, &a, &model, dpi);
    draw_columns(dc, &a, &model, dpi);
    draw_percentile_lines(dc, &a, &model, &d, dpi);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
}

// --- Export -----------------------------------------------------------------------

bool plot_export_csv(HWND owner) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t name[64], path[MAX_PATH];
    swprintf(name, 64, L"quorvin-%04u%02u%02u-%02u%02u%02u.csv", now.wYear, now.wMonth, now.wDay,
             now.wHour, now.wMinute, now.wSecond);
    if (!file_dialog_save(owner, name, L"CSV (*.csv)\0*.csv\0\0", L"csv", path, MAX_PATH))
        return true;  // cancelled: nothing to do
    reception_sample_clock();  // the map reaches the last report
    // Written beside the chosen file and put in its place only when whole.
    OutputFile file;
    bool written = output_file_open(&file, path) &&
                   write_arrival_csv(file.f, &g_arrival_log, g_qpc_freq, &g_clock_map);
    int error = errno;
    if (written && !output_file_commit(&file)) {
        written = false;
        error = errno;
        _wremove(file.partial);
    }
    output_file_discard(&file);
    if (written)
        return true;
    wchar_t text[MAX_PATH + 160];
    swprintf(text, MAX_PATH + 160, L"无法写入 CSV 文件：\n%ls\n\n%hs", path, strerror(error));
    message_box(owner, text, L"错误", MB_OK | MB_ICONERROR);
    return false;
}

// --- The window ---------------------------------------------------------------------

static int displayed_slot(void) { return (int)(display_stats() - g_dev_stats); }

static void place_export_button(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    MoveWindow(GetDlgItem(hwnd, ID_PLOT_EXPORT), r.right - px(100, g_plot_dpi), px(6, g_plot_dpi),
               px(90, g_plot_dpi), px(24, g_plot_dpi), TRUE);
}

static LRESULT plot_on_paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, r.right, r.bottom);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    g_last_repaint = counter_read();
    plot_draw(memory, r.right, r.bottom, g_plot_dpi, &g_plot_font, displayed_slot(), &g_plot_view);
    g_repaint_cost_s = seconds_since(g_last_repaint);
    BitBlt(dc, 0, 0, r.right, r.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(hwnd, &ps);
    return 0;
}

// The visible range as it stands, for zooming and panning.
static PlotView current_view(void) {
    if (!g_plot_view.whole)
        return g_plot_view;
    return PlotView{false, 0, plot_record_span_s(&g_arrival_log, displayed_slot(), g_qpc_freq)};
}

static double time_at_x(HWND hwnd, int x, const PlotView* v) {
    RECT r;
    GetClientRect(hwnd, &r);
    PlotArea a = plot_area(r.right, r.bottom, g_plot_dpi);
    double f = (double)(x - a.left) / (double)(a.right - a.left);
    f = f < 0 ? 0 : f > 1 ? 1 : f;
    return v->t0_s + f * (v->t1_s - v->t0_s);
}

static LRESULT plot_on_wheel(HWND hwnd, WPARAM wparam, LPARAM lparam) {
    POINT p = {(short)LOWORD(lparam), (short)HIWORD(lparam)};
    ScreenToClient(hwnd, &p);
    PlotView v = current_view();
    double at = time_at_x(hwnd, p.x, &v);
    double scale = pow(kZoomPerNotch, (double)GET_WHEEL_DELTA_WPARAM(wparam) / WHEEL_DELTA);
    double width = (v.t1_s - v.t0_s) * scale;
    if (width < kNarrowestViewS)
        width = kNarrowestViewS;
    double left_share = (at - v.t0_s) / (v.t1_s - v.t0_s);
    PlotView zoomed = {false, at - width * left_share, at + width * (1 - left_share)};
    // Zooming out stops at the bound the model draws, so the next notch in
    // zooms in from what is shown.
    const double span = plot_record_span_s(&g_arrival_log, displayed_slot(), g_qpc_freq);
    g_plot_view = plot_bound_view(span, &zoomed.t0_s, &zoomed.t1_s) ? zoomed : PlotView{true, 0, 0};
    InvalidateRect(hwnd, NULL, FALSE);
    return 0;
}

static LRESULT plot_on_drag(HWND hwnd, int x) {
    if (g_drag_x < 0)
        return 0;
    double shift = time_at_x(hwnd, g_drag_x, &g_drag_view) - time_at_x(hwnd, x, &g_drag_view);
    g_plot_view = PlotView{false, g_drag_view.t0_s + shift, g_drag_view.t1_s + shift};
    InvalidateRect(hwnd, NULL, FALSE);
    return 0;
}

static LRESULT plot_on_press(HWND hwnd, int x) {
    g_drag_x = x;
    g_drag_view = current_view();
    SetCapture(hwnd);
    return 0;
}

static LRESULT plot_show_whole(HWND hwnd) {
    g_plot_view = PlotView{true, 0, 0};
    InvalidateRect(hwnd, NULL, FALSE);
    return 0;
}

static LRESULT plot_on_create(HWND hwnd) {
    g_plot_dpi = dpi_of_window(hwnd);
    DeleteObject(panel_font_make(&g_plot_font, g_plot_dpi));  // an earlier window's, if any
    HWND button = CreateWindowExW(0, L"BUTTON", L"导出 CSV", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd,
                                  (HMENU)(INT_PTR)ID_PLOT_EXPORT, NULL, NULL);
    SendMessageW(button, WM_SETFONT, (WPARAM)panel_font_of(&g_plot_font), TRUE);
    place_export_button(hwnd);
    return 0;
}

// The button takes the new font before the old one is deleted.
static LRESULT plot_on_dpi_changed(HWND hwnd, WPARAM wparam, LPARAM lparam) {
    g_plot_dpi = HIWORD(wparam);
    gui_move_to_suggested(hwnd, lparam);
    HFONT old = panel_font_make(&g_plot_font, g_plot_dpi);
    SendMessageW(GetDlgItem(hwnd, ID_PLOT_EXPORT), WM_SETFONT, (WPARAM)panel_font_of(&g_plot_font), TRUE);
    DeleteObject(old);
    place_export_button(hwnd);
    return 0;
}

LRESULT CALLBACK plot_wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_CREATE:
        return plot_on_create(hwnd);
    case WM_SIZE:
        place_export_button(hwnd);
        InvalidateRect(hwnd, NULL, FALSE);
        return 0;
    case WM_PAINT:
        return plot_on_paint(hwnd);
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEWHEEL:
        return plot_on_wheel(hwnd, wparam, lparam);
    case WM_LBUTTONDOWN:
        return plot_on_press(hwnd, (short)LOWORD(lparam));
    case WM_MOUSEMOVE:
        return (wparam & MK_LBUTTON) ? plot_on_drag(hwnd, (short)LOWORD(lparam)) : 0;
    case WM_LBUTTONUP:
        g_drag_x = -1;
        ReleaseCapture();
        return 0;
    case WM_LBUTTONDBLCLK:
        return plot_show_whole(hwnd);
    case WM_COMMAND:
        if (LOWORD(wparam) == ID_PLOT_EXPORT)
            plot_export_csv(hwnd);
        return 0;
    case 0x02E0:  // WM_DPICHANGED
        return plot_on_dpi_changed(hwnd, wparam, lparam);
    case WM_DESTROY:
        g_hPlot = NULL;
        return 0;
    case WM_NCDESTROY:  // the button is gone: nothing uses the font any more
        panel_font_free(&g_plot_font);
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

void plot_open(HWND owner) {
    if (g_hPlot) {
        ShowWindow(g_hPlot, SW_RESTORE);
        SetForegroundWindow(g_hPlot);
        return;
    }
    HINSTANCE instance = GetModuleHandleW(NULL);
    register_plot_class(instance, owner);
    const UINT dpi = owner ? dpi_of_window(owner) : dpi_of_system();
    RECT r = {0, 0, dpi_scale(PLOT_CLIENT_WIDTH, dpi), dpi_scale(PLOT_CLIENT_HEIGHT, dpi)};
    const DWORD style = WS_OVERLAPPEDWINDOW;
    AdjustWindowRectEx(&r, style, FALSE, 0);
    g_plot_view = PlotView{true, 0, 0};
    g_hPlot = CreateWindowExW(0, kPlotClass, L"间隔图 — " QUORVIN_SHORT_NAME, style, CW_USEDEFAULT,
                              CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, owner, NULL,
                              instance, NULL);
    if (!g_hPlot) {
        message_box(owner, L"间隔图窗口创建失败。", L"错误", MB_OK);
        return;
    }
    ShowWindow(g_hPlot, SW_SHOW);
    UpdateWindow(g_hPlot);
}

void plot_refresh(void) {
    if (!g_hPlot || !stats_measuring())
        return;
    if (seconds_since(g_last_repaint) >= kIdleShare * g_repaint_cost_s)
        InvalidateRect(g_hPlot, NULL, FALSE);
}
