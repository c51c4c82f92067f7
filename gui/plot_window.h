// The plot: every report of the displayed record over time, in one of three
// views chosen with buttons at the top left: its interval against a linear
// millisecond axis, with the slow-end P99, median and fast-end P1 lines; its
// dx and dy; or its speed in counts per second. A legend of each view's
// colours, zoom (wheel; Shift+wheel for
// the interval axis), pan (drag), the whole run again (double-click) and a CSV
// export on a thread of its own, with a progress bar, that can be cancelled
// and ends with a status line. The window's thread never walks the log: the
// plot's builder thread makes the models it paints. "Open CSV" ("打开 CSV")
// shows a saved run in a window of its own (gui/plot_saved), "Save picture"
// ("保存图片") the picture as PNG.
// The main window opens it with itself as the owner and refreshes it on its
// tick; the plot needs nothing else of it.
#pragma once

#include <windows.h>

#include "gui/plot_state.h"

// Opens the live run's plot window owned by owner, or brings it to the front.
void plot_open(HWND owner, Run* run);
// Asks for a new picture while measuring, or when the run stopped or was
// cleared (the main window's 100 ms timer).
void plot_refresh(void);
// The export button: asks where to save and starts writing the arrival log
// as CSV on the export's thread, whose end (posted to plot, the plot window)
// says in the live window's status line where and how many rows, or that it
// failed (with an error box) or was cancelled. With fewer than 2 accepted
// intervals it says so there and asks nothing. While an export runs it
// cancels it. False after an error box. Closing the window cancels an export
// and waits for its end.
bool plot_export_csv(HWND plot);

// Makes a plot window of w titled title, owned by owner, at owner's DPI; null
// when it could not (w is then untouched by the window).
HWND plot_window_make(HWND owner, const wchar_t* title, PlotWin* w);

LRESULT CALLBACK plot_wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// For the tests and the benchmark: the live run's window while it is open
// (null from its WM_DESTROY on), and its view, status line (PLOT_STATUS_CHARS)
// and builder, which outlive it.
HWND plot_live_window(void);
PlotView* plot_live_view(void);
wchar_t* plot_live_status(void);
PlotBuilder* plot_live_builder(void);
