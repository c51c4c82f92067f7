// The plot's painter: intervals, counts or speeds against time. The plot
// model has one column per pixel; building it is one walk over the visible
// reports, which at tens of millions takes longer than the window may stop
// answering, so the window's builder thread (gui/plot_builder) builds it and a
// paint draws the newest finished one. The distribution lines and the summary
// line come from the record's histogram of the whole run, whose cost does not
// grow with it, at each paint. The model decides the axes and where the labels
// go; this file draws them, and asks the builder for the model a window's look
// needs.
#include "gui/plot_paint.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "core/runs/arrival_clock.h"
#include "core/views/plot_model.h"
#include "core/views/texts.h"
#include "engine/reception.h"
#include "gui/plot_builder.h"
#include "gui/plot_hints.h"
#include "gui/plot_saved.h"
#include "platform/counter.h"
#include "platform/dpi.h"

static const COLORREF kAxisColor = PANEL_TITLE_COLOR;
static const COLORREF kMergedColor = 0x808080;
static const COLORREF kLineColor = 0xe0e0e0;
static const COLORREF kDxColor = 0xffaa5a;     // counts: dx, light blue
static const COLORREF kDyColor = 0x6e6eff;     // counts: dy, light red
static const COLORREF kStillColor = 0xb4b4b4;  // counts: a report without motion, on the 0 line
static const COLORREF kZeroColor = 0x505050;   // counts: the 0 line
static const COLORREF kSpeedColor = 0x40c8ff;  // speed: amber
static const COLORREF kClockColor = 0x82d26e;  // intervals: the report clock's period, green
// The summary line starts after the view buttons at the top left (96-DPI pixels).
enum { PLOT_SUMMARY_LEFT = 160 };

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

// A paint after a new look (zoom, pan, size, record) waits this long for its
// model, so that a short run's shows in that paint, as when it was built in
// place; a longer build shows when it is finished, and the window answers.
static const DWORD kPaintWaitMs = 30;
static const uint64_t kQuickBuildReports = 4000000;

// Where the time axis ends: now while measuring, else the stop (0 before one:
// the last report).
static int64_t run_end_t(const Run* run) { return run_measuring(run) ? counter_read() : run->stop_t; }

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
    if (c->refusal == REPORT_CLOCK_LATE_READS) {
        wchar_t late[120];
        swprintf(late, 120, txw(c->late_periods == 1 ? TX_CLOCK_LATE_READ_ONE : TX_CLOCK_LATE_READS),
                 c->late_periods);
        return swprintf(out, cap, L"   时钟 无（%ls）", late);
    }
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
                            bool live, bool measuring) {
    const wchar_t* note = NULL;
    if (m->kind != PLOT_INTERVALS && m->shown == 0 && m->absolute > 0)
        note = L"只有绝对位置的报告（绘图板、远程桌面或虚拟机）：没有计数可画";
    else if (m->shown == 0 && d->n == 0 && live)
        note = measuring ? L"尚无数据：移动鼠标" : L"尚无数据：开始测量并移动鼠标";
    if (note)  // just above the middle, clear of the counts' 0 line
        text_at(dc, (a->left + a->right) / 2, (a->top + a->bottom) / 2 - 3, PANEL_READING_COLOR, note,
                TA_CENTER | TA_BOTTOM);
}

static PlotRequest request_of(const PlotArea* a, int slot, const PlotView* view,
                              const Distribution* d, int64_t end_t, double freq) {
    PlotRequest r = {};
    r.slot = slot;
    r.kind = view->kind;
    r.freq = freq;
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
    bool measuring;
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
        draw_empty_note(dc, &a, &b->model, d, in->live, in->measuring);
    }
    text_at(dc, px(12, dpi), height - px(16, dpi), PANEL_READING_COLOR, in->status, TA_LEFT | TA_TOP);
    if (in->rec)
        draw_hints(dc, width, height, dpi, in->rec, in->status);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
}

void plot_draw(HDC dc, int width, int height, UINT dpi, const PanelFont* font, Run* run, int slot,
               const PlotView* view, const wchar_t* status) {
    static PlotBuilt built;
    static RecordClock clock;
    const PlotArea a = plot_area(width, height, dpi);
    Distribution d;
    record_distribution(&run->records[slot], &d);
    const PlotRequest r = request_of(&a, slot, view, &d, run_end_t(run), run->freq);
    ArrivalView log;
    arrival_view_take(&log, &run->log, ARRIVAL_READER_TEST);
    plot_model_build(&built.model, &log, &r);
    record_clock_look(&clock, &log, slot, r.freq, &built.clock);
    built.wrapped = arrival_view_wrapped(&log);
    built.failed = log.failed;
    arrival_view_release(&log);
    const PaintInput in = {&run->records[slot], &d, &built, view->kind, status, 3, true,
                           run_measuring(run)};
    paint(dc, width, height, dpi, font, &in);
}

// The record a window shows: the live run's displayed one, or the saved run's
// once it has been read (null before).
static DeviceStats* win_record(const PlotWin* w) {
    return w->saved ? plot_saved_record(w->saved) : display_stats(w->run);
}
static int win_slot(const PlotWin* w) {
    return w->saved ? 0 : (int)(display_stats(w->run) - w->run->records);
}
static bool win_measuring(const PlotWin* w) { return !w->saved && run_measuring(w->run); }
static int win_buttons(const PlotWin* w) { return w->saved ? 2 : 3; }

int plot_buttons_left(int width, UINT dpi, int n) { return width - px(100 + 90 * (n - 1), dpi); }

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
PlotRequest plot_request_now(PlotWin* w, const Distribution* d) {
    RECT r;
    GetClientRect(w->hwnd, &r);
    const PlotArea a = plot_area(r.right, r.bottom, w->dpi);
    return request_of(&a, win_slot(w), w->view, d, w->saved ? 0 : run_end_t(w->run), w->run->freq);
}

// Asks for a model when the picture wanted is not the one asked for last;
// true when it did. A paint waits a little for one asked for here.
bool plot_ask_if_changed(PlotWin* w, const Distribution* d) {
    const PlotRequest r = plot_request_now(w, d);
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
        plot_ask_if_changed(w, &d);
        b = plot_builder_take(w->builder, w->awaited, paint_wait(w));
    }
    remember_shown(w, b);
    const PaintInput in = {rec, &d, b, w->view->kind, w->status, win_buttons(w), !w->saved,
                           win_measuring(w)};
    paint(dc, width, height, w->dpi, &w->font, &in);
}

