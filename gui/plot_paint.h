// The plot's painter: a plot window's picture (the summary line, the legend,
// the axes, the columns of the model its builder made, the distribution and
// clock lines, the status and the motion hints), and the models it asks the
// window's builder for.
#pragma once

#include <windows.h>

#include "core/figures/distribution.h"
#include "core/views/plot_model.h"
#include "gui/panel.h"
#include "gui/plot_state.h"

// The plot's drawing area inside a client of width x height at 96 DPI.
struct PlotArea {
    int left, top, right, bottom;
};

PlotArea plot_area(int width, int height, UINT dpi);
// The left edge of the leftmost of n buttons at the top right of a client
// width wide; the summary line ends before it.
int plot_buttons_left(int width, UINT dpi, int n);
// Builds the model on the calling thread and paints the plot of run's record slot
// (0: all mice) for view, in font (made at dpi), with status at its foot: one
// whole picture at once, for the tests and the benchmark. The window paints
// its builder's models.
void plot_draw(HDC dc, int width, int height, UINT dpi, const PanelFont* font, Run* run, int slot,
               const PlotView* view, const wchar_t* status);

// Paints w's picture as its window shows it now into dc (width x height).
void plot_paint_now(PlotWin* w, HDC dc, int width, int height);
// The model w's window would show now, with d its record's distribution.
PlotRequest plot_request_now(PlotWin* w, const Distribution* d);
// Asks w's builder for that model when it is not the one asked for last;
// true when it did. A paint waits a little for one asked for here.
bool plot_ask_if_changed(PlotWin* w, const Distribution* d);
