// The interval plot painted into a memory bitmap from synthetic logs (rows and
// colours worked out by hand for a 900 x 480 client: plot area x 60..750,
// y 40..444), the axis top, and the CSV export through the faked Save As dialog.
#include <gtest/gtest.h>
#include <stdio.h>
#include <windows.h>

#include <string>

#include "core/arrival_log.h"
#include "core/plot_model.h"
#include "engine/reception.h"
#include "gui/panel.h"
#include "gui/plot_window.h"
#include "tests/fakes/fake_file_dialog.h"
#include "tests/fakes/fake_message_box.h"
#include "tests/support/dib_canvas.h"
#include "tests/support/read_all.h"

namespace {

const COLORREF kGold = 0x3cc3eb;     // the 500-1K bucket: 1000 us
const COLORREF kOrange = 0x3291f0;   // the 250-500 bucket: 2000 us
const COLORREF kRed = 0x3737d7;      // the <=125 Hz bucket
const COLORREF kLine = 0xe0e0e0;

class PlotTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        stats_init_locks();
        gui_create_bar_brushes();
    }
    static void TearDownTestSuite() { stats_delete_locks(); }
    void SetUp() override {
        g_qpc_freq = 1e7;
        arrival_log_clear(&g_arrival_log);
        g_fake_boxes.clear();
        g_fake_save_path.clear();
    }
    void TearDown() override { arrival_log_free(&g_arrival_log); }
    // Reports of slot 1 at the given interval (us); a gap of pause_us after report pause_at.
    void steady(int reports, int64_t interval_us, int pause_at = -1, int64_t pause_us = 0,
                int outlier_at = -1, int64_t outlier_us = 0) {
        int64_t t = 1000;
        for (int i = 0; i < reports; i++) {
            int64_t iv = i == pause_at ? pause_us : i == outlier_at ? outlier_us : interval_us;
            t += iv * 10;
            ArrivalClass c = i == 0 ? ARRIVAL_FIRST : iv > 50000 ? ARRIVAL_PAUSE : ARRIVAL_ACCEPTED;
            arrival_log_append(&g_arrival_log, t, 1, false, c);
        }
    }
    void paint() {
        ASSERT_TRUE(canvas.make(900, 480));
        PlotView whole = {true, 0, 0};
        plot_draw(canvas.dc, 900, 480, 96, 0, &whole);
        GdiFlush();
    }
    COLORREF pixel(int x, int y) const { return canvas.pixel(x, y); }
    int count_in_rows(int top, int bottom, COLORREF color) const {
        int n = 0;
        for (int y = top; y < bottom; y++)
            for (int x = 60; x < 750; x++)
                n += pixel(x, y) == color;
        return n;
    }
    DibCanvas canvas;
};

TEST_F(PlotTest, SteadyThousandHertzLiesOnTheOneMillisecondRowUnderItsMedianLine) {
    steady(2000, 1000);
    paint();
    // Top 1.5 ms (the first round value above 1.01); 1.0 ms at row 444 - 404 * 2/3 = 175.
    EXPECT_EQ(pixel(400, 175), kLine) << "the median line";
    EXPECT_GT(count_in_rows(174, 175, kGold), 300) << "the dots, just above the line";
    EXPECT_EQ(count_in_rows(40, 170, kGold) + count_in_rows(180, 444, kGold), 0);
}

TEST_F(PlotTest, TwoMillisecondsAreOrangeAndAPauseIsAnArrowAtTheTop) {
    steady(1500, 2000, 700, 60000);
    paint();
    // Top 2.5 ms; 2.0 ms at row 444 - 404 * 0.8 = 120.8 -> 121.
    EXPECT_GT(count_in_rows(120, 122, kOrange), 200);
    EXPECT_EQ(count_in_rows(40, 115, kOrange), 0);
    EXPECT_GT(count_in_rows(40, 43, kRed), 0) << "the 60 ms pause's up-arrow";
}

TEST_F(PlotTest, OneOutlierAmongAMillionStaysVisible) {
    steady(1000000, 1000, -1, 0, 654321, 1450);
    paint();
    // 1.45 ms at row 444 - 404 * 1450 / 1500 = 53.5; nothing else comes near it.
    EXPECT_GT(count_in_rows(50, 57, kGold), 0);
    arrival_log_clear(&g_arrival_log);
    steady(1000000, 1000);
    paint();
    EXPECT_EQ(count_in_rows(50, 57, kGold), 0);
}

TEST_F(PlotTest, WheelZoomsAroundThePointerDragPansDoubleClickShowsTheWholeRun) {
    steady(10000, 1000);  // 10 s
    g_display_dev = 0;    // the plot shows the record the panel shows: all mice
    plot_open(NULL);
    ASSERT_NE(g_hPlot, nullptr);
    RECT r;
    GetClientRect(g_hPlot, &r);
    PlotArea a = plot_area(r.right, r.bottom, 96);
    POINT middle = {(a.left + a.right) / 2, (a.top + a.bottom) / 2};
    POINT screen = middle;
    ClientToScreen(g_hPlot, &screen);
    SendMessageW(g_hPlot, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    ASSERT_FALSE(g_plot_view.whole);
    EXPECT_NEAR(g_plot_view.t1_s - g_plot_view.t0_s, 0.8 * 9.999, 0.01);
    EXPECT_NEAR((g_plot_view.t0_s + g_plot_view.t1_s) / 2, 9.999 / 2, 0.05) << "around the pointer";

    double width = g_plot_view.t1_s - g_plot_view.t0_s, before = g_plot_view.t0_s;
    SendMessageW(g_hPlot, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(middle.x, middle.y));
    SendMessageW(g_hPlot, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(middle.x - (a.right - a.left) / 4, middle.y));
    SendMessageW(g_hPlot, WM_LBUTTONUP, 0, MAKELPARAM(middle.x, middle.y));
    EXPECT_NEAR(g_plot_view.t0_s - before, width / 4, 0.02) << "dragged left: later times come in";

    SendMessageW(g_hPlot, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(middle.x, middle.y));
    EXPECT_TRUE(g_plot_view.whole);
    DestroyWindow(g_hPlot);
    EXPECT_EQ(g_hPlot, nullptr);
}

TEST(PlotModelTest, AxisTopIsTheNextRoundValue) {
    EXPECT_DOUBLE_EQ(plot_nice_top_ms(1.01), 1.5);
    EXPECT_DOUBLE_EQ(plot_nice_top_ms(2.0), 2.5);
    EXPECT_DOUBLE_EQ(plot_nice_top_ms(0.13), 0.15);
    EXPECT_DOUBLE_EQ(plot_nice_top_ms(8.0), 10);
    EXPECT_DOUBLE_EQ(plot_nice_top_ms(0), 1);
}

TEST_F(PlotTest, ExportWritesTheConsolesCsvOrSaysWhyNot) {
    steady(3, 1000);
    g_fake_save_path.clear();  // cancelled
    EXPECT_TRUE(plot_export_csv(NULL));
    EXPECT_TRUE(g_fake_boxes.empty());
    EXPECT_EQ(g_fake_save_default.rfind(L"quorvin-", 0), 0u);
    EXPECT_EQ(g_fake_save_default.size(), std::wstring(L"quorvin-20261208-170000.csv").size());

    wchar_t dir[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"qpl", 0, path);
    g_fake_save_path = path;
    clock_map_clear(&g_clock_map, g_qpc_freq);
    EXPECT_TRUE(plot_export_csv(NULL));
    FILE* f = _wfopen(path, L"rb");
    ASSERT_NE(f, nullptr);
    std::string csv = read_all(f);
    fclose(f);
    DeleteFileW(path);
    EXPECT_EQ(csv.rfind("t_us,slot,interval_us,class,background,utc_us\n0.000,1,,first,0,", 0), 0u);
    EXPECT_NE(csv.find("\n2000.000,1,1000.000,accepted,0,"), std::string::npos);

    g_fake_save_path = L"Z:\\no\\such\\folder\\x.csv";
    EXPECT_FALSE(plot_export_csv(NULL));
    ASSERT_EQ(g_fake_boxes.size(), 1u);
    EXPECT_EQ(g_fake_boxes[0].caption, L"错误");
    EXPECT_NE(g_fake_boxes[0].text.find(L"Z:\\no\\such\\folder\\x.csv"), std::wstring::npos);
}

}  // namespace
