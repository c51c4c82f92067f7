// What the plot benchmarks measure against: a log of reports of mouse 1,
// 1000 us apart with +-30 us of jitter (a fixed seed), recorded as the
// reader thread records them, each with motion in a known pattern: dx +3 and
// -3 alternately, dy -3..3 in turn, every 50th report without motion.
#pragma once

#include "core/runs/run.h"

// Fills the run's log and records 0 and 1; the last report's counter value (10 MHz).
inline int64_t bench_fill_log(Run* run, int reports) {
    int64_t t = 1000;
    unsigned seed = 1;
    for (int i = 0; i < reports; i++) {
        seed = seed * 1103515245u + 12345u;
        t += 10000 + (int64_t)(seed >> 16) % 600 - 300;
        ArrivalClass c = record_arrival(&run->records[0], t);
        const bool still = i % 50 == 0;
        const ReportMotion motion = {still ? 0 : i % 2 ? 3 : -3, still ? 0 : i % 7 - 3, 0, 0, 0};
        arrival_log_append(&run->log, t, 1, false, c, &motion);
        record_arrival(&run->records[1], t);
    }
    return t;
}
