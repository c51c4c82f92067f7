// The interval plot painted into a memory bitmap from synthetic logs (rows and
// colours worked out by hand for a 900 x 480 client: plot area x 60..750,
// y 40..444), the axis top, and the CSV export through the faked Save As dialog.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <windows.h>

#include <string>

#include "core/arrival_log.h"
#include "core/plot_model.h"
#include "engine/reception.h"
#include "gui/panel.h"
#include "gui/plot_window.h"
#include "tests/fakes/fake_dpi.h"
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
    static void TearDownTestSuite() {
        stats_free_all();
        stats_delete_locks();
    }
    void SetUp() override {
        g_qpc_freq = 1e7;
        stats_reset_all();
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
            report(t);
        }
    }
    // As a report is received: the all-mice record, the log, the mouse's record.
    static void report(int64_t t) {
        ArrivalClass c = record_arrival(&g_dev_stats[0], t);
        arrival_log_append(&g_arrival_log, t, 1, false, c);
        record_arrival(&g_dev_stats[1], t);
    }
    void paint() {
        ASSERT_TRUE(canvas.make(900, 480));
        PlotView whole = {true, 0, 0};
        PanelFont font = {};
        plot_draw(canvas.dc, 900, 480, 96, &font, 0, &whole);
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
    stats_reset_all();
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

    // Zooming out without end stops at a bound that still shows the run.
    for (int notch = 0; notch < 4000; notch++)
        SendMessageW(g_hPlot, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    EXPECT_LE(g_plot_view.t1_s - g_plot_view.t0_s, 3 * 9.999 + 1e-9);
    EXPECT_LE(g_plot_view.t0_s, 0);
    EXPECT_GE(g_plot_view.t1_s, 9.999);
    DestroyWindow(g_hPlot);
    EXPECT_EQ(g_hPlot, nullptr);
}

// 1,001 reports 1 ms apart, slot 1, on a 10 MHz counter.
void thousand_intervals(ArrivalLog* log) {
    arrival_log_set_bound(log, 12, 4);
    for (int i = 0; i <= 1000; i++)
        arrival_log_append(log, 1000 + 10000 * (int64_t)i, 1, false,
                           i ? ARRIVAL_ACCEPTED : ARRIVAL_FIRST);
}

TEST(PlotModelTest, EveryVisibleIntervalIsShownOnceWhateverTheColumns) {
    static ArrivalLog log;
    static PlotModel m;
    thousand_intervals(&log);
    for (int columns : {214, 1, 7, 333, 690, 997, 1000, 1001, 4096}) {
        for (int slot : {0, 1}) {
            plot_model_build(&m, &log, slot, 1e7, columns, 0, 1, false);
            EXPECT_EQ(m.shown, 1000u) << columns << " columns, slot " << slot;
            plot_model_build(&m, &log, slot, 1e7, columns, 0, 0, true);
            EXPECT_EQ(m.shown, 1000u) << columns << " columns, whole run";
        }
    }
    // Half the run: the intervals that end in it.
    plot_model_build(&m, &log, 1, 1e7, 214, 0.25, 0.75, false);
    EXPECT_EQ(m.shown, 501u);
    arrival_log_free(&log);
}

TEST(PlotModelTest, AnyZoomOrPanStillShowsTheData) {
    static ArrivalLog log;
    static PlotModel m;
    thousand_intervals(&log);
    const double views[][2] = {{-1e300, 1e300}, {-1e18, 1e18}, {-5e15, 0.5}, {0.5, 1e19},
                               {1e18, 2e18}, {-2e18, -1e18}, {NAN, 1}, {0, INFINITY}};
    for (const auto& v : views) {
        plot_model_build(&m, &log, 0, 1e7, 690, v[0], v[1], false);
        EXPECT_GT(m.shown, 0u) << v[0] << " .. " << v[1];
        EXPECT_GE(m.t0_s, -1.5);
        EXPECT_LE(m.t1_s, 2.5);
    }
    plot_model_build(&m, &log, 0, 1e7, 690, -1e300, 1e300, false);
    EXPECT_EQ(m.shown, 1000u) << "zoomed right out: the whole run";
    arrival_log_free(&log);
}

// The owner's icon, the plot's own fonts: what the window makes and what it gives back.
class PlotWindowTest : public PlotTest {
protected:
    void SetUp() override {
        PlotTest::SetUp();
        UnregisterClassW(L"QuorvinPlot", GetModuleHandleW(NULL));
    }
    void TearDown() override {
        if (g_hPlot)
            DestroyWindow(g_hPlot);
        g_fake_dpi = 96;
        PlotTest::TearDown();
    }
    static HFONT button_font() {
        return (HFONT)SendMessageW(GetDlgItem(g_hPlot, ID_PLOT_EXPORT), WM_GETFONT, 0, 0);
    }
    static LONG font_height(HGDIOBJ font) {
        LOGFONTW lf = {};
        return GetObjectW(font, sizeof lf, &lf) ? lf.lfHeight : 0;
    }
};

TEST_F(PlotWindowTest, ReopeningMakesNoIconOfItsOwn) {
    static const BYTE and_mask[128] = {}, xor_mask[128] = {};
    HICON icon = CreateIcon(GetModuleHandleW(NULL), 32, 32, 1, 1, and_mask, xor_mask);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.hIcon = icon;
    wc.lpszClassName = L"PlotTestOwner";
    RegisterClassExW(&wc);
    HWND owner = CreateWindowExW(0, L"PlotTestOwner", L"", WS_OVERLAPPED, 0, 0, 100, 100, NULL,
                                 NULL, GetModuleHandleW(NULL), NULL);
    for (int open = 0; open < 3; open++) {
        plot_open(owner);
        ASSERT_NE(g_hPlot, nullptr);
        EXPECT_EQ((HICON)GetClassLongPtrW(g_hPlot, GCLP_HICON), icon) << "the owner's, shared";
        DestroyWindow(g_hPlot);
    }
    DestroyWindow(owner);
    UnregisterClassW(L"PlotTestOwner", GetModuleHandleW(NULL));
    DestroyIcon(icon);
}

TEST_F(PlotWindowTest, TheButtonKeepsItsOwnFontAtItsDpiUntilItIsGone) {
    g_fake_dpi = 144;
    plot_open(NULL);
    ASSERT_NE(g_hPlot, nullptr);
    HFONT at144 = button_font();
    EXPECT_EQ(GetObjectType(at144), (DWORD)OBJ_FONT);
    EXPECT_EQ(font_height(at144), -17);  // 11 pixels at 96 DPI
    // The main window paints at another DPI with its own font, as often as it likes.
    DibCanvas other;
    ASSERT_TRUE(other.make(200, 100));
    for (UINT dpi : {96u, 192u, 120u}) {
        PanelFont font = {};
        panel_font_make(&font, dpi);
        gui_draw(other.dc, 200, 100, dpi, &font);
        SelectObject(other.dc, GetStockObject(DEFAULT_GUI_FONT));
        panel_font_free(&font);
    }
    EXPECT_EQ(button_font(), at144);
    EXPECT_EQ(GetObjectType(at144), (DWORD)OBJ_FONT) << "still alive";

    RECT suggested = {40, 30, 40 + 1200, 30 + 700};
    SendMessageW(g_hPlot, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(192, 192), (LPARAM)&suggested);
    HFONT at192 = button_font();
    EXPECT_EQ(font_height(at192), -22);
    EXPECT_EQ(GetObjectType(at144), 0u) << "the replaced font is deleted";
    DestroyWindow(g_hPlot);
    EXPECT_EQ(GetObjectType(at192), 0u) << "deleted with the window";
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
