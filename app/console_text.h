// The console's text, formatted from figures core/ computed: the status
// line, the device and throttle lines, the end-of-run summary and its hints.
// Keys in English (scripts read them); the mice's names and the sentences
// after the keys in the chosen language.
#pragma once

#include <stddef.h>

#include "core/runs/arrival_log.h"
#include "core/figures/distribution.h"
#include "core/figures/motion.h"
#include "core/figures/report_clock.h"
#include "core/figures/stats.h"
#include "core/figures/throttle.h"
#include "core/views/texts.h"
#include "core/views/wide_text.h"

enum { CONSOLE_NAME_UNITS = 64 };  // room for any name console_mouse_name makes
constexpr size_t kConsoleNameBytes = wide_utf8_bytes(CONSOLE_NAME_UNITS);  // the same in UTF-8

// A registry slot's name in the chosen language, the window's too
// (devices/mouse_label): "All mice (2)", a product string with its ids,
// "Mouse VID_845E PID_0001" without one, or "HID mouse" without both ids; and
// the same in UTF-8, given room for any name (never cut).
void console_mouse_name(int slot, wchar_t* out, size_t units);
// The name in a given language: --json names the mouse in English whatever was chosen.
void console_mouse_name_in(Lang lang, int slot, wchar_t* out, size_t units);
void console_mouse_name_utf8(int slot, char* name, size_t cap);
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
// motion lines, a "Button NAME: ..." line for each button pressed and a
// "Wheel: ..." ("HWheel: ...") line for a wheel that turned (b null: none),
// then what the log covers when not the whole run (log null: no log, as for
// a CSV read back).
void format_summary(char* buf, size_t cap, const char* name, const StatsReadings* r,
                    const Distribution* d, const ReportClockFigures* clock,
                    const MotionFigures* m, ArrivalView* log, double freq,
                    const ButtonsSnapshot* b = nullptr);
// One "Hint: ..." line for each hint that applies; empty when none does.
void format_motion_hints(char* buf, size_t cap, const MotionHints* h, const MotionFigures* m);
// One "Hint: ..." line for each button that chattered and each wheel of
// which over 2 % of the notches were reversals; empty when none.
void format_button_hints(char* buf, size_t cap, const ButtonsSnapshot* b);
