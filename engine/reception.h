// Report reception (Raw Input report -> time stamp -> statistics records), on
// the reader thread, and the choice of the record a front end displays.
#pragma once

#include <stdint.h>
#include <windows.h>

#include <atomic>

#include "core/clock_map.h"
#include "core/stats.h"
#include "core/throttle.h"
#include "devices/mouse_registry.h"

// The reader thread's buffer for one report read by message.
extern void* g_ri_buf;
extern UINT g_ri_cap;
extern int g_display_dev;                          // slot, or negative for automatic
// What decides the background throttle, as read when measuring last started.
extern ThrottleSettings g_throttle_settings;
extern ThrottleDecision g_throttle;

// Reads the throttle settings and gives the statistics the period to look for.
void reception_read_throttle(void);

// Counter value when measuring last stopped, where the plot's time axis ends;
// 0 while a run has not been stopped.
extern int64_t g_run_stop_t;

// Starts a run afresh: every record, the arrival log and the clock map
// cleared, and the clock map's first sample taken. Only while no reader runs.
void reception_start_run(void);
// Stops measuring and notes when.
void reception_stop_run(void);
// Pairs the counter with the precise UTC clock once more (status lines, end).
void reception_sample_clock(void);

// Whether the program is the foreground application, as its window learns it
// (the console's hidden window never is).
extern std::atomic<bool> g_app_foreground;
// Where a report's background mark comes from: its input code where the
// platform follows the documented rule (RIM_INPUTSINK: background), else the
// program's own foreground state. Set when a reader starts.
extern bool g_input_codes_follow_foreground;

// One report read by its WM_INPUT message: a batch of one. input_code is
// WM_INPUT's wParam (RIM_INPUT or RIM_INPUTSINK).
void on_wm_input(HRAWINPUT report, WPARAM input_code);
// The count reports of one GetRawInputBuffer read (bytes of buffer at first),
// all stamped t: the moment they were read.
void reception_take_batch(const RAWINPUT* first, UINT count, UINT bytes, int64_t t);
DeviceStats* display_stats(void);

// The slot of the mouse heard from last within 1.5 s, or 0 when none; the rule
// of automatic selection, also used by the panel's active-device line.
int most_recent_active_slot(int64_t now);
