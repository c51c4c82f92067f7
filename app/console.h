// Console measurement mode: a hidden message-only window receives the reports,
// and a status line is rewritten on standard output twice a second.
#pragma once

#include <atomic>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <windows.h>

#include "core/runs/arrival_log.h"
#include "core/figures/distribution.h"
#include "core/figures/report_clock.h"
#include "core/figures/stats.h"
#include "core/figures/throttle.h"
#include "app/console_text.h"

// Whether the console's run goes on. A process-wide switch because Windows
// calls the Ctrl+C handler (console_ctrl) on a thread of its own, with no
// way to hand it the run; 0 ends the run's message loop.
extern std::atomic<int32_t> g_console_run;
struct Run;
// The console's run, for tests: its measuring switch, and after a run ends
// what it counted and chose (the pages are given back; the counts stay).
Run* console_run_for_tests(void);
// Where console mode prints; null means standard output (the process has
// one). Tests point it at a file.
extern FILE* g_console_out;

// run_seconds > 0 ends the measurement by itself after that long, as Ctrl+C would.
// csv_path, when given, receives every logged report, written as the run goes
// into "<csv_path>.partial", which replaces csv_path at the end (1, and
// nothing created, when it cannot be written).
int run_console(int device_index, double run_seconds, const wchar_t* csv_path = NULL);

// A console run with everything it may do besides measuring.
struct ConsoleRun {
    int device_index;
    double run_seconds;
    const wchar_t* csv_path;       // --csv FILE, or null
    bool usb;                      // --usb: capture USB alongside and compare the layers
    const wchar_t* usb_save_path;  // --usb-save FILE, or null
    const wchar_t* device_arg;     // INDEX as given, or null: one that names no mouse is noted
    const wchar_t* json_path;      // --json FILE, or null
    double chatter_ms = kChatterDefaultMs;  // --chatter-ms N
};
int run_console_with(const ConsoleRun* run);
LRESULT CALLBACK console_wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
BOOL WINAPI console_ctrl(DWORD event_type);

