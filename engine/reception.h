// Report reception (WM_INPUT -> time stamp -> statistics records) and the
// choice of the record a front end displays.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "core/clock_map.h"
#include "core/stats.h"
#include "core/throttle.h"
#include "devices/mouse_registry.h"

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
// cleared, and the clock map's first sample taken.
void reception_start_run(void);
// Stops measuring and notes when.
void reception_stop_run(void);
// Pairs the counter with the precise UTC clock once more (status lines, end).
void reception_sample_clock(void);

// input_code is WM_INPUT's wParam: RIM_INPUT when the listener was in the
// foreground, RIM_INPUTSINK when it was in the background.
void on_wm_input(HRAWINPUT report, WPARAM input_code);
// Drops the mouse reports waiting in this thread's queue after it was held
// elsewhere, and makes the next interval of every record a pause.
void reception_discard_queued(void);
DeviceStats* display_stats(void);

// The slot of the mouse heard from last within 1.5 s, or 0 when none; the rule
// of automatic selection, also used by the panel's active-device line.
int most_recent_active_slot(int64_t now);
