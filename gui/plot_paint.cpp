// The plot's painter: intervals, counts, speeds or buttons against time. The plot
// model has one column per pixel; building it is one walk over the visible
// reports, which at tens of millions takes longer than the window may stop
// answering, so the window's builder thread (gui/plot_builder) builds it and a
// paint draws the newest finished one. The distribution lines and the summary
// come from the record's histogram of the whole run, whose cost does not
// grow with it, at each paint. The model decides the axes and where the labels
// go, and how the header's and the foot's words break into lines; this file
// measures and draws them, gives the plot what room they leave, and asks the
// builder for the model a window's look needs.
#include "gui/plot_paint.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "core/runs/arrival_clock.h"
#include "core/views/plot_model.h"
#include "core/views/text_buf.h"
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
static const COLORREF kHeldColor = 0xd2a064;   // buttons: a press held, steel blue
static const COLORREF kPressColor = 0xffffff;  // buttons: where a press begins
static const COLORREF kNotchColor = 0xd2d2d2;  // buttons: a wheel's notch
static const COLORREF kRowLineColor = 0x383838;  // buttons: a row's released level, the wheel's 0 line
// Where the words around the plot go (96-DPI pixels): the header's first
// line between the buttons, each further line a pitch lower across the
// width; the foot's status on the bottom line, the hints beside it or on
// lines of their own above it.
enum {
    TEXT_MARGIN = 12,
    HEADER_TOP = 8,
    HEADER_PITCH = 20,
    FOOT_PITCH = 16,
    FOOT_LAST = 16,  // the bottom line's top, up from the client's foot
    FOOT_GAP = 24,   // between the status and hints beside it
    BAR_ROOM = 170,  // the export's bar at the foot's right, while it shows
    BUTTON_TOP = 4,
    BUTTON_HEIGHT = 22,
};

static int px(int v, UINT dpi) { return dpi_scale(v, dpi); }

// The right margin holds the lines' labels; the widest is the clock's with a
// three-digit drift and fill ("时钟 1.000 ms  +100 ppm  填充 100%").
PlotArea plot_area_rows(int width, int height, UINT dpi, int header_rows, int foot_rows) {
    PlotArea a = {px(60, dpi), px(HEADER_TOP, dpi) + header_rows * px(HEADER_PITCH, dpi), width - px(210, dpi),
                  height - px(36, dpi) - (foot_rows - 1) * px(FOOT_PITCH, dpi)};
    if (a.right < a.left + 10)
        a.right = a.left + 10;
    if (a.bottom < a.top + 10)
        a.bottom = a.top + 10;
    return a;
}

PlotArea plot_area(int width, int height, UINT dpi) { return plot_area_rows(width, height, dpi, 2, 1); }

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

static int gdi_width(void* dc, const wchar_t* text, int n) {
    SIZE size = {};
    GetTextExtentPoint32W((HDC)dc, text, n, &size);
    return size.cx;
}

// Lines of text, each a pitch below the one before, from x (TA_LEFT,
// TA_RIGHT or TA_CENTER).
static void draw_lines(HDC dc, const wchar_t* text, const PlotTextLine* lines, int n, int x, int y, int pitch,
                       COLORREF color, UINT align) {
    SetTextColor(dc, color);
    SetTextAlign(dc, align | TA_TOP);
    for (int k = 0; k < n; k++)
        TextOutW(dc, x, y + k * pitch, text + lines[k].start, lines[k].len);
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

// The buttons view's rows: the buttons by name, then the wheels.
static const TextId kRowNames[PLOT_BUTTON_ROWS] = {TX_BUTTON_SHORT_LEFT, TX_BUTTON_SHORT_RIGHT,
                                                   TX_BUTTON_SHORT_MIDDLE, TX_BUTTON_SHORT_BACK,
                                                   TX_BUTTON_SHORT_FORWARD, TX_WHEEL_SHORT, TX_HWHEEL_SHORT};
enum { BAR_MOST = 18 };  // a bar's and a tick's most rows at 96 DPI

static PlotBand band_of(const PlotArea* a, int i, int n, UINT dpi) {
    return plot_button_band(i, n, a->top + px(2, dpi), a->bottom - px(2, dpi), px(BAR_MOST, dpi));
}

static void draw_row_labels(HDC dc, const PlotArea* a, const PlotModel* m, UINT dpi) {
    int rows[PLOT_BUTTON_ROWS];
    const int n = plot_button_row_list(m->button_rows, rows);
    TEXTMETRICW tm;
    const int height = GetTextMetricsW(dc, &tm) ? tm.tmHeight : px(13, dpi);
    for (int i = 0; i < n; i++) {
        const PlotBand band = band_of(a, i, n, dpi);
        fill(dc, a->left - px(5, dpi), band.mid, px(4, dpi), 1, kAxisColor);
        text_at(dc, a->left - px(7, dpi), band.mid - height / 2, kAxisColor, txw(kRowNames[rows[i]]),
                TA_RIGHT | TA_TOP);
    }
}

static void draw_axes(HDC dc, const PlotArea* a, const PlotModel* m, UINT dpi) {
    fill(dc, a->left - 1, a->top, 1, a->bottom - a->top + 1, kAxisColor);
    fill(dc, a->left - 1, a->bottom, a->right - a->left + 1, 1, kAxisColor);
    if (m->kind == PLOT_BUTTONS)
        draw_row_labels(dc, a, m, dpi);
    else
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
    TextId name;
    bool dotted;
} kLines[] = {{PCT_99, TX_PLOT_LINE_SLOW, true}, {PCT_50, TX_PLOT_LINE_MEDIAN, false}, {PCT_1, TX_PLOT_LINE_FAST, true}};
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
        out[n++] = {row_of(us, &m->axis, a), us, txw(kLines[i].name), kLines[i].dotted ? px(2, dpi) : 0, kLineColor};
    }
    if (clock && clock->refusal == REPORT_CLOCK_OK && clock->period_us > 0)
        out[n++] = {row_of(clock->period_us, &m->axis, a), clock->period_us, L"", px(6, dpi), kClockColor};
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
            swprintf(label, 64, txw(TX_PLOT_CLOCK_LABEL), lines[k].us / 1000.0,
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

// A button's row: its released level, and a bar wherever a press held it,
// in the warning colour where the press chattered (so a bounce stays in
// sight however far out the view is zoomed), with a light tick above the bar
// where each press began (beside the bar, never over it: a press one column
// long keeps its colour).
static void draw_button_row(HDC dc, const PlotArea* a, const PlotModel* m, int b, const PlotBand* band,
                            UINT dpi) {
    const int height = band->bar_bottom - band->bar_top, tick = px(3, dpi);
    fill(dc, a->left, band->bar_bottom - 1, a->right - a->left, 1, kRowLineColor);
    for (int c = 0; c < m->columns; c++) {
        const uint8_t held = m->buttons[c].button[b];
        if (held & (PLOT_HELD | PLOT_HELD_CHATTER))
            fill(dc, a->left + c, band->bar_top, 1, height, held & PLOT_HELD_CHATTER ? PANEL_WARNING_COLOR : kHeldColor);
        if (held & PLOT_PRESSED)
            fill(dc, a->left + c, band->bar_top - tick - 1, 1, tick, kPressColor);
    }
}

// A wheel's row: its 0 line, and from it a tick up for notches up (right for
// the horizontal wheel), down for notches down, longer for more; a reversal's
// in the warning colour.
static void draw_wheel_row(HDC dc, const PlotArea* a, const PlotModel* m, int k, const PlotBand* band) {
    fill(dc, a->left, band->mid, a->right - a->left, 1, kRowLineColor);
    for (int c = 0; c < m->columns; c++) {
        const PlotButtonColumn* col = &m->buttons[c];
        const COLORREF color = col->reversed & (1 << k) ? PANEL_WARNING_COLOR : kNotchColor;
        const int up = plot_notch_reach(col->up[k], band->reach), down = plot_notch_reach(col->down[k], band->reach);
        if (up)
            fill(dc, a->left + c, band->mid - up, 1, up, color);
        if (down)
            fill(dc, a->left + c, band->mid + 1, 1, down, color);
    }
}

static void draw_button_columns(HDC dc, const PlotArea* a, const PlotModel* m, UINT dpi) {
    int rows[PLOT_BUTTON_ROWS];
    const int n = plot_button_row_list(m->button_rows, rows);
    for (int i = 0; i < n; i++) {
        const PlotBand band = band_of(a, i, n, dpi);
        if (rows[i] < BUTTONS)
            draw_button_row(dc, a, m, rows[i], &band, dpi);
        else
            draw_wheel_row(dc, a, m, rows[i] - PLOT_ROW_WHEEL, &band);
    }
}

static void draw_columns(HDC dc, const PlotArea* a, const PlotModel* m, UINT dpi) {
    if (m->kind == PLOT_BUTTONS)
        draw_button_columns(dc, a, m, dpi);
    else if (m->kind == PLOT_COUNTS)
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

// The buttons' keys: a piece of bar held, one chattering (each with its
// press's tick), a notch each way, a reversal.
static void draw_button_key(HDC dc, int i, int x, int y, int w, UINT dpi) {
    const int box = px(10, dpi), left = x + (w - box) / 2;
    if (i < 2) {
        fill(dc, left, y + px(5, dpi), box, px(7, dpi), i == 0 ? kHeldColor : PANEL_WARNING_COLOR);
        return fill(dc, left, y + px(1, dpi), 1, px(3, dpi), kPressColor);
    }
    const COLORREF color = i == 2 ? kNotchColor : PANEL_WARNING_COLOR;
    fill(dc, left, y + px(7, dpi), box, 1, kRowLineColor);
    fill(dc, left + px(2, dpi), y + px(2, dpi), 1, px(5, dpi), color);
    fill(dc, left + px(7, dpi), y + px(8, dpi), 1, px(5, dpi), color);
}

// The key of legend item i (the buckets, then the merged deliveries and the
// arrows; or a motion view's) in the w pixels from x that its placeholder takes.
static void draw_legend_key(HDC dc, int kind, int i, int x, int y, int w, UINT dpi) {
    const int box = px(8, dpi), left = x + (w - box) / 2;
    if (kind == PLOT_BUTTONS)
        return draw_button_key(dc, i, x, y, w, dpi);
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

// The names of a view's legend items; how many. chatter_ms: the buttons'
// threshold, which its item names.
static int legend_names(int kind, double chatter_ms, const wchar_t** names) {
    if (kind == PLOT_BUTTONS) {
        static wchar_t chatter[96];  // the window's thread's, or a test's
        swprintf(chatter, 96, txw(TX_PLOT_LEGEND_CHATTER), chatter_ms);
        const wchar_t* buttons[] = {txw(TX_PLOT_LEGEND_HELD), chatter, txw(TX_PLOT_LEGEND_NOTCHES),
                                    txw(TX_PLOT_LEGEND_REVERSAL)};
        memcpy(names, buttons, sizeof buttons);
        return 4;
    }
    if (kind == PLOT_COUNTS) {
        const wchar_t* counts[] = {L"Δx", L"Δy", txw(TX_PLOT_LEGEND_STILL), txw(TX_PLOT_LEGEND_BEYOND)};
        memcpy(names, counts, sizeof counts);
        return 4;
    }
    if (kind == PLOT_SPEED) {
        const wchar_t* speed[] = {txw(TX_PLOT_LEGEND_SPEED), txw(TX_PLOT_LEGEND_STILL), txw(TX_PLOT_LEGEND_BEYOND)};
        memcpy(names, speed, sizeof speed);
        return 3;
    }
    for (int i = 0; i < STATS_BUCKETS + 2; i++)
        names[i] = i < STATS_BUCKETS    ? g_bucket_label[i]
                   : i == STATS_BUCKETS ? txw(TX_PLOT_LEGEND_MERGED)
                                        : txw(TX_PLOT_LEGEND_BEYOND);
    return STATS_BUCKETS + 2;
}

enum { HEADER_CHARS = 512, FOOT_CHARS = PLOT_STATUS_CHARS + 400 };

// The words around the plot, laid into lines at the window's width: the
// summary from the header's first line, the legend from the line after it;
// the status on the foot's bottom lines, the hints beside its last line
// when they fit there, else on lines of their own above it.
struct PlotWords {
    PlotControls controls;
    wchar_t summary[HEADER_CHARS];
    wchar_t legend[HEADER_CHARS];
    PlotTextLine summary_lines[PLOT_TEXT_LINES], legend_lines[PLOT_TEXT_LINES];
    int summary_n, legend_n;
    const wchar_t* status;
    wchar_t hints[FOOT_CHARS];
    PlotFoot foot;
    int foot_right;  // where the bottom line ends (the export's bar beside it)
    PlotArea area;
};

// The legend's text: each item its key's placeholder (a wide space) and its name.
static void legend_text(wchar_t* out, int kind, double chatter_ms) {
    const wchar_t* names[STATS_BUCKETS + 2];
    const int n = legend_names(kind, chatter_ms, names);
    WideBuf t = text_buf(out, HEADER_CHARS);
    for (int i = 0; i < n; i++)
        text_appendf(&t, i ? PLOT_GAP L"\u3000%ls" : L"\u3000%ls", names[i]);
}

static void lay_header(HDC dc, int width, UINT dpi, PlotWords* w) {
    PlotMeasure m = {gdi_width, dc};
    const int full = width - 2 * px(TEXT_MARGIN, dpi);
    const int summary_widths[] = {w->controls.header_right - w->controls.header_left, full};
    w->summary_n = plot_wrap(w->summary, summary_widths, 2, &m, w->summary_lines, PLOT_TEXT_LINES / 2);
    w->summary_n = w->summary_n > 0 ? w->summary_n : 1;
    w->legend_n = plot_wrap(w->legend, &full, 1, &m, w->legend_lines, PLOT_TEXT_LINES / 2);
}

static void lay_foot(HDC dc, int width, UINT dpi, bool bar, PlotWords* w) {
    PlotMeasure m = {gdi_width, dc};
    w->foot_right = width - px(bar ? BAR_ROOM : TEXT_MARGIN, dpi);
    plot_foot_layout(w->status, w->hints, width - 2 * px(TEXT_MARGIN, dpi), w->foot_right - px(TEXT_MARGIN, dpi),
                     px(FOOT_GAP, dpi), &m, &w->foot);
}

static int header_y(int row, UINT dpi) { return px(HEADER_TOP, dpi) + row * px(HEADER_PITCH, dpi); }
static int foot_y(int row_up, int height, UINT dpi) { return height - px(FOOT_LAST, dpi) - row_up * px(FOOT_PITCH, dpi); }

// The summary's lines: the first between the buttons, the rest across the width.
static void draw_summary(HDC dc, const PlotWords* w, UINT dpi) {
    draw_lines(dc, w->summary, w->summary_lines, 1, w->controls.header_left, header_y(0, dpi), 0,
               PANEL_READING_COLOR, TA_LEFT);
    draw_lines(dc, w->summary, w->summary_lines + 1, w->summary_n - 1, px(TEXT_MARGIN, dpi), header_y(1, dpi),
               px(HEADER_PITCH, dpi), PANEL_READING_COLOR, TA_LEFT);
}

// The view's colours (for intervals by the histogram's buckets, then the grey
// marks and the arrows) under the summary, on as many lines as the width
// needs. Each line is one text with a wide space where each key goes: one
// call to measure, one to draw.
static void draw_legend(HDC dc, const PlotWords* w, int kind, UINT dpi) {
    const int x = px(TEXT_MARGIN, dpi);
    int dx[HEADER_CHARS], item = 0;
    for (int k = 0; k < w->legend_n; k++) {
        const wchar_t* text = w->legend + w->legend_lines[k].start;
        const int n = w->legend_lines[k].len, y = header_y(w->summary_n + k, dpi);
        SIZE size;
        GetTextExtentExPointW(dc, text, n, 0, NULL, dx, &size);
        draw_lines(dc, w->legend, w->legend_lines + k, 1, x, y, 0, kAxisColor, TA_LEFT);
        for (int i = 0; i < n; i++) {
            if (text[i] != L'\u3000')
                continue;
            const int left = i ? dx[i - 1] : 0;
            draw_legend_key(dc, kind, item++, x + left, y, dx[i] - left, dpi);
        }
    }
}

// The status on the bottom lines; the hints right-aligned beside its last
// line, or on their own lines above it.
static void draw_foot(HDC dc, int width, int height, const PlotWords* w, UINT dpi) {
    const PlotFoot* f = &w->foot;
    const int x = px(TEXT_MARGIN, dpi);
    draw_lines(dc, w->status, f->status, f->status_n, x, foot_y(f->status_n - 1, height, dpi), px(FOOT_PITCH, dpi),
               PANEL_READING_COLOR, TA_LEFT);
    if (f->beside) {
        const PlotTextLine all = {0, (int)wcslen(w->hints)};
        draw_lines(dc, w->hints, &all, 1, w->foot_right, foot_y(0, height, dpi), 0, PANEL_READING_COLOR, TA_RIGHT);
        return;
    }
    draw_lines(dc, w->hints, f->hints, f->hint_n, width - x, foot_y(f->status_n + f->hint_n - 1, height, dpi),
               px(FOOT_PITCH, dpi), PANEL_READING_COLOR, TA_RIGHT);
}

// Without anything to draw, the middle of the plot says why, or what to do:
// a device that reports only positions (a tablet, a remote desktop, a
// virtual machine) has intervals but no counts; a run without a press or a
// notch has no row of buttons.
static void draw_empty_note(HDC dc, const PlotArea* a, const PlotModel* m, const Distribution* d,
                            bool live, bool measuring) {
    const wchar_t* note = NULL;
    if (m->kind == PLOT_BUTTONS)
        note = m->button_rows ? NULL : txw(live && measuring ? TX_PLOT_NOTE_PRESS : TX_PLOT_NOTE_NO_PRESSES);
    else if (m->kind != PLOT_INTERVALS && m->shown == 0 && m->absolute > 0)
        note = txw(TX_PLOT_NOTE_POSITIONS);
    else if (m->shown == 0 && d->n == 0 && live)
        note = txw(measuring ? TX_PLOT_NOTE_MOVE : TX_PLOT_NOTE_START);
    if (!note)
        return;
    PlotMeasure measure = {gdi_width, dc};
    PlotTextLine lines[4];
    const int width = a->right - a->left;
    const int n = plot_wrap(note, &width, 1, &measure, lines, 4);
    TEXTMETRICW tm;
    const int height = GetTextMetricsW(dc, &tm) ? tm.tmHeight : 13;
    // Just above the middle, clear of the counts' 0 line.
    draw_lines(dc, note, lines, n, (a->left + a->right) / 2, (a->top + a->bottom) / 2 - 3 - n * height, height,
               PANEL_READING_COLOR, TA_CENTER);
}
static PlotRequest request_of(const PlotArea* a, int slot, const PlotView* view, const Distribution* d,
                              const ButtonsSnapshot* buttons, int64_t end_t, double freq) {
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
    r.chatter_ms = buttons->chatter_ms;
    r.button_rows = plot_button_rows_of(buttons);
    return r;
}

// The motion hints that apply to the record, for the foot: the header has
// figures only. clock: the record's report clock (null before the first
// model), as the console's.
static void hints_text(DeviceStats* rec, const ReportClockFigures* clock, wchar_t* out) {
    MotionFigures f;
    record_motion(rec, &f);
    MotionHints h;
    motion_hints_of(&f, clock, &h);
    if (plot_hints_text(out, FOOT_CHARS, &h, &f) <= 0)
        out[0] = 0;
}

// What a picture is made of: the record (null while a saved run is read: the
// status only) and its distribution now, the newest model (null before the
// first: the figures, the legend of view kind and the status only), whether
// it is a saved run's window (two buttons at the top right, not three), and
// whether the export's bar shows at the foot.
struct PaintInput {
    DeviceStats* rec;
    const Distribution* d;
    double chatter_ms;
    const PlotBuilt* b;
    int kind;
    const wchar_t* status;
    bool saved;
    bool live;
    bool measuring;
    bool bar;
};

// The words' lines, and the plot's area in the room they leave.
static void lay_words(HDC dc, int width, int height, UINT dpi, const PaintInput* in, PlotWords* w) {
    const PlotBuilt* b = in->b;
    w->controls = plot_controls(dc, width, dpi, in->saved);
    w->summary[0] = w->legend[0] = w->hints[0] = 0;
    if (in->rec) {
        plot_summary_text(w->summary, HEADER_CHARS, in->d, b ? &b->clock : NULL, b && b->wrapped,
                          b ? b->model.span_s : 0, b && b->failed);
        legend_text(w->legend, b ? b->model.kind : in->kind, in->chatter_ms);
        hints_text(in->rec, b ? &b->clock : NULL, w->hints);
    }
    w->status = in->status;
    lay_header(dc, width, dpi, w);
    lay_foot(dc, width, dpi, in->bar, w);
    const int header_rows = in->rec ? w->summary_n + w->legend_n : 2;
    w->area = plot_area_rows(width, height, dpi, header_rows, w->foot.status_n + w->foot.hint_n);
}

static PlotArea paint(HDC dc, int width, int height, UINT dpi, const PanelFont* font, const PaintInput* in) {
    PlotWords words;
    const Distribution* d = in->d;
    const PlotBuilt* b = in->b;
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    SelectObject(dc, GetStockObject(DC_BRUSH));
    SelectObject(dc, panel_font_of(font));
    SetBkMode(dc, TRANSPARENT);
    lay_words(dc, width, height, dpi, in, &words);
    const PlotArea a = words.area;
    if (in->rec) {
        draw_summary(dc, &words, dpi);
        draw_legend(dc, &words, b ? b->model.kind : in->kind, dpi);
    }
    if (in->rec && b) {
        draw_axes(dc, &a, &b->model, dpi);
        draw_columns(dc, &a, &b->model, dpi);
        if (b->model.kind == PLOT_INTERVALS)
            draw_percentile_lines(dc, &a, &b->model, d, &b->clock, dpi);
        draw_empty_note(dc, &a, &b->model, d, in->live, in->measuring);
    }
    draw_foot(dc, width, height, &words, dpi);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    return a;
}

PlotArea plot_draw(HDC dc, int width, int height, UINT dpi, const PanelFont* font, Run* run, int slot,
                   const PlotView* view, const wchar_t* status) {
    static PlotBuilt built;
    static RecordClock clock;
    const PlotArea a = plot_area(width, height, dpi);
    Distribution d;
    record_distribution(&run->records[slot], &d);
    ButtonsSnapshot buttons;
    record_buttons(&run->records[slot], &buttons);
    const PlotRequest r = request_of(&a, slot, view, &d, &buttons, run_end_t(run), run->freq);
    ArrivalView log;
    arrival_view_take(&log, &run->log, ARRIVAL_READER_TEST);
    plot_model_build(&built.model, &log, &r);
    record_clock_look(&clock, &log, slot, r.freq, &built.clock);
    built.wrapped = arrival_view_wrapped(&log);
    built.failed = log.failed;
    arrival_view_release(&log);
    const PaintInput in = {&run->records[slot], &d, r.chatter_ms, &built, view->kind, status, false, true,
                           run_measuring(run), false};
    return paint(dc, width, height, dpi, font, &in);
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

// A button as wide as its widest words need, and never narrower than at first.
static int button_width(HDC dc, UINT dpi, int least, int padding, TextId a, TextId b) {
    const int words = gdi_width(dc, txw(a), (int)wcslen(txw(a)));
    const int other = gdi_width(dc, txw(b), (int)wcslen(txw(b)));
    const int need = (words > other ? words : other) + px(padding, dpi);
    return need > px(least, dpi) ? need : px(least, dpi);
}

// The top right's buttons stand in 90-pixel steps from the right (the export
// keeps its whole step, the others leave a gap of 4), wider where their words need.
PlotControls plot_controls(HDC dc, int width, UINT dpi, bool saved) {
    static const TextId kViews[PLOT_KINDS] = {TX_PLOT_VIEW_INTERVALS, TX_PLOT_VIEW_COUNTS, TX_PLOT_VIEW_SPEED,
                                              TX_PLOT_VIEW_BUTTONS};
    PlotControls c = {};
    const int top = px(BUTTON_TOP, dpi), bottom = top + px(BUTTON_HEIGHT, dpi);
    int x = px(12, dpi);
    for (int k = 0; k < PLOT_KINDS; k++) {
        const int w = button_width(dc, dpi, 44, 12, kViews[k], kViews[k]);
        c.view[k] = RECT{x, top, x + w, bottom};
        x += w + px(2, dpi);
    }
    c.header_left = c.view[PLOT_KINDS - 1].right + px(12, dpi);
    RECT* right[] = {&c.export_button, &c.image_button, &c.open_button};
    const TextId words[][2] = {{TX_PLOT_EXPORT_BUTTON, TX_PLOT_CANCEL_EXPORT},
                               {TX_PLOT_IMAGE_BUTTON, TX_PLOT_IMAGE_BUTTON},
                               {TX_PLOT_OPEN_BUTTON, TX_PLOT_OPEN_BUTTON}};
    x = width - px(10, dpi);
    for (int k = saved ? 1 : 0; k < 3; k++) {
        const int w = button_width(dc, dpi, k == 0 ? 90 : 86, 16, words[k][0], words[k][1]);
        const int gap = k == 0 ? 0 : px(4, dpi);
        x -= w + gap > px(90, dpi) ? w + gap : px(90, dpi);
        *right[k] = RECT{x, top, x + w, bottom};
    }
    c.header_right = x - px(8, dpi);
    return c;
}

// Whether a and b ask for the same picture. While measuring the run's end and
// the percentiles move with every report: the 100 ms tick asks for those.
static bool same_look(const PlotRequest* a, const PlotRequest* b, bool measuring) {
    const bool same = a->slot == b->slot && a->kind == b->kind && a->freq == b->freq && a->columns == b->columns &&
                      a->whole == b->whole && a->t0_s == b->t0_s && a->t1_s == b->t1_s &&
                      a->y_fixed == b->y_fixed && a->y_lo_ms == b->y_lo_ms && a->y_hi_ms == b->y_hi_ms &&
                      a->chatter_ms == b->chatter_ms && a->button_rows == b->button_rows;
    return same && (measuring || (a->end_t == b->end_t && a->record_p001_us == b->record_p001_us &&
                                  a->record_p999_us == b->record_p999_us));
}

// A saved run's time axis ends at its last report.
PlotRequest plot_request_now(PlotWin* w, const Distribution* d) {
    RECT r;
    GetClientRect(w->hwnd, &r);
    const PlotArea a = plot_area(r.right, r.bottom, w->dpi);
    ButtonsSnapshot buttons = {};
    buttons.chatter_ms = kChatterDefaultMs;
    if (DeviceStats* rec = win_record(w))
        record_buttons(rec, &buttons);
    return request_of(&a, win_slot(w), w->view, d, &buttons, w->saved ? 0 : run_end_t(w->run), w->run->freq);
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

PlotArea plot_paint_now(PlotWin* w, HDC dc, int width, int height, const wchar_t* info) {
    DeviceStats* rec = win_record(w);
    Distribution d = {};
    const PlotBuilt* b = NULL;
    if (rec) {
        record_distribution(rec, &d);
        plot_ask_if_changed(w, &d);
        b = plot_builder_take(w->builder, w->awaited, paint_wait(w));
    }
    remember_shown(w, b);
    const HWND bar = GetDlgItem(w->hwnd, ID_PLOT_PROGRESS);
    const double chatter_ms = b ? b->request.chatter_ms : w->asked.chatter_ms;
    const PaintInput in = {rec, &d, chatter_ms, b, w->view->kind, info ? info : w->status, w->saved != NULL,
                           !w->saved, win_measuring(w), !info && bar && IsWindowVisible(bar)};
    const PlotArea a = paint(dc, width, height, w->dpi, &w->font, &in);
    if (!info) {
        w->area = a;
        w->area_known = true;
    }
    return a;
}

