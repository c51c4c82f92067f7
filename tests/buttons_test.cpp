// Buttons and wheel through the run's one way in: holds and their median,
// chatter either side of the threshold, notches of one report, lone notches
// against a scroll beside deliberate changes of direction, holds across a
// pause, a release whose press came before the run, all buttons at once, and
// the CSV read back counting the same. 10 MHz counter.
#include <gtest/gtest.h>
#include <math.h>

#include <string>

#include "core/runs/arrival_csv.h"
#include "core/runs/run_csv.h"
#include "tests/support/read_all.h"
#include "tests/support/stats_suite.h"

namespace {

const int64_t kTicksPerMs = 10000;
const uint16_t kLeftDown = 0x0001, kLeftUp = 0x0002, kWheel = 0x0400, kHWheel = 0x0800;

class ButtonsTest : public StatsSuite {
protected:
    void SetUp() override {
        run_clear(run());
        run_set_chatter_ms(run(), kChatterDefaultMs);
    }
    void TearDown() override { arrival_log_clear(&run()->log); }
    // A report of mouse 1 at `ms` (ticks past, when given) after the run's start.
    void at(double ms, uint16_t flags, int16_t data = 0, int64_t ticks = 0) {
        const ReportMotion m = {0, 0, flags, data, 0};
        run_take_report(run(), kStart + llround(ms * kTicksPerMs) + ticks, 1, false, nullptr, &m);
    }
    ButtonsSnapshot of(int record = 1) {
        ButtonsSnapshot s;
        record_buttons(&run()->records[record], &s);
        return s;
    }
    // One scroll notch per report, every `ms` from `start`: '+' up, '-' down.
    void scroll(double start, double ms, const char* notches) {
        for (int i = 0; notches[i]; i++)
            at(start + i * ms, kWheel, notches[i] == '+' ? 120 : -120);
    }
    static const int64_t kStart = 1000000;
};

TEST_F(ButtonsTest, HoldsGapsAndChatterEitherSideOfTheThreshold) {
    at(0, kLeftDown);
    at(61, kLeftUp);
    at(71, kLeftDown, 0, 0);  // 10 ms after the release, to the tick: not chatter
    at(87.2, kLeftUp);
    at(97.2, kLeftDown, 0, -1);  // a tick short of 10 ms: chatter
    at(200, kLeftUp);
    at(210, kLeftDown, 0, 1);  // a tick over: not chatter
    at(230, kLeftUp);
    for (int record : {0, 1}) {
        const ButtonFigures b = of(record).button[BUTTON_LEFT];
        EXPECT_EQ(b.presses, 4u);
        EXPECT_EQ(b.held_n, 4u);
        EXPECT_EQ(b.held_p50_ms, 20.0);  // of 16.2, 20, 61, 102.8: the second
        EXPECT_NEAR(b.held_min_ms, 16.2, 1e-9);
        EXPECT_EQ(b.gaps_n, 3u);
        EXPECT_NEAR(b.release_to_press_min_ms, 10.0 - 1e-4, 1e-9);
        EXPECT_EQ(b.chatter, 1u);
        EXPECT_EQ(of(record).button[BUTTON_RIGHT].presses, 0u);
    }
    // A lower threshold counted from then on; the figures read it back.
    run_set_chatter_ms(run(), 0.5);
    at(230.4, kLeftDown);
    EXPECT_EQ(of().button[BUTTON_LEFT].chatter, 2u);
    EXPECT_EQ(of().chatter_ms, 0.5);
}

TEST_F(ButtonsTest, AMedianPastASecondIsItsBinsMiddle) {
    for (int i = 0; i < 3; i++) {
        at(i * 5000, kLeftDown);
        at(i * 5000 + 1234.56, kLeftUp);
    }
    EXPECT_EQ(of().button[BUTTON_LEFT].held_p50_ms, 1250.0);
    EXPECT_NEAR(of().button[BUTTON_LEFT].held_min_ms, 1234.56, 1e-9);
    for (int i = 0; i < 4; i++) {  // 70 s each: the last bin
        at(20000 + i * 100000.0, kLeftDown);
        at(90000 + i * 100000.0, kLeftUp);
    }
    EXPECT_EQ(of().button[BUTTON_LEFT].held_p50_ms, 60000.0);
}

TEST_F(ButtonsTest, HoldsAcrossPausesAndAReleaseBeforeItsPress) {
    // The run started while the left button was held: its release times no
    // hold, but the press 5 ms after it is chatter.
    at(0, kLeftUp);
    at(5, kLeftDown);
    // A hand holding still: no report for half a second, the record's
    // interval a pause, and the hold timed all the same.
    at(505, kLeftUp);
    ButtonFigures b = of().button[BUTTON_LEFT];
    EXPECT_EQ(b.presses, 1u);
    EXPECT_EQ(b.held_n, 1u);
    EXPECT_EQ(b.held_p50_ms, 500.0);
    EXPECT_EQ(b.chatter, 1u);
    EXPECT_EQ(b.release_to_press_min_ms, 5.0);
    // A lost report between press and release: the hold and the gap after it
    // are not known, and neither is timed.
    at(600, kLeftDown);
    run_pause_all(run());
    at(700, kLeftUp);
    run_pause_all(run());
    at(701, kLeftDown);
    b = of().button[BUTTON_LEFT];
    EXPECT_EQ(b.presses, 3u);
    EXPECT_EQ(b.held_n, 1u);
    EXPECT_EQ(b.gaps_n, 2u);
    EXPECT_EQ(b.chatter, 1u);
}

TEST_F(ButtonsTest, AllFiveButtonsAtOnce) {
    at(0, 0x0155);   // every DOWN
    at(80, 0x02AA);  // every UP
    at(90, 0x0155 | kWheel, 120);  // pressed again with a notch
    for (int i = 0; i < BUTTONS; i++) {
        SCOPED_TRACE(kButtonName[i]);
        const ButtonFigures b = of().button[i];
        EXPECT_EQ(b.presses, 2u);
        EXPECT_EQ(b.held_p50_ms, 80.0);
        EXPECT_EQ(b.release_to_press_min_ms, 10.0);
        EXPECT_EQ(b.chatter, 0u);
    }
    EXPECT_EQ(of().wheel.notches, 1u);
    // A press and a release in one report: of a button that was up, a hold
    // of no time; of one held, its release and at once a press (chatter).
    at(200, 0x02AA);
    at(300, 0x0004 | 0x0008);
    EXPECT_EQ(of().button[BUTTON_RIGHT].held_n, 3u);
    EXPECT_EQ(of().button[BUTTON_RIGHT].held_min_ms, 0.0);
    at(400, kLeftDown);
    at(450, kLeftDown | kLeftUp);
    const ButtonFigures left = of().button[BUTTON_LEFT];
    EXPECT_EQ(left.presses, 4u);
    EXPECT_EQ(left.held_min_ms, 50.0);
    EXPECT_EQ(left.chatter, 1u);
}

TEST_F(ButtonsTest, NotchesOfOneReportAndOfAFinerWheel) {
    at(0, kWheel, 360);
    at(10, kWheel, -240);
    at(20, kHWheel, -120);
    for (int i = 0; i < 4; i++)
        at(30 + i, kWheel, 40);  // a finer wheel: a notch every three reports
    at(40, 0x0001, 120);  // usButtonData without the wheel's flag is no notch
    const ButtonsSnapshot s = of();
    EXPECT_EQ(s.wheel.notches, 6u);
    EXPECT_EQ(s.wheel.positive, 4u);
    EXPECT_EQ(s.wheel.negative, 2u);
    EXPECT_EQ(s.wheel.reversals, 0u);
    EXPECT_EQ(s.hwheel.notches, 1u);
    EXPECT_EQ(s.hwheel.negative, 1u);
}

TEST_F(ButtonsTest, ReversalsAreLoneNotchesAgainstAScroll) {
    scroll(0, 20, "-----+-----+---");  // two lone ups in a fast scroll down
    EXPECT_EQ(of().wheel.reversals, 2u);
    scroll(1000, 20, "---+++---");  // deliberate changes: three each way
    scroll(2000, 20, "--++--");     // two each way
    scroll(3000, 20, "---");
    at(3060, kWheel, 240);          // two notches in one report
    scroll(3080, 20, "---");
    EXPECT_EQ(of().wheel.reversals, 2u);
    // A lone notch counts only with its neighbours within 100 ms.
    scroll(4000, 100, "-+-");
    EXPECT_EQ(of().wheel.reversals, 3u);
    scroll(5000, 100, "-");
    scroll(5100.1, 100, "+-");
    scroll(6000, 100, "-+");
    scroll(6200.1, 100, "-");
    EXPECT_EQ(of().wheel.reversals, 3u);
    // Nor across a lost report.
    scroll(7000, 20, "--+");
    run_pause_all(run());
    scroll(7060, 20, "--");
    EXPECT_EQ(of().wheel.reversals, 3u);
    WheelFigures w = {100, 0, 100, 3};
    EXPECT_TRUE(wheel_reverses(&w));
    w.reversals = 2;
    EXPECT_FALSE(wheel_reverses(&w));
}

TEST_F(ButtonsTest, TheCsvReadBackCountsTheSame) {
    at(0, kLeftUp);
    for (int i = 0; i < 30; i++) {
        at(10 + i * 100.0, (uint16_t)(i % 3 == 0 ? 0x0010 : kLeftDown));
        at(10 + i * 100.0 + 40 + i * 0.2, (uint16_t)(i % 3 == 0 ? 0x0020 : kLeftUp));
        at(10 + i * 100.0 + 46.3, kWheel, i % 7 == 3 ? 120 : -120);
    }
    ArrivalView v = {};
    arrival_view_take(&v, &run()->log, ARRIVAL_READER_TEST);
    ClockMap clock;
    clock_map_clear(&clock, 1e7);
    FILE* f = tmpfile();
    ASSERT_TRUE(write_arrival_csv(f, &v, 1e7, &clock));
    arrival_view_release(&v);
    const std::string text = read_all(f);
    fclose(f);
    static RunCsv c;
    run_csv_init(&c, 1);
    run_set_chatter_ms(c.run, 5);
    ASSERT_TRUE(run_csv_feed(&c, text.data(), text.size()) && run_csv_finish(&c)) << c.error;
    ButtonsSnapshot csv, live = of();
    record_buttons(c.rec, &csv);
    run_csv_free(&c);
    EXPECT_EQ(csv.chatter_ms, 5.0);
    EXPECT_EQ(live.button[BUTTON_LEFT].chatter, 0u);
    for (int i : {BUTTON_LEFT, BUTTON_MIDDLE}) {
        const ButtonFigures &a = live.button[i], &b = csv.button[i];
        EXPECT_EQ(b.presses, a.presses);
        EXPECT_EQ(b.held_p50_ms, a.held_p50_ms);
        EXPECT_NEAR(b.held_min_ms, a.held_min_ms, 1e-9);
        EXPECT_NEAR(b.release_to_press_min_ms, a.release_to_press_min_ms, 1e-9);
    }
    EXPECT_EQ(csv.button[BUTTON_LEFT].chatter, 0u);
    EXPECT_EQ(csv.wheel.notches, 30u);
    EXPECT_EQ(csv.wheel.positive, live.wheel.positive);
    EXPECT_EQ(csv.wheel.reversals, live.wheel.reversals);
}

}  // namespace
