// The plot's model builder: a thread of the plot window's own that walks the
// arrival log into a PlotModel, so that the window's thread never walks the
// reports itself however many there are. The window asks (the newest request
// wins), the builder posts WM_PLOT_MODEL to it when a model is finished, and
// a paint takes the newest finished one. Each plot window has its own: the
// live one reads the run's log, a saved run's window the log it was read into.
#pragma once

#include <windows.h>

#include <atomic>

#include "core/runs/arrival_clock.h"
#include "core/views/plot_model.h"
#include "core/figures/report_clock.h"

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

// Three models change hands (see plot_builder.cpp); the rest is the thread's
// and the hand-over's. About 1 MiB: the live window's is kept with its state
// in gui/plot_window, a saved run's lives on the heap with it.
struct PlotBuilder {
    HANDLE thread, wake, built;
    HWND window;
    ArrivalLog* log;
    const ReportClockFigures* fixed_clock;  // the clock of a whole saved run; null: fed from the log
    std::atomic<bool> stop;
    CRITICAL_SECTION lock;  // guards what follows
    PlotRequest asked;
    unsigned asked_gen, taken_gen, done_gen;
    PlotBuilt* ready;
    bool fresh;  // ready holds a model the window has not taken
    PlotBuildFigures figures;
    double done_ms;  // host time the last build finished
    // The window's and the builder's own.
    PlotBuilt* front;
    PlotBuilt* back;
    PlotBuilt models[3];
    RecordClock clock;  // the builder thread's, until it has ended
};

// Starts the thread reading log, which posts to window; false when it could
// not. clock: figures to show instead of feeding the log's reports to a clock
// (a saved run's log may hold only its last part); null for the live run.
bool plot_builder_start(PlotBuilder* b, HWND window, ArrivalLog* log,
                        const ReportClockFigures* clock);
// Ends a build under way at its next block of the log, waits for the thread
// to end and frees what it held. Nothing to do when none runs.
void plot_builder_stop(PlotBuilder* b);
// Asks for a model of r; an earlier request not yet begun is dropped. Its
// generation, to wait for.
unsigned plot_builder_ask(PlotBuilder* b, const PlotRequest* r);
// The newest finished model, waiting up to wait_ms for the one of generation
// want when it is not finished yet; null before the first. It stays the
// caller's until its next call.
const PlotBuilt* plot_builder_take(PlotBuilder* b, unsigned want, DWORD wait_ms);
// True when every request is finished and the builder has rested at least
// share times as long as the last build took since it finished.
bool plot_builder_rested(PlotBuilder* b, double share);
PlotBuildFigures plot_builder_figures(PlotBuilder* b);
