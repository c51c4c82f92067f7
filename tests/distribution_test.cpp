// The distribution figures on hand-worked cases, the arrival log's bound and
// wrap-around, the clock map, and the CSV of a small log.
#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/arrival_csv.h"
#include "core/arrival_log.h"
#include "core/distribution.h"
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
        arrival_log_free(&log);
        EXPECT_EQ(g_fake_heap.live_blocks, 0);
    }
    ArrivalLog log = {};
};

TEST_F(ArrivalLogTest, KeepsTheNewestWithinItsBoundAndClears) {
    for (int i = 0; i < 30; i++)
        arrival_log_append(&log, 5000 + 10 * i, i % 64, i % 2, ARRIVAL_ACCEPTED);
    // 30 entries, blocks of 4: the ring holds blocks 5, 6 and 7 (entries 20..29).
    EXPECT_TRUE(arrival_log_wrapped(&log));
    ASSERT_EQ(arrival_log_count(&log), 10u);
    Arrival a = arrival_log_at(&log, 0);
    EXPECT_EQ(a.t, 5200);
    EXPECT_EQ(a.slot, 20);
    EXPECT_FALSE(a.background);
    a = arrival_log_at(&log, 9);
    EXPECT_EQ(a.t, 5290);
    EXPECT_TRUE(a.background);
    EXPECT_EQ(g_fake_heap.live_blocks, 3);

    arrival_log_clear(&log);
    EXPECT_EQ(arrival_log_count(&log), 0u);
    arrival_log_append(&log, 1, 1, false, ARRIVAL_FIRST);
    EXPECT_EQ(arrival_log_at(&log, 0).cls, ARRIVAL_FIRST);
    EXPECT_EQ(g_fake_heap.live_blocks, 3) << "blocks are reused after clearing";
}

TEST_F(ArrivalLogTest, AFailedAllocationStopsLoggingAndKeepsWhatWasLogged) {
    g_fake_heap.fail_allocation = 2;
    for (int i = 0; i < 10; i++)
        arrival_log_append(&log, 100 * i, 1, false, ARRIVAL_ACCEPTED);
    EXPECT_TRUE(log.failed);
    EXPECT_EQ(arrival_log_count(&log), 4u);
}

TEST_F(ArrivalLogTest, CsvLines) {
    // 10 MHz counter; slot 1 at 1 ms, slot 2 once; one merged delivery and a pause.
    const int64_t us = 10;
    arrival_log_append(&log, 1000 * us, 1, false, ARRIVAL_FIRST);
    arrival_log_append(&log, 2000 * us, 1, true, ARRIVAL_ACCEPTED);
    arrival_log_append(&log, 2050 * us, 2, true, ARRIVAL_COALESCED);
    arrival_log_append(&log, 3000 * us, 1, false, ARRIVAL_ACCEPTED);
    arrival_log_append(&log, 90000 * us, 1, false, ARRIVAL_PAUSE);
    arrival_log_append(&log, 91000 * us, 1, false, ARRIVAL_ACCEPTED);

    ClockMap clock;
    clock_map_clear(&clock, 1e7);
    clock_map_add(&clock, 1000 * us, 1700000000000000LL);
    clock_map_add(&clock, 91000 * us, 1700000000090002LL);  // the system clock ran 2 us fast
    FILE* f = tmpfile();
    ASSERT_TRUE(write_arrival_csv(f, &log, 1e7, &clock));
    EXPECT_EQ(read_all(f),
              "t_us,slot,interval_us,class,background,utc_us\n"
              "0.000,1,,first,0,1700000000000000\n"
              "1000.000,1,1000.000,accepted,1,1700000000001000\n"
              "1050.000,2,50.000,coalesced,1,1700000000001050\n"
              "2000.000,1,950.000,accepted,0,1700000000002000\n"
              "89000.000,1,87000.000,pause,0,1700000000089001\n"
              "90000.000,1,1000.000,accepted,0,1700000000090002\n");
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
    ASSERT_TRUE(write_arrival_csv_rows(f, &c, &log, 1e6, &clock));
    append(9);  // 12 entries: the log is full
    ASSERT_TRUE(write_arrival_csv_rows(f, &c, &log, 1e6, &clock));
    append(21);  // entries 12..32: the log keeps 24..32; 0..11 were written, 12..23 are lost
    ASSERT_TRUE(write_arrival_csv_rows(f, &c, &log, 1e6, &clock));
    EXPECT_EQ(c.rows, 12u + 9u);
    std::string text = read_all(f);
    fclose(f);
    EXPECT_EQ(text.substr(0, 80),
              "t_us,slot,interval_us,class,background,utc_us\n"
              "0.000,1,,pause,1,1700000000000100\n");
    EXPECT_NE(text.find("\n11000.000,1,1000.000,accepted,1,1700000000011100\n"
                        "24000.000,1,,accepted,1,1700000000024100\n"
                        "25000.000,1,1000.000,accepted,1,1700000000025100\n"),
              std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 21);
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

}  // namespace
