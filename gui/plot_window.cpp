// The plot window and its painter: intervals, counts or speeds against time,
// chosen with three buttons at its top left. The plot model has one column per
// pixel; building it is one walk over the visible reports, which at tens of
// millions takes longer than the window may stop answering, so the window's
// builder thread (gui/plot_builder) builds it and a paint draws the newest
// finished one. The distribution lines and the summary line come from the
// record's histogram of the whole run, whose cost does not grow with it, at
// each paint. The model decides the axes and where the labels go; this file
// draws them, turns the mouse into views and runs the export's window side
// (its thread is gui/plot_export).
#include "gui/plot_window.h"

#include <commctrl.h>
#include <errno.h>
#include <stdlib.h>
#include <math.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "core/arrival_clock.h"
#include "core/arrival_csv.h"
#include "core/distribution.h"
#include "core/plot_model.h"
#include "core/version.h"
#include "engine/reception.h"
#include "gui/panel.h"
#include "gui/plot_builder.h"
#include "gui/plot_export.h"
#include "gui/plot_hints.h"
#include "gui/plot_image.h"
#include "gui/plot_saved.h"
#include "platform/counter.h"
#include "platform/dpi.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/output_file.h"

HWND g_hPlot;
PlotView g_plot_view = {true, 0, 0, false, 0, 0, PLOT_INTERVALS};
wchar_t g_plot_status[PLOT_STATUS_CHARS];

static const wchar_t kPlotClass[] = L"QuorvinPlot";
static const COLORREF kAxisColor = PANEL_TITLE_COLOR;
static const COLORREF kMergedColor = 0x808080;
static const COLORREF kLineColor = 0xe0e0e0;
static const COLORREF kDxColor = 0xffaa5a;     // counts: dx, light blue
static const COLORREF kDyColor = 0x6e6eff;     // counts: dy, light red
static const COLORREF kStillColor = 0xb4b4b4;  // counts: a report without motion, on the 0 line
static const COLORREF kZeroColor = 0x505050;   // counts: the 0 line
static const COLORREF kSpeedColor = 0x40c8ff;  // speed: amber
static const COLORREF kClockColor = 0x82d26e;  // intervals: the report clock's period, green
static const double kZoomPerNotch = 0.8;
// The view buttons at the top left (96-DPI pixels), the summary line after them.
enum { VIEW_BUTTON_LEFT = 12, VIEW_BUTTON_WIDTH = 44, VIEW_BUTTON_HEIGHT = 22, PLOT_SUMMARY_LEFT = 160 };
static const wchar_t* const kViewNames[PLOT_KINDS] = {L"间隔", L"计数", L"速度"};
static const double kNarrowestViewS = 0.002;

// The live run's window.
static PlotWin s_live;  // its pointers set when it opens

static int px(int v, UINT dpi) { return dpi_scale(v, dpi); }

// The right margin holds the lines' labels; the widest is the clock's with a
// three-digit drift and fill ("时钟 1.000 ms  +100 ppm  填充 100%").
PlotArea plot_area(int width, int height, UINT dpi) {
    PlotArea a = {px(60, dpi), px(48, dpi), width - px(210, dpi), height - px(36, dpi)};
    if (a.right < a.left + 10)
        a.right = a.left + 10;
    if (a.bottom < a.top + 10)
        a.bottom = a.top + 10;
    return a;
}

// Building runs on the plot's own thread, but a long run's build is long and
// the machine has other work (the reader thread stamps every report): while
// measuring, a new model is asked for only once the builder has rested three
// times as long as its last build took, so it keeps a core busy a quarter of
// the time at most. A short run's model still comes at every 100 ms tick.
static const double kBuilderRest = 3.0;
// A paint after a new look (zoom, pan, size, record) waits this long for its
// model, so that a short run's shows in that paint, as when it was built in
// place; a longer build shows when it is finished, and the window answers.
static const DWORD kPaintWaitMs = 30;
static const uint64_t kQuickBuildReports = 4000000;

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

// The same in the axis's own unit (counts, counts per second), in one colour.
static void mark_value(HDC dc, int x, double v, COLORREF color, const PlotAxis* axis,
                       const PlotArea* a, UINT dpi) {
    if (v > axis->hi_ms)
        return arrow(dc, x, a->top, true, px(3, dpi), color);
    if (v < axis->lo_ms)
        return arrow(dc, x, a->bottom - 1, false, px(3, dpi), color);
    const int dot = px(2, dpi);
    fill(dc, x - dot / 2, plot_row_of_value(axis, v, a->top, a->bottom) - dot / 2, dot, dot, color);
}

static void text_at(HDC dc, int x, int y, COLORREF color, const wchar_t* text, UINT align) {
    SetTextColor(dc, color);
    SetTextAlign(dc, align);
    TextOutW(dc, x, y, text, (int)wcslen(text));
}

// A line of text kept between left and right (DT_LEFT or DT_RIGHT), cut with
// an ellipsis where it does not fit, so it never runs under a control.
static void text_within(HDC dc, int left, int right, int y, COLORREF color, const wchar_t* text,
                        UINT side) {
    SIZE size;
    GetTextExtentPoint32W(dc, L"Ag", 2, &size);
    RECT r = {left, y, right, y + size.cy};
    if (r.right <= r.left)
        return;
    SetTextColor(dc, color);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    DrawTextW(dc, text, -1, &r, side | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

static int text_width(HDC dc, const wchar_t* text) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, (int)wcslen(text), &size);
    return size.cx;
}

// A tick's label: ms for intervals, counts as they are, speeds in thousands
// when they reach ten thousand (a million counts per second fits the margin).
static void tick_label(wchar_t* label, int kind, const PlotAxis* axis, double v) {
    if (kind == PLOT_INTERVALS)
        swprintf(label, 48, L"%.*f ms", axis->decimals, v);
    else if (kind == PLOT_SPEED && axis->hi_ms >= 10000)
        swprintf(label, 48, L"%gk", fabs(v) < 1e-9 ? 0.0 : v / 1000);
    else
        swprintf(label, 48, L"%.*f", axis->decimals, fabs(v) < 1e-9 ? 0.0 : v);
}

static void draw_y_ticks(HDC dc, const PlotArea* a, const PlotAxis* axis, int kind, UINT dpi) {
    wchar_t label[48];
    const double first = ceil(axis->lo_ms / axis->step_ms - 1e-9);
    for (int k = 0; k < 100; k++) {
        const double ms = (first + k) * axis->step_ms;
        if (ms > axis->hi_ms + axis->step_ms * 1e-6)
            break;
        const int y = kind == PLOT_INTERVALS ? row_of(ms * 1000.0, axis, a)
                                             : plot_row_of_value(axis, ms, a->top, a->bottom);
        fill(dc, a->left - px(5, dpi), y, px(4, dpi), 1, kAxisColor);
        tick_label(label, kind, axis, ms);
        text_at(dc, a->left - px(7, dpi), y - px(6, dpi), kAxisColor, label, TA_RIGHT | TA_TOP);
    }
}

static void draw_axes(HDC dc, const PlotArea* a, const PlotModel* m, UINT dpi) {
    fill(dc, a->left - 1, a->top, 1, a->bottom - a->top + 1, kAxisColor);
    fill(dc, a->left - 1, a->bottom, a->right - a->left + 1, 1, kAxisColor);
    draw_y_ticks(dc, a, &m->axis, m->kind, dpi);
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

static void draw_line(HDC dc, const PlotArea* a, int y, int dash, COLORREF color) {
    const int width = a->right - a->left;
    for (int x = a->left; x < a->right; x += dash ? 2 * dash : width)
        fill(dc, x, y, dash ? dash : width, 1, color);
}

// A line across the interval plot: where, what and how it is drawn.
struct PlotLine {
    int y;
    double us;
    const wchar_t* name;
    int dash;  // 0: solid
    COLORREF color;
};

// The distribution lines and the report clock's period, down the plot.
static int plot_lines(const PlotArea* a, const PlotModel* m, const Distribution* d,
                      const ReportClockFigures* clock, UINT dpi, PlotLine* out) {
    int n = 0;
    for (int i = 0; i < LINES && d->n > 0; i++) {
        const double us = d->pct_us[kLines[i].pct];
        out[n++] = {row_of(us, &m->axis, a), us, kLines[i].name, kLines[i].dotted ? px(2, dpi) : 0, kLineColor};
    }
    if (clock && clock->refusal == REPORT_CLOCK_OK && clock->period_us > 0)
        out[n++] = {row_of(clock->period_us, &m->axis, a), clock->period_us, L"时钟", px(6, dpi), kClockColor};
    for (int i = 1; i < n; i++) {  // down the plot: at most four, in place
        for (int j = i; j > 0 && out[j].y < out[j - 1].y; j--) {
            const PlotLine moved = out[j];
            out[j] = out[j - 1];
            out[j - 1] = moved;
        }
    }
    int kept = 0;
    for (int i = 0; i < n; i++) {
        if (out[i].y >= a->top && out[i].y <= a->bottom)  // else zoomed off the axis
            out[kept++] = out[i];
    }
    return kept;
}

// Each line labelled at the right in ms and Hz; labels that would overlap are
// moved apart, and a short stroke joins a moved label to its line.
static void draw_percentile_lines(HDC dc, const PlotArea* a, const PlotModel* m, const Distribution* d,
                                  const ReportClockFigures* clock, UINT dpi) {
    PlotLine lines[LINES + 1];
    int want[LINES + 1], label_y[LINES + 1];
    TEXTMETRICW tm;
    const int height = (GetTextMetricsW(dc, &tm) ? tm.tmHeight : px(13, dpi)) + px(2, dpi);
    const int n = plot_lines(a, m, d, clock, dpi, lines);
    // The clock's first: where it meets the median (a steady mouse), the median stays whole.
    for (int pass = 0; pass < 2; pass++) {
        for (int k = 0; k < n; k++) {
            if ((lines[k].color == kClockColor) == (pass == 0))
                draw_line(dc, a, lines[k].y, lines[k].dash, lines[k].color);
        }
    }
    for (int k = 0; k < n; k++)
        want[k] = lines[k].y - height / 2;
    // Above the legend's row and the time axis's labels.
    plot_place_labels(want, n, height, a->top - height / 2, a->bottom + px(4, dpi), label_y);
    wchar_t label[64];
    for (int k = 0; k < n; k++) {
        const int mid = label_y[k] + height / 2, x = a->right + px(2, dpi), y = lines[k].y;
        if (mid != y)
            fill(dc, x, mid < y ? mid : y, 1, abs(mid - y) + 1, lines[k].color);
        if (lines[k].color == kClockColor)
            swprintf(label, 64, L"时钟 %.3f ms  %+.0f ppm  填充 %.0f%%", lines[k].us / 1000.0,
                     fabs(clock->drift_ppm) < 0.5 ? 0.0 : clock->drift_ppm, clock->filled_pct);
        else
            swprintf(label, 64, L"%ls %.3f ms  %.1f Hz", lines[k].name, lines[k].us / 1000.0, rate_at(lines[k].us));
        text_at(dc, a->right + px(6, dpi), label_y[k], lines[k].color, label, TA_LEFT | TA_TOP);
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
static void draw_interval_columns(HDC dc, const PlotArea* a, const PlotModel* m, UINT dpi) {
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

// A column's values from lo to hi as a stroke within the axis (at least as
// tall as a dot), with an arrow at the edge it passes.
static void value_stroke(HDC dc, int x, double lo, double hi, COLORREF color, const PlotAxis* axis,
                         const PlotArea* a, UINT dpi) {
    const int dot = px(2, dpi);
    const double top_v = hi < axis->hi_ms ? hi : axis->hi_ms, low_v = lo > axis->lo_ms ? lo : axis->lo_ms;
    if (top_v >= low_v) {
        const int top = plot_row_of_value(axis, top_v, a->top, a->bottom);
        const int bottom = plot_row_of_value(axis, low_v, a->top, a->bottom);
        fill(dc, x, top - dot / 2, 1, bottom - top + dot, color);
    }
    if (hi > axis->hi_ms)
        mark_value(dc, x, hi, color, axis, a, dpi);
    if (lo < axis->lo_ms)
        mark_value(dc, x, lo, color, axis, a, dpi);
}

// One motion axis of a column: its few distinct values as dots (values that
// alternate stay levels), more as a stroke from the least to the most.
static void draw_counts(HDC dc, int x, const PlotCounts* c, COLORREF color, const PlotAxis* axis,
                        const PlotArea* a, UINT dpi) {
    if (c->distinct > PLOT_FEW)
        return value_stroke(dc, x, c->min, c->max, color, axis, a, dpi);
    for (int i = 0; i < c->distinct; i++)
        mark_value(dc, x, c->few[i], color, axis, a, dpi);
}

// The 0 line, dx then dy over it, and a grey tick across the line where
// reports came without motion.
static void draw_count_columns(HDC dc, const PlotArea* a, const PlotModel* m, UINT dpi) {
    const int zero = plot_row_of_value(&m->axis, 0, a->top, a->bottom);
    if (zero >= a->top && zero <= a->bottom)
        fill(dc, a->left, zero, a->right - a->left, 1, kZeroColor);
    for (int c = 0; c < m->columns; c++) {
        const PlotColumn* col = &m->col[c];
        if (col->count) {
            draw_counts(dc, a->left + c, &col->dx, kDxColor, &m->axis, a, dpi);
            draw_counts(dc, a->left + c, &col->dy, kDyColor, &m->axis, a, dpi);
        }
        if (col->still && zero >= a->top && zero <= a->bottom)
            fill(dc, a->left + c, zero - px(3, dpi), 1, px(7, dpi), kStillColor);
    }
}

// Speeds as strokes or dots; reports without motion as grey ticks on the time axis.
static void draw_speed_columns(HDC dc, const PlotArea* a, const PlotModel* m, UINT dpi) {
    for (int c = 0; c < m->columns; c++) {
        const PlotColumn* col = &m->col[c];
        if (col->still)
            fill(dc, a->left + c, a->bottom - px(3, dpi), 1, px(4, dpi), kStillColor);
        if (col->count > PLOT_FEW) {
            value_stroke(dc, a->left + c, col->speed_min, col->speed_max, kSpeedColor, &m->axis, a, dpi);
            continue;
        }
        for (uint32_t i = 0; i < col->count; i++)
            mark_value(dc, a->left + c, col->speed_few[i], kSpeedColor, &m->axis, a, dpi);
    }
}

static void draw_columns(HDC dc, const PlotArea* a, const PlotModel* m, UINT dpi) {
    if (m->kind == PLOT_COUNTS)
        draw_count_columns(dc, a, m, dpi);
    else if (m->kind == PLOT_SPEED)
        draw_speed_columns(dc, a, m, dpi);
    else
        draw_interval_columns(dc, a, m, dpi);
}

// The counts' and the speeds' keys: a colour box for each series, the still
// mark across a piece of the 0 line, and the arrows.
static void draw_motion_key(HDC dc, int kind, int i, int x, int y, int w, UINT dpi) {
    const int box = px(8, dpi), left = x + (w - box) / 2;
    const int series = kind == PLOT_COUNTS ? 2 : 1;
    if (i < series)
        return fill(dc, left, y + px(3, dpi), box, box, i == 0 ? (series == 2 ? kDxColor : kSpeedColor) : kDyColor);
    if (i > series)
        return arrow(dc, x + w / 2, y + px(4, dpi), true, px(3, dpi), kAxisColor);
    fill(dc, left, y + px(7, dpi), box, 1, kZeroColor);
    fill(dc, left + box / 2, y + px(4, dpi), 1, px(7, dpi), kStillColor);
}

// The key of legend item i (the buckets, then the merged deliveries and the
// arrows; or a motion view's) in the w pixels from x that its placeholder takes.
static void draw_legend_key(HDC dc, int kind, int i, int x, int y, int w, UINT dpi) {
    const int box = px(8, dpi), left = x + (w - box) / 2;
    if (kind != PLOT_INTERVALS)
        return draw_motion_key(dc, kind, i, x, y, w, dpi);
    if (i < STATS_BUCKETS)
        return fill(dc, left, y + px(3, dpi), box, box, g_bar_color[i]);
    if (i > STATS_BUCKETS)
        return arrow(dc, x + w / 2, y + px(4, dpi), true, px(3, dpi), kAxisColor);
    fill(dc, left, y + px(9, dpi), box, 1, kAxisColor);  // a piece of the time axis with two marks
    fill(dc, left + px(1, dpi), y + px(8, dpi), px(2, dpi), px(2, dpi), kMergedColor);
    fill(dc, left + px(5, dpi), y + px(8, dpi), px(2, dpi), px(2, dpi), kMergedColor);
}

// The names of a view's legend items; how many.
static int legend_names(int kind, const wchar_t** names) {
    static const wchar_t* const counts[] = {L"Δx", L"Δy", L"无移动的报告", L"超出纵轴"};
    static const wchar_t* const speed[] = {L"速度：√(Δx²+Δy²) ÷ 有效间隔，计数/秒", L"无移动的报告",
                                           L"超出纵轴"};
    if (kind == PLOT_COUNTS) {
        memcpy(names, counts, sizeof counts);
        return 4;
    }
    if (kind == PLOT_SPEED) {
        memcpy(names, speed, sizeof speed);
        return 3;
    }
    for (int i = 0; i < STATS_BUCKETS + 2; i++)
        names[i] = i < STATS_BUCKETS ? g_bucket_label[i] : i == STATS_BUCKETS ? L"系统合并投递 (轴下)" : L"超出纵轴";
    return STATS_BUCKETS + 2;
}

// The view's colours (for intervals by the histogram's buckets, then the grey
// marks and the arrows), one row under the summary line, as many items as the
// width takes. One line of text with a wide space where each key goes: one
// call to measure, one to draw.
static void draw_legend(HDC dc, int width, int kind, UINT dpi) {
    enum { MOST = STATS_BUCKETS + 2, CHARS = 200 };
    wchar_t text[CHARS];
    const wchar_t* names[MOST];
    const int n = legend_names(kind, names);
    int start[MOST + 1], len = 0;
    for (int i = 0; i < n; i++) {
        start[i] = len;
        len += swprintf(text + len, CHARS - (size_t)len, L"\u3000%ls   ", names[i]);
    }
    start[n] = len;
    int dx[CHARS], fit = 0, items = 0;
    SIZE size;
    const int x = px(12, dpi), y = px(28, dpi);
    GetTextExtentExPointW(dc, text, len, width - 2 * x, &fit, dx, &size);
    while (items < n && start[items + 1] <= fit)
        items++;
    SetTextColor(dc, kAxisColor);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    TextOutW(dc, x, y, text, start[items]);
    for (int i = 0; i < items; i++) {
        const int left = start[i] ? dx[start[i] - 1] : 0;
        draw_legend_key(dc, kind, i, x + left, y, dx[start[i]] - left, dpi);
    }
}

// The figures cover the whole run; the log behind the dots keeps the newest
// hour or so: when older reports went, the line says how far back the dots reach.
// The record's report clock for the summary line, or why there is none; its
// drift and fill are on its line's label (the summary has no room left).
static int clock_text(wchar_t* out, size_t cap, const ReportClockFigures* c) {
    if (c->refusal == REPORT_CLOCK_OK)
        return swprintf(out, cap, L"   时钟 %.3f µs", c->period_us);
    const wchar_t* why = c->refusal == REPORT_CLOCK_TOO_FEW    ? L"不足 1000 个报告"
                         : c->refusal == REPORT_CLOCK_NO_PERIOD ? L"报告时间无固定周期"
                                                                : L"内存不足";
    return swprintf(out, cap, L"   时钟 无（%ls）", why);
}

static void draw_summary_line(HDC dc, int right, const Distribution* d, const PlotBuilt* b,
                              UINT dpi) {
    wchar_t line[240];
    int n = d->n == 0 ? swprintf(line, 240, L"n=0")
                      : swprintf(line, 240,
                                 L"n=%llu   慢端 P99 %.2f Hz   中位 %.2f Hz   快端 P1 %.2f Hz   "
                                 L"标准差 %.1f µs   稳定度 %.1f%%",
                                 (unsigned long long)d->n, rate_at(d->pct_us[PCT_99]),
                                 rate_at(d->pct_us[PCT_50]), rate_at(d->pct_us[PCT_1]), d->sd_us,
                                 d->stability_pct);
    if (d->n > 0 && b)
        n += clock_text(line + n, 240 - (size_t)n, &b->clock);
    if (n > 0 && b && b->wrapped)
        swprintf(line + n, 240 - (size_t)n, L"   (图中只有最近 %.1f 秒)", b->model.span_s);
    if (n > 0 && b && b->failed)
        swprintf(line + n, 240 - (size_t)n, L"   (内存不足，图的记录已停止)");
    // It ends before the buttons at the top right.
    text_within(dc, px(PLOT_SUMMARY_LEFT, dpi), right, px(8, dpi), PANEL_READING_COLOR, line, DT_LEFT);
}

// Without anything to draw, the middle of the plot says why, or what to do:
// a device that reports only positions (a tablet, a remote desktop, a
// virtual machine) has intervals but no counts.
static void draw_empty_note(HDC dc, const PlotArea* a, const PlotModel* m, const Distribution* d,
                            bool live) {
    const wchar_t* note = NULL;
    if (m->kind != PLOT_INTERVALS && m->shown == 0 && m->absolute > 0)
        note = L"只有绝对位置的报告（绘图板、远程桌面或虚拟机）：没有计数可画";
    else if (m->shown == 0 && d->n == 0 && live)
        note = stats_measuring() ? L"尚无数据：移动鼠标" : L"尚无数据：开始测量并移动鼠标";
    if (note)  // just above the middle, clear of the counts' 0 line
        text_at(dc, (a->left + a->right) / 2, (a->top + a->bottom) / 2 - 3, PANEL_READING_COLOR, note,
                TA_CENTER | TA_BOTTOM);
}

static PlotRequest request_of(const PlotArea* a, int slot, const PlotView* view,
                              const Distribution* d, int64_t end_t) {
    PlotRequest r = {};
    r.slot = slot;
    r.kind = view->kind;
    r.freq = g_qpc_freq;
    r.columns = a->right - a->left;
    r.whole = view->whole;
    r.t0_s = view->t0_s;
    r.t1_s = view->t1_s;
    r.end_t = end_t;
    r.record_p001_us = d->pct_us[PCT_0_1];
    r.record_p999_us = d->pct_us[PCT_99_9];
    r.y_fixed = view->y_fixed;
    r.y_lo_ms = view->y_lo_ms;
    r.y_hi_ms = view->y_hi_ms;
    return r;
}

// The motion hints that apply to the record, at the foot's right end: the
// summary line at the top has no room left for sentences.
static void draw_hints(HDC dc, int width, int height, UINT dpi, DeviceStats* rec,
                       const wchar_t* status) {
    MotionFigures f;
    record_motion(rec, &f);
    MotionHints h;
    motion_hints_of(&f, &h);
    wchar_t text[400];
    if (plot_hints_text(text, 400, &h, &f) > 0)
        text_within(dc, px(36, dpi) + text_width(dc, status), width - px(12, dpi),
                    height - px(16, dpi), PANEL_READING_COLOR, text, DT_RIGHT);
}

// What a picture is made of: the record (null while a saved run is read: the
// status only) and its distribution now, the newest model (null before the
// first: the figures, the legend of view kind and the status only), and how
// many buttons the top right holds.
struct PaintInput {
    DeviceStats* rec;
    const Distribution* d;
    const PlotBuilt* b;
    int kind;
    const wchar_t* status;
    int buttons;
    bool live;
};

static void paint(HDC dc, int width, int height, UINT dpi, const PanelFont* font, const PaintInput* in) {
    const Distribution* d = in->d;
    const PlotBuilt* b = in->b;
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    SelectObject(dc, GetStockObject(DC_BRUSH));
    SelectObject(dc, panel_font_of(font));
    SetBkMode(dc, TRANSPARENT);
    const PlotArea a = plot_area(width, height, dpi);
    if (in->rec) {
        draw_summary_line(dc, plot_buttons_left(width, dpi, in->buttons) - px(8, dpi), d, b, dpi);
        draw_legend(dc, width, b ? b->model.kind : in->kind, dpi);
    }
    if (in->rec && b) {
        draw_axes(dc, &a, &b->model, dpi);
        draw_columns(dc, &a, &b->model, dpi);
        if (b->model.kind == PLOT_INTERVALS)
            draw_percentile_lines(dc, &a, &b->model, d, &b->clock, dpi);
        draw_empty_note(dc, &a, &b->model, d, in->live);
    }
    text_at(dc, px(12, dpi), height - px(16, dpi), PANEL_READING_COLOR, in->status, TA_LEFT | TA_TOP);
    if (in->rec)
        draw_hints(dc, width, height, dpi, in->rec, in->status);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
}

void plot_draw(HDC dc, int width, int height, UINT dpi, const PanelFont* font, int slot,
               const PlotView* view) {
    static PlotBuilt built;
    static RecordClock clock;
    const PlotArea a = plot_area(width, height, dpi);
    Distribution d;
    record_distribution(&g_dev_stats[slot], &d);
    const PlotRequest r = request_of(&a, slot, view, &d, run_end_t());
    ArrivalView log;
    arrival_view_take(&log, &g_arrival_log, ARRIVAL_READER_TEST);
    plot_model_build(&built.model, &log, &r);
    record_clock_look(&clock, &log, slot, r.freq, &built.clock);
    built.wrapped = arrival_view_wrapped(&log);
    built.failed = log.failed;
    arrival_view_release(&log);
    const PaintInput in = {&g_dev_stats[slot], &d, &built, view->kind, g_plot_status, 3, true};
    paint(dc, width, height, dpi, font, &in);
}

// --- Export -----------------------------------------------------------------------

void plot_set_status(PlotWin* w, const wchar_t* text) {
    wcsncpy(w->status, text, PLOT_STATUS_CHARS - 1);
    w->status[PLOT_STATUS_CHARS - 1] = 0;
    if (w->hwnd)
        InvalidateRect(w->hwnd, NULL, FALSE);
}

// The live window's, which may not be open.
static void set_status(const wchar_t* text) {
    wcsncpy(g_plot_status, text, PLOT_STATUS_CHARS - 1);
    g_plot_status[PLOT_STATUS_CHARS - 1] = 0;
    if (g_hPlot)
        InvalidateRect(g_hPlot, NULL, FALSE);
}

// While an export runs its button cancels it and the bar shows how far it got.
static void show_exporting(HWND plot, bool on) {
    SetDlgItemTextW(plot, ID_PLOT_EXPORT, on ? L"取消导出" : L"导出 CSV");
    HWND bar = GetDlgItem(plot, ID_PLOT_PROGRESS);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    ShowWindow(bar, on ? SW_SHOW : SW_HIDE);
}

static void say_failed(HWND owner, const wchar_t* path, const wchar_t* reason) {
    wchar_t text[MAX_PATH + 160];
    swprintf(text, MAX_PATH + 160, L"导出失败：%ls", path);
    set_status(text);
    message_box(owner, reason, L"错误", MB_OK | MB_ICONERROR);
}

static void say_write_failed(HWND owner, const wchar_t* path, int error) {
    wchar_t text[MAX_PATH + 160];
    swprintf(text, MAX_PATH + 160, L"无法写入 CSV 文件：\n%ls\n\n%hs", path, strerror(error));
    say_failed(owner, path, text);
}

bool plot_export_csv(HWND plot) {
    if (plot_export_running()) {
        plot_export_cancel();  // its end comes as a message
        return true;
    }
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
    if (!file_dialog_save(plot, name, L"CSV (*.csv)\0*.csv\0\0", L"csv", path, MAX_PATH))
        return true;  // cancelled: nothing to do
    if (!IsWindow(plot))
        return true;  // closed with the main window while the dialog was up
    reception_sample_clock();  // the map reaches the last report; the export takes a copy
    int error = 0;
    if (!plot_export_start(plot, path, g_qpc_freq, &g_clock_map, &error)) {
        say_write_failed(plot, path, error);
        return false;
    }
    show_exporting(plot, true);
    swprintf(text, MAX_PATH + 160, L"正在导出：%ls", path);
    set_status(text);
    return true;
}

static LRESULT on_export_end(HWND hwnd) {
    const PlotExportResult r = plot_export_join();
    show_exporting(hwnd, false);
    wchar_t text[MAX_PATH + 160];
    switch (r.end) {
    case PLOT_EXPORT_WRITTEN:
        swprintf(text, MAX_PATH + 160, L"已导出 %lld 行：%ls", r.rows, r.path);
        set_status(text);
        break;
    case PLOT_EXPORT_CANCELLED:
        set_status(L"已取消导出");
        break;
    case PLOT_EXPORT_LOST:
        swprintf(text, MAX_PATH + 160,
                 L"无法导出 CSV 文件：\n%ls\n\n导出时数据被清除，或日志已覆盖尚未写出的报告；没有写出文件。",
                 r.path);
        say_failed(hwnd, r.path, text);
        break;
    case PLOT_EXPORT_FAILED:
        say_write_failed(hwnd, r.path, r.error);
        break;
    }
    return 0;
}

// --- The window ---------------------------------------------------------------------

static PlotWin* win_of(HWND hwnd) { return (PlotWin*)GetWindowLongPtrW(hwnd, GWLP_USERDATA); }

// The record a window shows: the live run's displayed one, or the saved run's
// once it has been read (null before).
static DeviceStats* win_record(const PlotWin* w) {
    return w->saved ? plot_saved_record(w->saved) : display_stats();
}
static int win_slot(const PlotWin* w) { return w->saved ? 0 : (int)(display_stats() - g_dev_stats); }
static bool win_measuring(const PlotWin* w) { return !w->saved && stats_measuring(); }
static int win_buttons(const PlotWin* w) { return w->saved ? 2 : 3; }

int plot_buttons_left(int width, UINT dpi, int n) { return width - px(100 + 90 * (n - 1), dpi); }

// The view buttons at the top left; at the top right the export (the live
// run's only), then 保存图片 and 打开 CSV to its left; the export's bar at the
// foot's right, beside the status line.
static void place_controls(PlotWin* w) {
    static const int kTopRight[] = {ID_PLOT_EXPORT, ID_PLOT_IMAGE, ID_PLOT_OPEN};
    RECT r;
    GetClientRect(w->hwnd, &r);
    const UINT dpi = w->dpi;
    for (int k = w->saved ? 1 : 0, n = 1; k < 3; k++, n++)
        MoveWindow(GetDlgItem(w->hwnd, kTopRight[k]), plot_buttons_left(r.right, dpi, n), px(6, dpi),
                   px(k == 0 ? 90 : 86, dpi), px(24, dpi), TRUE);
    MoveWindow(GetDlgItem(w->hwnd, ID_PLOT_PROGRESS), r.right - px(160, dpi), r.bottom - px(18, dpi),
               px(150, dpi), px(12, dpi), TRUE);
    for (int k = 0; k < PLOT_KINDS; k++) {
        MoveWindow(GetDlgItem(w->hwnd, ID_PLOT_VIEW + k), px(VIEW_BUTTON_LEFT + k * (VIEW_BUTTON_WIDTH + 2), dpi),
                   px(4, dpi), px(VIEW_BUTTON_WIDTH, dpi), px(VIEW_BUTTON_HEIGHT, dpi), TRUE);
    }
}

// The buttons take the window's font.
static void set_button_fonts(PlotWin* w) {
    static const int kIds[] = {ID_PLOT_EXPORT, ID_PLOT_OPEN, ID_PLOT_IMAGE, ID_PLOT_VIEW, ID_PLOT_VIEW + 1,
                               ID_PLOT_VIEW + 2};
    for (int id : kIds)
        SendMessageW(GetDlgItem(w->hwnd, id), WM_SETFONT, (WPARAM)panel_font_of(&w->font), TRUE);
}

static void make_button(HWND hwnd, int id, const wchar_t* text) {
    CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd, (HMENU)(INT_PTR)id, NULL, NULL);
}

// Push-like radio buttons: the view shown stays pressed.
static void make_view_buttons(PlotWin* w) {
    for (int k = 0; k < PLOT_KINDS; k++) {
        const DWORD style = WS_CHILD | WS_VISIBLE | BS_RADIOBUTTON | BS_PUSHLIKE | (k == 0 ? WS_GROUP : 0);
        CreateWindowExW(0, L"BUTTON", kViewNames[k], style, 0, 0, 0, 0, w->hwnd,
                        (HMENU)(INT_PTR)(ID_PLOT_VIEW + k), NULL, NULL);
    }
    CheckRadioButton(w->hwnd, ID_PLOT_VIEW, ID_PLOT_VIEW + PLOT_KINDS - 1, ID_PLOT_VIEW + w->view->kind);
}

// Another view of the same time range; its y axis is its own again. The
// focus goes back to the plot, so the wheel keeps zooming it.
static void show_view(PlotWin* w, int kind) {
    if (kind != w->view->kind) {
        w->view->kind = kind;
        w->view->y_fixed = false;
        InvalidateRect(w->hwnd, NULL, FALSE);
    }
    CheckRadioButton(w->hwnd, ID_PLOT_VIEW, ID_PLOT_VIEW + PLOT_KINDS - 1, ID_PLOT_VIEW + kind);
    SetFocus(w->hwnd);
}

static LRESULT plot_on_command(PlotWin* w, WPARAM wparam) {
    const int id = LOWORD(wparam);
    if (id == ID_PLOT_EXPORT)
        plot_export_csv(w->hwnd);
    else if (id == ID_PLOT_OPEN)
        plot_saved_open(w);
    else if (id == ID_PLOT_IMAGE)
        plot_save_image(w);
    else if (id >= ID_PLOT_VIEW && id < ID_PLOT_VIEW + PLOT_KINDS)
        show_view(w, id - ID_PLOT_VIEW);
    return 0;
}

// Whether a and b ask for the same picture. While measuring the run's end and
// the percentiles move with every report: the 100 ms tick asks for those.
static bool same_look(const PlotRequest* a, const PlotRequest* b, bool measuring) {
    const bool same = a->slot == b->slot && a->kind == b->kind && a->freq == b->freq && a->columns == b->columns &&
                      a->whole == b->whole && a->t0_s == b->t0_s && a->t1_s == b->t1_s &&
                      a->y_fixed == b->y_fixed && a->y_lo_ms == b->y_lo_ms && a->y_hi_ms == b->y_hi_ms;
    return same && (measuring || (a->end_t == b->end_t && a->record_p001_us == b->record_p001_us &&
                                  a->record_p999_us == b->record_p999_us));
}

// A saved run's time axis ends at its last report.
static PlotRequest request_now(PlotWin* w, const Distribution* d) {
    RECT r;
    GetClientRect(w->hwnd, &r);
    const PlotArea a = plot_area(r.right, r.bottom, w->dpi);
    return request_of(&a, win_slot(w), w->view, d, w->saved ? 0 : run_end_t());
}

// Asks for a model when the picture wanted is not the one asked for last;
// true when it did. A paint waits a little for one asked for here.
static bool ask_if_changed(PlotWin* w, const Distribution* d) {
    const PlotRequest r = request_now(w, d);
    if (w->asked_any && same_look(&r, &w->asked, win_measuring(w)))
        return false;
    w->asked = r;
    w->asked_any = true;
    w->awaited = plot_builder_ask(w->builder, &r);
    return true;
}

static void remember_shown(PlotWin* w, const PlotBuilt* b) {
    w->shown.any = b != NULL;
    if (b) {
        w->shown.axis = b->model.axis;
        w->shown.kind = b->model.kind;
        w->shown.span_s = b->model.span_s;
    }
}

// Waiting is worth it only when models come quicker than the wait: the last
// one did, or before the first, the log is short enough (a few million
// reports are walked in about 15 ms).
static DWORD paint_wait(PlotWin* w) {
    const PlotBuildFigures f = plot_builder_figures(w->builder);
    if (f.builds > 0)
        return f.last_ms < kPaintWaitMs ? kPaintWaitMs : 0;
    const uint64_t logged = w->log->next.load(std::memory_order_relaxed) -
                            w->log->first.load(std::memory_order_relaxed);
    return logged < kQuickBuildReports ? kPaintWaitMs : 0;
}

void plot_paint_now(PlotWin* w, HDC dc, int width, int height) {
    DeviceStats* rec = win_record(w);
    Distribution d = {};
    const PlotBuilt* b = NULL;
    if (rec) {
        record_distribution(rec, &d);
        ask_if_changed(w, &d);
        b = plot_builder_take(w->builder, w->awaited, paint_wait(w));
    }
    remember_shown(w, b);
    const PaintInput in = {rec, &d, b, w->view->kind, w->status, win_buttons(w), !w->saved};
    paint(dc, width, height, w->dpi, &w->font, &in);
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

// The visible range as it stands, for zooming and panning; false before the
// first model, when nothing is shown to zoom.
static bool current_view(const PlotWin* w, PlotView* v) {
    *v = *w->view;
    if (v->whole) {
        v->whole = false;
        v->t0_s = 0;
        v->t1_s = w->shown.span_s > 0 ? w->shown.span_s : 1;
    }
    return w->shown.any;
}

static PlotArea client_area(const PlotWin* w) {
    RECT r;
    GetClientRect(w->hwnd, &r);
    return plot_area(r.right, r.bottom, w->dpi);
}

static double time_at_x(const PlotWin* w, int x, const PlotView* v) {
    const PlotArea a = client_area(w);
    double f = (double)(x - a.left) / (double)(a.right - a.left);
    f = f < 0 ? 0 : f > 1 ? 1 : f;
    return v->t0_s + f * (v->t1_s - v->t0_s);
}

// Shift+wheel: the y axis as last painted, scaled about the pointer's row;
// nothing while the view just chosen is not shown yet (its axis is another's).
static void zoom_intervals(PlotWin* w, int y, double scale) {
    if (w->shown.kind != w->view->kind)
        return;
    const PlotArea a = client_area(w);
    const double share = (double)(a.bottom - y) / (double)(a.bottom - a.top);
    const PlotAxis* shown = &w->shown.axis;
    const double at = shown->lo_ms + share * (shown->hi_ms - shown->lo_ms);
    const PlotAxis zoomed = plot_zoom_axis(shown, w->shown.kind, at, scale);
    w->view->y_fixed = true;
    w->view->y_lo_ms = zoomed.lo_ms;
    w->view->y_hi_ms = zoomed.hi_ms;
}

static void zoom_time(PlotWin* w, int x, double scale) {
    PlotView v;
    current_view(w, &v);
    const double at = time_at_x(w, x, &v);
    double width = (v.t1_s - v.t0_s) * scale;
    if (width < kNarrowestViewS)
        width = kNarrowestViewS;
    const double left_share = (at - v.t0_s) / (v.t1_s - v.t0_s);
    v.t0_s = at - width * left_share;
    v.t1_s = at + width * (1 - left_share);
    // Zooming out stops at the bound the model draws, so the next notch in
    // zooms in from what is shown.
    v.whole = !plot_bound_view(w->shown.span_s, &v.t0_s, &v.t1_s);
    *w->view = v;
}

static LRESULT plot_on_wheel(PlotWin* w, WPARAM wparam, LPARAM lparam) {
    POINT p = {(short)LOWORD(lparam), (short)HIWORD(lparam)};
    ScreenToClient(w->hwnd, &p);
    const double scale = pow(kZoomPerNotch, (double)GET_WHEEL_DELTA_WPARAM(wparam) / WHEEL_DELTA);
    if (!w->shown.any)
        return 0;  // nothing shown yet to zoom
    if (GET_KEYSTATE_WPARAM(wparam) & MK_SHIFT)
        zoom_intervals(w, p.y, scale);
    else
        zoom_time(w, p.x, scale);
    InvalidateRect(w->hwnd, NULL, FALSE);
    return 0;
}

static LRESULT plot_on_drag(PlotWin* w, int x) {
    if (w->drag_x < 0)
        return 0;
    double shift = time_at_x(w, w->drag_x, &w->drag_view) - time_at_x(w, x, &w->drag_view);
    *w->view = w->drag_view;
    w->view->t0_s += shift;
    w->view->t1_s += shift;
    InvalidateRect(w->hwnd, NULL, FALSE);
    return 0;
}

static LRESULT plot_on_press(PlotWin* w, int x) {
    if (!current_view(w, &w->drag_view))
        return 0;
    w->drag_x = x;
    SetCapture(w->hwnd);
    return 0;
}

static LRESULT plot_show_whole(PlotWin* w) {
    *w->view = PlotView{true, 0, 0, false, 0, 0, w->view->kind};
    InvalidateRect(w->hwnd, NULL, FALSE);
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
    w->drag_x = -1;
    w->dpi = dpi_of_window(hwnd);
    DeleteObject(panel_font_make(&w->font, w->dpi));  // an earlier window's, if any
    if (!w->saved)
        make_button(hwnd, ID_PLOT_EXPORT, L"导出 CSV");
    make_button(hwnd, ID_PLOT_OPEN, L"打开 CSV");
    make_button(hwnd, ID_PLOT_IMAGE, L"保存图片");
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
    g_hPlot = NULL;
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

static LRESULT plot_on_release(PlotWin* w) {
    w->drag_x = -1;
    ReleaseCapture();
    return 0;
}

// What the builder, the export and a saved run's reading post.
static LRESULT plot_on_thread_news(PlotWin* w, UINT msg, WPARAM wparam) {
    if (msg == WM_PLOT_EXPORT_END)
        return on_export_end(w->hwnd);
    if (msg == WM_PLOT_LOADED && w->saved)
        plot_saved_on_loaded(w);
    else if (msg == WM_PLOT_EXPORT_PROGRESS)
        SendMessageW(GetDlgItem(w->hwnd, ID_PLOT_PROGRESS), PBM_SETPOS, wparam, 0);
    else
        InvalidateRect(w->hwnd, NULL, FALSE);  // a model is finished
    return 0;
}

static LRESULT plot_on_mouse(PlotWin* w, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_MOUSEWHEEL:
        return plot_on_wheel(w, wparam, lparam);
    case WM_LBUTTONDOWN:
        return plot_on_press(w, (short)LOWORD(lparam));
    case WM_MOUSEMOVE:
        return (wparam & MK_LBUTTON) ? plot_on_drag(w, (short)LOWORD(lparam)) : 0;
    case WM_LBUTTONUP:
        return plot_on_release(w);
    default:  // WM_LBUTTONDBLCLK
        return plot_show_whole(w);
    }
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
// (the summary line then ends in an ellipsis sooner).
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

void plot_open(HWND owner) {
    if (g_hPlot) {
        ShowWindow(g_hPlot, SW_RESTORE);
        SetForegroundWindow(g_hPlot);
        return;
    }
    g_plot_view = PlotView{true, 0, 0, false, 0, 0, PLOT_INTERVALS};
    g_plot_status[0] = 0;
    s_live.view = &g_plot_view;
    s_live.status = g_plot_status;
    s_live.builder = &g_plot_builder;
    s_live.log = &g_arrival_log;
    g_hPlot = plot_window_make(owner, L"间隔图 — " QUORVIN_SHORT_NAME, &s_live);
    if (!g_hPlot)
        message_box(owner, L"间隔图窗口创建失败。", L"错误", MB_OK);
}

// While measuring, a model of the run so far once the builder has rested;
// otherwise one when the picture wanted has changed (the run stopped, or was
// cleared). The finished model's message repaints. Saved runs do not change.
void plot_refresh(void) {
    if (!g_hPlot)
        return;
    Distribution d;
    if (!stats_measuring()) {
        record_distribution(display_stats(), &d);
        ask_if_changed(&s_live, &d);
        return;
    }
    if (!plot_builder_rested(&g_plot_builder, kBuilderRest))
        return;
    record_distribution(display_stats(), &d);
    s_live.asked = request_now(&s_live, &d);
    s_live.asked_any = true;
    plot_builder_ask(&g_plot_builder, &s_live.asked);
}
