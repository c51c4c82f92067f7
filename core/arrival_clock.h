// The report clock of one record, fed from the arrival log by the thread that
// shows it (never the reader's): a cursor walks the reports logged since the
// last call, so the whole run passes through the estimator in fixed memory
// even when the log later drops its oldest blocks.
#pragma once

#include <stdint.h>

#include "core/arrival_log.h"
#include "core/report_clock.h"

struct ArrivalClockFeed {
    int slot;           // the record: 0 takes every report, n > 0 that mouse's
    uint64_t next;      // absolute log index of the next report to take
    uint64_t dropped;   // reports the log gave up before they were taken
};

void arrival_clock_feed_init(ArrivalClockFeed* f, int slot);
// Adds the record's reports of the view since the cursor. Times are
// microseconds from the log's first report (the CSV's t_us), so a run's
// clock and that of its CSV read back are the same to the last bit.
void arrival_clock_feed(ReportClock* c, ArrivalClockFeed* f, ArrivalView* v, double freq);
