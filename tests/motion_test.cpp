// Motion in every report: classing, speed, the rates between consecutive
// moving reports, each hint's threshold, and a run's CSV read back giving the
// figures the summary shows. 10 MHz counter (10 ticks per microsecond).
#include <gtest/gtest.h>
#include <math.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "core/runs/arrival_csv.h"
#include "core/figures/motion.h"
#include "tests/support/read_all.h"
#include "tests/support/stats_suite.h"

namespace {

const int64_t kTicksPerUs = 10;

TEST(MotionTest, ClassesReportsByWhatTheyCarried) {
    struct Case {
        ReportMotion m;
        bool moving, idle, saturated;
    } cases[] = {
        {{1, 0, 0, 0, 0}, true, false, false},
        {{0, -1, 0, 0, MOTION_FLAG_NOCOALESCE}, true, false, false},
        {{0, 0, 0, 0, 0}, false, true, false},
        {{0, 0, 0x0001, 0, 0}, false, false, false},  // a button went down
        {{0, 0, 0x0400, 120, 0}, false, false, false},  // the wheel turned
        {{127, 3, 0, 0, 0}, true, false, true},
        {{2, -128, 0, 0, 0}, true, false, true},
        {{126, -129, 0, 0, 0}, true, false, false},
        // A position is neither motion nor idleness, however far it lies.
        {{127, 30000, 0, 0, MOTION_FLAG_ABSOLUTE}, false, false, false},
        {{0, 0, 0, 0, MOTION_FLAG_ABSOLUTE}, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.m.dx << "," << c.m.dy << " flags " << c.m.flags);
        EXPECT_EQ(motion_is_moving(&c.m), c.moving);
        EXPECT_EQ(motion_is_idle(&c.m), c.idle);
        EXPECT_EQ(motion_is_saturated(&c.m), c.saturated);
    }
}

TEST(MotionTest, SpeedIsCountsOverTheIntervalAndItsBinHoldsItWithinHalfAPercent) {
    const ReportMotion m = {3, -4, 0, 0, 0}, still = {0, 0, 0, 0, 0};
    EXPECT_DOUBLE_EQ(motion_speed(&m, 1000), 5000);
    EXPECT_EQ(motion_speed(&still, 1000), 0);
    EXPECT_EQ(motion_speed(&m, 0), 0);
    for (double v = 20; v < 5e8; v *= 1.0137) {
        const double shown = motion_speed_of_bin(motion_speed_bin(v * v));
        ASSERT_LE(fabs(shown - v) / v, 0.004) << v;
    }
    EXPECT_EQ(motion_speed_bin(1e24), MOTION_SPEED_BINS - 1);
}

class MotionRecordTest : public StatsSuite {
protected:
    void SetUp() override { run_clear(run()); }
    void TearDown() override { arrival_log_clear(&run()->log); }
    // One report of mouse 1 interval_us after the last, into the run as the
    // reader thread gives it.
    void feed(int64_t interval_us, ReportMotion m, int times = 1) {
        for (int i = 0; i < times; i++) {
            now += interval_us * kTicksPerUs;
            run_take_report(run(), now, 1, false, nullptr, &m);
        }
    }
    MotionFigures figures() {
        MotionFigures f;
        record_motion(&run()->records[0], &f);
        return f;
    }
    int64_t now = 1000000;
};

const ReportMotion kRight = {2, 0, 0, 0, 0}, kIdle = {0, 0, 0, 0, 0},
                   kAbsolute = {500, 500, 0, 0, MOTION_FLAG_ABSOLUTE};

TEST_F(MotionRecordTest, RatesCountOnlyIntervalsBetweenConsecutiveMovingReports) {
    feed(0, kRight);            // the first report: no interval
    feed(1000, kRight, 9);      // 9 intervals of 1000 us
    feed(1000, kIdle);          // ends the chain
    feed(500, kRight);          // its interval starts at an idle report: not counted
    feed(500, kRight, 3);       // 3 of 500 us
    feed(500, kAbsolute);       // a position ends the chain too
    feed(500, kRight);
    feed(60000, kRight);        // a pause is no rate
    feed(80, kRight);           // nor a merged delivery
    feed(2000, kRight);         // 1 of 2000 us
    feed(50, kRight, 3);        // read with it: one delivery of 8 counts in 2000 us
    const MotionFigures f = figures();
    EXPECT_EQ(f.reports, 23u);
    EXPECT_EQ(f.moving, 21u);
    EXPECT_EQ(f.idle, 1u);
    EXPECT_EQ(f.saturated, 0u);
    EXPECT_EQ(f.moving_n, 13u);
    EXPECT_DOUBLE_EQ(f.moving_median_hz, 1000);
    EXPECT_DOUBLE_EQ(f.moving_p1_hz, 500);   // the slow end: the 99th-percentile interval
    EXPECT_DOUBLE_EQ(f.moving_p99_hz, 2000);
    // Speeds of deliveries: 2 counts over 1000 us (9), over 500 us (1 + 3 + 1),
    // 8 over 2000 us (1): 9 of 2000/s, 6 of 4000/s.
    EXPECT_NEAR(f.median_speed, 2000, 2000 * 0.004);
    feed(500, kRight, 4);       // 4 more of 4000/s: the median only if the batch was one of them
    EXPECT_NEAR(figures().median_speed, 4000, 4000 * 0.004);

    run_clear(run());
    EXPECT_EQ(figures().moving, 0u);
    EXPECT_EQ(figures().moving_n, 0u);
    EXPECT_EQ(figures().median_speed, 0);
}

// One count a report on a 1000 Hz mouse with +-30 us of jitter fills every
// report: no hint, though the jitter puts the fast end above 1000 Hz. A hand
// at 600 counts/s on the same mouse leaves two polls in five empty: most
// intervals are 2 ms, and the hint asks for about twice the speed.
TEST_F(MotionRecordTest, TheHandHintTellsAnEmptyPollFromJitter) {
    const ReportMotion one = {1, 0, 0, 0, 0};
    unsigned seed = 3;
    const auto jitter = [&seed]() { return (int64_t)((seed = seed * 1103515245u + 12345u) >> 16) % 61 - 30; };
    MotionHints h;
    for (int filled : {10, 6}) {
        run_clear(run());
        int64_t previous = 0;
        for (int poll = 1, carried = 0; poll < 20000; poll++) {
            if ((poll * filled) / 10 == carried)
                continue;  // the sensor had no count for this poll
            carried = (poll * filled) / 10;
            const int64_t at = poll * 1000 + jitter();
            feed(previous ? at - previous : 0, one);
            previous = at;
        }
        const MotionFigures f = figures();
        motion_hints_of(&f, &h);
        EXPECT_EQ(h.hand_limited, filled < 10) << filled << " of 10 polls";
    }
    EXPECT_NEAR(h.faster_by, 2, 0.2);
}

TEST(MotionHintsTest, EachHintAppearsJustPastItsThreshold) {
    MotionFigures f = {};
    f.reports = 1000;
    f.moving = 200;
    f.single = 101;          // most moving reports carried one count
    f.median_speed = 749;
    f.moving_p99_hz = 1000;  // the fast end of the rate while moving
    MotionHints h;
    motion_hints_of(&f, &h);
    EXPECT_TRUE(h.hand_limited);
    EXPECT_NEAR(h.faster_by, 1000.0 / 749, 1e-12);
    EXPECT_EQ(h.needed_speed, 1000);
    f.median_speed = 750;
    motion_hints_of(&f, &h);
    EXPECT_FALSE(h.hand_limited) << "three quarters of the fast end: the mouse's jitter, not the hand";
    f.median_speed = 400;
    f.single = 100;
    motion_hints_of(&f, &h);
    EXPECT_FALSE(h.hand_limited) << "reports that carry several counts: the hand gave enough";
    f.single = 200;
    f.median_speed = 0;
    motion_hints_of(&f, &h);
    EXPECT_FALSE(h.hand_limited) << "no motion measured: nothing to say about the hand";

    f.saturated = 2;  // 1 % of 200
    motion_hints_of(&f, &h);
    EXPECT_FALSE(h.saturation);
    f.saturated = 3;
    motion_hints_of(&f, &h);
    EXPECT_TRUE(h.saturation);
    EXPECT_DOUBLE_EQ(h.saturated_pct, 1.5);

    f.idle = 50;  // 5 % of 1000
    motion_hints_of(&f, &h);
    EXPECT_FALSE(h.idle);
    f.idle = 51;
    motion_hints_of(&f, &h);
    EXPECT_TRUE(h.idle);
    EXPECT_DOUBLE_EQ(h.idle_pct, 5.1);
}

std::vector<std::string> fields_of(const std::string& line) {
    std::vector<std::string> out(1);
    for (char ch : line) {
        if (ch == ',')
            out.emplace_back();
        else
            out.back() += ch;
    }
    return out;
}

// Every row of the CSV into a tally, as a script reading the file would.
void tally_csv(const std::string& text, MotionTally* t) {
    size_t at = text.find('\n') + 1;
    for (size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        std::vector<std::string> f = fields_of(text.substr(at, end - at));
        ASSERT_EQ(f.size(), 11u);
        const ReportMotion m = {atoi(f[6].c_str()), atoi(f[7].c_str()),
                                (uint16_t)atoi(f[8].c_str()), (int16_t)atoi(f[9].c_str()),
                                (uint16_t)atoi(f[10].c_str())};
        const int64_t tenths = f[2].empty() ? 0 : llround(atof(f[2].c_str()) * 10);
        const int gap = f[3] == "accepted"    ? MOTION_GAP_ACCEPTED
                        : f[3] == "coalesced" ? MOTION_GAP_COALESCED
                                              : MOTION_GAP_OTHER;
        motion_tally_add(t, &m, gap, tenths, 1e7);
    }
}

TEST_F(MotionRecordTest, ARunsCsvReadBackGivesTheSummarysMotionFigures) {
    srand(7);
    for (int i = 0; i < 3000; i++) {
        const int64_t gap = i % 97 == 0 ? 60000 : i % 13 == 0 ? 40 : 120 + rand() % 900;  // pauses, batches
        const int d = rand() % 5 == 0 ? 0 : rand() % 260 - 130;
        feed(gap, ReportMotion{d, rand() % 3 - 1, 0, (int16_t)(i % 50 == 0 ? 120 : 0), 0});
    }
    ArrivalView v = {};
    arrival_view_take(&v, &run()->log, ARRIVAL_READER_TEST);
    ClockMap clock;
    clock_map_clear(&clock, 1e7);
    FILE* f = tmpfile();
    ASSERT_TRUE(write_arrival_csv(f, &v, 1e7, &clock));
    arrival_view_release(&v);
    static MotionTally read_back;
    tally_csv(read_all(f), &read_back);
    fclose(f);
    MotionFigures csv, live = figures();
    motion_figures_of(&read_back, &csv);
    motion_tally_free(&read_back);
    EXPECT_GT(live.saturated, 0u);
    EXPECT_EQ(csv.reports, live.reports);
    EXPECT_EQ(csv.moving, live.moving);
    EXPECT_EQ(csv.idle, live.idle);
    EXPECT_EQ(csv.saturated, live.saturated);
    EXPECT_EQ(csv.median_speed, live.median_speed);
    EXPECT_EQ(csv.moving_n, live.moving_n);
    EXPECT_EQ(csv.moving_median_hz, live.moving_median_hz);
    EXPECT_EQ(csv.moving_p1_hz, live.moving_p1_hz);
    EXPECT_EQ(csv.moving_p99_hz, live.moving_p99_hz);
}

}  // namespace
