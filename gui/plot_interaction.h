// How the user changes what a plot window shows: zoom, pan and the whole run
// again with the mouse, and the view buttons.
#pragma once

#include <windows.h>

#include "gui/plot_state.h"

// WM_MOUSEWHEEL (zoom), WM_LBUTTONDOWN, WM_MOUSEMOVE and WM_LBUTTONUP (a
// drag pans), WM_LBUTTONDBLCLK (the whole run) in w.
LRESULT plot_on_mouse(PlotWin* w, UINT msg, WPARAM wparam, LPARAM lparam);
// A view button: shows kind (a PlotKind) over the same time range.
void plot_show_view(PlotWin* w, int kind);
