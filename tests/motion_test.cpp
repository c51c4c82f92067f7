// Motion in every report: classing, speed, the rates between consecutive
// moving reports, each hint's threshold, and a run's CSV read back giving the
// figures the summary shows. 10 MHz counter (10 ticks per microsecond).
#include <gtest/gtest.h>
#include <math.h>
#include <stdlib.h>

#include <algorithm>
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

// A run's reports at absolute times (us), into the run and the report
// clock as the console feeds them; the hints from both.
class MotionHintTest : public MotionRecordTest {
protected:
    void SetUp() override {
        MotionRecordTest::SetUp();
        report_clock_free(&clock);  // a test may start again: SetUp() once more
        report_clock_init(&clock);
        previous_us = -1;
    }
    void TearDown() override {
        report_clock_free(&clock);
        MotionRecordTest::TearDown();
    }
    void at(int64_t t_us, ReportMotion m) {
        feed(previous_us < 0 ? 0 : t_us - previous_us, m);
        report_clock_add(&clock, (double)t_us);
        previous_us = t_us;
    }
    // The hints with the clock (finished: the run ended) and, in *unclocked,
    // without one.
    MotionHints hints(ReportClockFigures* c, MotionHints* unclocked = nullptr) {
        const MotionFigures f = figures();
        EXPECT_TRUE(report_clock_finish(&clock, c)) << report_clock_reason(c->refusal);
        MotionHints h;
        motion_hints_of(&f, c, &h);
        if (unclocked)
            motion_hints_of(&f, nullptr, unclocked);
        return h;
    }
    static ReportClock clock;  // too large for the stack
    int64_t previous_us;
};
ReportClock MotionHintTest::clock;

// One count a report on a 1000 Hz mouse with +-30 us of jitter fills every
// report: no hint, though the jitter puts the fast end above 1000 Hz. A hand
// at 600 counts/s on the same mouse leaves two polls in five empty: most
// intervals are 2 ms, and the hint asks for about twice the speed.
TEST_F(MotionHintTest, TheHandHintTellsAnEmptyPollFromJitter) {
    const ReportMotion one = {1, 0, 0, 0, 0};
    unsigned seed = 3;
    const auto jitter = [&seed]() { return (int64_t)((seed = seed * 1103515245u + 12345u) >> 16) % 61 - 30; };
    MotionHints h;
    for (int filled : {10, 6}) {
        SetUp();
        for (int poll = 1, carried = 0; poll < 20000; poll++) {
            if ((poll * filled) / 10 == carried)
                continue;  // the sensor had no count for this poll
            carried = (poll * filled) / 10;
            at(poll * 1000 + jitter(), one);
        }
        ReportClockFigures c;
        h = hints(&c);
        EXPECT_EQ(h.hand_limited, filled < 10) << filled << " of 10 polls";
        EXPECT_NEAR(c.filled_pct, filled * 10, 1);
    }
    EXPECT_NEAR(h.faster_by, 2, 0.2);
    EXPECT_NEAR(h.needed_speed, 1000, 1) << "the clock's rate";
}

// The jig's stream under Wine: a count at every poll of 1000 Hz, most read
// within 150 us, one in five held up to 2.5 ms and then read with the
// reports behind it. The short intervals after a hold put the fast end of
// the rate at several kHz, a hand "well below" it, though every poll
// carried a count: the clock's full slots, and the median rate without
// it, say that the hand was fast enough.
TEST_F(MotionHintTest, TheHandHintStaysSilentOnAFullStreamDeliveredLate) {
    const ReportMotion one = {1, 0, 0, 0, 0};
    unsigned seed = 11;
    const auto next = [&seed](int below) {
        return (int64_t)((seed = seed * 1103515245u + 12345u) >> 16) % below;
    };
    int64_t last = 0;
    for (int poll = 1; poll < 8000; poll++) {
        const int64_t delay = next(5) == 0 ? next(2500) : next(150);
        // A held report is read with those behind it.
        last = std::max(last, (int64_t)poll * 1000 + delay);
        at(last, one);
    }
    ReportClockFigures c;
    MotionHints unclocked;
    const MotionHints h = hints(&c, &unclocked);
    const MotionFigures f = figures();
    ASSERT_GT(f.moving_p99_hz, 1000 / 0.75) << "the fast end alone would blame the hand";
    EXPECT_GE(c.filled_pct, 98);
    EXPECT_FALSE(h.hand_limited) << f.median_speed << " counts/s, clock " << c.rate_hz << " Hz";
    EXPECT_FALSE(unclocked.hand_limited)
        << f.median_speed << " counts/s, median " << f.moving_median_hz << " Hz";
    EXPECT_FALSE(h.saturation);
    EXPECT_FALSE(h.idle);
}

TEST(MotionHintsTest, EachHintAppearsJustPastItsThreshold) {
    MotionFigures f = {};
    f.reports = 1000;
    f.moving = 200;
    f.single = 101;          // most moving reports carried one count
    f.median_speed = 749;
    ReportClockFigures clock = {};
    clock.refusal = REPORT_CLOCK_OK;
    clock.rate_hz = 1000;    // the mouse's rate
    clock.filled_pct = 70;
    MotionHints h;
    motion_hints_of(&f, &clock, &h);
    EXPECT_TRUE(h.hand_limited);
    EXPECT_NEAR(h.faster_by, 1000.0 / 749, 1e-12);
    EXPECT_EQ(h.needed_speed, 1000);
    f.median_speed = 750;
    motion_hints_of(&f, &clock, &h);
    EXPECT_FALSE(h.hand_limited) << "three quarters of the rate: the mouse's jitter, not the hand";
    f.median_speed = 400;
    clock.filled_pct = 90;
    motion_hints_of(&f, &clock, &h);
    EXPECT_FALSE(h.hand_limited) << "nine slots in ten carried a report: the hand kept up";
    clock.filled_pct = 89.9;
    motion_hints_of(&f, &clock, &h);
    EXPECT_TRUE(h.hand_limited);
    clock.refusal = REPORT_CLOCK_NO_PERIOD;
    f.moving_median_hz = 600;  // no clock: the median rate while moving stands in
    motion_hints_of(&f, &clock, &h);
    EXPECT_TRUE(h.hand_limited);
    EXPECT_EQ(h.needed_speed, 600);
    f.moving_median_hz = 400;
    motion_hints_of(&f, nullptr, &h);
    EXPECT_FALSE(h.hand_limited) << "a hand as fast as the reports it sent";
    clock.refusal = REPORT_CLOCK_OK;
    f.single = 100;
    motion_hints_of(&f, &clock, &h);
    EXPECT_FALSE(h.hand_limited) << "reports that carry several counts: the hand gave enough";
    f.single = 200;
    f.median_speed = 0;
    motion_hints_of(&f, &clock, &h);
    EXPECT_FALSE(h.hand_limited) << "no motion measured: nothing to say about the hand";

    f.saturated = 2;  // 1 % of 200
    motion_hints_of(&f, &clock, &h);
    EXPECT_FALSE(h.saturation);
    f.saturated = 3;
    motion_hints_of(&f, &clock, &h);
    EXPECT_TRUE(h.saturation);
    EXPECT_DOUBLE_EQ(h.saturated_pct, 1.5);

    f.idle = 50;  // 5 % of 1000
    motion_hints_of(&f, &clock, &h);
    EXPECT_FALSE(h.idle);
    f.idle = 51;
    motion_hints_of(&f, &clock, &h);
    EXPECT_TRUE(h.idle);
    EXPECT_DOUBLE_EQ(h.idle_pct, 5.1);
}

// A mouse of 16-bit deltas moving fast passes 127 and 128 on its way to
// larger ones: not saturated. One of 8-bit deltas piles up there.
TEST_F(MotionHintTest, SaturationOnlyWhereTheDeltasPileUpAtTheLimit) {
    for (int i = 0; i < 2000; i++)
        at(1000 * (i + 1), ReportMotion{100 + i % 60, -(i % 7), 0, 0, 0});  // 100..159
    ReportClockFigures c;
    MotionHints h = hints(&c);
    EXPECT_GT(figures().saturated * 100, figures().moving) << "the limit alone would say saturated";
    EXPECT_FALSE(h.saturation);

    SetUp();
    for (int i = 0; i < 2000; i++)
        at(1000 * (i + 1), ReportMotion{i % 4 ? 127 : 90 + i % 37, 3, 0, 0, 0});
    h = hints(&c);
    EXPECT_TRUE(h.saturation);
    EXPECT_NEAR(h.saturated_pct, 75, 0.1);
}

// Strokes that each end with one empty report, clicks and wheel turns
// between them, and a tablet's positions: none of them is a mouse sending
// nothing. A mouse that pads every other poll with an empty report is.
TEST_F(MotionHintTest, IdleOnlyForReportsThatCarryNothingWhileTheMouseIsUsed) {
    int64_t t = 0;
    for (int stroke = 0; stroke < 40; stroke++) {
        for (int i = 0; i < 30; i++)
            at(t += 1000, kRight);
        at(t += 1000, kIdle);                               // the stroke's end
        at(t += 300000, ReportMotion{0, 0, 0x0001, 0, 0});  // a click
        at(t += 80000, ReportMotion{0, 0, 0x0400, 120, 0});  // the wheel
        at(t += 5000, kAbsolute);
    }
    const MotionFigures f = figures();
    MotionHints h;
    motion_hints_of(&f, nullptr, &h);
    EXPECT_EQ(f.idle, 40u);
    EXPECT_FALSE(h.idle) << h.idle_pct << "%";

    SetUp();
    for (int i = 0; i < 2000; i++)
        at(1000 * (i + 1), i % 2 ? kIdle : kRight);
    ReportClockFigures c;
    h = hints(&c);
    EXPECT_TRUE(h.idle);
    EXPECT_NEAR(h.idle_pct, 50, 0.1);
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
