// The report clock of one record, fed from the arrival log by the thread that
// shows it (never the reader's): a cursor walks the reports logged since the
// last call, so the whole run passes through the estimator in fixed memory
// even when the log later drops its oldest blocks.
#pragma once

#include <stdint.h>

#include <atomic>

#include "core/runs/arrival_log.h"
#include "core/figures/report_clock.h"

struct ArrivalClockFeed {
    int slot;           // the record: 0 takes every report, n > 0 that mouse's
    uint64_t next;      // absolute log index of the next report to take
    uint64_t dropped;   // reports the log gave up before they were taken
};

void arrival_clock_feed_init(ArrivalClockFeed* f, int slot);
// Adds the record's reports of the view since the cursor. Times are
// microseconds from the log's first report (the CSV's t_us), so a run's
// clock and that of its CSV read back are the same to the last bit.
// When stop is given and becomes true, it ends at the next run of the log
// (the cursor stays where it ended).
void arrival_clock_feed(ReportClock* c, ArrivalClockFeed* f, ArrivalView* v, double freq,
                        const std::atomic<bool>* stop = nullptr);

// The figures as if the stream ended now, the estimator left as it is, so
// that it goes on taking reports (a copy is finished; about 60 KiB and the
// jitter's pages). False as report_clock_finish, or for want of memory.
bool report_clock_peek(const ReportClock* c, ReportClockFigures* out);

// A record's clock as a window shows it while the run goes on: the thread
// that draws keeps one, and each look feeds it what the log gained since.
struct RecordClock {
    ReportClock clock;
    ArrivalClockFeed feed;
    uint32_t generation;  // the log's run it follows
    bool started;
};

// Feeds the reports of record slot that v holds since the last look (anew
// when the slot or the log's run changed) and gives the figures now.
void record_clock_look(RecordClock* r, ArrivalView* v, int slot, double freq, ReportClockFigures* out,
                       const std::atomic<bool>* stop = nullptr);
void record_clock_free(RecordClock* r);
