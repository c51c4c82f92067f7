// The plot's CSV export on a thread of its own: the arrival log as it stood
// when the export began, written in slices under a partial name and renamed
// over the target only when whole. It posts its progress and its end to the
// plot window; the window joins it.
#pragma once

#include <windows.h>

#include "core/runs/arrival_log.h"
#include "core/runs/clock_map.h"

enum {
    WM_PLOT_EXPORT_PROGRESS = WM_APP + 2,  // wParam: per mille written
    WM_PLOT_EXPORT_END = WM_APP + 3,
    PLOT_EXPORT_PERMILLE = 1000,
};

enum PlotExportEnd {
    PLOT_EXPORT_WRITTEN,
    PLOT_EXPORT_FAILED,     // a file call failed: error holds errno's value
    PLOT_EXPORT_LOST,       // the run was cleared, or the log gave up rows not yet written
    PLOT_EXPORT_CANCELLED,
};

struct PlotExportResult {
    PlotExportEnd end;
    long long rows;
    int error;
    const wchar_t* path;  // the target, valid until the next export starts
};

// Starts writing log (a run's) to path with the counter's rate freq and a
// copy of clock, taken now; false when no thread could be made (errno's value
// in *error). The thread posts to window.
bool plot_export_start(HWND window, ArrivalLog* log, const wchar_t* path, double freq,
                       const ClockMap* clock, int* error);
bool plot_export_running(void);
// Asks the export to stop at its next slice: its end then says CANCELLED.
void plot_export_cancel(void);
// Waits for the thread to end (its end is posted, or it was cancelled) and
// gives back its handle; what it came to.
PlotExportResult plot_export_join(void);
