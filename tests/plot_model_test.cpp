// The interval plot's model, natively: which intervals the columns hold, the
// y axis from the shown intervals' percentiles and its Shift+wheel zoom, where
// the distribution lines' labels go, and the time axis from the first report
// to the run's end.
#include <gtest/gtest.h>
#include <math.h>

#include "core/arrival_log.h"
#include "core/plot_model.h"

namespace {

const double kFreq = 1e7;  // counter ticks per second: 10 per us

PlotRequest request(int slot, int columns, double t0_s, double t1_s, bool whole) {
    PlotRequest r = {};
    r.slot = slot;
    r.freq = kFreq;
    r.columns = columns;
    r.whole = whole;
    r.t0_s = t0_s;
    r.t1_s = t1_s;
    return r;
}

// Reports of slot 1 every interval_us (each interval given by interval_of(i)).
template <typename F>
void fill(ArrivalLog* log, int reports, F interval_of) {
    arrival_log_set_bound(log, 16, 8);
    int64_t t = 1000;
    for (int i = 0; i < reports; i++) {
        t += i ? (int64_t)(interval_of(i) * 10) : 0;
        arrival_log_append(log, t, 1, false, i ? ARRIVAL_ACCEPTED : ARRIVAL_FIRST);
    }
}

// What a reader sees of the log now (the tests' reader id).
static ArrivalView* view(ArrivalLog* log) {
    static ArrivalView v;
    arrival_view_release(&v);
    arrival_view_take(&v, log, ARRIVAL_READER_TEST);
    return &v;
}

TEST(PlotModelTest, EveryVisibleIntervalIsShownOnceWhateverTheColumns) {
    static ArrivalLog log;
    static PlotModel m;
    fill(&log, 1001, [](int) { return 1000; });
    for (int columns : {214, 1, 7, 333, 690, 997, 1000, 1001, 4096}) {
        for (int slot : {0, 1}) {
            PlotRequest r = request(slot, columns, 0, 1, false);
            plot_model_build(&m, view(&log), &r);
            EXPECT_EQ(m.shown, 1000u) << columns << " columns, slot " << slot;
            r.whole = true;
            plot_model_build(&m, view(&log), &r);
            EXPECT_EQ(m.shown, 1000u) << columns << " columns, whole run";
        }
    }
    PlotRequest half = request(1, 214, 0.25, 0.75, false);  // the intervals that end in it
    plot_model_build(&m, view(&log), &half);
    EXPECT_EQ(m.shown, 501u);
    arrival_view_release(view(&log));
    arrival_log_free(&log);
}

TEST(PlotModelTest, AnyZoomOrPanStillShowsTheData) {
    static ArrivalLog log;
    static PlotModel m;
    fill(&log, 1001, [](int) { return 1000; });
    const double views[][2] = {{-1e300, 1e300}, {-1e18, 1e18}, {-5e15, 0.5}, {0.5, 1e19},
                               {1e18, 2e18}, {-2e18, -1e18}, {NAN, 1}, {0, INFINITY}};
    for (const auto& v : views) {
        PlotRequest r = request(0, 690, v[0], v[1], false);
        plot_model_build(&m, view(&log), &r);
        EXPECT_GT(m.shown, 0u) << v[0] << " .. " << v[1];
        EXPECT_GE(m.t0_s, -1.5);
        EXPECT_LE(m.t1_s, 2.5);
    }
    PlotRequest out = request(0, 690, -1e300, 1e300, false);
    plot_model_build(&m, view(&log), &out);
    EXPECT_EQ(m.shown, 1000u) << "zoomed right out: the whole run";
    arrival_view_release(view(&log));
    arrival_log_free(&log);
}

TEST(PlotModelTest, AxisComesFromThePercentilesNotTheOutliers) {
    // Spread down towards zero: from 0 to the next round value, as before.
    PlotAxis a = plot_axis_from_percentiles(500, 2000);
    EXPECT_DOUBLE_EQ(a.lo_ms, 0);
    EXPECT_DOUBLE_EQ(a.hi_ms, 2.5);
    EXPECT_DOUBLE_EQ(plot_nice_top_ms(1.01), 1.5);
    EXPECT_DOUBLE_EQ(plot_nice_top_ms(8.0), 10);
    a = plot_axis_from_percentiles(0, 0);
    EXPECT_DOUBLE_EQ(a.lo_ms, 0) << "no intervals: 0..1 ms";
    EXPECT_DOUBLE_EQ(a.hi_ms, 1);

    // 8 kHz with +-12 us of jitter and one 4 ms outlier in 2,000 (under 0.1 %).
    static ArrivalLog log;
    static PlotModel m;
    fill(&log, 40001, [](int i) { return i % 2000 == 7 ? 4000 : 113 + (i * 7919) % 25; });
    PlotRequest r = request(1, 690, 0, 0, true);
    plot_model_build(&m, view(&log), &r);
    EXPECT_GT(m.axis.lo_ms, 0.05) << "the band gets the height";
    EXPECT_LE(m.axis.lo_ms, 0.113);
    EXPECT_GE(m.axis.hi_ms, 0.138);
    EXPECT_LT(m.axis.hi_ms, 0.2) << "not the 4 ms outliers";
    const int spread = plot_row_of(&m.axis, 113, 40, 444) - plot_row_of(&m.axis, 137, 40, 444);
    EXPECT_GT(spread, 100) << "24 us of jitter over a hundred rows, not a few";
    int above = 0;  // the outliers stay in their columns, above the axis: drawn as arrows
    for (int c = 0; c < m.columns; c++)
        above += m.col[c].max_us > m.axis.hi_ms * 1000;
    EXPECT_EQ(above, 20);
    // The record's own percentiles give the whole run's axis without a walk's histogram.
    r.record_p001_us = 113;
    r.record_p999_us = 138;
    PlotModel known = m;
    plot_model_build(&known, view(&log), &r);
    EXPECT_DOUBLE_EQ(known.axis.lo_ms, m.axis.lo_ms);
    EXPECT_DOUBLE_EQ(known.axis.hi_ms, m.axis.hi_ms);
    EXPECT_GT(m.axis.step_ms * pow(10, m.axis.decimals) + 1e-9, 1) << "ticks labelled apart";
    arrival_view_release(view(&log));
    arrival_log_free(&log);
}

TEST(PlotModelTest, ShiftWheelZoomStaysWithinItsBounds) {
    PlotAxis a = plot_axis_of_range(0, 2.5);
    PlotAxis in = plot_zoom_axis(&a, 1.0, 0.8);
    EXPECT_NEAR(in.hi_ms - in.lo_ms, 2.0, 1e-9);
    EXPECT_NEAR((1.0 - in.lo_ms) / (in.hi_ms - in.lo_ms), 0.4, 1e-9) << "about the pointer";
    for (int notch = 0; notch < 200; notch++)
        in = plot_zoom_axis(&in, 1.0, 0.8);
    EXPECT_NEAR(in.hi_ms - in.lo_ms, 0.01, 1e-9) << "no narrower than 10 us";
    EXPECT_TRUE(in.lo_ms <= 1.0 && 1.0 <= in.hi_ms);
    PlotAxis out = a;
    for (int notch = 0; notch < 200; notch++)
        out = plot_zoom_axis(&out, 2.4, 1.25);
    EXPECT_DOUBLE_EQ(out.lo_ms, 0);
    EXPECT_DOUBLE_EQ(out.hi_ms, 60);
    PlotAxis odd = plot_zoom_axis(&a, NAN, 0.5);
    EXPECT_TRUE(odd.lo_ms >= 0 && odd.hi_ms > odd.lo_ms) << "a pointer off the plot";
}

TEST(PlotModelTest, LabelsNeverOverlapAndKeepTheirOrder) {
    const int height = 13, top = 48, bottom = 444;
    // 8 kHz figures: P99 a few rows above the median, P1 on the median's row.
    const int cases[][3] = {{300, 304, 304}, {300, 300, 300}, {440, 443, 444}, {40, 41, 45},
                            {100, 250, 400}, {-50, 200, 900}};
    for (const auto& want : cases) {
        int wanted[3], y[3];
        for (int i = 0; i < 3; i++)
            wanted[i] = want[i] - height / 2;
        plot_place_labels(wanted, 3, height, top, bottom, y);
        EXPECT_GE(y[0], top);
        EXPECT_LE(y[2] + height, bottom);
        EXPECT_GE(y[1] - y[0], height);
        EXPECT_GE(y[2] - y[1], height);
        const bool room = want[0] >= top + 2 * height && want[2] <= bottom - 2 * height;
        for (int i = 0; i < 3 && room; i++)
            EXPECT_LE(abs(y[i] - wanted[i]), 2 * height) << "near its line";
    }
    int apart[3] = {100, 200, 300}, y[3];
    plot_place_labels(apart, 3, height, top, bottom, y);
    EXPECT_EQ(y[0], 100);  // apart already: where they were
    EXPECT_EQ(y[2], 300);
}

TEST(PlotModelTest, TimeAxisRunsFromTheFirstReportToTheRunsEnd) {
    static ArrivalLog log;
    static PlotModel m;
    fill(&log, 6001, [](int) { return 1000; });  // 6 s of reports
    const int64_t first = 1000, last = first + 6 * 10000000LL;
    PlotRequest r = request(1, 690, 0, 0, true);
    r.end_t = last + 5 * 10000000LL;  // stopped 5 s after the last report
    plot_model_build(&m, view(&log), &r);
    EXPECT_DOUBLE_EQ(m.t0_s, 0);
    EXPECT_NEAR(m.t1_s, 11.0, 1e-9);
    EXPECT_NEAR(plot_record_span_s(view(&log), 1, kFreq, r.end_t), 11.0, 1e-9);
    int drawn = 0;
    for (int c = 0; c < m.columns; c++)
        drawn = m.col[c].count ? c : drawn;
    EXPECT_NEAR(drawn, 690 * 6 / 11, 2) << "the reports end where the run's sixth second is";
    r.end_t = 0;  // no stop known: the last report
    plot_model_build(&m, view(&log), &r);
    EXPECT_NEAR(m.t1_s, 6.0, 1e-9);
    r.end_t = first;  // earlier than the last report
    plot_model_build(&m, view(&log), &r);
    EXPECT_NEAR(m.t1_s, 6.0, 1e-9);
    EXPECT_DOUBLE_EQ(plot_record_span_s(view(&log), 2, kFreq, r.end_t), 1) << "a record without reports";
    arrival_view_release(view(&log));
    arrival_log_free(&log);
}

}  // namespace
