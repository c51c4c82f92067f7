// A run's one way in: where a report is counted, that the log never holds
// fewer reports than the all-mice record counts, and a pause for every record.
// 10 MHz counter (10 ticks per microsecond).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/runs/run.h"

namespace {

const int64_t kTicksPerMs = 10000;

Run s_run;  // static storage: a run is too large for a stack

TEST(RunTakeReport, CountsInTheAllMiceRecordTheLogAndItsMouseAndPausesEveryRecord) {
    ::Run& run = s_run;
    run_init(&run, 1e7);
    const ReportMotion m = {3, -2, 0, 0, 0};
    ArrivalClass own = ARRIVAL_PAUSE;
    EXPECT_EQ(run_take_report(&run, 5000, 2, true, nullptr, &m, &own), ARRIVAL_FIRST);
    EXPECT_EQ(own, ARRIVAL_FIRST);
    EXPECT_EQ(run.records[0].arrival_count, 1u);
    EXPECT_EQ(run.records[2].arrival_count, 1u);
    EXPECT_EQ(run.records[1].arrival_count, 0u);
    EXPECT_EQ(run.records[2].background_count, 1u);
    ArrivalView v = {};
    arrival_view_take(&v, &run.log, ARRIVAL_READER_TEST);
    ASSERT_EQ(arrival_view_count(&v), 1u);
    const Arrival a = arrival_view_at(&v, 0);
    EXPECT_EQ(a.t, 5000);
    EXPECT_EQ(a.slot, 2);
    EXPECT_TRUE(a.background);
    EXPECT_EQ(a.motion.dx, 3);
    EXPECT_EQ(a.motion.dy, -2);
    arrival_view_release(&v);

    // Whenever a reader of figures looks, every report the all-mice record
    // counts is in the log already: rows written after a status line hold
    // at least what it showed.
    run_clear(&run);
    std::atomic<bool> done{false};
    std::thread reader_thread([&run, &done] {
        for (int i = 0; i < 200000; i++)
            run_take_report(&run, 1000 + i * kTicksPerMs, 1 + i % 3, false, nullptr, nullptr);
        done = true;
    });
    uint64_t looks = 0, behind = 0;
    while (!done) {
        StatsReadings r;
        stats_read(&run.records[0], &r);
        behind += run.log.next.load() < r.arrival_count;
        looks++;
    }
    reader_thread.join();
    EXPECT_EQ(behind, 0u) << "of " << looks << " looks";
    EXPECT_EQ(run.log.next.load(), 200000u);

    // A lost report: every record's next interval is a pause, once. Each read
    // brings one report of every mouse, 1 ms after the last read.
    run_clear(&run);
    const ArrivalClass wanted[3] = {ARRIVAL_FIRST, ARRIVAL_PAUSE, ARRIVAL_ACCEPTED};
    for (int read = 0; read < 3; read++) {
        if (read == 1)
            run_pause_all(&run);
        const int64_t t = 1000 + read * kTicksPerMs;
        uint64_t positions[STATS_RECORDS] = {};
        for (int slot = 1; slot < RUN_SLOTS; slot++) {
            const ArrivalClass all = run_take_report(&run, t, slot, false, positions, nullptr, &own);
            const ArrivalClass want = wanted[read];
            ASSERT_EQ(own, want) << "read " << read << ", slot " << slot;
            if (slot == 1) {
                ASSERT_EQ(all, want) << "read " << read << ", all mice";
            }
        }
    }
    EXPECT_EQ(run.records[0].batch_count, 3u);
    run_free(&run);
}

}  // namespace
