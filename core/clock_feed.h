// Feeds report clocks on a thread of their own. A capture walk spends some
// 17 ns on a record and the clock about as much again on its report; handed
// over in chunks, the clock's share runs beside the walk on the other core,
// and the walk pays one store a report. Each clock still sees its reports in
// order, from one thread at a time, so the figures are those of feeding it
// in place.
#pragma once

#include <pthread.h>
#include <stdint.h>

#include "core/report_clock.h"

enum { CLOCK_FEED_CHUNK = 16384 };

struct ClockFeedEntry {
    ReportClock* clock;
    double t_us;
};

struct ClockFeed {
    ClockFeedEntry* chunk[2];
    int filling;           // the chunk the walk writes; the other is the worker's
    uint32_t n;            // entries in the filling chunk
    bool threaded;         // false: no thread could be made, chunks are fed in place
    // Under lock:
    bool handed;           // the worker's chunk holds handed_n entries to feed
    uint32_t handed_n;
    bool ending;
    pthread_t worker;
    pthread_mutex_t lock;
    pthread_cond_t changed;
};

// A feed with its worker; null without memory. Without a thread it still
// works, feeding each chunk in place.
ClockFeed* clock_feed_start(void);
// Feeds everything handed so far, ends the worker and gives the feed back;
// the clocks are the caller's again afterwards. Null is allowed.
void clock_feed_end(ClockFeed* f);
// Hands the filling chunk to the worker (waiting while it still feeds the
// other one).
void clock_feed_hand(ClockFeed* f);

inline void clock_feed_add(ClockFeed* f, ReportClock* c, double t_us) {
    f->chunk[f->filling][f->n] = ClockFeedEntry{c, t_us};
    if (++f->n == CLOCK_FEED_CHUNK)
        clock_feed_hand(f);
}
