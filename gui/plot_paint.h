// The plot's painter: a plot window's picture (the summary's figures, the
// legend, the axes, the columns of the model its builder made, the
// distribution and clock lines, the status and the motion hints), where its
// controls go, and the models it asks the window's builder for.
#pragma once

#include <windows.h>

#include "core/figures/distribution.h"
#include "core/views/plot_model.h"
#include "gui/panel.h"
#include "gui/plot_state.h"

// The plot's drawing area inside a client of width x height at dpi, with a
// header of header_rows lines (the summary's and the legend's) and a foot of
// foot_rows (the status and the hints); plot_area is the usual two and one.
// Its left and right edges depend on the width alone.
PlotArea plot_area_rows(int width, int height, UINT dpi, int header_rows, int foot_rows);
PlotArea plot_area(int width, int height, UINT dpi);

// Where the buttons go in a client width wide, each as wide as its words in
// the font selected into dc need: the views at the top left, the export (the
// live run's only), the picture and the saved runs at the top right. The
// header's first line lies between them.
struct PlotControls {
    RECT view[PLOT_KINDS];
    RECT export_button, image_button, open_button;
    int header_left, header_right;
};
PlotControls plot_controls(HDC dc, int width, UINT dpi, bool saved);

// Builds the model on the calling thread and paints the plot of run's record slot
// (0: all mice) for view, in font (made at dpi), with status at its foot: one
// whole picture at once, for the tests and the benchmark. The window paints
// its builder's models. Where it put the plot.
PlotArea plot_draw(HDC dc, int width, int height, UINT dpi, const PanelFont* font, Run* run, int slot,
                   const PlotView* view, const wchar_t* status);

// Paints w's picture as its window shows it now into dc (width x height);
// with info, a saved picture's: info at the foot in place of the status.
// Where it put the plot (kept as w's for the window's own paint).
PlotArea plot_paint_now(PlotWin* w, HDC dc, int width, int height, const wchar_t* info = NULL);
// The model w's window would show now, with d its record's distribution.
PlotRequest plot_request_now(PlotWin* w, const Distribution* d);
// Asks w's builder for that model when it is not the one asked for last;
// true when it did. A paint waits a little for one asked for here.
bool plot_ask_if_changed(PlotWin* w, const Distribution* d);
