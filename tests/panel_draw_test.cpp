// gui_draw rendered into a memory bitmap: bar heights and colours at their
// places (worked out by hand for each width class), the coalesced line's
// shift, and the status colour.
#include <gtest/gtest.h>
#include <string.h>

#include "engine/reception.h"
#include "gui/panel.h"
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
    void TearDown() override { run_set_measuring(run(), false); }
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
        expect_bars(c.x0, c.pitch, c.bar, heights, 417);
    }
}

TEST_F(PanelDrawTest, At144DpiEverythingIsOneAndAHalfTimesAsLarge) {
    uint64_t counts[8] = {0, 13, 0, 100, 1000, 500, 260, 1};
    memcpy(run()->records[0].bucket_count, counts, sizeof counts);
    run()->records[0].interval_count = 1874;
    render(1170, 780, 144);  // the 780-pixel layout, 1.5 times
    // 96-DPI edges 13, 108, ... 678 and heights 0, 1, 0, 13, 130, 65, 33, 0, each
    // times 1.5 rounded half away from zero; the baseline 417 becomes 626.
    const int lefts[8] = {20, 162, 305, 447, 590, 732, 875, 1017};
    const int heights[8] = {0, 2, 0, 20, 195, 98, 50, 0};
    expect_bars_at(lefts, 134, heights, 626);
    // The status line (y 46 at 96 DPI) moves to y 69 and its text grows with it.
    EXPECT_TRUE(band_has(69, 93, PANEL_STOPPED_COLOR));
    EXPECT_FALSE(band_has(0, 69, PANEL_STOPPED_COLOR));
    int rows = 0;
    for (int y = 60; y < 100; y++)
        for (int x = 0; x < w; x++)
            if (pixel(x, y) == PANEL_STOPPED_COLOR) {
                rows++;
                break;
            }
    EXPECT_GE(rows, 12) << "the status text is no taller than at 96 DPI";
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
    expect_bars(13, 95, 89, none, 417);
    EXPECT_FALSE(band_has(PANEL_BAR_BASELINE - 130, PANEL_BAR_BASELINE, g_bar_color[0]));
}

TEST_F(PanelDrawTest, CoalescedLineMovesTheHistogramDown) {
    uint64_t counts[8] = {0, 0, 0, 0, 0, 50, 0, 0};
    const int heights[8] = {0, 0, 0, 0, 0, 130, 0, 0};
    memcpy(run()->records[0].bucket_count, counts, sizeof counts);
    run()->records[0].coalesced_count = 7;
    render(780);
    expect_bars(13, 95, 89, heights, 417 + 24);
    EXPECT_TRUE(band_has(230, 246, PANEL_COALESCED_COLOR));

    run()->records[0].coalesced_count = 0;
    render(780);
    expect_bars(13, 95, 89, heights, 417);
    EXPECT_FALSE(band_has(0, h, PANEL_COALESCED_COLOR));
}

TEST_F(PanelDrawTest, BackgroundReportsTurnTheStatusAmberUntilForegroundOnesReturn) {
    // Rightmost column of the status line in the warning colour; -1 when none.
    auto amber_right = [this]() {
        int right = -1;
        for (int y = 46; y < 62; y++)
            for (int x = 0; x < w; x++)
                if (pixel(x, y) == PANEL_WARNING_COLOR && x > right)
                    right = x;
        return right;
    };
    run_set_measuring(run(), true);
    run()->throttle = ThrottleDecision{false, 8};
    record_arrival(&run()->records[0], 1000000, true);
    render(780);
    const int plain = amber_right();
    EXPECT_GT(plain, 100) << "● 测量中（后台接收）";
    EXPECT_FALSE(band_has(46, 62, PANEL_MEASURING_COLOR));

    run()->throttle = ThrottleDecision{true, 8};
    render(780);
    EXPECT_GT(amber_right(), plain + 80) << "● 测量中（后台接收，Windows 限速约 125 Hz）";

    record_arrival(&run()->records[0], 1010000, false);
    render(780);
    EXPECT_EQ(amber_right(), -1);
    EXPECT_TRUE(band_has(46, 62, PANEL_MEASURING_COLOR));
    run()->throttle = ThrottleDecision{false, 8};
}

TEST_F(PanelDrawTest, StatusColourFollowsTheMeasuringSwitch) {
    render(780);
    EXPECT_TRUE(band_has(46, 62, PANEL_STOPPED_COLOR));
    EXPECT_FALSE(band_has(46, 62, PANEL_MEASURING_COLOR));
    EXPECT_TRUE(band_has(102, 222, PANEL_READING_COLOR));

    run_set_measuring(run(), true);
    render(780);
    EXPECT_TRUE(band_has(46, 62, PANEL_MEASURING_COLOR));
    EXPECT_FALSE(band_has(46, 62, PANEL_STOPPED_COLOR));
}

}  // namespace
