// A run: everything one measurement holds, in one object that the front end
// running it owns (the window's, the console's, a saved run read back from
// its CSV). The reader thread writes only into the run it was started with.
//
// Every report of every source enters through run_take_report, which feeds
// the all-mice record, the arrival log and the sending mouse's record: the
// reader thread calls it for each report it stamps, and a CSV read back
// replays each row through it, so a saved run's figures are counted by the
// very code that counted them live.
#pragma once

#include <stdint.h>

#include <atomic>

#include "core/runs/arrival_log.h"
#include "core/runs/clock_map.h"
#include "core/figures/stats.h"
#include "core/figures/throttle.h"

enum { RUN_SLOTS = STATS_RECORDS - 1 };  // mouse slots 0..63: 0 all mice

struct Run {
    double freq;  // counter ticks per second, for every record and the log
    // On while the reader counts. Set after the records are cleared (release),
    // so the reader thread, which writes only while it sees it on (acquire),
    // never writes into a clearing.
    std::atomic<int32_t> measuring;
    int chosen_slot;  // the record shown: a slot, or negative for automatic
    int64_t stop_t;   // counter value when measuring last stopped; 0 while not stopped
    // What decides the background throttle, as read when measuring started.
    ThrottleSettings throttle_settings;
    ThrottleDecision throttle;
    DeviceStats records[STATS_RECORDS];  // 0: all mice; n: registry slot n
    // Every report in arrival order, for the plot, the CSV and the console's
    // report clock; a saved run read only for its figures keeps none.
    bool keeps_log;
    ArrivalLog log;
    // Written by the front end's own thread (see core/runs/clock_map.h).
    ClockMap clock_map;
};

// A run counting at freq ticks a second, empty, not measuring, its choice
// automatic, keeping its log. The run is large (the clock map, 65 records): a front end keeps
// it in static storage or on the heap (run_new), never on a stack.
void run_init(Run* run, double freq);
// Gives back every page and block and the locks; run_init makes it anew.
void run_free(Run* run);
// A run on the heap, initialised; null when memory ran out.
Run* run_new(double freq);
void run_delete(Run* run);

// Starts afresh: every record and the arrival log cleared, the clock map
// emptied. Only while no reader writes into it.
void run_clear(Run* run);
// The throttle as read when measuring starts; its period is what the
// signature of every record looks for.
void run_set_throttle(Run* run, const ThrottleSettings* settings, ThrottleDecision decision);

inline bool run_measuring(const Run* run) { return run->measuring.load(std::memory_order_acquire) != 0; }
inline void run_set_measuring(Run* run, bool on) {
    run->measuring.store(on ? 1 : 0, std::memory_order_release);
}

// Every record counts as chatter a press less than ms after the same
// button's release (10 by default; a clearing keeps it).
void run_set_chatter_ms(Run* run, double ms);

// The one way in. A report of mouse `slot` (0: a source that names none)
// stamped t: counted in the all-mice record, appended to the log, and counted
// in its mouse's record, its buttons and wheel in each (record_buttons). positions[r] counts record r's reports that the same
// read brought before this one (advanced here); null for a read of one
// report. motion: what the report carried, null for nothing. Returns the
// class in the all-mice record (what the log keeps); own_class, when given,
// receives the class in the mouse's own record (the all-mice one for slot 0).
ArrivalClass run_take_report(Run* run, int64_t t, int slot, bool background, uint64_t* positions,
                             const ReportMotion* motion, ArrivalClass* own_class = nullptr);
// Every record's next interval is a pause: a report was lost, or the program
// was not listening, so the interval across it says nothing of the mouse.
void run_pause_all(Run* run);
