// gui_draw rendered into a memory bitmap: bar heights and colours at their
// places (worked out by hand for each width class), the coalesced line's
// shift, and the status colour; the bars' labels and shares, the rate line's
// words, the line of presses, and every line within the smallest window in
// either language.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/views/panel_layout.h"
#include "core/views/plot_model.h"
#include "core/views/texts.h"
#include "engine/reception.h"
#include "gui/panel.h"
#include "platform/dpi.h"
#include "tests/fakes/fake_counter.h"
#include "tests/support/dib_canvas.h"
#include "tests/support/paint_suite.h"

namespace {

class PanelDrawTest : public PaintSuite {
protected:
    void SetUp() override {
        run_clear(run());
        run_set_measuring(run(), false);
        g_nri = 1;
        run()->chosen_slot = 0;
    }
    void TearDown() override {
        run_set_measuring(run(), false);
        texts_set_lang(LANG_EN);
    }
    // The panel's rows at a 96-DPI client size, with nothing optional shown.
    static PanelRows rows(int width, int height = 520, bool coalesced = false) {
        return panel_rows(width, height, coalesced, 0);
    }
    void render(int width, int height = 520, UINT dpi = 96) {
        w = width;
        h = height;
        ASSERT_TRUE(canvas.make(width, height));
        PanelFont font = {};
        panel_font_make(&font, dpi);
        gui_draw(canvas.dc, width, height, dpi, &font, run());
        GdiFlush();
        SelectObject(canvas.dc, GetStockObject(DEFAULT_GUI_FONT));
        panel_font_free(&font);
    }
    COLORREF pixel(int x, int y) const { return canvas.pixel(x, y); }
    bool band_has(int top, int bottom, COLORREF color) const {
        for (int y = top; y < bottom; y++)
            for (int x = 0; x < w; x++)
                if (pixel(x, y) == color)
                    return true;
        return false;
    }
    // Bar i spans x0 + i * pitch .. + bar_width - 1 and is heights[i] pixels tall.
    void expect_bars(int x0, int pitch, int bar_width, const int heights[8], int baseline) {
        int lefts[8];
        for (int i = 0; i < 8; i++)
            lefts[i] = x0 + i * pitch;
        expect_bars_at(lefts, bar_width, heights, baseline);
    }
    void expect_bars_at(const int lefts[8], int bar_width, const int heights[8], int baseline) {
        for (int i = 0; i < 8; i++) {
            int left = lefts[i], right = left + bar_width - 1;
            for (int x : {left, right}) {
                for (int y = baseline - heights[i]; y < baseline; y++)
                    ASSERT_EQ(pixel(x, y), g_bar_color[i]) << "bar " << i << " x " << x << " y " << y;
                EXPECT_EQ(pixel(x, baseline - heights[i] - 1), 0u) << "above bar " << i;
            }
            EXPECT_EQ(pixel(left - 1, baseline - 1), 0u) << "gap before bar " << i;
            EXPECT_EQ(pixel(right + 1, baseline - 1), 0u) << "gap after bar " << i;
        }
    }
    DibCanvas canvas;
    int w = 0, h = 0;
};

TEST_F(PanelDrawTest, BarsStandAtTheirComputedPlacesWithTheirColours) {
    uint64_t counts[8] = {0, 13, 0, 100, 1000, 500, 260, 1};
    const int heights[8] = {0, 1, 0, 13, 130, 65, 33, 0};  // count / 1000 * 130, truncated
    memcpy(run()->records[0].bucket_count, counts, sizeof counts);
    run()->records[0].interval_count = 1874;
    // width: first bar's left edge, pitch and bar width
    const struct { int width, x0, pitch, bar; } cases[] = {
        {780, 13, 95, 89}, {465, 11, 56, 50}, {1000, 39, 116, 110}};
    for (const auto& c : cases) {
        render(c.width);
        expect_bars(c.x0, c.pitch, c.bar, heights, rows(c.width).baseline);
    }
}

TEST_F(PanelDrawTest, At144DpiEverythingIsOneAndAHalfTimesAsLarge) {
    uint64_t counts[8] = {0, 13, 0, 100, 1000, 500, 260, 1};
    memcpy(run()->records[0].bucket_count, counts, sizeof counts);
    run()->records[0].interval_count = 1874;
    render(1170, 780, 144);  // the 780-pixel layout, 1.5 times
    // 96-DPI edges 13, 108, ... 678 and heights 0, 1, 0, 13, 130, 65, 33, 0, each
    // times 1.5 rounded half away from zero; so is the baseline.
    const int lefts[8] = {20, 162, 305, 447, 590, 732, 875, 1017};
    const int heights[8] = {0, 2, 0, 20, 195, 98, 50, 0};
    const PanelRows r = rows(780);
    expect_bars_at(lefts, 134, heights, dpi_scale(r.baseline, 144));
    // The status line (y 78 at 96 DPI, below two rows of controls) moves to
    // y 117 and its text grows with it.
    const int status = dpi_scale(r.status, 144);
    EXPECT_EQ(status, 117);
    EXPECT_TRUE(band_has(status, status + 24, PANEL_STOPPED_COLOR));
    EXPECT_FALSE(band_has(0, status, PANEL_STOPPED_COLOR));
    int lines = 0;
    for (int y = status - 9; y < status + 31; y++)
        for (int x = 0; x < w; x++)
            if (pixel(x, y) == PANEL_STOPPED_COLOR) {
                lines++;
                break;
            }
    EXPECT_GE(lines, 12) << "the status text is no taller than at 96 DPI";
}

TEST_F(PanelDrawTest, BarBrushesAreMadeOncePerProcess) {
    HBRUSH first = g_barBrush[5];
    gui_create_bar_brushes();  // a second window's WM_CREATE
    EXPECT_EQ(g_barBrush[5], first);
    EXPECT_NE(first, nullptr);
}

TEST_F(PanelDrawTest, EmptyHistogramFillsNoBar) {
    const int none[8] = {};
    render(780);
    const int baseline = rows(780).baseline;
    expect_bars(13, 95, 89, none, baseline);
    EXPECT_FALSE(band_has(baseline - 130, baseline, g_bar_color[0]));
}

TEST_F(PanelDrawTest, CoalescedLineMovesTheHistogramDown) {
    uint64_t counts[8] = {0, 0, 0, 0, 0, 50, 0, 0};
    const int heights[8] = {0, 0, 0, 0, 0, 130, 0, 0};
    memcpy(run()->records[0].bucket_count, counts, sizeof counts);
    run()->records[0].coalesced_count = 7;
    render(780);
    const PanelRows with = rows(780, 520, true), without = rows(780);
    EXPECT_EQ(with.baseline, without.baseline + 22);
    expect_bars(13, 95, 89, heights, with.baseline);
    EXPECT_TRUE(band_has(with.coalesced, with.coalesced + 16, PANEL_COALESCED_COLOR));

    run()->records[0].coalesced_count = 0;
    render(780);
    expect_bars(13, 95, 89, heights, without.baseline);
    EXPECT_FALSE(band_has(0, h, PANEL_COALESCED_COLOR));
}

TEST_F(PanelDrawTest, BackgroundReportsTurnTheStatusAmberUntilForegroundOnesReturn) {
    // Rightmost column of the status line in the warning colour; -1 when none.
    const int top = rows(780).status;
    auto amber_right = [this, top]() {
        int right = -1;
        for (int y = top; y < top + 16; y++)
            for (int x = 0; x < w; x++)
                if (pixel(x, y) == PANEL_WARNING_COLOR && x > right)
                    right = x;
        return right;
    };
    run_set_measuring(run(), true);
    run()->throttle = ThrottleDecision{false, 8};
    record_arrival(&run()->records[0], 1000000, true);
    texts_set_lang(LANG_ZH);
    render(780);
    const int plain = amber_right();
    EXPECT_GT(plain, 100) << "● 测量中（后台接收）";
    EXPECT_FALSE(band_has(top, top + 16, PANEL_MEASURING_COLOR));

    run()->throttle = ThrottleDecision{true, 8};
    render(780);
    EXPECT_GT(amber_right(), plain + 80) << "● 测量中（后台接收，Windows 限速约 125 Hz）";

    record_arrival(&run()->records[0], 1010000, false);
    render(780);
    EXPECT_EQ(amber_right(), -1);
    EXPECT_TRUE(band_has(top, top + 16, PANEL_MEASURING_COLOR));
    run()->throttle = ThrottleDecision{false, 8};
}

TEST_F(PanelDrawTest, StatusColourFollowsTheMeasuringSwitch) {
    const PanelRows r = rows(780);
    render(780);
    EXPECT_TRUE(band_has(r.status, r.status + 16, PANEL_STOPPED_COLOR));
    EXPECT_FALSE(band_has(r.status, r.status + 16, PANEL_MEASURING_COLOR));
    EXPECT_TRUE(band_has(r.reading, r.reading + 5 * r.reading_pitch, PANEL_READING_COLOR));
    EXPECT_TRUE(band_has(r.rate, r.status + 16 + 30, PANEL_RATE_COLOR)) << "the rate line";

    run_set_measuring(run(), true);
    render(780);
    EXPECT_TRUE(band_has(r.status, r.status + 16, PANEL_MEASURING_COLOR));
    EXPECT_FALSE(band_has(r.status, r.status + 16, PANEL_STOPPED_COLOR));
}

// Each bar is labelled by the nominal rate of the intervals it holds: a
// 1000 Hz mouse's in "1K", up to 15 % faster too (but for the fastest named
// bar: faster than 8000 Hz is ">8K"); a 500 Hz one's in "500".
// Under each label, the bar's share of the intervals.
TEST_F(PanelDrawTest, BarsAreLabelledByTheNominalRateTheyHoldWithTheirShares) {
    const struct { const wchar_t* label; double nominal_hz; } nominal[] = {
        {L"8K", 8000}, {L"4K", 4000}, {L"2K", 2000}, {L"1K", 1000}, {L"500", 500}, {L"250", 250}, {L"≤125", 125}};
    for (const auto& n : nominal) {
        for (double hz : {n.nominal_hz, n.nominal_hz == 8000 ? 8000 : n.nominal_hz * 1.149, n.nominal_hz * 0.58})
            EXPECT_STREQ(g_bucket_label[stats_bucket_of(1e6 / hz)], n.label) << hz << " Hz";
    }
    EXPECT_STREQ(g_bucket_label[stats_bucket_of(1e6 / 9000)], L">8K");
    EXPECT_STREQ(g_bucket_label[stats_bucket_of(1e6 / 1160)], L"2K") << "past the 15 % tolerance";

    PanelLines l;
    panel_lines(run(), nullptr, &l);
    for (int i = 0; i < STATS_BUCKETS; i++)
        EXPECT_STREQ(l.shares[i], L"") << "no share without intervals";
    const uint64_t counts[8] = {0, 0, 0, 1, 6, 1, 0, 0};
    memcpy(run()->records[0].bucket_count, counts, sizeof counts);
    panel_lines(run(), nullptr, &l);
    EXPECT_STREQ(l.shares[4], L"75.0%");
    EXPECT_STREQ(l.shares[3], L"12.5%");
    EXPECT_STREQ(l.shares[0], L"0.0%");
}

PanelRate rate_with(ReportClockRefusal refusal, double median_hz) {
    PanelRate p = {};
    p.have = true;
    p.figures.refusal = refusal;
    p.figures.rate_hz = 1000.04;
    p.figures.filled_pct = 98.66;
    p.median_hz = median_hz;
    return p;
}

// The rate a user can quote: the clock's rate and filled share, or the median
// rate and why there is no clock, in either language.
TEST_F(PanelDrawTest, RateLineWithAndWithoutAClock) {
    wchar_t large[96], small[96];
    auto text = [&](const PanelRate* p) {
        panel_rate_text(p, large, 96, small, 96);
        return std::wstring(large) + L"|" + small;
    };
    const PanelRate clock = rate_with(REPORT_CLOCK_OK, 0);
    const PanelRate few = rate_with(REPORT_CLOCK_TOO_FEW, 0);
    const PanelRate aperiodic = rate_with(REPORT_CLOCK_NO_PERIOD, 997.06);
    texts_set_lang(LANG_ZH);
    EXPECT_EQ(text(&clock), L"回报时钟 1000.0 Hz · 填充 98.7 %|");
    EXPECT_EQ(text(&few), L"中位回报率 —|（无回报时钟：不足 1000 个报告）");
    EXPECT_EQ(text(&aperiodic), L"中位回报率 997.1 Hz|（无回报时钟：报告时间无固定周期）");
    EXPECT_EQ(text(nullptr), L"回报时钟 …|");
    texts_set_lang(LANG_EN);
    EXPECT_EQ(text(&clock), L"Report clock 1000.0 Hz · filled 98.7 %|");
    EXPECT_EQ(text(&aperiodic), L"Median rate 997.1 Hz| (no report clock: the times follow no fixed period)");
}

// At the smallest client, in either language and at 96 and 144 DPI, every
// line of the panel (with wide figures) ends inside its column.
TEST_F(PanelDrawTest, EveryLineFitsTheSmallestWindowInEitherLanguage) {
    run_set_measuring(run(), true);
    run()->throttle = ThrottleDecision{true, 8};
    DeviceStats* rec = &run()->records[0];
    rec->interval_count = 123456789012ull;
    rec->interval_sum_us = 1e15;
    rec->max_interval_us = 49999.9;
    rec->min_interval_us = 100.1;
    rec->window_max_us = 49999.9;
    rec->elapsed_ms = 99999999.0;
    rec->coalesced_count = 123456789012ull;
    rec->arrival_count = 1;
    rec->last_background = 1;
    const PanelRate aperiodic = rate_with(REPORT_CLOCK_NO_PERIOD, 9999.99);
    for (Lang lang : {LANG_ZH, LANG_EN}) {
        texts_set_lang(lang);
        PanelLines l;
        panel_lines(run(), &aperiodic, &l);
        for (UINT dpi : {96u, 144u}) {
            ASSERT_TRUE(canvas.make(10, 10));
            PanelFont font = {};
            panel_font_make(&font, dpi);
            HFONT large = panel_rate_font_make(dpi);
            const int column = dpi_scale(panel_column_width(PANEL_MIN_WIDTH), dpi);
            auto width = [&](const wchar_t* t, HGDIOBJ f) {
                SelectObject(canvas.dc, f);
                SIZE size = {0, 0};
                GetTextExtentPoint32W(canvas.dc, t, (int)wcslen(t), &size);
                return (int)size.cx;
            };
            const HGDIOBJ small = panel_font_of(&font);
            std::vector<const wchar_t*> lines = {l.status, l.device, l.coalesced, txw(TX_PANEL_HISTOGRAM),
                                                 txw(TX_PANEL_LEGEND)};
            for (const wchar_t* reading : l.readings)
                lines.push_back(reading);
            for (const wchar_t* t : lines)
                EXPECT_LE(width(t, small), column) << lang << " " << dpi << " " << std::wstring(t).c_str();
            EXPECT_LE(width(l.rate, large) + width(l.rate_reason, small), column) << lang << " " << dpi;
            wchar_t device[160];
            swprintf(device, 160, txw(TX_PANEL_ACTIVE), L"Mouse VID_045E PID_07A5");
            EXPECT_LE(width(device, small), column) << lang << " " << dpi;
            // The widest label and share stay within their bar.
            const int bar = dpi_scale(histogram_geometry(PANEL_MIN_WIDTH).bar_width, dpi);
            EXPECT_LE(width(L"100.0%", small), bar);
            EXPECT_LE(width(g_bucket_label[7], small), bar);
            SelectObject(canvas.dc, GetStockObject(DEFAULT_GUI_FONT));
            DeleteObject(large);
            panel_font_free(&font);
        }
    }
    run()->throttle = ThrottleDecision{false, 8};
}

// The line of presses: each button pressed with its presses and its chatter,
// each wheel turned, as the console counts them; amber once a button
// chattered, below the readings and above the histogram, which it moves down
// a line. All five buttons and both wheels, at hundreds of presses each,
// fit its two lines in the smallest window in either language.
TEST_F(PanelDrawTest, TheLineOfPressesNamesEachButtonAndItsChatter) {
    ButtonTally* t = &run()->records[0].buttons;
    const double tick_ms = run()->freq / 1000;
    auto at = [&](double ms) { return (int64_t)((1000 + ms) * tick_ms); };
    const uint16_t down = button_down_flag(BUTTON_LEFT), up = button_up_flag(BUTTON_LEFT);
    for (double ms : {0.0, 54.0, 300.0}) {  // the second 4 ms after a release: chatter
        button_tally_report(t, at(ms), down, 0);
        button_tally_report(t, at(ms + 50), up, 0);
    }
    button_tally_report(t, at(400), button_down_flag(BUTTON_RIGHT), 0);
    button_tally_report(t, at(450), button_up_flag(BUTTON_RIGHT), 0);
    button_tally_report(t, at(500), BUTTON_FLAG_WHEEL, -120);
    button_tally_report(t, at(525), BUTTON_FLAG_WHEEL, -120);
    PanelLines l;
    panel_lines(run(), nullptr, &l);
    EXPECT_STREQ(l.buttons, L"Left 3 presses · chatter 1   Right 1 press   Wheel 2 notches");
    EXPECT_TRUE(l.buttons_warn);
    texts_set_lang(LANG_ZH);
    panel_lines(run(), nullptr, &l);
    EXPECT_STREQ(l.buttons, L"左键 3 次 · 抖动 1   右键 1 次   滚轮 2 格");
    texts_set_lang(LANG_EN);
    uint64_t counts[8] = {0, 0, 0, 0, 0, 50, 0, 0};
    const int heights[8] = {0, 0, 0, 0, 0, 130, 0, 0};
    memcpy(run()->records[0].bucket_count, counts, sizeof counts);
    render(780);
    const PanelRows r = panel_rows(780, 520, false, 0, 1);
    EXPECT_TRUE(band_has(r.buttons, r.buttons + PANEL_HINT_LINE, PANEL_WARNING_COLOR));
    EXPECT_FALSE(band_has(r.reading, r.buttons, PANEL_WARNING_COLOR));
    expect_bars(13, 95, 89, heights, r.baseline);

    for (int b = 0; b < BUTTONS; b++) {  // hundreds each, and chatter
        for (int i = 0; i < 345; i++) {
            button_tally_report(t, at(1000 + i * 100), button_down_flag(b), 0);
            button_tally_report(t, at(1000 + i * 100 + (i % 20 ? 50 : 95)), button_up_flag(b), 0);
        }
    }
    for (int i = 0; i < 400; i++)
        button_tally_report(t, at(40000 + i * 30), i % 2 ? BUTTON_FLAG_WHEEL : BUTTON_FLAG_HWHEEL, 120);
    for (Lang lang : {LANG_ZH, LANG_EN}) {
        texts_set_lang(lang);
        panel_lines(run(), nullptr, &l);
        for (UINT dpi : {96u, 144u}) {
            ASSERT_TRUE(canvas.make(10, 10));
            PanelFont font = {};
            panel_font_make(&font, dpi);
            SelectObject(canvas.dc, panel_font_of(&font));
            const int column = dpi_scale(panel_column_width(PANEL_MIN_WIDTH), dpi);
            const PlotMeasure m = {[](void* dc, const wchar_t* text, int n) {
                                       SIZE size = {0, 0};
                                       GetTextExtentPoint32W((HDC)dc, text, n, &size);
                                       return (int)size.cx;
                                   },
                                   canvas.dc};
            PlotTextLine lines[8];
            const int n = plot_wrap(l.buttons, &column, 1, &m, lines, 8);
            EXPECT_LE(n, (int)PANEL_BUTTON_LINES) << lang << " " << dpi << " " << std::wstring(l.buttons).c_str();
            SelectObject(canvas.dc, GetStockObject(DEFAULT_GUI_FONT));
            panel_font_free(&font);
        }
    }
    texts_set_lang(LANG_EN);
}

}  // namespace
