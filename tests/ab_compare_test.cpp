// The A/B block bootstrap on synthetic mice whose truth is known: a lattice
// of period P with one-sided delays uniform in [0, D), stamped to 0.1 us (a
// 10 MHz counter). Its intervals are P plus a triangular variable on
// [-D, D]: median P, 99th percentile P + D (1 - sqrt(0.02)), deviation
// D / sqrt(6), and a B run with every time 2 % later has each figure moved
// by exactly that. Seeds are fixed (in the code), so every run is the same.
#include <gtest/gtest.h>
#include <math.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/figures/ab_compare.h"
#include "core/views/ab_text.h"
#include "core/views/texts.h"
#include "core/figures/distribution.h"
#include "core/figures/gap_rule.h"
#include "core/runs/run_csv.h"
#include "core/figures/stats.h"
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

// A time's counter value on a 10 MHz counter, never 0 (a record's "none yet").
int64_t ticks_of(double t_us) { return llround(t_us * 10) + 1; }

// Each time through a statistics record, as --ab's reader feeds the run.
RunPtr run_of(const std::vector<double>& t) {
    std::unique_ptr<DeviceStats> rec(new DeviceStats());
    stats_record_init(rec.get(), 1e7);
    RunPtr r(new AbRun);
    ab_run_init(r.get());
    for (double x : t)
        ab_run_add(r.get(), x, record_arrival(rec.get(), ticks_of(x)), ticks_of(x), 1e7);
    EXPECT_TRUE(ab_run_finish(r.get()));
    stats_record_free(rec.get());
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
        for (size_t i = 1; i < t.size(); i++) {
            const double us = ticks_to_us(ticks_of(t[i]) - ticks_of(t[i - 1]), 1e7);
            if (gap_kind(us) == GAP_ACCEPTED)
                accepted.push_back(us);
        }
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
    int same = 0, slower = 0, inside[AB_FIGURES] = {}, clock_inside = 0, point_inside = 0;
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
        const AbInterval& clock = ab.d[AB_CLOCK_US];
        point_inside += clock.lo <= clock.diff && clock.diff <= clock.hi;
    }
    EXPECT_GE(same, 45);
    EXPECT_EQ(slower, 50);
    for (int f = 0; f < AB_CLOCK_US; f++)
        EXPECT_GE(inside[f], 45) << "figure " << f;
    EXPECT_GE(clock_inside, 45);
    EXPECT_GE(point_inside, 48);  // the interval is for the period printed
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
    texts_set_lang(LANG_ZH);
    EXPECT_EQ(verdict_of(c), "Verdict: none: 运行 B 只有 9 个 1 秒块；每个运行至少需要 10 个才能给出结论。");
    texts_set_lang(LANG_EN);
    RunPtr none = run_of({});
    EXPECT_EQ(verdict_of(compare(none.get(), a.get())), "Verdict: none: run A has no accepted intervals.");
}

// Two mice as the reader writes them, in tenths of a microsecond: mouse 1 on
// a 1 ms lattice, mouse 2 on 2 ms, each read of one to three reports stamped
// up to 300 us after its last; one read in 50 after a stop of 8 to 48 slots,
// one in 500 after 0.1 to 0.5 s; once a second mouse 1 sends a report
// exactly 100 us after a read and the next exactly 50 ms after that; and
// with lose_one, a report is lost after 7 s (mouse 1's next row, short after
// the row above and its own, classed pause, as the program writes it).
// Columns t_us, slot, class.
std::string two_mice_csv(uint64_t seed, int seconds, bool lose_one) {
    std::vector<std::pair<int64_t, int>> rows;
    for (int mouse = 1; mouse <= 2; mouse++) {
        const int64_t period = 10000 * mouse;
        int64_t slot_t = 0, t = 0, second = 0;
        while (slot_t < seconds * 10000000ll) {
            if (mouse == 1 && t / 10000000 > second) {
                second = t / 10000000;
                rows.push_back({t += 1000, mouse});
                rows.push_back({t += 500000, mouse});  // 50 slots on, 100 us later in its slot
                slot_t += 500000;
                continue;
            }
            const int reports = 1 + (int)(next_random(&seed) % 3);
            const uint64_t stop = next_random(&seed) % 500;
            slot_t += period * (reports + (stop < 10 ? 8 + (int64_t)(next_random(&seed) % 41) : 0)) +
                      (stop == 10 ? 1000000 + (int64_t)(next_random(&seed) % 4000000) : 0);
            slot_t -= slot_t % period;
            t = slot_t + (int64_t)(next_random(&seed) % 3000);
            for (int k = 0; k < reports; k++)
                rows.push_back({t, mouse});
        }
    }
    std::sort(rows.begin(), rows.end());
    std::string text = "t_us,slot,class\n";
    char line[64];
    bool lost = !lose_one;
    int64_t mouse_1_t = 0;
    for (size_t i = 0; i < rows.size(); i++) {
        const int64_t t = rows[i].first, gap = i ? t - rows[i - 1].first : -1;
        const bool lose = !lost && t >= 70000000 && rows[i].second == 1 && gap < 500000 &&
                          t - mouse_1_t < 500000;
        lost = lost || lose;
        mouse_1_t = rows[i].second == 1 ? t : mouse_1_t;
        snprintf(line, sizeof line, "%lld.%03lld,%d,%s\n", (long long)(t / 10), (long long)(t % 10 * 100),
                 rows[i].second,
                 gap < 0                  ? "first"
                 : gap > 500000 || lose ? "pause"
                 : gap < 1000             ? "coalesced"
                                          : "accepted");
        text += line;
    }
    return text;
}

// The CSV read as --analyze reads it; with run, as --ab does.
void read_csv(const std::string& text, int slot, AbRun* run, Distribution* d, ReportClockFigures* clock) {
    static RunCsv c;
    run_csv_init(&c, slot);
    c.ab = run;
    EXPECT_TRUE(run_csv_feed(&c, text.data(), text.size()) && run_csv_finish(&c)) << c.error;
    record_distribution(c.rec, d);
    report_clock_finish(&c.clock, clock);
    run_csv_free(&c);
    if (run) {
        EXPECT_TRUE(ab_run_finish(run));
    }
}

TEST(AbCompareTest, EachRunOfABIsWhatAnalyzeReadsInTheSameFile) {
    const std::string csv = two_mice_csv(2024, 20, true);
    for (int slot : {1, 2}) {
        SCOPED_TRACE(slot);
        Distribution want, kept;
        ReportClockFigures want_clock;
        read_csv(csv, slot, nullptr, &want, &want_clock);
        ASSERT_EQ(want_clock.refusal, REPORT_CLOCK_OK);
        read_csv(two_mice_csv(2024, 20, false), slot, nullptr, &kept, &want_clock);
        EXPECT_EQ(want.pauses, kept.pauses + 1);  // the lost report
        RunPtr a(new AbRun), b(new AbRun);
        for (AbRun* r : {a.get(), b.get()}) {
            ab_run_init(r);
            Distribution d;
            ReportClockFigures clock;
            read_csv(csv, slot, r, &d, &clock);
            const AbFigures& f = r->figures;
            EXPECT_EQ(f.n, want.n);
            EXPECT_EQ(r->distribution.mean_us, want.mean_us);
            EXPECT_EQ(f.v[AB_SD_US], want.sd_us);
            EXPECT_EQ(f.v[AB_MEDIAN_HZ], rate_at(want.pct_us[PCT_50]));
            EXPECT_EQ(f.v[AB_P99_US], want.pct_us[PCT_99]);
            EXPECT_EQ(f.v[AB_STABILITY], want.stability_pct);
            EXPECT_EQ(r->coalesced, want.coalesced);
            EXPECT_EQ(r->pauses, want.pauses);
            EXPECT_TRUE(f.has_clock);
            EXPECT_EQ(f.v[AB_CLOCK_US], want_clock.period_us);
        }
        if (slot == 1) {  // both ends accepted; the 99th percentile where a coarser grid shares bins
            EXPECT_NEAR(want.min_us, 100, 1e-9);
            EXPECT_NEAR(want.max_us, 50000, 1e-9);
            EXPECT_GT(want.pct_us[PCT_99], 8192.0);
        }
        const AbComparison c = compare(a.get(), b.get());
        ASSERT_TRUE(c.verdict.compared[AB_CLOCK_US]);
        EXPECT_LE(c.d[AB_CLOCK_US].lo, 0);
        EXPECT_GE(c.d[AB_CLOCK_US].hi, 0);
        EXPECT_EQ(c.d[AB_CLOCK_US].diff, 0);
    }
}

// A clock that locks on a start too late to hold (its first 8000 reports up
// to 790 us late on a 1 ms lattice) drops it and starts again: the blocks
// drop its points with it, and the period's interval stays as narrow as a
// clean run's (3e-4 us wide here; points against the dropped line in a
// resample would spread it over hundredths).
TEST(AbCompareTest, AClockThatStartsAgainLeavesItsIntervalWhole) {
    std::vector<double> t;
    uint64_t seed = 2;
    for (int k = 0; k < 30000; k++)
        t.push_back(round((1000.0 * k + uniform(&seed) * (k < 8000 ? 790 : 100)) * 10) / 10);
    RunPtr a = run_of(t), b = run_of(t);
    EXPECT_EQ(a->blocks[6].points, 0u);  // made before the clock started again
    EXPECT_GT(a->blocks[20].points, 0u);
    const AbComparison c = compare(a.get(), b.get());
    ASSERT_TRUE(c.verdict.compared[AB_CLOCK_US]);
    EXPECT_LE(c.d[AB_CLOCK_US].lo, 0);
    EXPECT_GE(c.d[AB_CLOCK_US].hi, 0);
    EXPECT_LT(c.d[AB_CLOCK_US].hi - c.d[AB_CLOCK_US].lo, 1e-3);
}

// The sentence from hand-made differences: a difference is named only when
// its interval excludes 0 and it passes its threshold.
TEST(AbCompareTest, VerdictNamesOnlyDifferencesOutsideZeroAndPastTheirThreshold) {
    struct Case {
        AbInterval d[AB_FIGURES];
        bool clocks;
        const char *text, *zh;
    } cases[] = {
        {{{0.1, -0.2, 0.4}, {-25.4, -31.0, -19.9}, {27.1, 21.5, 33.0}, {7.5, 6.1, 8.8}, {-2.1, -2.6, -1.6}, {}},
         false,
         "Verdict: B's slow end is 2.6% slower, its intervals 61% more spread and its stability 2.1 points "
         "lower; the median rate does not differ.",
         "Verdict: B 的慢端回报率慢 2.6%，间隔离散度高 61%，稳定度低 2.1 个百分点；中位回报率没有差异。"},
        // Outside 0 but under the threshold (0.4 %, 8 %, 0.9 points, 0.4 %), or past it but about 0.
        {{{4.0, 3.0, 5.0}, {-10.0, -20.0, 1.0}, {10.0, -1.0, 21.0}, {1.0, 0.5, 1.5}, {-0.9, -1.2, -0.6},
          {4.0, 3.0, 5.0}},
         true,
         "Verdict: the median rate, the slow end, the spread, the stability and the report clock period "
         "do not differ.",
         "Verdict: 中位回报率、慢端回报率、间隔离散度、稳定度和报告时钟周期都没有差异。"},
        {{{-20.0, -21.0, -19.0}, {}, {}, {}, {}, {-6.0, -7.0, -5.0}},
         true,
         "Verdict: B's median rate is 2.0% slower and its report clock period 0.6% shorter; the slow end, "
         "the spread and the stability do not differ.",
         "Verdict: B 的中位回报率慢 2.0%，报告时钟周期短 0.6%；慢端回报率、间隔离散度和稳定度都没有差异。"},
    };
    for (const Case& k : cases) {
        AbComparison c = {};
        c.a = AbFigures{10000, {1000.0, 980.4, 1020.0, 12.3, 99.1, 1000.0}, k.clocks, false};
        c.b = c.a;
        c.b.n = 9990;
        c.blocks_a = c.blocks_b = 10;
        for (int f = 0; f < AB_FIGURES; f++)
            c.d[f] = k.d[f];
        ab_verdict_of(&c);
        EXPECT_EQ(verdict_of(c), k.text);
        texts_set_lang(LANG_ZH);
        EXPECT_EQ(verdict_of(c), k.zh);
        texts_set_lang(LANG_EN);
    }
}

}  // namespace
