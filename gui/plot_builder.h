// The plot's model builder: a thread of the plot window's own that walks the
// arrival log into a PlotModel, so that the window's thread never walks the
// reports itself however many there are. The window asks (the newest request
// wins), the builder posts WM_PLOT_MODEL to it when a model is finished, and
// a paint takes the newest finished one.
#pragma once

#include <windows.h>

#include "core/plot_model.h"
#include "core/report_clock.h"

enum { WM_PLOT_MODEL = WM_APP + 1 };

// A finished model and what it was built from.
struct PlotBuilt {
    PlotModel model;
    PlotRequest request;
    unsigned generation;  // the request's number; 0: no model
    bool wrapped;         // the log had given up older reports
    bool failed;          // the log had stopped for want of memory
    ReportClockFigures clock;  // the record's report clock over the whole run so far
};

// What building has cost so far (host time, not the reports' clock).
struct PlotBuildFigures {
    unsigned builds;
    double last_ms, longest_ms;
};

// Starts the thread, which posts to window; false when it could not.
bool plot_builder_start(HWND window);
// Ends a build under way at its next block of the log, waits for the thread
// to end and frees what it held. Nothing to do when none runs.
void plot_builder_stop(void);
// Asks for a model of r; an earlier request not yet begun is dropped. Its
// generation, to wait for.
unsigned plot_builder_ask(const PlotRequest* r);
// The newest finished model, waiting up to wait_ms for the one of generation
// want when it is not finished yet; null before the first. It stays the
// caller's until its next call.
const PlotBuilt* plot_builder_take(unsigned want, DWORD wait_ms);
// True when every request is finished and the builder has rested at least
// share times as long as the last build took since it finished.
bool plot_builder_rested(double share);
PlotBuildFigures plot_builder_figures(void);
