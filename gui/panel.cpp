// Paints the statistics panel for the record the display selection picks.
// The record is copied under its lock; everything is drawn after releasing it.
// Positions are written for 96 DPI (core/views/panel_layout) and scaled to the
// window's DPI as drawn.
#include "gui/panel.h"

#include <wchar.h>

#include "core/views/panel_layout.h"
#include "core/views/plot_model.h"
#include "core/views/text_buf.h"
#include "core/views/texts.h"
#include "engine/reception.h"
#include "gui/mouse_name.h"
#include "gui/plot_hints.h"
#include "platform/counter.h"
#include "platform/dpi.h"

const wchar_t* const g_bucket_label[STATS_BUCKETS] = {
    L">8K", L"8K", L"4K", L"2K", L"1K", L"500", L"250", L"≤125",
};
const COLORREF g_bar_color[STATS_BUCKETS] = {
    0xdcdc50, 0x78e63c, 0x64c846, 0x8cc832, 0x3cc3eb, 0x3291f0, 0x465feb, 0x3737d7,
};
HBRUSH g_barBrush[STATS_BUCKETS];

// Once per process: the window may be created more than once, and the
// brushes live until the process ends.
void gui_create_bar_brushes(void) {
    if (g_barBrush[0])
        return;
    for (int i = 0; i < STATS_BUCKETS; i++)
        g_barBrush[i] = CreateSolidBrush(g_bar_color[i]);
}

// The DPI of the panel being painted: every position goes through px().
static UINT g_panel_dpi = DPI_BASE;

static int px(int v) { return dpi_scale(v, g_panel_dpi); }

// x in scaled pixels already; y at 96 DPI.
static void draw_text(HDC dc, int x, int y, COLORREF color, const wchar_t* text) {
    SetTextColor(dc, color);
    TextOutW(dc, x, px(y), text, (int)wcslen(text));
}

HFONT panel_font_make(PanelFont* f, UINT dpi) {
    HFONT previous = f->made;
    f->made = NULL;
    f->dpi = dpi;
    if (dpi != DPI_BASE) {
        LOGFONTW lf;
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
        lf.lfHeight = -dpi_scale(PANEL_FONT_PIXELS, dpi);
        lf.lfWidth = 0;
        f->made = CreateFontIndirectW(&lf);
    }
    return previous;
}

HFONT panel_rate_font_make(UINT dpi) {
    LOGFONTW lf;
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfHeight = -dpi_scale(PANEL_RATE_FONT_PIXELS, dpi);
    lf.lfWidth = 0;
    lf.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&lf);
}

HGDIOBJ panel_font_of(const PanelFont* f) {
    return f->made ? (HGDIOBJ)f->made : GetStockObject(DEFAULT_GUI_FONT);
}

void panel_font_free(PanelFont* f) {
    if (f->made)
        DeleteObject(f->made);
    f->made = NULL;
}

// The window moved to a monitor of another DPI: the size Windows suggests
// keeps it as large on screen as before.
void gui_move_to_suggested(HWND hwnd, LPARAM lparam) {
    const RECT* suggested = (const RECT*)lparam;
    SetWindowPos(hwnd, NULL, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

int panel_slot(Run* run) {
    if (run_measuring(run) || run->chosen_slot >= 0)
        return (int)(display_stats(run) - run->records);
    return run->stop_t ? most_recent_active_slot(run->stop_t, run->freq) : 0;
}

// Reports that arrive in the background may be throttled by Windows: the
// status says so in the warning colour until foreground reports come again.
static void status_line(const Run* run, const StatsSnapshot* snap, const StatsReadings* r,
                        PanelLines* out) {
    const size_t cap = sizeof out->status / sizeof out->status[0];
    out->status_color = PANEL_MEASURING_COLOR;
    if (!run_measuring(run)) {
        out->status_color = PANEL_STOPPED_COLOR;
        swprintf(out->status, cap, L"%ls", txw(TX_PANEL_STOPPED));
    } else if (r->last_background && r->arrival_count > 0) {
        out->status_color = PANEL_WARNING_COLOR;
        if (run->throttle.applies || r->throttle_signature)
            swprintf(out->status, cap, txw(TX_PANEL_BACKGROUND_THROTTLED),
                     throttle_rate_hz(run->throttle.duration_ms));
        else
            swprintf(out->status, cap, L"%ls", txw(TX_PANEL_BACKGROUND));
    } else if (snap->interval_count == 0) {
        swprintf(out->status, cap, L"%ls", txw(TX_PANEL_MOVE_MOUSE));
    } else {
        swprintf(out->status, cap, L"%ls", txw(TX_PANEL_MEASURING));
    }
}

// Names the mouse last heard from within 1.5 s of now, or of the stop once
// stopped, whatever record is displayed.
static void device_line(const Run* run, PanelLines* out) {
    const size_t cap = sizeof out->device / sizeof out->device[0];
    const int64_t at = run_measuring(run) ? counter_read() : run->stop_t;
    const int slot = g_nri > 1 && at != 0 ? most_recent_active_slot(at, run->freq) : 0;
    if (slot > 0) {
        wchar_t name[64];
        gui_mouse_name(slot, name, 64);
        swprintf(out->device, cap, txw(TX_PANEL_ACTIVE), name);
    } else {
        swprintf(out->device, cap, L"%ls", txw(TX_PANEL_ACTIVE_NONE));
    }
}

static void reading_lines(const StatsReadings* r, PanelLines* out) {
    const size_t cap = sizeof out->readings[0] / sizeof out->readings[0][0];
    swprintf(out->readings[0], cap, txw(TX_PANEL_AVERAGE), r->average_hz);
    swprintf(out->readings[1], cap, txw(TX_PANEL_LOWEST), r->lowest_instant_hz);
    swprintf(out->readings[2], cap, txw(TX_PANEL_HIGHEST), r->highest_instant_hz);
    swprintf(out->readings[3], cap, txw(TX_PANEL_LAST_SECOND), r->last_second_lowest_hz);
    swprintf(out->readings[4], cap, txw(TX_PANEL_REPORTS), (unsigned long long)r->report_count,
             r->elapsed_s);
}

// The record's buttons and wheels as the console counts them (record_buttons),
// each a piece: "Left 34 presses · chatter 4", "Wheel 20 notches · reversals 2".
static void buttons_line(DeviceStats* rec, PanelLines* out) {
    static const TextId kNames[] = {TX_BUTTON_SHORT_LEFT, TX_BUTTON_SHORT_RIGHT, TX_BUTTON_SHORT_MIDDLE,
                                    TX_BUTTON_SHORT_BACK, TX_BUTTON_SHORT_FORWARD};
    ButtonsSnapshot s;
    record_buttons(rec, &s);
    WideBuf t = text_buf(out->buttons, sizeof out->buttons / sizeof out->buttons[0]);
    out->buttons_warn = false;
    for (int b = 0; b < BUTTONS; b++) {
        const ButtonFigures* f = &s.button[b];
        if (!f->presses)
            continue;
        text_appendf(&t, L"%ls", t.len ? PLOT_GAP : L"");
        if (f->presses == 1)
            text_appendf(&t, txw(TX_PANEL_BUTTON_ONE_PRESS), txw(kNames[b]));
        else
            text_appendf(&t, txw(TX_PANEL_BUTTON_PRESSES), txw(kNames[b]), (unsigned long long)f->presses);
        if (button_chattered(f))
            text_appendf(&t, txw(TX_PANEL_BUTTON_CHATTER), (unsigned long long)f->chatter);
        out->buttons_warn |= button_chattered(f);
    }
    const WheelFigures* wheels[] = {&s.wheel, &s.hwheel};
    const TextId wheel_names[] = {TX_WHEEL_SHORT, TX_HWHEEL_SHORT};
    for (int k = 0; k < 2; k++) {
        const WheelFigures* w = wheels[k];
        if (!w->notches)
            continue;
        text_appendf(&t, L"%ls", t.len ? PLOT_GAP : L"");
        if (w->notches == 1)
            text_appendf(&t, txw(TX_PANEL_WHEEL_ONE_NOTCH), txw(wheel_names[k]));
        else
            text_appendf(&t, txw(TX_PANEL_WHEEL_NOTCHES), txw(wheel_names[k]), (unsigned long long)w->notches);
        if (w->reversals)
            text_appendf(&t, txw(TX_PANEL_WHEEL_REVERSALS), (unsigned long long)w->reversals);
        out->buttons_warn |= wheel_reverses(w);
    }
}

void panel_lines(Run* run, const PanelRate* rate, PanelLines* out) {
    DeviceStats* rec = &run->records[panel_slot(run)];
    StatsSnapshot snap;
    stats_take_snapshot(rec, &snap);
    StatsReadings r;
    stats_derive_readings(&snap, &r);
    status_line(run, &snap, &r, out);
    panel_rate_text(rate, out->rate, sizeof out->rate / sizeof out->rate[0], out->rate_reason,
                    sizeof out->rate_reason / sizeof out->rate_reason[0]);
    device_line(run, out);
    reading_lines(&r, out);
    out->coalesced[0] = 0;
    if (r.coalesced_count != 0)
        swprintf(out->coalesced, sizeof out->coalesced / sizeof out->coalesced[0],
                 txw(TX_PANEL_COALESCED), (unsigned long long)r.coalesced_count);
    buttons_line(rec, out);
    MotionFigures f;
    record_motion(rec, &f);
    MotionHints h;
    // The hand is judged against the same clock the rate line shows.
    motion_hints_of(&f, rate && rate->have ? &rate->figures : NULL, &h);
    if (plot_hints_text(out->hints, sizeof out->hints / sizeof out->hints[0], &h, &f) <= 0)
        out->hints[0] = 0;
    uint64_t total = 0;
    for (int i = 0; i < STATS_BUCKETS; i++)
        total += r.bucket_count[i];
    for (int i = 0; i < STATS_BUCKETS; i++) {
        out->bucket_count[i] = r.bucket_count[i];
        out->shares[i][0] = 0;
        if (total > 0)
            swprintf(out->shares[i], 16, L"%.1f%%", 100.0 * (double)r.bucket_count[i] / (double)total);
    }
}

// width at 96 DPI; the geometry is laid out there and scaled as drawn.
static void draw_histogram(HDC dc, int width, const PanelRows* rows, const PanelLines* l) {
    uint64_t most = 1;
    for (int i = 0; i < STATS_BUCKETS; i++) {
        if (l->bucket_count[i] > most)
            most = l->bucket_count[i];
    }
    HistogramGeometry g = histogram_geometry(width);
    int left = g.x0;
    for (int i = 0; i < STATS_BUCKETS; i++, left += g.pitch) {
        const int length = histogram_bar_length_within(l->bucket_count[i], most, rows->bar_max);
        RECT bar = {px(left), px(rows->baseline) - px(length), px(left) + px(g.bar_width),
                    px(rows->baseline)};
        FillRect(dc, &bar, g_barBrush[i]);
        draw_text(dc, px(left), rows->labels, PANEL_TITLE_COLOR, g_bucket_label[i]);
        draw_text(dc, px(left), rows->shares, PANEL_LEGEND_COLOR, l->shares[i]);
    }
}

// The rate line: the large part, then the reason in the panel's font on the
// same baseline.
static void draw_rate(HDC dc, int x, int y, HFONT rate_font, HGDIOBJ font, const PanelLines* l) {
    TEXTMETRICW small, large;
    GetTextMetricsW(dc, &small);
    if (rate_font)
        SelectObject(dc, rate_font);
    GetTextMetricsW(dc, &large);
    SetTextColor(dc, PANEL_RATE_COLOR);
    const int n = (int)wcslen(l->rate);
    TextOutW(dc, x, px(y), l->rate, n);
    SIZE extent = {0, 0};
    GetTextExtentPoint32W(dc, l->rate, n, &extent);
    SelectObject(dc, font);
    if (l->rate_reason[0])
        TextOutW(dc, x + extent.cx, px(y) + large.tmAscent - small.tmAscent, l->rate_reason,
                 (int)wcslen(l->rate_reason));
}

// The hints wrap within the column; how many lines they take at most.
static int hint_lines(HDC dc, const wchar_t* hints, int column_px) {
    if (!hints[0])
        return 0;
    RECT r = {0, 0, column_px, 0};
    DrawTextW(dc, hints, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    return tm.tmHeight > 0 ? (r.bottom + tm.tmHeight - 1) / tm.tmHeight : 1;
}

static int gdi_width(void* dc, const wchar_t* text, int n) {
    SIZE size = {};
    GetTextExtentPoint32W((HDC)dc, text, n, &size);
    return size.cx;
}

// The buttons' pieces in the column, each whole on a line where it fits;
// how many lines (at most PANEL_BUTTON_LINES: what does not fit is left out).
static int button_lines(HDC dc, const wchar_t* text, int column_px, PlotTextLine* lines) {
    const PlotMeasure m = {gdi_width, dc};
    return text[0] ? plot_wrap(text, &column_px, 1, &m, lines, PANEL_BUTTON_LINES) : 0;
}

void gui_draw(HDC dc, int width, int height, UINT dpi, const PanelFont* font, Run* run,
              const PanelRate* rate, HFONT rate_font) {
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    g_panel_dpi = dpi ? dpi : DPI_BASE;
    HGDIOBJ panel_font = panel_font_of(font);
    SelectObject(dc, panel_font);
    SetBkColor(dc, 0);
    SetBkMode(dc, OPAQUE);

    const int logical_width = MulDiv(width, (int)DPI_BASE, (int)g_panel_dpi);
    const int logical_height = MulDiv(height, (int)DPI_BASE, (int)g_panel_dpi);
    const int x = px(panel_column_x(logical_width));
    const int column = px(panel_column_width(logical_width));
    PanelLines l;
    panel_lines(run, rate, &l);
    PlotTextLine buttons[PANEL_BUTTON_LINES];
    const int buttons_n = button_lines(dc, l.buttons, column, buttons);
    const PanelRows rows = panel_rows(logical_width, logical_height, l.coalesced[0] != 0,
                                      hint_lines(dc, l.hints, column), buttons_n);

    draw_text(dc, x, rows.status, l.status_color, l.status);
    draw_rate(dc, x, rows.rate, rate_font, panel_font, &l);
    draw_text(dc, x, rows.device, PANEL_DEVICE_COLOR, l.device);
    for (int i = 0; i < 5; i++)
        draw_text(dc, x, rows.reading + i * rows.reading_pitch, PANEL_READING_COLOR, l.readings[i]);
    if (l.coalesced[0])
        draw_text(dc, x, rows.coalesced, PANEL_COALESCED_COLOR, l.coalesced);
    SetTextColor(dc, l.buttons_warn ? PANEL_WARNING_COLOR : PANEL_READING_COLOR);
    for (int k = 0; k < buttons_n; k++)
        TextOutW(dc, x, px(rows.buttons + k * PANEL_HINT_LINE), l.buttons + buttons[k].start, buttons[k].len);
    if (rows.hint_lines > 0) {
        TEXTMETRICW tm;
        GetTextMetricsW(dc, &tm);
        RECT r = {x, px(rows.hints), x + column, px(rows.hints) + rows.hint_lines * tm.tmHeight};
        SetTextColor(dc, PANEL_HINT_COLOR);
        DrawTextW(dc, l.hints, -1, &r, DT_WORDBREAK | DT_NOPREFIX);
    }
    draw_text(dc, x, rows.title, PANEL_TITLE_COLOR, txw(TX_PANEL_HISTOGRAM));
    draw_text(dc, x, rows.legend, PANEL_LEGEND_COLOR, txw(TX_PANEL_LEGEND));
    draw_histogram(dc, logical_width, &rows, &l);
}
