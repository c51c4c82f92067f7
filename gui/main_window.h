// The main window: device chooser, start/stop, clear data, capture diagnostic,
// about and the plot, in rows that wrap to the window's width, above the
// statistics panel repainted ten times a second. Every control is reached
// with Tab and its accelerator; Enter and Space start and stop.
#pragma once

#include <windows.h>

#include "core/runs/run.h"

// Not 1 and 2: the dialog manager sends IDOK and IDCANCEL for Enter and Escape.
enum {
    ID_DEVICE_CHOOSER = 101,
    ID_START_STOP = 102,
    ID_CAPTURE_DIAG = 103,
    ID_CLEAR_DATA = 104,
    ID_ABOUT = 105,
    ID_PLOT = 106,
    TIMER_REPAINT = 1,
    TIMER_RESCAN = 2,
};

// The about box's text in the chosen language.
const wchar_t* main_window_help_text(void);

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
// The message loop's keyboard handling for the main window: Tab and the
// accelerators (the dialog manager), Enter and Space to start and stop. True
// when the message was handled and must not be dispatched.
bool main_window_key(MSG* m);

// For the tests: the DPI the window is laid out for, whether a hot-plug
// rescan waits for its quiet period, and the rate line's figures.
UINT main_window_dpi(void);
bool main_window_rescan_pending(void);
struct PanelRate;
const PanelRate* main_window_rate(void);
