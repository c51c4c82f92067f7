// A saved run in a plot window of its own: the CSV that "Export CSV" and
// `--csv` write, read on a thread of the window's own into a statistics
// record, its report clock and an arrival log of the window's, so that the
// same builder and painter show it as they show the live run.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "core/figures/stats.h"
#include "gui/plot_state.h"

enum {
    WM_PLOT_LOADED = WM_APP + 4,  // the reading thread has ended
    // Each saved run may keep an arrival log as large as the live one's:
    // this many at once bound the memory.
    PLOT_SAVED_MOST = 4,
};

// How a saved run's window is made: gui/plot_window's plot_window_make.
typedef HWND (*PlotWindowMaker)(HWND owner, const wchar_t* title, PlotWin* w);

// The "Open CSV" button of window from: asks which file, and opens a window
// that reads it with make (its status line says so meanwhile), or says in
// from's status line that PLOT_SAVED_MOST are open already.
void plot_saved_open(PlotWin* from, PlotWindowMaker make);
// The window's creation: starts reading; false when no thread could be made.
bool plot_saved_start(SavedRun* s);
// The record read, or null until the whole file has been read.
DeviceStats* plot_saved_record(SavedRun* s);
// The file's name without its folders (the window's title and its pictures
// name the run by it), and the UTC time of its first row when it has one.
const wchar_t* plot_saved_name(const SavedRun* s);
bool plot_saved_first_utc(const SavedRun* s, int64_t* utc_us);
// The reading's end: the plot is shown, or the window is closed and one
// error box names the file and the line.
void plot_saved_on_loaded(PlotWin* w);
// The window's end: a reading under way is cancelled and joined, the builder stopped.
void plot_saved_stop(SavedRun* s);
// Gives back all the run held; its window is gone.
void plot_saved_free(SavedRun* s);
// How many saved runs are held (each with its window).
int plot_saved_count(void);
