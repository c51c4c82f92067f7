// The interval plot: every report of the displayed record over time, its
// interval against a linear millisecond axis, with the median and P1 / P99
// lines, zoom (wheel), pan (drag), the whole run again (double-click) and a
// CSV export.
#pragma once

#include <windows.h>

#include "gui/panel.h"

enum {
    ID_PLOT_EXPORT = 101,
    PLOT_CLIENT_WIDTH = 900,   // at 96 DPI
    PLOT_CLIENT_HEIGHT = 480,
};

// The plot's drawing area inside a client of width x height at 96 DPI.
struct PlotArea {
    int left, top, right, bottom;
};

// The visible time range: the whole run, or seconds since the record's first report.
struct PlotView {
    bool whole;
    double t0_s, t1_s;
};

extern HWND g_hPlot;
extern PlotView g_plot_view;

PlotArea plot_area(int width, int height, UINT dpi);
// Paints the plot of record slot (0: all mice) for view, in font (made at dpi).
void plot_draw(HDC dc, int width, int height, UINT dpi, const PanelFont* font, int slot,
               const PlotView* view);

// Opens the plot window owned by owner, or brings it to the front.
void plot_open(HWND owner);
// Repaints it while measuring (the main window's 100 ms timer).
void plot_refresh(void);
// Asks where to save and writes the arrival log as CSV; false after an error box.
bool plot_export_csv(HWND owner);

LRESULT CALLBACK plot_wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
