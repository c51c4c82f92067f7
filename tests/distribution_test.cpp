// The distribution figures on hand-worked cases, the arrival log's bound and
// wrap-around, the clock map, and the CSV of a small log.
#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/runs/arrival_csv.h"
#include "core/runs/arrival_log.h"
#include "core/figures/distribution.h"
#include "tests/fakes/fake_heap.h"
#include "tests/support/read_all.h"

namespace {

Distribution of(std::vector<double> v) {
    Distribution d = {};
    distribution_of(v.data(), v.size(), &d);
    return d;
}

TEST(DistributionTest, HandWorkedCases) {
    Distribution d = of({});
    EXPECT_EQ(d.n, 0u);
    EXPECT_EQ(d.pct_us[PCT_50], 0);
    EXPECT_EQ(d.stability_pct, 0);

    d = of({1000});
    EXPECT_EQ(d.mean_us, 1000);
    EXPECT_EQ(d.sd_us, 0);
    for (double p : d.pct_us)
        EXPECT_EQ(p, 1000);
    EXPECT_EQ(d.stability_pct, 100);

    // Two: every rank up to 50 % is the first, above it the second.
    d = of({2000, 1000});
    EXPECT_EQ(d.pct_us[PCT_0_1], 1000);
    EXPECT_EQ(d.pct_us[PCT_50], 1000);
    EXPECT_EQ(d.pct_us[PCT_99], 2000);
    EXPECT_EQ(d.mean_us, 1500);
    EXPECT_EQ(d.sd_us, 500);
    EXPECT_EQ(d.stability_pct, 50);  // 2000 is not within 10 % of 1000

    // Ties, and the stability bound inclusive at exactly 10 %.
    d = of({1000, 1000, 1000, 1100, 900, 1101});
    EXPECT_EQ(d.pct_us[PCT_50], 1000);
    EXPECT_NEAR(d.stability_pct, 500.0 / 6, 1e-9);
    EXPECT_EQ(d.min_us, 900);
    EXPECT_EQ(d.max_us, 1101);
}

TEST(DistributionTest, RanksAreExactAtTheirBoundaries) {
    EXPECT_EQ(nearest_rank(999, 1000), 999u);  // 99.9 % of 1000
    EXPECT_EQ(nearest_rank(999, 1001), 1000u);
    EXPECT_EQ(nearest_rank(1, 1000), 1u);
    EXPECT_EQ(nearest_rank(1, 1001), 2u);
    EXPECT_EQ(nearest_rank(500, 3), 2u);
    EXPECT_EQ(nearest_rank(990, 100), 99u);
    EXPECT_EQ(nearest_rank(10, 0), 0u);
    // Far beyond what any run logs, still exact.
    EXPECT_EQ(nearest_rank(999, 10000000000001ull), 9990000000001ull);

    std::vector<double> v;
    for (int i = 1000; i >= 1; i--)
        v.push_back(i);
    Distribution d = of(v);
    EXPECT_EQ(d.pct_us[PCT_0_1], 1);
    EXPECT_EQ(d.pct_us[PCT_1], 10);
    EXPECT_EQ(d.pct_us[PCT_50], 500);
    EXPECT_EQ(d.pct_us[PCT_99], 990);
    EXPECT_EQ(d.pct_us[PCT_99_9], 999);
}

class ArrivalLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_heap_reset();
        arrival_log_set_bound(&log, 2, 3);  // blocks of 4, 12 entries at most
    }
    void TearDown() override {
        arrival_view_release(&view);
        arrival_log_free(&log);
        EXPECT_EQ(g_fake_heap.live_blocks, 0);
    }
    // What a reader sees now.
    ArrivalView* look() { return arrival_view_now(&view, &log, ARRIVAL_READER_TEST); }
    ArrivalLog log;
    ArrivalView view = {};
};

TEST_F(ArrivalLogTest, KeepsTheNewestWithinItsBoundAndClears) {
    for (int i = 0; i < 30; i++)
        arrival_log_append(&log, 5000 + 10 * i, i % 64, i % 2, ARRIVAL_ACCEPTED);
    // 30 entries, blocks of 4: the ring holds blocks 5, 6 and 7 (entries 20..29).
    EXPECT_TRUE(arrival_view_wrapped(look()));
    ASSERT_EQ(arrival_view_count(&view), 10u);
    Arrival a = arrival_view_at(&view, 0);
    EXPECT_EQ(a.t, 5200);
    EXPECT_EQ(a.slot, 20);
    EXPECT_FALSE(a.background);
    a = arrival_view_at(&view, 9);
    EXPECT_EQ(a.t, 5290);
    EXPECT_TRUE(a.background);
    EXPECT_EQ(g_fake_heap.live_blocks, 3);

    arrival_view_release(&view);  // no reader holds a block now
    arrival_log_clear(&log);
    EXPECT_EQ(arrival_view_count(look()), 0u);
    arrival_log_append(&log, 1, 1, false, ARRIVAL_FIRST);
    EXPECT_EQ(arrival_view_at(look(), 0).cls, ARRIVAL_FIRST);
    EXPECT_EQ(g_fake_heap.live_blocks, 3) << "blocks are reused after clearing";
}

// A reader in the middle of a block keeps reading what it saw while the
// writer wraps past it or clears the log; entries given up before the reader
// reached them are not read but reported; one block more at most per reader.
TEST_F(ArrivalLogTest, ABlockAReaderUsesIsNeverReusedUnderIt) {
    for (int i = 0; i < 12; i++)
        arrival_log_append(&log, 100 + i, 1, false, ARRIVAL_ACCEPTED);
    ArrivalView* v = look();
    const ArrivalEntry* run;
    ASSERT_EQ(arrival_view_run(v, 0, &run), 4u);  // block 0 pinned
    for (int i = 12; i < 24; i++)  // the ring wraps: blocks 0, 1 and 2 given up
        arrival_log_append(&log, 100 + i, 2, false, ARRIVAL_ACCEPTED);
    for (int j = 0; j < 4; j++)
        EXPECT_EQ(arrival_view_entry_t(v, run[j]), 100 + j) << "pinned block rewritten";
    EXPECT_EQ(g_fake_heap.live_blocks, 4);
    EXPECT_EQ(arrival_view_run(v, 4, &run), 0u) << "block 1 was reused before it was read";
    EXPECT_TRUE(v->lost);
    EXPECT_EQ(arrival_view_at(look(), 0).t, 112);
    EXPECT_FALSE(v->lost);

    ASSERT_EQ(arrival_view_run(v, 4, &run), 4u);  // pins the block of entries 16..19
    arrival_log_clear(&log);
    for (int i = 0; i < 12; i++)
        arrival_log_append(&log, 500 + i, 3, false, ARRIVAL_ACCEPTED);
    EXPECT_EQ(arrival_view_entry_t(v, run[0]), 116);
    EXPECT_EQ(arrival_view_run(v, 8, &run), 0u) << "a cleared run is not read";
    EXPECT_EQ(g_fake_heap.live_blocks, 4);
    EXPECT_EQ(arrival_view_at(look(), 11).t, 511);
}

// The writer on a thread of its own, wrapping a small ring many times while a
// reader walks it: every entry the reader gets is the one that was published
// at that place (t is the entry's index, the slot its low bits).
TEST_F(ArrivalLogTest, AReaderWalkingWhileTheWriterWrapsReadsOnlyWhatWasPublished) {
    arrival_log_set_bound(&log, 6, 3);  // blocks of 64
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int64_t i = 0; i < 400000; i++)
            arrival_log_append(&log, 1000 + i, (int)(i & 63), false, ARRIVAL_ACCEPTED);
        done = true;
    });
    uint64_t checked = 0, bad = 0;
    while (!done) {
        ArrivalView* v = look();
        const ArrivalEntry* run;
        uint64_t n;
        for (uint64_t k = 0; (n = arrival_view_run(v, k, &run)) != 0; k += n) {
            for (uint64_t j = 0; j < n; j++, checked++) {
                const int64_t index = arrival_view_entry_t(v, run[j]) - 1000;
                bad += index != (int64_t)(v->first + k + j) || arrival_entry_slot(run[j]) != (index & 63);
            }
        }
    }
    writer.join();
    EXPECT_EQ(bad, 0u) << "of " << checked;
    EXPECT_LE(g_fake_heap.live_blocks, 3 + ARRIVAL_LOG_READERS);
}

TEST_F(ArrivalLogTest, AFailedAllocationStopsLoggingAndKeepsWhatWasLogged) {
    g_fake_heap.fail_allocation = 2;
    for (int i = 0; i < 10; i++)
        arrival_log_append(&log, 100 * i, 1, false, ARRIVAL_ACCEPTED);
    EXPECT_TRUE(log.failed);
    EXPECT_TRUE(look()->failed);
    EXPECT_EQ(arrival_view_count(&view), 4u);
}

TEST_F(ArrivalLogTest, CsvLines) {
    // 10 MHz counter; slot 1 at 1 ms, slot 2 once; one merged delivery and a
    // pause; what the reports carried goes after the first six columns.
    const int64_t us = 10;
    const ReportMotion right = {3, -2, 0, 0, 0}, wheel = {0, 0, 0x0400, -120, 0},
                       absolute = {40000, 65535, 0x0001, 0, MOTION_FLAG_ABSOLUTE};
    arrival_log_append(&log, 1000 * us, 1, false, ARRIVAL_FIRST, &right);
    arrival_log_append(&log, 2000 * us, 1, true, ARRIVAL_ACCEPTED, &wheel);
    arrival_log_append(&log, 2050 * us, 2, true, ARRIVAL_COALESCED, &absolute);
    arrival_log_append(&log, 3000 * us, 1, false, ARRIVAL_ACCEPTED);
    arrival_log_append(&log, 90000 * us, 1, false, ARRIVAL_PAUSE);
    arrival_log_append(&log, 91000 * us, 1, false, ARRIVAL_ACCEPTED);

    ClockMap clock;
    clock_map_clear(&clock, 1e7);
    clock_map_add(&clock, 1000 * us, 1700000000000000LL);
    clock_map_add(&clock, 91000 * us, 1700000000090002LL);  // the system clock ran 2 us fast
    FILE* f = tmpfile();
    ASSERT_TRUE(write_arrival_csv(f, look(), 1e7, &clock));
    EXPECT_EQ(read_all(f),
              "t_us,slot,interval_us,class,background,utc_us,dx,dy,buttons,wheel,flags\n"
              "0.000,1,,first,0,1700000000000000,3,-2,0,0,0\n"
              "1000.000,1,1000.000,accepted,1,1700000000001000,0,0,1024,-120,0\n"
              "1050.000,2,50.000,coalesced,1,1700000000001050,40000,65535,1,0,1\n"
              "2000.000,1,950.000,accepted,0,1700000000002000,0,0,0,0,0\n"
              "89000.000,1,87000.000,pause,0,1700000000089001,0,0,0,0,0\n"
              "90000.000,1,1000.000,accepted,0,1700000000090002,0,0,0,0,0\n");
    fclose(f);
}

// Written as the run goes, across the log's bound: rows stay once written,
// a stretch the log gave up before it was written leaves a row without interval.
TEST_F(ArrivalLogTest, CsvRowsWrittenAsTheLogGrowsAndWraps) {
    ClockMap clock;
    clock_map_clear(&clock, 1e6);  // one tick per microsecond
    clock_map_add(&clock, 0, 1700000000000000LL);
    FILE* f = tmpfile();
    ArrivalCsvCursor c = {};
    ASSERT_TRUE(write_arrival_csv_header(f));
    int64_t t = 100;
    auto append = [&](int n) {
        for (int i = 0; i < n; i++, t += 1000)
            arrival_log_append(&log, t, 1, true, i ? ARRIVAL_ACCEPTED : ARRIVAL_PAUSE);
    };
    append(3);
    ASSERT_TRUE(write_arrival_csv_rows(f, &c, look(), 1e6, &clock));
    append(9);  // 12 entries: the log is full
    ASSERT_TRUE(write_arrival_csv_rows(f, &c, look(), 1e6, &clock));
    append(21);  // entries 12..32: the log keeps 24..32; 0..11 were written, 12..23 are lost
    ASSERT_TRUE(write_arrival_csv_rows(f, &c, look(), 1e6, &clock));
    EXPECT_EQ(c.rows, 12u + 9u);
    std::string text = read_all(f);
    fclose(f);
    EXPECT_EQ(text.substr(0, 116),
              "t_us,slot,interval_us,class,background,utc_us,dx,dy,buttons,wheel,flags\n"
              "0.000,1,,pause,1,1700000000000100,0,0,0,0,0\n");
    EXPECT_NE(text.find("\n11000.000,1,1000.000,accepted,1,1700000000011100,0,0,0,0,0\n"
                        "24000.000,1,,accepted,1,1700000000024100,0,0,0,0,0\n"
                        "25000.000,1,1000.000,accepted,1,1700000000025100,0,0,0,0,0\n"),
              std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 21);
}

// A row past the map's last sample is placed at the counter's rate; a
// sample before the next write may place the next rows a hair earlier: the
// file's utc_us holds rather than go back.
TEST_F(ArrivalLogTest, CsvUtcNeverGoesBackAcrossWrites) {
    ClockMap clock;
    clock_map_clear(&clock, 1e6);  // one tick per microsecond
    clock_map_add(&clock, 0, 1700000000000000LL);
    FILE* f = tmpfile();
    ArrivalCsvCursor c = {};
    arrival_log_append(&log, 1000, 1, true, ARRIVAL_ACCEPTED);
    ASSERT_TRUE(write_arrival_csv_rows(f, &c, look(), 1e6, &clock));
    clock_map_add(&clock, 2000, 1700000000001980LL);  // the system clock ran 1 % slow
    arrival_log_append(&log, 1010, 1, true, ARRIVAL_ACCEPTED);
    arrival_log_append(&log, 1500, 1, true, ARRIVAL_ACCEPTED);
    ASSERT_TRUE(write_arrival_csv_rows(f, &c, look(), 1e6, &clock));
    EXPECT_EQ(read_all(f), "0.000,1,,accepted,1,1700000000001000,0,0,0,0,0\n"
                           "10.000,1,10.000,accepted,1,1700000000001000,0,0,0,0,0\n"
                           "500.000,1,490.000,accepted,1,1700000000001485,0,0,0,0,0\n");
    fclose(f);
}

TEST(ClockMapTest, InterpolatesBetweenSamplesAndFollowsTheCounterOutside) {
    ClockMap m;
    clock_map_clear(&m, 1e6);  // one tick per microsecond
    EXPECT_EQ(clock_map_utc(&m, 5), 0);
    clock_map_add(&m, 1000, 5000000);
    clock_map_add(&m, 2000, 5001010);
    EXPECT_EQ(clock_map_utc(&m, 1500), 5000505);
    EXPECT_EQ(clock_map_utc(&m, 900), 4999900);
    EXPECT_EQ(clock_map_utc(&m, 2100), 5001110);
    // A full map thins out but still spans the run.
    for (int i = 3; i < 3 * CLOCK_MAP_SAMPLES; i++)
        clock_map_add(&m, 1000 * i, 5000000 + 1000 * (int64_t)i);
    EXPECT_LE(m.count, CLOCK_MAP_SAMPLES);
    EXPECT_EQ(m.samples[0].counter, 1000);
    EXPECT_EQ(clock_map_utc(&m, 1000 * 3 * CLOCK_MAP_SAMPLES - 1000),
              5000000 + 1000 * (int64_t)(3 * CLOCK_MAP_SAMPLES - 1));
}

// The system clock set back between two samples: no line back across the
// step; the map holds at what it reached until the new clock passes it.
TEST(ClockMapTest, AClockSetBackStartsANewSegmentAndTimesNeverGoBack) {
    ClockMap m;
    clock_map_clear(&m, 1e6);  // one tick per microsecond
    clock_map_add(&m, 1000, 5000000);
    clock_map_add(&m, 2000, 5001000);
    clock_map_add(&m, 3000, 4990000);  // set back by 12 ms
    clock_map_add(&m, 4000, 4991000);
    EXPECT_EQ(clock_map_utc(&m, 1500), 5000500);
    EXPECT_EQ(clock_map_utc(&m, 2500), 5001500);  // the counter's rate, not a falling line
    EXPECT_EQ(clock_map_utc(&m, 3500), 5002000);  // held at what the first segment reached
    EXPECT_EQ(clock_map_utc(&m, 16000), 5003000);  // the new segment, once past it
    // A full map thins out across many steps; its times still never go back.
    clock_map_clear(&m, 1e6);
    for (int i = 0; i < 3 * CLOCK_MAP_SAMPLES; i++)
        clock_map_add(&m, 1000 * (int64_t)i, 5000000 + 1000 * (int64_t)i - (i % 7 == 6 ? 3000 : 0));
    int64_t previous = INT64_MIN;
    for (int64_t c = -5000; c < 3000 * (int64_t)CLOCK_MAP_SAMPLES + 5000; c += 250) {
        const int64_t utc = clock_map_utc(&m, c);
        ASSERT_GE(utc, previous) << c;
        previous = utc;
    }
}

}  // namespace
