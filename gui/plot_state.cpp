// A plot window's status line, drawn at its foot: set from the window's own
// files, a saved run's reading and the picture's saving alike.
#include "gui/plot_state.h"

#include <wchar.h>

void plot_set_status(PlotWin* w, const wchar_t* text) {
    wcsncpy(w->status, text, PLOT_STATUS_CHARS - 1);
    w->status[PLOT_STATUS_CHARS - 1] = 0;
    if (w->hwnd)
        InvalidateRect(w->hwnd, NULL, FALSE);
}
