// Report reception (Raw Input report -> time stamp -> statistics records), on
// the reader thread, and the choice of the record a front end displays.
#pragma once

#include <stdint.h>
#include <windows.h>

#include <atomic>

#include "core/runs/run.h"
#include "devices/mouse_registry.h"

// What the reader thread stamps into: the run it was started with, and its
// own buffer for a report read by message. Only the reader thread touches it
// between reader_start and reader_stop.
struct Reception {
    Run* run;
    void* buffer;
    UINT capacity;
    // Where a report's background mark comes from: its input code where the
    // platform follows the documented rule (RIM_INPUTSINK: background), else
    // the program's own foreground state. Set when a reader starts.
    bool input_codes_follow_foreground;
};

// Gives back the report buffer.
void reception_free(Reception* r);

// Reads the throttle settings into the run; its records look for the period.
void reception_read_throttle(Run* run);

// Starts a run afresh: every record, the arrival log and the clock map
// cleared, and the clock map's first sample taken. Only while no reader
// writes into it.
void reception_start_run(Run* run);
// Stops measuring and notes when.
void reception_stop_run(Run* run);
// Pairs the counter with the precise UTC clock once more (status lines, end).
void reception_sample_clock(Run* run);

// Whether the program is the foreground application, as its window learns it
// (the console's hidden window never is). One flag for the process: Windows
// has one foreground application, whatever run is measuring.
extern std::atomic<bool> g_app_foreground;

// One report read by its WM_INPUT message: a batch of one. input_code is
// WM_INPUT's wParam (RIM_INPUT or RIM_INPUTSINK).
void on_wm_input(Reception* r, HRAWINPUT report, WPARAM input_code);
// The count reports of one GetRawInputBuffer read (bytes of buffer at first),
// all stamped t: the moment they were read.
void reception_take_batch(Reception* r, const RAWINPUT* first, UINT count, UINT bytes, int64_t t);
// The record the front end shows: the run's chosen mouse, or the one heard
// from last when the choice is automatic.
DeviceStats* display_stats(Run* run);

// The slot of the mouse heard from last within 1.5 s, or 0 when none; the rule
// of automatic selection, also used by the panel's active-device line.
int most_recent_active_slot(int64_t now, double freq);
