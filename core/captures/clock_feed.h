// Feeds report clocks on a thread of their own. A capture walk spends some
// 17 ns on a record and the clock about as much again on its report; handed
// over in chunks, the clock's share runs beside the walk on the other core,
// and the walk pays two stores a report (the clock and the time). Each
// clock still sees its reports in order, from one thread at a time, so the
// figures are those of feeding it in place.
#pragma once

#include <pthread.h>
#include <stdint.h>

#include "core/figures/report_clock.h"

// A ring of chunks, so that the walk runs ahead while the worker catches up
// (or the other way round) and neither sleeps at every hand-over: 2 MiB.
enum { CLOCK_FEED_CHUNK = 32768, CLOCK_FEED_CHUNKS = 4 };

// A chunk's reports: the clock of each beside its time, in two arrays, so
// that a run of one clock's times goes to it in one call.
struct ClockFeedChunk {
    ReportClock* clocks[CLOCK_FEED_CHUNK];
    double times[CLOCK_FEED_CHUNK];
};

struct ClockFeed {
    ClockFeedChunk* chunk[CLOCK_FEED_CHUNKS];
    ClockFeedChunk* filling;  // chunk[handed % CLOCK_FEED_CHUNKS], the walk's
    uint32_t n;               // entries in it
    bool threaded;            // false: no thread could be made, chunks are fed in place
    // Under lock (the walk alone writes handed, and reads it without):
    uint32_t count[CLOCK_FEED_CHUNKS];  // entries of each handed chunk
    uint64_t handed, fed;     // chunks handed to the worker, and fed by it
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
// Hands the filling chunk to the worker (waiting while every other chunk is
// still to be fed).
void clock_feed_hand(ClockFeed* f);

inline void clock_feed_add(ClockFeed* f, ReportClock* c, double t_us) {
    f->filling->clocks[f->n] = c;
    f->filling->times[f->n] = t_us;
    if (++f->n == CLOCK_FEED_CHUNK)
        clock_feed_hand(f);
}
