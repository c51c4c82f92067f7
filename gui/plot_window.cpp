// The interval plot window and its painter. The painter asks the plot model
// for one column per pixel, so a repaint costs one walk over the visible
// reports however many there are; the distribution lines and the summary line
// come from the record's histogram of the whole run, whose cost does not grow
// with it. The model decides the axes and where the labels go; this file
// draws them and turns the mouse into views.
#include "gui/plot_window.h"

#include <errno.h>
#include <stdlib.h>
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
PlotView g_plot_view = {true, 0, 0, false, 0, 0};
wchar_t g_plot_status[PLOT_STATUS_CHARS];

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
static PlotAxis g_drawn_axis = {0, 1, 0.2, 1};  // the interval axis last painted

static int px(int v, UINT dpi) { return dpi_scale(v, dpi); }

PlotArea plot_area(int width, int height, UINT dpi) {
    PlotArea a = {px(60, dpi), px(48, dpi), width - px(170, dpi), height - px(36, dpi)};
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

// What the plot sees of the arrival log now: a view refreshed at each use.
static ArrivalView s_view;
static ArrivalView* log_now(void) { return arrival_view_now(&s_view, &g_arrival_log, ARRIVAL_READER_PLOT); }

// Where the time axis ends: now while measuring, else the stop (0 before one:
// the last report).
static int64_t run_end_t(void) { return stats_measuring() ? counter_read() : g_run_stop_t; }

// --- Painting ---------------------------------------------------------------------

static void fill(HDC dc, int x, int y, int w, int h, COLORREF color) {
    SetDCBrushColor(dc, color);
    PatBlt(dc, x, y, w, h, PATCOPY);
}

static COLORREF color_of(double interval_us) { return g_bar_color[stats_bucket_of(interval_us)]; }

static int row_of(double us, const PlotAxis* axis, const PlotArea* a) {
    return plot_row_of(axis, us, a->top, a->bottom);
}

// An arrow of size rows pointing up (tip at y) or down (tip at y).
static void arrow(HDC dc, int x, int y, bool up, int size, COLORREF color) {
    for (int i = 0; i < size; i++)
        fill(dc, x - i, up ? y + i : y - i, 2 * i + 1, 1, color);
}

// A dot, or at the edge an arrow for an interval beyond the axis.
static void mark(HDC dc, int x, double us, const PlotAxis* axis, const PlotArea* a, UINT dpi) {
    const COLORREF color = color_of(us);
    if (us > axis->hi_ms * 1000.0)
        return arrow(dc, x, a->top, true, px(3, dpi), color);
    if (us < axis->lo_ms * 1000.0)
        return arrow(dc, x, a->bottom - 1, false, px(3, dpi), color);
    const int dot = px(2, dpi);
    fill(dc, x - dot / 2, row_of(us, axis, a) - dot / 2, dot, dot, color);
}

static void text_at(HDC dc, int x, int y, COLORREF color, const wchar_t* text, UINT align) {
    SetTextColor(dc, color);
    SetTextAlign(dc, align);
    TextOutW(dc, x, y, text, (int)wcslen(text));
}

static void draw_interval_ticks(HDC dc, const PlotArea* a, const PlotAxis* axis, UINT dpi) {
    wchar_t label[48];
    const double first = ceil(axis->lo_ms / axis->step_ms - 1e-9);
    for (int k = 0; k < 100; k++) {
        const double ms = (first + k) * axis->step_ms;
        if (ms > axis->hi_ms + axis->step_ms * 1e-6)
            break;
        const int y = row_of(ms * 1000.0, axis, a);
        fill(dc, a->left - px(5, dpi), y, px(4, dpi), 1, kAxisColor);
        swprintf(label, 48, L"%.*f ms", axis->decimals, ms);
        text_at(dc, a->left - px(7, dpi), y - px(6, dpi), kAxisColor, label, TA_RIGHT | TA_TOP);
    }
}

static void draw_axes(HDC dc, const PlotArea* a, const PlotModel* m, UINT dpi) {
    fill(dc, a->left - 1, a->top, 1, a->bottom - a->top + 1, kAxisColor);
    fill(dc, a->left - 1, a->bottom, a->right - a->left + 1, 1, kAxisColor);
    draw_interval_ticks(dc, a, &m->axis, dpi);
    wchar_t label[48];
    for (int i = 0; i <= 5; i++) {
        double s = m->t0_s + (m->t1_s - m->t0_s) * i / 5;
        int x = a->left + (int)((double)(a->right - a->left - 1) * i / 5);
        fill(dc, x, a->bottom + 1, 1, px(4, dpi), kAxisColor);
        swprintf(label, 48, m->t1_s - m->t0_s < 1 ? L"%.3f s" : L"%.1f s", s);
        text_at(dc, x, a->bottom + px(6, dpi), kAxisColor, label, TA_CENTER | TA_TOP);
    }
}

// The distribution lines from the top of the plot down: longer intervals lie higher.
static const struct {
    int pct;
    const wchar_t* name;
    bool dotted;
} kLines[] = {{PCT_99, L"慢端 P99", true}, {PCT_50, L"中位", false}, {PCT_1, L"快端 P1", true}};
enum { LINES = sizeof kLines / sizeof kLines[0] };

static void draw_line(HDC dc, const PlotArea* a, int y, bool dotted, UINT dpi) {
    const int width = a->right - a->left;
    for (int x = a->left; x < a->right; x += dotted ? px(4, dpi) : width)
        fill(dc, x, y, dotted ? px(2, dpi) : width, 1, kLineColor);
}

// Each line labelled at the right in ms and Hz; labels that would overlap are
// moved apart, and a short stroke joins a moved label to its line.
static void draw_percentile_lines(HDC dc, const PlotArea* a, const PlotModel* m,
                                  const Distribution* d, UINT dpi) {
    int line_y[LINES], want[LINES], label_y[LINES], shown[LINES], n = 0;
    TEXTMETRICW tm;
    const int height = (GetTextMetricsW(dc, &tm) ? tm.tmHeight : px(13, dpi)) + px(2, dpi);
    for (int i = 0; i < LINES && d->n > 0; i++) {
        const int y = row_of(d->pct_us[kLines[i].pct], &m->axis, a);
        if (y < a->top || y > a->bottom)
            continue;  // zoomed off the axis
        draw_line(dc, a, y, kLines[i].dotted, dpi);
        line_y[n] = y;
        want[n] = y - height / 2;
        shown[n++] = i;
    }
    // Above the legend's row and the time axis's labels.
    plot_place_labels(want, n, height, a->top - height / 2, a->bottom + px(4, dpi), label_y);
    wchar_t label[64];
    for (int k = 0; k < n; k++) {
        const double us = d->pct_us[kLines[shown[k]].pct];
        const int mid = label_y[k] + height / 2, x = a->right + px(2, dpi);
        if (mid != line_y[k])
            fill(dc, x, mid < line_y[k] ? mid : line_y[k], 1, abs(mid - line_y[k]) + 1, kLineColor);
        swprintf(label, 64, L"%ls %.3f ms  %.1f Hz", kLines[shown[k]].name, us / 1000.0, rate_at(us));
        text_at(dc, a->right + px(6, dpi), label_y[k], kLineColor, label, TA_LEFT | TA_TOP);
    }
}

// Columns of many reports are drawn as a stroke from the shortest interval to
// the longest (within the axis), in the longest one's colour, so that no
// outlier disappears; at least as tall as a dot, so that a steady run stays
// in sight beside a line drawn over it.
static void draw_strokes(HDC dc, const PlotArea* a, const PlotModel* m, UINT dpi) {
    const int dot = px(2, dpi);
    const double lo_us = m->axis.lo_ms * 1000.0, hi_us = m->axis.hi_ms * 1000.0;
    for (int c = 0; c < m->columns; c++) {
        const PlotColumn* col = &m->col[c];
        const double high = col->max_us < hi_us ? col->max_us : hi_us;
        const double low = col->min_us > lo_us ? col->min_us : lo_us;
        if (col->count <= PLOT_FEW || high < low)
            continue;
        const int top = row_of(high, &m->axis, a), bottom = row_of(low, &m->axis, a);
        fill(dc, a->left + c, top - dot / 2, 1, bottom - top + dot, color_of(col->max_us));
    }
}

// The dots of columns with few reports, the arrows of strokes that leave the
// axis, the merged deliveries under it; after the strokes, so that none hides a dot.
static void draw_columns(HDC dc, const PlotArea* a, const PlotModel* m, UINT dpi) {
    draw_strokes(dc, a, m, dpi);
    for (int c = 0; c < m->columns; c++) {
        const PlotColumn* col = &m->col[c];
        const int x = a->left + c;
        if (col->coalesced)
            fill(dc, x, a->bottom - px(1, dpi), px(2, dpi), px(2, dpi), kMergedColor);
        if (col->count > PLOT_FEW) {  // the stroke shows its ends; beyond the axis, arrows
            if (col->min_us < m->axis.lo_ms * 1000.0)
                mark(dc, x, col->min_us, &m->axis, a, dpi);
            if (col->max_us > m->axis.hi_ms * 1000.0)
                mark(dc, x, col->max_us, &m->axis, a, dpi);
            continue;
        }
        for (uint32_t i = 0; i < col->count; i++)
            mark(dc, x, col->few_us[i], &m->axis, a, dpi);
    }
}

// The key of legend item i (the buckets, then the merged deliveries and the
// arrows) in the w pixels from x that its placeholder takes.
static void draw_legend_key(HDC dc, int i, int x, int y, int w, UINT dpi) {
    const int box = px(8, dpi), left = x + (w - box) / 2;
    if (i < STATS_BUCKETS)
        return fill(dc, left, y + px(3, dpi), box, box, g_bar_color[i]);
    if (i > STATS_BUCKETS)
        return arrow(dc, x + w / 2, y + px(4, dpi), true, px(3, dpi), kAxisColor);
    fill(dc, left, y + px(9, dpi), box, 1, kAxisColor);  // a piece of the time axis with two marks
    fill(dc, left + px(1, dpi), y + px(8, dpi), px(2, dpi), px(2, dpi), kMergedColor);
    fill(dc, left + px(5, dpi), y + px(8, dpi), px(2, dpi), px(2, dpi), kMergedColor);
}

// The colours by the histogram's buckets, then the grey marks and the arrows,
// one row under the summary line, as many items as the width takes. One line
// of text with a wide space where each key goes: one call to measure, one to draw.
static void draw_legend(HDC dc, int width, UINT dpi) {
    enum { ITEMS = STATS_BUCKETS + 2, CHARS = 200 };
    wchar_t text[CHARS];
    int start[ITEMS + 1], len = 0;
    for (int i = 0; i < ITEMS; i++) {
        const wchar_t* name = i < STATS_BUCKETS ? g_bucket_label[i]
                              : i == STATS_BUCKETS ? L"系统合并投递 (轴下)" : L"超出纵轴";
        start[i] = len;
        len += swprintf(text + len, CHARS - (size_t)len, L"\u3000%ls   ", name);
    }
    start[ITEMS] = len;
    int dx[CHARS], fit = 0, items = 0;
    SIZE size;
    const int x = px(12, dpi), y = px(28, dpi);
    GetTextExtentExPointW(dc, text, len, width - 2 * x, &fit, dx, &size);
    while (items < ITEMS && start[items + 1] <= fit)
        items++;
    SetTextColor(dc, kAxisColor);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    TextOutW(dc, x, y, text, start[items]);
    for (int i = 0; i < items; i++) {
        const int left = start[i] ? dx[start[i] - 1] : 0;
        draw_legend_key(dc, i, x + left, y, dx[start[i]] - left, dpi);
    }
}

// The figures cover the whole run; the log behind the dots keeps the newest
// hour or so: when older reports went, the line says how far back the dots reach.
static void draw_summary_line(HDC dc, const Distribution* d, const PlotModel* m, UINT dpi) {
    wchar_t line[240];
    int n = d->n == 0 ? swprintf(line, 240, L"n=0")
                      : swprintf(line, 240,
                                 L"n=%llu   慢端 P99 %.2f Hz   中位 %.2f Hz   快端 P1 %.2f Hz   "
                                 L"标准差 %.1f µs   稳定度 %.1f%%",
                                 (unsigned long long)d->n, rate_at(d->pct_us[PCT_99]),
                                 rate_at(d->pct_us[PCT_50]), rate_at(d->pct_us[PCT_1]), d->sd_us,
                                 d->stability_pct);
    if (n > 0 && arrival_view_wrapped(&s_view))
        swprintf(line + n, 240 - (size_t)n, L"   (图中只有最近 %.1f 秒)", m->span_s);
    if (n > 0 && s_view.failed)
        swprintf(line + n, 240 - (size_t)n, L"   (内存不足，图的记录已停止)");
    text_at(dc, px(12, dpi), px(8, dpi), PANEL_READING_COLOR, line, TA_LEFT | TA_TOP);
}

// Without an interval to draw, the middle of the plot says what to do.
static void draw_empty_note(HDC dc, const PlotArea* a) {
    const wchar_t* note = stats_measuring() ? L"尚无数据：移动鼠标" : L"尚无数据：开始测量并移动鼠标";
    text_at(dc, (a->left + a->right) / 2, (a->top + a->bottom) / 2, PANEL_READING_COLOR, note,
            TA_CENTER | TA_BASELINE);
}

static void build_model(PlotModel* m, const PlotArea* a, int slot, const PlotView* view,
                        const Distribution* d) {
    PlotRequest r = {};
    r.slot = slot;
    r.freq = g_qpc_freq;
    r.columns = a->right - a->left;
    r.whole = view->whole;
    r.t0_s = view->t0_s;
    r.t1_s = view->t1_s;
    r.end_t = run_end_t();
    r.record_p001_us = d->pct_us[PCT_0_1];
    r.record_p999_us = d->pct_us[PCT_99_9];
    r.y_fixed = view->y_fixed;
    r.y_lo_ms = view->y_lo_ms;
    r.y_hi_ms = view->y_hi_ms;
    plot_model_build(m, log_now(), &r);
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
    build_model(&model, &a, slot, view, &d);
    g_drawn_axis = model.axis;
    draw_summary_line(dc, &d, &model, dpi);
    draw_legend(dc, width, dpi);
    draw_axes(dc, &a, &model, dpi);
    draw_columns(dc, &a, &model, dpi);
    draw_percentile_lines(dc, &a, &model, &d, dpi);
    if (model.shown == 0 && d.n == 0)
        draw_empty_note(dc, &a);
    text_at(dc, px(12, dpi), height - px(16, dpi), PANEL_READING_COLOR, g_plot_status, TA_LEFT | TA_TOP);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    arrival_view_release(&s_view);  // no block stays pinned between repaints
}

// --- Export -----------------------------------------------------------------------

// Writes the whole log to path through a partial file; the rows written, or
// -1 with errno's value in *error.
static long long write_export(const wchar_t* path, int* error) {
    reception_sample_clock();  // the map reaches the last report
    OutputFile file;
    ArrivalView view;
    arrival_view_take(&view, &g_arrival_log, ARRIVAL_READER_EXPORT);
    ArrivalCsvCursor cursor = {view.first, 0, 0, 0};
    bool written = output_file_open(&file, path) && write_arrival_csv_header(file.f) &&
                   write_arrival_csv_rows(file.f, &cursor, &view, g_qpc_freq, &g_clock_map);
    arrival_view_release(&view);
    *error = errno;
    if (written && !output_file_commit(&file)) {
        written = false;
        *error = errno;
        _wremove(file.partial);
    }
    output_file_discard(&file);
    return written ? (long long)cursor.rows : -1;
}

static void set_status(const wchar_t* text) {
    wcsncpy(g_plot_status, text, PLOT_STATUS_CHARS - 1);
    g_plot_status[PLOT_STATUS_CHARS - 1] = 0;
    if (g_hPlot)
        InvalidateRect(g_hPlot, NULL, FALSE);
}

bool plot_export_csv(HWND owner) {
    StatsSnapshot all;
    stats_take_snapshot(&g_dev_stats[0], &all);
    if (all.interval_count < 2) {
        set_status(L"报告太少：至少要有 2 个有效间隔才能导出 CSV。");
        return true;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t name[64], path[MAX_PATH], text[MAX_PATH + 160];
    swprintf(name, 64, L"quorvin-%04u%02u%02u-%02u%02u%02u.csv", now.wYear, now.wMonth, now.wDay,
             now.wHour, now.wMinute, now.wSecond);
    if (!file_dialog_save(owner, name, L"CSV (*.csv)\0*.csv\0\0", L"csv", path, MAX_PATH))
        return true;  // cancelled: nothing to do
    int error = 0;
    const long long rows = write_export(path, &error);
    if (rows >= 0) {
        swprintf(text, MAX_PATH + 160, L"已导出 %lld 行：%ls", rows, path);
        set_status(text);
        return true;
    }
    swprintf(text, MAX_PATH + 160, L"导出失败：%ls", path);
    set_status(text);
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

static double record_span_s(void) {
    return plot_record_span_s(log_now(), displayed_slot(), g_qpc_freq, run_end_t());
}

// The visible range as it stands, for zooming and panning.
static PlotView current_view(void) {
    PlotView v = g_plot_view;
    if (v.whole) {
        v.whole = false;
        v.t0_s = 0;
        v.t1_s = record_span_s();
    }
    return v;
}

static PlotArea client_area(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    return plot_area(r.right, r.bottom, g_plot_dpi);
}

static double time_at_x(HWND hwnd, int x, const PlotView* v) {
    const PlotArea a = client_area(hwnd);
    double f = (double)(x - a.left) / (double)(a.right - a.left);
    f = f < 0 ? 0 : f > 1 ? 1 : f;
    return v->t0_s + f * (v->t1_s - v->t0_s);
}

// Shift+wheel: the interval axis as last painted, scaled about the pointer's row.
static void zoom_intervals(HWND hwnd, int y, double scale) {
    const PlotArea a = client_area(hwnd);
    const double share = (double)(a.bottom - y) / (double)(a.bottom - a.top);
    const double at = g_drawn_axis.lo_ms + share * (g_drawn_axis.hi_ms - g_drawn_axis.lo_ms);
    const PlotAxis zoomed = plot_zoom_axis(&g_drawn_axis, at, scale);
    g_plot_view.y_fixed = true;
    g_plot_view.y_lo_ms = zoomed.lo_ms;
    g_plot_view.y_hi_ms = zoomed.hi_ms;
}

static void zoom_time(HWND hwnd, int x, double scale) {
    PlotView v = current_view();
    const double at = time_at_x(hwnd, x, &v);
    double width = (v.t1_s - v.t0_s) * scale;
    if (width < kNarrowestViewS)
        width = kNarrowestViewS;
    const double left_share = (at - v.t0_s) / (v.t1_s - v.t0_s);
    v.t0_s = at - width * left_share;
    v.t1_s = at + width * (1 - left_share);
    // Zooming out stops at the bound the model draws, so the next notch in
    // zooms in from what is shown.
    v.whole = !plot_bound_view(record_span_s(), &v.t0_s, &v.t1_s);
    g_plot_view = v;
}

static LRESULT plot_on_wheel(HWND hwnd, WPARAM wparam, LPARAM lparam) {
    POINT p = {(short)LOWORD(lparam), (short)HIWORD(lparam)};
    ScreenToClient(hwnd, &p);
    const double scale = pow(kZoomPerNotch, (double)GET_WHEEL_DELTA_WPARAM(wparam) / WHEEL_DELTA);
    if (GET_KEYSTATE_WPARAM(wparam) & MK_SHIFT)
        zoom_intervals(hwnd, p.y, scale);
    else
        zoom_time(hwnd, p.x, scale);
    InvalidateRect(hwnd, NULL, FALSE);
    return 0;
}

static LRESULT plot_on_drag(HWND hwnd, int x) {
    if (g_drag_x < 0)
        return 0;
    double shift = time_at_x(hwnd, g_drag_x, &g_drag_view) - time_at_x(hwnd, x, &g_drag_view);
    g_plot_view = g_drag_view;
    g_plot_view.t0_s += shift;
    g_plot_view.t1_s += shift;
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
    g_plot_view = PlotView{true, 0, 0, false, 0, 0};
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
    g_plot_view = PlotView{true, 0, 0, false, 0, 0};
    g_plot_status[0] = 0;
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
