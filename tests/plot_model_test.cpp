// The plot's model, natively: which intervals the columns hold, the y axis
// from the shown intervals' percentiles and its Shift+wheel zoom, where the
// distribution lines' labels go, the time axis from the first report to the
// run's end, the counts' and speeds' columns and axes, the buttons' rows of
// presses (chatter as the record counts it) and notches; and the words around
// the plot in both languages: the header's figures broken into lines, never
// inside one, the foot's hints never over its status, a picture's info line.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/runs/arrival_log.h"
#include "core/version.h"
#include "core/views/plot_model.h"
#include "core/views/texts.h"

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

// Reports of slot 1, each interval_of(i) us after the one before (under 100:
// coalesced), carrying motion_of(i).
template <typename I, typename M>
void fill_motion(ArrivalLog* log, int reports, I interval_of, M motion_of) {
    arrival_log_set_bound(log, 16, 8);
    int64_t t = 1000;
    for (int i = 0; i < reports; i++) {
        t += i ? (int64_t)(interval_of(i) * 10) : 0;
        const ReportMotion mo = motion_of(i);
        const ArrivalClass cls = i == 0 ? ARRIVAL_FIRST : interval_of(i) < 100 ? ARRIVAL_COALESCED : ARRIVAL_ACCEPTED;
        arrival_log_append(log, t, 1, false, cls, &mo);
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
    PlotAxis in = plot_zoom_axis(&a, PLOT_INTERVALS, 1.0, 0.8);
    EXPECT_NEAR(in.hi_ms - in.lo_ms, 2.0, 1e-9);
    EXPECT_NEAR((1.0 - in.lo_ms) / (in.hi_ms - in.lo_ms), 0.4, 1e-9) << "about the pointer";
    for (int notch = 0; notch < 200; notch++)
        in = plot_zoom_axis(&in, PLOT_INTERVALS, 1.0, 0.8);
    EXPECT_NEAR(in.hi_ms - in.lo_ms, 0.01, 1e-9) << "no narrower than 10 us";
    EXPECT_TRUE(in.lo_ms <= 1.0 && 1.0 <= in.hi_ms);
    PlotAxis out = a;
    for (int notch = 0; notch < 200; notch++)
        out = plot_zoom_axis(&out, PLOT_INTERVALS, 2.4, 1.25);
    EXPECT_DOUBLE_EQ(out.lo_ms, 0);
    EXPECT_DOUBLE_EQ(out.hi_ms, 60);
    PlotAxis odd = plot_zoom_axis(&a, PLOT_INTERVALS, NAN, 0.5);
    EXPECT_TRUE(odd.lo_ms >= 0 && odd.hi_ms > odd.lo_ms) << "a pointer off the plot";
}

// 10 s of +-3 / -+1 alternating every millisecond, one dx spike of 100, one
// idle report and one absolute position in every thousand.
TEST(PlotModelTest, CountsKeepEverySpikeAtItsColumnAndMarkReportsWithoutMotion) {
    static ArrivalLog log;
    static PlotModel m;
    fill_motion(&log, 10001, [](int) { return 1000; }, [](int i) {
        if (i % 1000 == 500)
            return ReportMotion{0, 0, 0, 0, 0};
        if (i % 1000 == 700)
            return ReportMotion{30000, 20000, 0, 0, MOTION_FLAG_ABSOLUTE};
        return ReportMotion{i == 5003 ? 100 : i % 2 ? 3 : -3, i % 2 ? -1 : 1, 0, 0, 0};
    });
    PlotRequest r = request(1, 670, 0, 0, true);
    r.kind = PLOT_COUNTS;
    plot_model_build(&m, view(&log), &r);
    EXPECT_EQ(m.shown, 10001u - 20) << "every moving report, the first too";
    EXPECT_EQ(m.absolute, 10u);
    EXPECT_DOUBLE_EQ(m.axis.lo_ms, -4) << "symmetric, from the columns, not the spike";
    EXPECT_DOUBLE_EQ(m.axis.hi_ms, 4);
    uint32_t still = 0;
    for (int c = 0; c < m.columns; c++) {
        const PlotColumn& col = m.col[c];
        still += col.still;
        EXPECT_EQ(col.dx.max, c == 5003 * 670 / 10000 ? 100 : 3) << c;
        EXPECT_EQ(col.dx.min, -3) << c;
        EXPECT_EQ(col.dy.min, -1);
        EXPECT_EQ(col.dy.max, 1);
        EXPECT_EQ(col.dy.distinct, 2) << "two levels, each a dot";
    }
    EXPECT_EQ(still, 10u);
    arrival_view_release(view(&log));
    arrival_log_free(&log);
}

// The counts' columns against the plain rule taken report by report, for two
// mice interleaved at random (seed 7), in stretches that move by one count,
// by many, idle, or report positions; whole run and a zoomed range, each
// record. Stamps are 500 us apart and the column counts prime to their
// number, so no stamp lies on a column's edge but the first.
TEST(PlotModelTest, CountsColumnsMatchEveryReportTakenOneByOne) {
    static ArrivalLog log;
    static PlotModel m;
    enum { REPORTS = 20001 };
    static int slots[REPORTS];
    static ReportMotion motions[REPORTS];
    arrival_log_set_bound(&log, 12, 8);
    unsigned seed = 7;
    auto next = [&seed](int range) { return (int)((seed = seed * 1103515245u + 12345u) >> 16) % range; };
    for (int i = 0; i < REPORTS; i++) {
        const int stretch = i / 700 % 4;
        ReportMotion mo = {next(3) - 1, next(3) - 1, 0, 0, 0};
        if (stretch == 1)
            mo = {next(255) - 127, next(41) - 20, 0, 0, 0};
        if (stretch == 2 && next(4) == 0)
            mo = {0, 0, (uint16_t)next(2), 0, 0};
        if (stretch == 3 && next(8) == 0)
            mo = {next(65535), next(65535), 0, 0, MOTION_FLAG_ABSOLUTE};
        slots[i] = 1 + next(2);
        motions[i] = mo;
        arrival_log_append(&log, 1000 + (int64_t)i * 5000, slots[i], false, ARRIVAL_ACCEPTED, &mo);
    }
    for (int slot : {0, 1, 2}) {
        for (bool whole : {true, false}) {
            const int columns = whole ? 487 : 241;
            PlotRequest r = request(slot, columns, 2.5, 7.5, whole);
            r.kind = PLOT_COUNTS;
            plot_model_build(&m, view(&log), &r);
            static PlotModel want;
            memset(want.col, 0, sizeof want.col);
            want.absolute = 0;
            // The record's own first and last reports span its time axis.
            int first = 0, last = REPORTS - 1;
            while (slot != 0 && slots[first] != slot)
                first++;
            while (slot != 0 && slots[last] != slot)
                last--;
            const int from = whole ? first : first + 5000, width = whole ? last - first : 10000;
            for (int i = from; i <= from + width; i++) {
                if (slot != 0 && slots[i] != slot)
                    continue;
                const ReportMotion& mo = motions[i];
                const int64_t at = (int64_t)(i - from) * columns / width;
                PlotColumn& col = want.col[std::min<int64_t>(at, columns - 1)];
                if (mo.flags & MOTION_FLAG_ABSOLUTE) {
                    want.absolute++;
                    continue;
                }
                if (mo.dx == 0 && mo.dy == 0) {
                    col.still++;
                    continue;
                }
                for (int axis = 0; axis < 2; axis++) {
                    PlotCounts& a = axis ? col.dy : col.dx;
                    const int16_t v = (int16_t)(axis ? mo.dy : mo.dx);
                    a.min = col.count == 0 || v < a.min ? v : a.min;
                    a.max = col.count == 0 || v > a.max ? v : a.max;
                    if (a.distinct <= PLOT_FEW && std::find(a.few, a.few + std::min<int>(a.distinct, PLOT_FEW), v) ==
                                                      a.few + std::min<int>(a.distinct, PLOT_FEW)) {
                        if (a.distinct < PLOT_FEW)
                            a.few[a.distinct] = v;
                        a.distinct++;
                    }
                }
                col.count++;
            }
            EXPECT_EQ(m.absolute, want.absolute);
            for (int c = 0; c < columns; c++) {
                const PlotColumn &got = m.col[c], &ref = want.col[c];
                ASSERT_EQ(got.count, ref.count) << slot << whole << c;
                ASSERT_EQ(got.still, ref.still) << slot << whole << c;
                for (int axis = 0; axis < 2 && got.count; axis++) {
                    const PlotCounts &g = axis ? got.dy : got.dx, &w = axis ? ref.dy : ref.dx;
                    ASSERT_EQ(g.min, w.min) << slot << whole << c;
                    ASSERT_EQ(g.max, w.max) << slot << whole << c;
                    ASSERT_EQ(g.distinct, w.distinct) << slot << whole << c;
                    for (int k = 0; k < std::min<int>(w.distinct, PLOT_FEW); k++)
                        ASSERT_EQ(g.few[k], w.few[k]) << slot << whole << c;
                }
            }
        }
    }
    arrival_view_release(view(&log));
    arrival_log_free(&log);
}

// dx 3, dy 4 every millisecond (5000 counts/s), one interval of 500 us
// (10000 counts/s), one delivery of four reports read together (20 counts in
// 1000 us: 20000 counts/s, not four speeds), one idle report (marked apart)
// and one absolute position (not drawn).
TEST(PlotModelTest, SpeedIsCountsOverTheAcceptedIntervalFromZero) {
    static ArrivalLog log;
    static PlotModel m;
    const auto interval_of = [](int i) { return i == 1000 ? 500 : i > 1800 && i < 1804 ? 50 : 1000; };
    fill_motion(&log, 2001, interval_of, [](int i) {
        if (i == 1500)
            return ReportMotion{0, 0, 0, 0, 0};
        return ReportMotion{i == 1700 ? 300 : 3, i == 1700 ? 400 : 4, 0, 0,
                            (uint16_t)(i == 1700 ? MOTION_FLAG_ABSOLUTE : 0)};
    });
    for (int slot : {0, 1}) {
        PlotRequest r = request(slot, 690, 0, 0, true);
        r.kind = PLOT_SPEED;
        plot_model_build(&m, view(&log), &r);
        EXPECT_EQ(m.shown, 1995u) << "each delivery but the absolute and the idle report's";
        EXPECT_EQ(m.absolute, 1u);
        float fastest = 0, slowest = 1e9f;
        int steady = 0, still = 0;
        for (int c = 0; c < m.columns; c++) {
            if (m.col[c].count == 0)
                continue;
            fastest = fmaxf(fastest, m.col[c].speed_max);
            slowest = fminf(slowest, m.col[c].speed_min);
            steady += m.col[c].speed_min == 5000.0f && m.col[c].speed_max == 5000.0f;
            still += m.col[c].still;
        }
        EXPECT_GE(steady, 690 - 4);
        EXPECT_EQ(fastest, 20000.0f);
        EXPECT_EQ(slowest, 5000.0f) << "the idle report is no speed of 0...";
        EXPECT_EQ(still, 1) << "...but a mark of its own";
        EXPECT_DOUBLE_EQ(m.axis.lo_ms, 0);
        EXPECT_DOUBLE_EQ(m.axis.hi_ms, 6000) << "a round value above the columns' 99th percentile";
    }
    arrival_view_release(view(&log));
    arrival_log_free(&log);
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

// A font in which a Chinese character is 12 pixels wide and anything else 6.
int fake_width(void*, const wchar_t* text, int n) {
    int w = 0;
    for (int i = 0; i < n; i++)
        w += text[i] >= 0x2E80 ? 12 : 6;
    return w;
}
const PlotMeasure kFakeFont = {fake_width, nullptr};

int width_of(const std::wstring& s) { return fake_width(nullptr, s.c_str(), (int)s.size()); }

// The pieces of a text (split at PLOT_GAP), in order.
std::vector<std::wstring> pieces_of(const std::wstring& text) {
    std::vector<std::wstring> out;
    for (size_t from = 0; from <= text.size();) {
        size_t gap = text.find(PLOT_GAP, from);
        gap = gap == std::wstring::npos ? text.size() : gap;
        if (gap > from)
            out.push_back(text.substr(from, gap - from));
        from = gap + PLOT_GAP_LEN;
    }
    return out;
}

std::wstring line_of(const wchar_t* text, const PlotTextLine& l) { return std::wstring(text + l.start, l.len); }

// A restore of the language a test changed, whatever way it ends.
struct InLanguage {
    explicit InLanguage(Lang lang) { texts_set_lang(lang); }
    ~InLanguage() { texts_set_lang(LANG_EN); }
};

// A 4 kHz run's summary with its clock and the note that the dots reach back
// only an hour, in both languages: from a width where all of it is one line
// down to what a narrow window leaves, each line holds whole figures only,
// in their order, within its width (the first, between the buttons, the
// narrowest, and left empty where not even the count fits).
TEST(PlotModelTest, TheSummaryBreaksBetweenItsFiguresNeverInsideOne) {
    Distribution d = {};
    d.n = 14400000;
    d.pct_us[PCT_99] = 262.5;
    d.pct_us[PCT_50] = 250.0;
    d.pct_us[PCT_1] = 238.1;
    d.sd_us = 6.3;
    d.stability_pct = 97.4;
    ReportClockFigures clock = {};
    clock.period_us = 250.0021;
    for (Lang lang : {LANG_EN, LANG_ZH}) {
        InLanguage in(lang);
        wchar_t text[400];
        plot_summary_text(text, 400, &d, &clock, true, 3598.7, false);
        const std::vector<std::wstring> pieces = pieces_of(text);
        ASSERT_EQ(pieces.size(), 8u) << "count, three rates, deviation, stability, clock, note";
        EXPECT_NE(pieces[6].find(L"250.002 µs"), std::wstring::npos);
        int widest = 0;
        for (const std::wstring& p : pieces)
            widest = std::max(widest, width_of(p));
        for (int width : {widest, widest + 40, 500, 700, 2000}) {
            const int widths[] = {width / 3, width};
            PlotTextLine lines[PLOT_TEXT_LINES];
            const int n = plot_wrap(text, widths, 2, &kFakeFont, lines, PLOT_TEXT_LINES);
            std::vector<std::wstring> laid;
            for (int k = 0; k < n; k++) {
                const std::wstring line = line_of(text, lines[k]);
                EXPECT_LE(width_of(line), widths[k ? 1 : 0]) << width << ": line " << k;
                for (const std::wstring& p : pieces_of(line))
                    laid.push_back(p);
            }
            EXPECT_EQ(laid, pieces) << "width " << width << ", language " << lang;
            if (width == 2000) {
                EXPECT_EQ(n, 2) << "the first line between the buttons, the rest below";
            }
        }
        const int too_narrow[] = {width_of(pieces[0]) - 1, 2000};
        PlotTextLine lines[PLOT_TEXT_LINES];
        ASSERT_EQ(plot_wrap(text, too_narrow, 2, &kFakeFont, lines, PLOT_TEXT_LINES), 2);
        EXPECT_EQ(lines[0].len, 0) << "the count does not fit between the buttons";
        EXPECT_EQ(line_of(text, lines[1]), std::wstring(text));
    }
}

// A sentence wider than the line (a hint in a narrow window) breaks after a
// space or between Chinese characters, never before a comma or inside a
// number, and loses nothing but the spaces at the breaks.
TEST(PlotModelTest, ASentenceTooLongForALineBreaksAtWordsOrCharacters) {
    const wchar_t* zh = L"手速限制了回报率：中位速度 1234 计数/秒，请移动快约 2.5 倍";
    const wchar_t* en = L"Your hand limits the rate: median speed 1234 counts/s, move about 2.5 times faster";
    for (const wchar_t* text : {zh, en}) {
        for (int width : {60, 100, 160}) {
            PlotTextLine lines[PLOT_TEXT_LINES];
            const int n = plot_wrap(text, &width, 1, &kFakeFont, lines, PLOT_TEXT_LINES);
            ASSERT_GT(n, 1);
            std::wstring joined, spaceless;
            for (int k = 0; k < n; k++) {
                const std::wstring line = line_of(text, lines[k]);
                EXPECT_LE(width_of(line), width) << line.c_str();
                EXPECT_TRUE(line[0] != L'，' && line[0] != L'：' && line[0] != L' ');
                EXPECT_TRUE(line.find(L"1234") != std::wstring::npos || line.find(L"123") == std::wstring::npos);
                EXPECT_TRUE(line.find(L"2.5") != std::wstring::npos || line.find(L"2.") == std::wstring::npos);
                joined += line;
            }
            for (const wchar_t* c = text; *c; c++)
                spaceless += *c == L' ' ? L"" : std::wstring(1, *c);
            joined.erase(std::remove(joined.begin(), joined.end(), L' '), joined.end());
            EXPECT_EQ(joined, spaceless);
        }
    }
}

// The foot at widths from a 1024-pixel window's down to a narrow one's: the
// hints end the status's line only when both fit there with the gap between;
// else they take lines of their own, and no line runs past its room (the
// bottom one's less, as while the export's bar shows).
TEST(PlotModelTest, TheFootsHintsNeverRunOverItsStatus) {
    const wchar_t* statuses[] = {L"", L"已导出 123456 行：C:\\Users\\someone\\Documents\\quorvin-20261209-165312.csv",
                                 L"Exported 123456 rows: C:\\Users\\someone\\Documents\\quorvin-20261209-165312.csv"};
    const wchar_t* hints[] = {
        L"", L"手速限制了回报率：中位速度 812 计数/秒，请移动快约 2.5 倍" PLOT_GAP
             L"12.5% 的回报无移动：鼠标在不动时也发送回报（有的固件借此虚报回报率）",
        L"Your hand limits the rate: median speed 812 counts/s, move about 2.5 times faster" PLOT_GAP
        L"12.5% of reports without motion: the mouse reports while still"};
    for (const wchar_t* status : statuses) {
        for (const wchar_t* hint : hints) {
            for (int width : {400, 660, 1000, 1600}) {
                for (int last : {width, width - 160}) {
                    PlotFoot f;
                    plot_foot_layout(status, hint, width, last, 24, &kFakeFont, &f);
                    ASSERT_GE(f.status_n, 1);
                    for (int k = 0; k < f.status_n; k++)
                        EXPECT_LE(width_of(line_of(status, f.status[k])), last);
                    const int bottom = width_of(line_of(status, f.status[f.status_n - 1]));
                    if (f.beside) {
                        EXPECT_EQ(f.hint_n, 0);
                        EXPECT_LE((bottom ? bottom + 24 : 0) + width_of(hint), last) << width;
                        continue;
                    }
                    EXPECT_EQ(f.hint_n == 0, *hint == 0);
                    for (int k = 0; k < f.hint_n; k++)
                        EXPECT_LE(width_of(line_of(hint, f.hints[k])), width);
                }
            }
            PlotFoot wide;
            plot_foot_layout(status, hint, 4000, 4000, 24, &kFakeFont, &wide);
            EXPECT_EQ(wide.status_n + wide.hint_n, 1) << "one line where all fits";
        }
    }
}

// A saved picture's line names the program's version, the device and when,
// in either language, and nothing else: no status, no path.
TEST(PlotModelTest, APicturesInfoNamesTheVersionTheDeviceAndTheDate) {
    const PlotStamp when = {true, 2026, 12, 9, 16, 53, 2, 480};
    const PlotStamp unknown = {};
    for (Lang lang : {LANG_EN, LANG_ZH}) {
        InLanguage in(lang);
        wchar_t info[200];
        plot_picture_info(info, 200, L"鼠标 VID_046D PID_C08B", true, &when);
        const std::vector<std::wstring> pieces = pieces_of(info);
        ASSERT_EQ(pieces.size(), 3u);
        EXPECT_EQ(pieces[0], L"Quorvin " QUORVIN_VERSION_WIDE);
        EXPECT_EQ(pieces[1], L"鼠标 VID_046D PID_C08B");
        EXPECT_NE(pieces[2].find(L"2026-12-09 16:53:02 UTC+08:00"), std::wstring::npos) << pieces[2].c_str();
        const PlotStamp west = {true, 2026, 1, 2, 3, 4, 5, -330};
        plot_picture_info(info, 200, L"All mice", false, &west);
        EXPECT_NE(std::wstring(info).find(L"2026-01-02 03:04:05 UTC-05:30"), std::wstring::npos);
        const std::wstring taken = txw(TX_PLOT_INFO_SAVED);
        EXPECT_NE(std::wstring(info).find(taken.substr(0, taken.find(L"%ls"))), std::wstring::npos)
            << "the live run's picture says when it was taken";
        plot_picture_info(info, 200, L"All mice", true, &unknown);
        EXPECT_EQ(pieces_of(info).back(), txw(TX_PLOT_INFO_NO_DATE));
    }
}

// One report a millisecond of slot 1 for a second, 1000 columns (one per
// report); buttons and notches at given milliseconds, and a second mouse's
// clicks beside them.
struct Click {
    int ms;
    uint16_t flags;
    int16_t data;
};
static void fill_clicks(ArrivalLog* log, const std::vector<Click>& clicks) {
    arrival_log_set_bound(log, 16, 8);
    for (int i = 0; i <= 1000; i++) {
        ReportMotion mo = {1, 0, 0, 0, 0};
        for (const Click& c : clicks) {
            if (c.ms == i) {
                mo.buttons = c.flags;
                mo.wheel = c.data;
            }
        }
        arrival_log_append(log, 1000 + (int64_t)i * 10000, 1, false, i ? ARRIVAL_ACCEPTED : ARRIVAL_FIRST, &mo);
        if (i == 450 || i == 460) {  // another mouse's click: not slot 1's
            const ReportMotion other = {0, 0, (uint16_t)(i == 450 ? 1 : 2), 0, 0};
            arrival_log_append(log, 1000 + (int64_t)i * 10000 + 5000, 2, false, ARRIVAL_ACCEPTED, &other);
        }
    }
}

// Each press from its press to its release, in the chatter's mark when it
// came less than the threshold after its button's release (at exactly it,
// not), whether the walk begins before it or inside it; a release without
// its press from the start, a press never released to the end; notches each
// way with a lone one against the scroll marked, a deliberate turn back not.
// (A stamp on a column's edge may fall in the column before: the checks look
// a column either side of it.)
TEST(PlotModelTest, ButtonsRowsDrawEachPressAndTheChatterTheRecordCounts) {
    static ArrivalLog log;
    static PlotModel m;
    const uint16_t L_DOWN = button_down_flag(BUTTON_LEFT), L_UP = button_up_flag(BUTTON_LEFT);
    fill_clicks(&log, {{100, L_DOWN, 0}, {200, L_UP, 0}, {204, L_DOWN, 0}, {300, L_UP, 0}, {310, L_DOWN, 0},
                       {400, L_UP, 0}, {50, button_up_flag(BUTTON_RIGHT), 0}, {900, button_down_flag(BUTTON_BACK), 0},
                       {500, BUTTON_FLAG_WHEEL, 120}, {510, BUTTON_FLAG_WHEEL, 120}, {520, BUTTON_FLAG_WHEEL, 120},
                       {530, BUTTON_FLAG_WHEEL, -120}, {540, BUTTON_FLAG_WHEEL, 120}, {660, BUTTON_FLAG_WHEEL, -120},
                       {670, BUTTON_FLAG_WHEEL, -120}, {800, BUTTON_FLAG_WHEEL, 360}});
    auto build = [&](int slot, int columns, double t0, double t1, bool whole, double chatter_ms = 0) {
        PlotRequest r = request(slot, columns, t0, t1, whole);
        r.kind = PLOT_BUTTONS;
        r.chatter_ms = chatter_ms;
        plot_model_build(&m, view(&log), &r);
    };
    auto held = [&](int c, int b = BUTTON_LEFT) { return m.buttons[c].button[b] & (PLOT_HELD | PLOT_HELD_CHATTER); };
    auto pressed_near = [&](int c, int b = BUTTON_LEFT) {
        return (m.buttons[c - 1].button[b] | m.buttons[c].button[b]) & (PLOT_PRESSED | PLOT_HELD | PLOT_HELD_CHATTER);
    };
    auto columns_where = [&](int columns, bool (*f)(const PlotButtonColumn&)) {
        std::vector<int> out;
        for (int c = 0; c < columns; c++) {
            if (f(m.buttons[c]))
                out.push_back(c);
        }
        return out;
    };
    build(1, 1000, 0, 1, true);
    EXPECT_EQ(held(97), 0);
    EXPECT_EQ(pressed_near(100), PLOT_PRESSED | PLOT_HELD);
    EXPECT_EQ(held(150), PLOT_HELD);
    EXPECT_EQ(held(202), 0);
    EXPECT_EQ(pressed_near(204), PLOT_PRESSED | PLOT_HELD_CHATTER) << "4 ms after its release";
    EXPECT_EQ(held(250), PLOT_HELD_CHATTER);
    EXPECT_EQ(held(305), 0);
    EXPECT_EQ(pressed_near(310), PLOT_PRESSED | PLOT_HELD) << "exactly 10 ms: not chatter";
    EXPECT_EQ(held(350), PLOT_HELD);
    EXPECT_EQ(held(405), 0);
    EXPECT_EQ(held(0, BUTTON_RIGHT), PLOT_HELD) << "held since before the first report";
    EXPECT_EQ(held(45, BUTTON_RIGHT), PLOT_HELD);
    EXPECT_EQ(held(55, BUTTON_RIGHT), 0);
    EXPECT_EQ(held(950, BUTTON_BACK), PLOT_HELD) << "still held: to the end";
    EXPECT_EQ(held(999, BUTTON_BACK), PLOT_HELD);
    EXPECT_EQ(held(455), 0) << "the other mouse's click";
    EXPECT_EQ(columns_where(1000, [](const PlotButtonColumn& c) { return c.up[0] == 3; }).size(), 1u)
        << "a report of three notches";
    const std::vector<int> reversed = columns_where(1000, [](const PlotButtonColumn& c) { return c.reversed != 0; });
    ASSERT_EQ(reversed.size(), 1u) << "a lone notch against the scroll; a deliberate turn back is two notches";
    EXPECT_TRUE(reversed[0] == 529 || reversed[0] == 530) << reversed[0];
    EXPECT_EQ(m.buttons[reversed[0]].down[0], 1);
    EXPECT_EQ(m.shown, 4u + 10u) << "presses begun and notches turned";
    int rows[PLOT_BUTTON_ROWS];
    ASSERT_EQ(plot_button_row_list(m.button_rows, rows), 4);
    EXPECT_EQ(rows[0], BUTTON_LEFT);
    EXPECT_EQ(rows[1], BUTTON_RIGHT);
    EXPECT_EQ(rows[2], BUTTON_BACK);
    EXPECT_EQ(rows[3], PLOT_ROW_WHEEL);

    // A zoom inside the chattering press keeps its colour, begun before the
    // range; a zoom on the notches finds the same reversal. All mice: both clicks.
    build(1, 100, 0.25, 0.35, false);
    EXPECT_EQ(held(0), PLOT_HELD_CHATTER);
    EXPECT_EQ(held(40), PLOT_HELD_CHATTER);
    EXPECT_EQ(held(55), 0);
    EXPECT_EQ(held(70), PLOT_HELD);
    EXPECT_EQ(m.shown, 1u);
    build(1, 10, 0.525, 0.535, false);
    EXPECT_EQ(columns_where(10, [](const PlotButtonColumn& c) { return c.reversed != 0; }).size(), 1u);
    build(0, 1000, 0, 1, true);
    EXPECT_EQ(m.buttons[450].button[BUTTON_LEFT], PLOT_HELD | PLOT_PRESSED);
    EXPECT_EQ(held(455), PLOT_HELD);

    // A threshold of 2 ms: nothing chatters.
    build(1, 1000, 0, 1, true, 2);
    EXPECT_TRUE(columns_where(1000, [](const PlotButtonColumn& c) {
                    return (c.button[BUTTON_LEFT] & PLOT_HELD_CHATTER) != 0;
                }).empty());
    arrival_log_free(&log);
}

// Rows come from the record's figures too (a press the log no longer holds),
// in bands that never overlap, bars at most as tall as asked.
TEST(PlotModelTest, ButtonsRowsLieInBandsOfTheirOwn) {
    ButtonsSnapshot s = {};
    s.button[BUTTON_MIDDLE].presses = 2;
    s.hwheel.notches = 1;
    EXPECT_EQ(plot_button_rows_of(&s), (1u << BUTTON_MIDDLE) | (1u << PLOT_ROW_HWHEEL));
    for (int n : {1, 3, 7}) {
        int previous_bottom = 40;
        for (int i = 0; i < n; i++) {
            const PlotBand b = plot_button_band(i, n, 40, 340, 18);
            EXPECT_GE(b.top, previous_bottom);
            EXPECT_LE(b.bar_bottom - b.bar_top, 18);
            EXPECT_GE(b.bar_top, b.top);
            EXPECT_LE(b.bar_bottom, b.bottom);
            EXPECT_LE(b.mid + b.reach + 1, b.bottom);
            EXPECT_GE(b.mid - b.reach, b.top);
            previous_bottom = b.bottom;
        }
        EXPECT_EQ(previous_bottom, 340);
    }
    EXPECT_EQ(plot_notch_reach(0, 12), 0);
    EXPECT_LT(plot_notch_reach(1, 12), plot_notch_reach(2, 12));
    EXPECT_EQ(plot_notch_reach(200, 12), 12);
}

}  // namespace
