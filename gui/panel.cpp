// Paints the statistics panel for the record the display selection picks.
// The record is copied under its lock; everything is drawn after releasing it.
// Positions are written for 96 DPI and scaled to the window's DPI as drawn; at
// 96 DPI the panel is exactly what it has always been.
#include "gui/panel.h"

#include <wchar.h>

#include "core/views/panel_layout.h"
#include "engine/reception.h"
#include "gui/mouse_name.h"
#include "platform/counter.h"
#include "platform/dpi.h"

const wchar_t* const g_bucket_label[STATS_BUCKETS] = {
    L"∞(>8K)", L"4K-8K", L"2K-4K", L"1K-2K", L"500-1K", L"250-500", L"125-250", L"≤125Hz",
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

// Reports that arrive in the background may be throttled by Windows: the
// status says so in the warning colour until foreground reports come again.
static void draw_status(HDC dc, int x, const Run* run, const StatsSnapshot* snap,
                        const StatsReadings* r) {
    wchar_t text[96];
    COLORREF color = PANEL_MEASURING_COLOR;
    if (!run_measuring(run)) {
        color = PANEL_STOPPED_COLOR;
        wcscpy(text, L"○ 已停止");
    } else if (r->last_background && r->arrival_count > 0) {
        color = PANEL_WARNING_COLOR;
        if (run->throttle.applies || r->throttle_signature)
            swprintf(text, 96, L"● 测量中（后台接收，Windows 限速约 %.0f Hz）",
                     throttle_rate_hz(run->throttle.duration_ms));
        else
            wcscpy(text, L"● 测量中（后台接收）");
    } else if (snap->interval_count == 0) {
        wcscpy(text, L"● 测量中 — 请移动鼠标");
    } else {
        wcscpy(text, L"● 测量中");
    }
    draw_text(dc, x, 46, color, text);
}

// Names the mouse last heard from within 1.5 s, whatever record is displayed.
static void draw_active_device(HDC dc, int x, const Run* run) {
    wchar_t text[256];
    int slot = g_nri > 1 ? most_recent_active_slot(counter_read(), run->freq) : 0;
    if (slot > 0) {
        wchar_t name[64];
        gui_mouse_name(slot, name, 64);
        swprintf(text, 256, L"正在活动的设备: %ls  [统计锁定该设备]", name);
    } else {
        wcscpy(text, L"正在活动的设备: (动一下鼠标即可识别)");
    }
    draw_text(dc, x, 70, PANEL_DEVICE_COLOR, text);
}

static void draw_readings(HDC dc, int x, const StatsReadings* r) {
    wchar_t line[160];
    wchar_t highest[80];
    swprintf(line, 160, L"平均回报率 : %8.1f Hz", r->average_hz);
    draw_text(dc, x, 102, PANEL_READING_COLOR, line);
    swprintf(line, 160, L"最低瞬时   : %8.1f Hz   (最长间隔决定卡顿)", r->lowest_instant_hz);
    draw_text(dc, x, 128, PANEL_READING_COLOR, line);
    swprintf(highest, 80, L"%8.1f Hz", r->highest_instant_hz);
    swprintf(line, 160, L"最高瞬时   : %ls", highest);
    draw_text(dc, x, 154, PANEL_READING_COLOR, line);
    swprintf(line, 160, L"近1秒最低  : %8.1f Hz", r->last_second_lowest_hz);
    draw_text(dc, x, 180, PANEL_READING_COLOR, line);
    swprintf(line, 160, L"报告数     : %llu    时长: %.1f s", (unsigned long long)r->report_count,
             r->elapsed_s);
    draw_text(dc, x, 206, PANEL_READING_COLOR, line);
}

// width at 96 DPI; the geometry is laid out there and scaled as drawn.
static void draw_histogram(HDC dc, int width, int shift, const uint64_t counts[STATS_BUCKETS]) {
    uint64_t most = 1;
    for (int i = 0; i < STATS_BUCKETS; i++) {
        if (counts[i] > most)
            most = counts[i];
    }
    HistogramGeometry g = histogram_geometry(width);
    const int baseline = PANEL_BAR_BASELINE + shift;
    int left = g.x0;
    for (int i = 0; i < STATS_BUCKETS; i++, left += g.pitch) {
        RECT bar = {px(left), px(baseline) - px(histogram_bar_length(counts[i], most)),
                    px(left) + px(g.bar_width), px(baseline)};
        FillRect(dc, &bar, g_barBrush[i]);
        draw_text(dc, px(left), baseline + 4, PANEL_TITLE_COLOR, g_bucket_label[i]);
    }
}

void gui_draw(HDC dc, int width, int height, UINT dpi, const PanelFont* font, Run* run) {
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    g_panel_dpi = dpi ? dpi : DPI_BASE;
    SelectObject(dc, panel_font_of(font));
    SetBkColor(dc, 0);
    SetBkMode(dc, OPAQUE);

    const int logical_width = MulDiv(width, (int)DPI_BASE, (int)g_panel_dpi);
    const int x = px(panel_column_x(logical_width));
    StatsSnapshot snap;
    stats_take_snapshot(display_stats(run), &snap);
    StatsReadings r;
    stats_derive_readings(&snap, &r);

    draw_status(dc, x, run, &snap, &r);
    draw_active_device(dc, x, run);
    draw_readings(dc, x, &r);
    int shift = 0;
    if (r.coalesced_count != 0) {
        wchar_t line[160];
        swprintf(line, 160, L"系统合并投递(已剔除): %llu", (unsigned long long)r.coalesced_count);
        draw_text(dc, x, 230, PANEL_COALESCED_COLOR, line);
        shift = PANEL_COALESCED_SHIFT;
    }
    draw_text(dc, x, 236 + shift, PANEL_TITLE_COLOR, L"间隔分布直方图");
    draw_text(dc, x, 258 + shift, PANEL_LEGEND_COLOR,
              L"绿/金=流畅  橙=尚可  红=明显卡顿  |  1K=竞技标准  2K=职业选手  >4K=精英");
    draw_histogram(dc, logical_width, shift, r.bucket_count);
}
