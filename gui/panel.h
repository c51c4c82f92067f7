// The statistics panel: status, active device, five readings, coalesced
// deliveries and the eight-bucket histogram, painted whole on every call.
#pragma once

#include <windows.h>

#include "core/runs/run.h"

extern const wchar_t* const g_bucket_label[STATS_BUCKETS];
extern const COLORREF g_bar_color[STATS_BUCKETS];
// The bars' brushes, made once for the process (gui_create_bar_brushes) and
// shared by every window that paints the histogram.
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

// One window's panel font at its DPI: the stock GUI font at 96 (nothing made),
// the same face at the scaled height elsewhere. Each window keeps its own, so
// windows at different DPIs never remake each other's fonts.
struct PanelFont {
    HFONT made;  // null at 96 DPI, or when it could not be made
    UINT dpi;
};
// Makes f's font for dpi and gives back the one it replaces (or null), for the
// caller to delete once no control uses it.
HFONT panel_font_make(PanelFont* f, UINT dpi);
// The font to select or to give controls.
HGDIOBJ panel_font_of(const PanelFont* f);
// Deletes f's font; call after the controls that use it are gone.
void panel_font_free(PanelFont* f);
// WM_DPICHANGED in any of the program's windows: takes the rectangle Windows
// suggests (lparam).
void gui_move_to_suggested(HWND hwnd, LPARAM lparam);

// Paints the whole client area of width x height pixels for a window at dpi,
// with the figures of run's shown record.
void gui_draw(HDC dc, int width, int height, UINT dpi, const PanelFont* font, Run* run);
