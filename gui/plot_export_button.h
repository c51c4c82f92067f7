// The export button's side in the live plot window (its thread is
// gui/plot_export): status lines go to live, the live run's window, which
// may not be open; the Save As dialog, the boxes and the thread's messages go
// to plot, its handle (null when it is not open).
#pragma once

#include <windows.h>

#include "gui/plot_state.h"

// The button (see plot_export_csv): asks where to save and starts the
// thread, or cancels the export that runs. False after an error box.
bool plot_export_button(PlotWin* live, HWND plot);
// WM_PLOT_EXPORT_END in plot: joins the thread and says how it ended.
LRESULT plot_export_on_end(PlotWin* live, HWND plot);
