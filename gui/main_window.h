// The main window: device chooser, start/stop, clear data, capture diagnostic
// and about, above the statistics panel repainted ten times a second.
#pragma once

#include <windows.h>

#include "core/run.h"

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

extern HWND g_hWnd;
extern HWND g_hCombo;
extern HWND g_hStart;
extern int g_rescan_pending;
extern UINT g_window_dpi;  // the DPI the window is laid out for

extern const wchar_t g_help_text[];

// The run the window measures, made at first use (the panel, the plot and
// the tests read it); freed when the window's loop ends.
Run* main_window_run(void);
void main_window_run_free(void);

LRESULT CALLBACK gui_wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
// WM_DPICHANGED: takes the rectangle Windows suggests (lparam).
void gui_move_to_suggested(HWND hwnd, LPARAM lparam);

// Registers the class "Quorvin" and creates the main window (g_hWnd); null,
// after telling the user, when either fails.
HWND create_main_window(void);
// Builds the registry, creates the window and runs its message loop; the exit code.
int run_main_window(void);
