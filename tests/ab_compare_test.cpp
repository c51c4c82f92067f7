// The A/B block bootstrap on synthetic mice whose truth is known: a lattice
// of period P with one-sided delays uniform in [0, D), stamped to 0.1 us (a
// 10 MHz counter). Its intervals are P plus a triangular variable on
// [-D, D]: median P, 99th percentile P + D (1 - sqrt(0.02)), deviation
// D / sqrt(6), and a B run with every time 2 % later has each figure moved
// by exactly that. Seeds are fixed (in the code), so every run is the same.
#include <gtest/gtest.h>
#include <math.h>

#include <memory>
#include <string>
#include <vector>

#include "core/ab_compare.h"
#include "core/distribution.h"
#include "core/gap_rule.h"
#include "tests/support/seeded_random.h"

namespace {


struct Mouse {
    double period_us, delay_us, seconds;
    double scale;  // every time multiplied by it
};

std::vector<double> times_of(const Mouse& m, uint64_t seed) {
    std::vector<double> t;
    for (int64_t j = 0; j * m.period_us < m.seconds * 1e6; j++)
        t.push_back(round((j * m.period_us + uniform(&seed) * m.delay_us) * m.scale * 10) / 10);
    return t;
}

struct RunDeleter {
    void operator()(AbRun* r) const {
        ab_run_free(r);
        delete r;
    }
};
using RunPtr = std::unique_ptr<AbRun, RunDeleter>;

RunPtr run_of(const std::vector<double>& t) {
    RunPtr r(new AbRun);
    ab_run_init(r.get());
    for (double x : t)
        ab_run_add(r.get(), x);
    EXPECT_TRUE(ab_run_finish(r.get()));
    return r;
}

AbComparison compare(const AbRun* a, const AbRun* b) {
    AbComparison c;
    EXPECT_TRUE(ab_compare(a, b, &kAbBootstrap, &c));
    return c;
}

std::string verdict_of(const AbComparison& c) {
    char text[400];
    ab_verdict_text(&c, text, sizeof text);
    return text;
}

const Mouse kMouse = {1000, 150, 40, 1.0};

TEST(AbCompareTest, RunFiguresEqualTheExactOnesOfTheAcceptedIntervals) {
    // 8 kHz: intervals 85..165 us, those under 100 us coalesced; and a pause.
    for (const Mouse& m : {kMouse, Mouse{125, 40, 5, 1.0}}) {
        std::vector<double> t = times_of(m, 7);
        for (size_t i = t.size() / 2; i < t.size(); i++)
            t[i] += 60000;
        std::vector<double> accepted;
        for (size_t i = 1; i < t.size(); i++)
            if (gap_kind(t[i] - t[i - 1]) == GAP_ACCEPTED)
                accepted.push_back(t[i] - t[i - 1]);
        Distribution d;
        distribution_of(accepted.data(), accepted.size(), &d);
        RunPtr r = run_of(t);
        SCOPED_TRACE(m.period_us);
        EXPECT_EQ(r->figures.n, d.n);
        EXPECT_EQ(r->pauses, 1u);
        EXPECT_EQ(r->coalesced + r->pauses + d.n + 1, t.size());
        EXPECT_NEAR(r->figures.v[AB_MEDIAN_HZ], rate_at(d.pct_us[PCT_50]), 1e-6);
        EXPECT_NEAR(r->figures.v[AB_P99_US], d.pct_us[PCT_99], 1e-6);
        EXPECT_NEAR(r->figures.v[AB_SD_US], d.sd_us, 1e-9 * d.sd_us);
        EXPECT_NEAR(r->figures.v[AB_STABILITY], d.stability_pct, 1e-9);
        EXPECT_TRUE(r->figures.has_clock);
        EXPECT_NEAR(r->figures.v[AB_CLOCK_US], m.period_us, 1e-3);
    }
}

// 50 pairs (seeds 1001..1100): B from the same mouse (another seed), and B 2 %
// slower. Over 200 pairs (seeds 201..600) the truth fell inside 92 to 98 % of
// the intervals, by figure.
TEST(AbCompareTest, SameMiceDoNotDifferAndTwoPercentSlowerIsFoundWithTheTruthInside) {
    const double p99 = kMouse.period_us + kMouse.delay_us * (1 - sqrt(0.02));
    const double truth[AB_FIGURES] = {
        1e6 / (1.02 * kMouse.period_us) - 1e6 / kMouse.period_us,
        1e6 / (1.02 * p99) - 1e6 / p99,
        0.02 * p99,
        0.02 * kMouse.delay_us / sqrt(6.0),
        0,
        0,  // a clock 2 % off every nominal period is no clock: its truth is checked on same mice
    };
    int same = 0, slower = 0, inside[AB_FIGURES] = {}, clock_inside = 0;
    for (uint64_t pair = 0; pair < 50; pair++) {
        Mouse slow = kMouse;
        slow.scale = 1.02;
        RunPtr a = run_of(times_of(kMouse, 1000 + 2 * pair + 1));
        RunPtr b = run_of(times_of(kMouse, 1000 + 2 * pair + 2));
        RunPtr c = run_of(times_of(slow, 1000 + 2 * pair + 2));
        const AbComparison ab = compare(a.get(), b.get()), ac = compare(a.get(), c.get());
        const AbVerdict& v = ab.verdict;
        same += !v.differs[0] && !v.differs[1] && !v.differs[2] && !v.differs[3] && !v.differs[4] &&
                !v.differs[5] && v.compared[AB_CLOCK_US];
        slower += ac.verdict.differs[AB_MEDIAN_HZ] && ac.d[AB_MEDIAN_HZ].diff < 0;
        for (int f = 0; f < AB_FIGURES; f++)
            inside[f] += ac.d[f].lo <= truth[f] && truth[f] <= ac.d[f].hi;
        clock_inside += ab.d[AB_CLOCK_US].lo <= 0 && 0 <= ab.d[AB_CLOCK_US].hi;
    }
    EXPECT_GE(same, 45);
    EXPECT_EQ(slower, 50);
    for (int f = 0; f < AB_CLOCK_US; f++)
        EXPECT_GE(inside[f], 45) << "figure " << f;
    EXPECT_GE(clock_inside, 45);
}

TEST(AbCompareTest, OutputIsTheSameEveryTimeAndWindowsGiveWhatAFullMergeGives) {
    RunPtr a = run_of(times_of(kMouse, 11));
    Mouse slow = kMouse;
    slow.scale = 1.003;
    RunPtr b = run_of(times_of(slow, 12));
    const AbComparison first = compare(a.get(), b.get()), again = compare(a.get(), b.get());
    AbBootstrap full = kAbBootstrap;
    full.full_merge = true;
    AbComparison merged;
    ASSERT_TRUE(ab_compare(a.get(), b.get(), &full, &merged));
    EXPECT_LT(first.full_merges, first.resamples / 100);
    for (int f = 0; f < AB_FIGURES; f++) {
        SCOPED_TRACE(f);
        EXPECT_EQ(first.d[f].lo, again.d[f].lo);
        EXPECT_EQ(first.d[f].hi, again.d[f].hi);
        EXPECT_EQ(first.d[f].lo, merged.d[f].lo);
        EXPECT_EQ(first.d[f].hi, merged.d[f].hi);
    }
    EXPECT_EQ(verdict_of(first), verdict_of(again));
}

TEST(AbCompareTest, RunsUnderTenBlocksGetFiguresAndIntervalsButNoVerdict) {
    RunPtr a = run_of(times_of(kMouse, 1));
    Mouse brief = kMouse;
    brief.seconds = 8.5;  // blocks 0..8
    RunPtr b = run_of(times_of(brief, 2));
    const AbComparison c = compare(a.get(), b.get());
    EXPECT_EQ(c.blocks_b, 9u);
    EXPECT_EQ(c.verdict.why, AB_VERDICT_FEW_BLOCKS);
    EXPECT_GT(c.b.n, 8000u);
    EXPECT_LT(c.d[AB_MEDIAN_HZ].lo, c.d[AB_MEDIAN_HZ].hi);
    EXPECT_EQ(verdict_of(c), "Verdict: none: run B has 9 blocks of 1 s; a verdict needs at least 10 in each run.");
    RunPtr none = run_of({});
    EXPECT_EQ(verdict_of(compare(none.get(), a.get())), "Verdict: none: run A has no accepted intervals.");
}

// The sentence from hand-made differences: a difference is named only when
// its interval excludes 0 and it passes its threshold.
TEST(AbCompareTest, VerdictNamesOnlyDifferencesOutsideZeroAndPastTheirThreshold) {
    struct Case {
        AbInterval d[AB_FIGURES];
        bool clocks;
        const char* text;
    } cases[] = {
        {{{0.1, -0.2, 0.4}, {-25.4, -31.0, -19.9}, {27.1, 21.5, 33.0}, {7.5, 6.1, 8.8}, {-2.1, -2.6, -1.6}, {}},
         false,
         "Verdict: B's slow end is 2.6% slower, its intervals 61% more spread and its stability 2.1 points "
         "lower; the median rate does not differ."},
        // Outside 0 but under the threshold (0.4 %, 8 %, 0.9 points, 0.4 %), or past it but about 0.
        {{{4.0, 3.0, 5.0}, {-10.0, -20.0, 1.0}, {10.0, -1.0, 21.0}, {1.0, 0.5, 1.5}, {-0.9, -1.2, -0.6},
          {4.0, 3.0, 5.0}},
         true,
         "Verdict: the median rate, the slow end, the spread, the stability and the report clock period "
         "do not differ."},
        {{{-20.0, -21.0, -19.0}, {}, {}, {}, {}, {-6.0, -7.0, -5.0}},
         true,
         "Verdict: B's median rate is 2.0% slower and its report clock period 0.6% shorter; the slow end, "
         "the spread and the stability do not differ."},
    };
    for (const Case& k : cases) {
        AbComparison c = {};
        c.a = AbFigures{10000, {1000.0, 980.4, 1020.0, 12.3, 99.1, 1000.0}, k.clocks};
        c.b = c.a;
        c.b.n = 9990;
        c.blocks_a = c.blocks_b = 10;
        for (int f = 0; f < AB_FIGURES; f++)
            c.d[f] = k.d[f];
        ab_verdict_of(&c);
        EXPECT_EQ(verdict_of(c), k.text);
    }
}

}  // namespace
