// Interval statistics: classification, histogram bounds, the one-second window,
// reset, and the record's distribution against sorting its intervals, checked
// on a 10 MHz counter (10 ticks per microsecond).
#include <gtest/gtest.h>
#include <math.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "core/figures/gap_rule.h"
#include "core/figures/stats.h"
#include "tests/fakes/fake_heap.h"
#include "tests/support/stats_suite.h"

namespace {

const int64_t kTicksPerUs = 10;

class StatsTest : public StatsSuite {
protected:
    // A fresh run on a 10 MHz counter for each test (some change a record's frequency).
    void SetUp() override {
        restart_run(10000000.0);
        rec = &run()->records[1];
    }
    // One report every interval_us after the previous one.
    void feed(int64_t interval_us, int times = 1) {
        for (int i = 0; i < times; i++) {
            now += interval_us * kTicksPerUs;
            record_arrival(rec, now);
        }
    }
    StatsReadings readings() {
        StatsReadings r;
        stats_read(rec, &r);
        return r;
    }
    DeviceStats* rec;
    int64_t now = 5000000;
};

TEST_F(StatsTest, WorkedExampleGivesTheDocumentedReadings) {
    const int64_t stamps[] = {5000000, 5010000, 5010500, 5020500, 5620500, 5640500};
    for (int64_t t : stamps)
        record_arrival(rec, t);

    EXPECT_EQ(rec->interval_count, 3u);
    EXPECT_DOUBLE_EQ(rec->interval_sum_us, 4000);
    EXPECT_EQ(rec->bucket_count[4], 2u);
    EXPECT_EQ(rec->bucket_count[5], 1u);
    EXPECT_EQ(rec->window_count, 3u);
    StatsReadings r = readings();
    EXPECT_DOUBLE_EQ(r.average_hz, 750);
    EXPECT_DOUBLE_EQ(r.lowest_instant_hz, 500);
    EXPECT_DOUBLE_EQ(r.highest_instant_hz, 1000);
    EXPECT_DOUBLE_EQ(r.last_second_lowest_hz, 500);
    EXPECT_EQ(r.report_count, 3u);
    EXPECT_EQ(r.coalesced_count, 1u);
    EXPECT_NEAR(r.elapsed_s, 0.06405, 1e-12);
}

TEST_F(StatsTest, FirstReportOnlyPrimesTheRecord) {
    record_arrival(rec, now);
    EXPECT_EQ(rec->first_ts, now);
    EXPECT_EQ(rec->last_ts, now);
    StatsReadings r = readings();
    EXPECT_EQ(r.average_hz, 0);
    EXPECT_EQ(r.lowest_instant_hz, 0);
    EXPECT_EQ(r.highest_instant_hz, 0);
    EXPECT_EQ(r.last_second_lowest_hz, 0);
    EXPECT_EQ(r.report_count, 0u);
    EXPECT_EQ(r.elapsed_s, 0);
}

TEST_F(StatsTest, AcceptanceBoundsAreInclusiveAndLateReportsStillAdvanceTime) {
    record_arrival(rec, now);
    feed(50000);  // exactly the longest accepted interval
    EXPECT_EQ(rec->interval_count, 1u);
    EXPECT_EQ(rec->bucket_count[7], 1u);

    now += 50000 * kTicksPerUs + 1;  // a tick longer: a pause
    record_arrival(rec, now);
    EXPECT_EQ(rec->interval_count, 1u);
    EXPECT_EQ(rec->last_ts, now);
    EXPECT_NEAR(rec->elapsed_ms, 100.0001, 1e-9);

    feed(100);  // exactly the shortest accepted interval, measured from the pause's end
    EXPECT_EQ(rec->interval_count, 2u);
    EXPECT_EQ(rec->bucket_count[0], 1u);
    EXPECT_DOUBLE_EQ(readings().highest_instant_hz, 10000);

    now += 100 * kTicksPerUs - 1;  // a tick shorter: coalesced
    record_arrival(rec, now);
    record_arrival(rec, now);  // same counter value: interval 0
    EXPECT_EQ(rec->coalesced_count, 2u);
    EXPECT_EQ(rec->interval_count, 2u);
}

TEST_F(StatsTest, BucketBoundsFollowTheToleranceRule) {
    EXPECT_EQ(stats_bucket_of(100), 0);
    EXPECT_EQ(stats_bucket_of(nextafter(125.0, 0.0)), 0);
    EXPECT_EQ(stats_bucket_of(125), 1);
    EXPECT_EQ(stats_bucket_of(250 / 1.15), 1);
    EXPECT_EQ(stats_bucket_of(nextafter(250 / 1.15, 1e9)), 2);
    const double bound3 = 1000 / 1.15;
    EXPECT_EQ(stats_bucket_of(bound3), 3);
    EXPECT_EQ(stats_bucket_of(nextafter(bound3, 1e9)), 4);
    EXPECT_EQ(stats_bucket_of(1000), 4);
    EXPECT_EQ(stats_bucket_of(2000), 5);
    EXPECT_EQ(stats_bucket_of(4000), 6);
    EXPECT_EQ(stats_bucket_of(8000), 7);
    EXPECT_EQ(stats_bucket_of(50000), 7);
}

TEST_F(StatsTest, OneSecondWindowClosesOnTheReportThatReachesItsAge) {
    record_arrival(rec, now);
    feed(1000);  // opens the window at this report
    const int64_t opened = now;
    feed(1000, 998);  // 999 intervals, age 998 ms
    EXPECT_EQ(rec->window_count, 999u);
    feed(1000);  // age reaches 999 ms
    EXPECT_EQ(rec->window_count, 1000u);
    feed(1000);  // age 1000 ms: closed, with this interval
    EXPECT_EQ(now - opened, 1000 * 1000 * kTicksPerUs);
    EXPECT_EQ(rec->window_count, 0u);
    EXPECT_DOUBLE_EQ(readings().last_second_lowest_hz, 1000);  // the closed window's
    feed(2000);  // the next accepted interval opens a fresh window
    EXPECT_EQ(rec->window_count, 1u);
    EXPECT_EQ(rec->window_start_ts, now);
    EXPECT_DOUBLE_EQ(readings().last_second_lowest_hz, 500);
}

TEST_F(StatsTest, StaleWindowSurvivesAPauseAndStandsUntilTheNextCloses) {
    record_arrival(rec, now);
    feed(4000, 3);  // window open, max 4000 us
    EXPECT_DOUBLE_EQ(readings().last_second_lowest_hz, 250);
    feed(2000000);  // a two-second pause: discarded
    EXPECT_DOUBLE_EQ(readings().last_second_lowest_hz, 250);
    feed(1000);  // added to the stale window, which it closes
    EXPECT_EQ(rec->window_count, 0u);
    EXPECT_DOUBLE_EQ(readings().last_second_lowest_hz, 250);
    feed(1000);  // opens a fresh one
    EXPECT_DOUBLE_EQ(readings().last_second_lowest_hz, 250);
    feed(1000, 1000);  // which closes
    EXPECT_DOUBLE_EQ(readings().last_second_lowest_hz, 1000);
}

TEST_F(StatsTest, AHitchThatClosesTheWindowShowsUntilTheNextClosesAndResetClearsIt) {
    record_arrival(rec, now);
    feed(1000, 999);
    feed(20000);  // age 1018 ms: the hitch closes the window
    EXPECT_EQ(rec->window_count, 0u);
    EXPECT_DOUBLE_EQ(readings().last_second_lowest_hz, 50);
    feed(1000, 1000);  // the next window, still open
    EXPECT_EQ(rec->window_count, 1000u);
    EXPECT_DOUBLE_EQ(readings().last_second_lowest_hz, 50);
    feed(1000);  // closes without a hitch
    EXPECT_EQ(rec->window_count, 0u);
    EXPECT_DOUBLE_EQ(readings().last_second_lowest_hz, 1000);
    run_clear(run());
    EXPECT_EQ(readings().last_second_lowest_hz, 0);
}

TEST_F(StatsTest, OnlyCoalescedAndDiscardedIntervalsShowNoRates) {
    record_arrival(rec, now);
    feed(50);
    feed(60000);
    feed(10);
    StatsReadings r = readings();
    EXPECT_EQ(r.average_hz, 0);
    EXPECT_EQ(r.lowest_instant_hz, 0);
    EXPECT_EQ(r.highest_instant_hz, 0);
    EXPECT_EQ(r.last_second_lowest_hz, 0);
    EXPECT_EQ(r.report_count, 0u);
    EXPECT_EQ(r.coalesced_count, 2u);
    EXPECT_NEAR(r.elapsed_s, 0.06006, 1e-12);
}

TEST_F(StatsTest, ResetWhileMeasuringKeepsTheSwitchAndStartsAfresh) {
    run_set_measuring(run(), true);
    record_arrival(rec, now);
    feed(1000, 5);
    run_clear(run());
    EXPECT_TRUE(run_measuring(run()));
    EXPECT_EQ(rec->first_ts, 0);
    EXPECT_EQ(rec->interval_count, 0u);

    feed(1000);  // first report after the reset: no interval spans it
    EXPECT_EQ(rec->first_ts, now);
    EXPECT_EQ(rec->interval_count, 0u);
    feed(1000);
    EXPECT_EQ(rec->interval_count, 1u);
    run_set_measuring(run(), false);
}

TEST_F(StatsTest, ZeroFrequencyDiscardsInsteadOfCountingNaN) {
    rec->freq = 0;
    record_arrival(rec, now);
    feed(1000);
    EXPECT_EQ(rec->interval_count, 0u);
    EXPECT_EQ(rec->coalesced_count, 0u);
}

TEST_F(StatsTest, RecordDistributionIsTheDistributionOfItsIntervals) {
    // A jittery 1 kHz mouse on an odd counter, with merged deliveries, pauses,
    // a stop in listening and background reports.
    run_free(run());  // what earlier tests made is not counted
    fake_heap_reset();
    run_init(run(), 3579545.0);
    std::mt19937 rng(5);
    std::normal_distribution<double> jitter(1000, 60);
    std::vector<double> accepted;
    uint64_t coalesced = 0, pauses = 0, background = 0;
    record_arrival(rec, now);
    for (int i = 1; i < 20000; i++) {
        double us = i % 501 == 0 ? 30 : i % 733 == 0 ? 80000 : i % 97 == 0 ? 49990 : jitter(rng);
        int64_t ticks = (int64_t)(us * rec->freq / 1e6);
        bool paused = i % 4001 == 0;
        if (paused)
            run_pause_all(run());
        now += ticks;
        record_arrival(rec, now, i % 3 == 0);
        background += i % 3 == 0;
        GapKind kind = paused ? GAP_PAUSE : gap_kind(ticks_to_us(ticks, rec->freq));
        if (kind == GAP_ACCEPTED)
            accepted.push_back(ticks_to_us(ticks, rec->freq));
        coalesced += kind == GAP_COALESCED;
        pauses += kind == GAP_PAUSE;
    }
    Distribution sorted = {}, d = {};
    distribution_of(accepted.data(), accepted.size(), &sorted);
    record_distribution(rec, &d);
    EXPECT_EQ(d.n, sorted.n);
    for (int i = 0; i < PCT_COUNT; i++)
        EXPECT_EQ(d.pct_us[i], sorted.pct_us[i]) << i;
    EXPECT_EQ(d.min_us, sorted.min_us);
    EXPECT_EQ(d.max_us, sorted.max_us);
    EXPECT_NEAR(d.mean_us, sorted.mean_us, 1e-9);
    EXPECT_NEAR(d.sd_us, sorted.sd_us, 1e-9);
    EXPECT_EQ(d.stability_pct, sorted.stability_pct);
    EXPECT_EQ(d.coalesced, coalesced);
    EXPECT_EQ(d.pauses, pauses);
    EXPECT_EQ(d.background, background);
    EXPECT_GT(coalesced * pauses, 0u);

    // Reset keeps the pages for the next run; a new frequency starts afresh;
    // freeing gives every block back.
    const int pages = g_fake_heap.live_blocks;
    run_clear(run());
    record_distribution(rec, &d);
    EXPECT_EQ(d.n, 0u);
    EXPECT_EQ(g_fake_heap.live_blocks, pages);
    rec->freq = 1e7;
    feed(1000);
    feed(1000);
    record_distribution(rec, &d);
    EXPECT_EQ(d.n, 1u);
    EXPECT_EQ(d.pct_us[PCT_50], 1000);
    run_free(run());
    EXPECT_EQ(g_fake_heap.live_blocks, 0);
    run_init(run(), 1e7);  // the suite gives it back at its end
}

// A reader of the figures while the reader thread counts: every read is the
// distribution of the first n intervals exactly, for its n, however the
// page-at-a-time copy met the counting.
TEST_F(StatsTest, FiguresReadWhileCountingAreThoseOfAWholePrefix) {
    std::mt19937 rng(11);
    std::vector<int64_t> ticks(100000);
    for (int64_t& t : ticks)  // spread over 100 us..50 ms: every page of the histogram
        t = 1000 + (int64_t)(rng() % 499001);
    record_arrival(rec, now);
    std::atomic<bool> reading{false}, done{false};
    std::thread writer([&] {
        while (!reading)
            std::this_thread::yield();
        int64_t t = now;
        for (int64_t gap : ticks) {
            record_arrival(rec, t += gap);
            // A report every 2 us or so: far faster than a mouse, slow enough
            // for many reads to meet the counting.
            const auto due = std::chrono::steady_clock::now() + std::chrono::microseconds(2);
            while (std::chrono::steady_clock::now() < due) {
            }
        }
        done = true;
    });
    GapHistogram prefix = {};
    gap_histogram_init_ticks(&prefix, rec->freq);
    int reads_while_counting = 0;
    for (bool last = false; !last && !HasFailure();) {
        last = done;
        Distribution d = {}, expected = {};
        record_distribution(rec, &d);
        reading = true;
        if (d.n > ticks.size())
            break;
        while (prefix.n < d.n)
            gap_histogram_add(&prefix, ticks[prefix.n]);
        distribution_of_histogram(&prefix, &expected);
        EXPECT_EQ(d.n, expected.n);
        EXPECT_EQ(d.mean_us, expected.mean_us) << d.n;
        EXPECT_EQ(d.sd_us, expected.sd_us) << d.n;
        EXPECT_EQ(d.stability_pct, expected.stability_pct) << d.n;
        for (int i = 0; i < PCT_COUNT; i++)
            EXPECT_EQ(d.pct_us[i], expected.pct_us[i]) << d.n;
        reads_while_counting += !last && d.n > 0 && d.n < ticks.size();
    }
    writer.join();
    EXPECT_EQ(prefix.n, ticks.size());
    EXPECT_GT(reads_while_counting, 0);
    gap_histogram_free(&prefix);
}

}  // namespace
