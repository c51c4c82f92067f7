// The statistics panel: status, the rate line, active device, five readings,
// coalesced deliveries, the buttons' presses, the motion hints and the
// eight-bucket histogram, painted whole on every call.
#pragma once

#include <windows.h>

#include "core/runs/run.h"
#include "gui/panel_rate.h"

// Each bucket by the nominal rate it holds: "1K" holds 575-1150 Hz (the
// bucket tolerance widens each upward by 15 %).
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
    PANEL_RATE_COLOR = 0x96e6ff,     // the rate line, light gold
    PANEL_HINT_COLOR = 0xb4d2f0,
};

enum {
    PANEL_FONT_PIXELS = 11,  // the stock GUI font's height at 96 DPI
    PANEL_RATE_FONT_PIXELS = 18,
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
// The rate line's font at dpi (the panel's face, larger and bold); null when
// it cannot be made. The caller deletes it.
HFONT panel_rate_font_make(UINT dpi);
// WM_DPICHANGED in any of the program's windows: takes the rectangle Windows
// suggests (lparam).
void gui_move_to_suggested(HWND hwnd, LPARAM lparam);

// The slot of the record the panel shows: the display choice while measuring;
// once stopped, the mouse it showed at the stop (never one chosen later by time).
int panel_slot(Run* run);

// The panel's words for the run as it stands, each line whole.
struct PanelLines {
    wchar_t status[128];
    COLORREF status_color;
    wchar_t rate[96], rate_reason[96];  // the rate line: large, then small after it
    wchar_t device[160];
    wchar_t readings[5][160];
    wchar_t coalesced[96];  // empty when there is none
    // Each button pressed: its presses and chatter; each wheel turned: its
    // notches and reversals; pieces joined by PLOT_GAP, empty when none.
    wchar_t buttons[400];
    bool buttons_warn;      // a button chattered, or a wheel reverses: in the warning colour
    wchar_t hints[400];     // empty when none applies
    wchar_t shares[STATS_BUCKETS][16];  // each bar's share of the intervals; empty with none
    uint64_t bucket_count[STATS_BUCKETS];
};
// After Stop every line is the run's: nothing in it is taken against a time
// after the stop. rate: the rate line's figures (null: not known yet).
void panel_lines(Run* run, const PanelRate* rate, PanelLines* out);

// Paints the whole client area of width x height pixels for a window at dpi,
// with the figures of run's shown record; the rate line from rate in
// rate_font (the panel's font when null).
void gui_draw(HDC dc, int width, int height, UINT dpi, const PanelFont* font, Run* run,
              const PanelRate* rate = nullptr, HFONT rate_font = NULL);
