// The main window: device chooser, start/stop, clear data, capture diagnostic
// and about, above the statistics panel repainted ten times a second.
#pragma once

#include <windows.h>

#include "core/runs/run.h"

enum {
    ID_DEVICE_CHOOSER = 1,
    ID_START_STOP = 2,
    ID_CAPTURE_DIAG = 3,
    ID_CLEAR_DATA = 4,
    ID_ABOUT = 5,
    ID_PLOT = 6,
    TIMER_REPAINT = 1,
    TIMER_RESCAN = 2,
};

extern const wchar_t g_help_text[];

// The run the window measures, made at first use (the panel, the plot and
// the tests read it); freed when the window's loop ends.
Run* main_window_run(void);
void main_window_run_free(void);

LRESULT CALLBACK gui_wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// Registers the class "Quorvin" and creates the main window; null, after
// telling the user, when either fails.
HWND create_main_window(void);
// Builds the registry, creates the window and runs its message loop; the exit code.
int run_main_window(void);

// For the tests: the DPI the window is laid out for, and whether a hot-plug
// rescan waits for its quiet period.
UINT main_window_dpi(void);
bool main_window_rescan_pending(void);
