// Console measurement mode: a hidden message-only window receives the reports,
// and a status line is rewritten on standard output twice a second.
#pragma once

#include <atomic>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <windows.h>

#include "core/arrival_log.h"
#include "core/distribution.h"
#include "core/report_clock.h"
#include "core/stats.h"
#include "core/throttle.h"

extern std::atomic<int32_t> g_console_run;
struct Run;
// The console's run, for tests: its measuring switch, and after a run ends
// what it counted and chose (the pages are given back; the counts stay).
Run* console_run_for_tests(void);
// Where console mode prints; null means standard output. Tests point it at a file.
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
};
int run_console_with(const ConsoleRun* run);
LRESULT CALLBACK console_wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
BOOL WINAPI console_ctrl(DWORD event_type);

// "\rAvg=... Time=...s" without a line break; returns what snprintf returns.
int format_status_line(char* buf, size_t cap, const StatsReadings* r);
// "Device: <name>\n" with the slot's display name in UTF-8.
void format_device_line(char* buf, size_t cap, int slot);
// The line printed before measuring when Windows throttles background input.
void format_throttle_warning(char* buf, size_t cap, const ThrottleSettings* s,
                             const ThrottleDecision* d);
// "Background reports: N of M\n", naming the throttle when its signature shows.
void format_background_line(char* buf, size_t cap, const StatsReadings* r, double throttle_period_us);
// "Report clock: period_us=... rate_hz=... drift_ppm=... filled=...% jitter_p50_us=...
// jitter_p99_us=...\n", or "Report clock: none (REASON)\n".
void format_clock_line(char* buf, size_t cap, const ReportClockFigures* c);
// The end-of-run block: "Summary: ...", intervals, percentiles, rates,
// stability and counts, how the reports were read, the report clock, the
// motion lines, then what the log covers when not the whole run (log null:
// no log, as for a CSV read back).
void format_summary(char* buf, size_t cap, const char* name, const StatsReadings* r,
                    const Distribution* d, const ReportClockFigures* clock,
                    const MotionFigures* m, ArrivalView* log, double freq);
// One "Hint: ..." line for each hint that applies; empty when none does.
void format_motion_hints(char* buf, size_t cap, const MotionHints* h, const MotionFigures* m);
