// The interval plot: every report of the displayed record over time, its
// interval against a linear millisecond axis, with the slow-end P99, median
// and fast-end P1 lines, a legend of its colours, zoom (wheel; Shift+wheel for
// the interval axis), pan (drag), the whole run again (double-click) and a CSV
// export that ends with a status line.
#pragma once

#include <windows.h>

#include "gui/panel.h"

enum {
    ID_PLOT_EXPORT = 101,
    PLOT_CLIENT_WIDTH = 900,   // at 96 DPI
    PLOT_CLIENT_HEIGHT = 480,
    PLOT_STATUS_CHARS = MAX_PATH + 80,
};

// The plot's drawing area inside a client of width x height at 96 DPI.
struct PlotArea {
    int left, top, right, bottom;
};

// The visible time range: the whole run, or seconds since the record's first
// report; and the interval axis: from the shown intervals, or the user's.
struct PlotView {
    bool whole;
    double t0_s, t1_s;
    bool y_fixed;
    double y_lo_ms, y_hi_ms;
};

extern HWND g_hPlot;
extern PlotView g_plot_view;
// What the last export came to, drawn at the foot of the plot; empty before one.
extern wchar_t g_plot_status[];

PlotArea plot_area(int width, int height, UINT dpi);
// Paints the plot of record slot (0: all mice) for view, in font (made at dpi).
void plot_draw(HDC dc, int width, int height, UINT dpi, const PanelFont* font, int slot,
               const PlotView* view);

// Opens the plot window owned by owner, or brings it to the front.
void plot_open(HWND owner);
// Repaints it while measuring (the main window's 100 ms timer).
void plot_refresh(void);
// Asks where to save and writes the arrival log as CSV, then says in
// g_plot_status where and how many rows; with fewer than 2 accepted intervals
// it says so there and asks nothing. False after an error box.
bool plot_export_csv(HWND owner);

LRESULT CALLBACK plot_wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
