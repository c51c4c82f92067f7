// The statistics panel: status, active device, five readings, coalesced
// deliveries and the eight-bucket histogram, painted whole on every call.
#pragma once

#include <windows.h>

#include "core/stats.h"

extern const wchar_t* const g_bucket_label[STATS_BUCKETS];
extern const COLORREF g_bar_color[STATS_BUCKETS];
extern HBRUSH g_barBrush[STATS_BUCKETS];

enum : COLORREF {
    PANEL_MEASURING_COLOR = 0x78dc50,
    PANEL_STOPPED_COLOR = 0x969696,
    PANEL_DEVICE_COLOR = 0xe6c8aa,
    PANEL_READING_COLOR = 0xebebeb,
    PANEL_COALESCED_COLOR = 0x78a5be,
    PANEL_TITLE_COLOR = 0xc8c8c8,
    PANEL_LEGEND_COLOR = 0x8caa8c,
    PANEL_WARNING_COLOR = 0x00a5ff,  // amber: figures that Windows may be limiting
};

enum {
    PANEL_BAR_BASELINE = 417,  // 24 pixels lower with the coalesced line
    PANEL_COALESCED_SHIFT = 24,
    PANEL_FONT_PIXELS = 11,  // the stock GUI font's height at 96 DPI
};

void gui_create_bar_brushes(void);
// The panel's font at dpi: the stock GUI font at 96, the same face scaled elsewhere.
HGDIOBJ gui_panel_font(UINT dpi);
// Paints the whole client area of width x height pixels for a window at dpi.
void gui_draw(HDC dc, int width, int height, UINT dpi);
