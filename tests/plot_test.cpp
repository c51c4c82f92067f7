// The plot painted into a memory bitmap from synthetic logs (rows and
// colours worked out by hand for a 900 x 480 client: plot area x 60..690,
// its rows from below the header to 36 above the foot, as many as the
// header's lines leave), the window's zooms and views, its header and foot
// at the narrowest width a 1024-pixel screen gives it, and the CSV export
// through the faked Save As dialog. In Chinese, as the window was written
// (one English check beside). With QUORVIN_PLOT_SHOTS set to a folder, the
// 8 kHz plot, the four views of a moving mouse, the buttons view of clicks
// and the narrow window's header are saved there at 96 and 144 DPI to be
// looked at.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "core/runs/arrival_log.h"
#include "core/views/plot_model.h"
#include "core/views/texts.h"
#include "engine/reception.h"
#include "gui/panel.h"
#include "gui/plot_builder.h"
#include "gui/plot_export.h"
#include "gui/plot_paint.h"
#include "gui/plot_window.h"
#include "platform/dpi.h"
#include "tests/fakes/fake_counter.h"
#include "tests/fakes/fake_dpi.h"
#include "tests/fakes/fake_file_dialog.h"
#include "tests/fakes/fake_message_box.h"
#include "tests/support/dib_canvas.h"
#include "tests/support/paint_suite.h"
#include "tests/support/pump.h"
#include "tests/support/read_all.h"

namespace {

const COLORREF kGold = 0x3cc3eb;     // the 500-1K bucket: 1000 us
const COLORREF kOrange = 0x3291f0;   // the 250-500 bucket: 2000 us
const COLORREF kRed = 0x3737d7;      // the <=125 Hz bucket
const COLORREF kLine = 0xe0e0e0;

// What the live plot window shows (it outlives the window).
const PlotView& live_view() { return *plot_live_view(); }

class PlotTest : public PaintSuite {
protected:
    void SetUp() override {
        texts_set_lang(LANG_ZH);
        run_clear(run());
        g_fake_boxes.clear();
        g_fake_save_path.clear();
    }
    void TearDown() override {
        run_set_measuring(run(), false);
        arrival_log_free(&run()->log);
        texts_set_lang(LANG_EN);
    }
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
    // As a report of mouse 1 is received.
    static void report(int64_t t, const ReportMotion* motion = nullptr) {
        run_take_report(run(), t, 1, false, nullptr, motion);
    }
    void paint(int kind = PLOT_INTERVALS) {
        ASSERT_TRUE(canvas.make(900, 480));
        PlotView whole = {true, 0, 0, false, 0, 0, kind};
        PanelFont font = {};
        a = plot_draw(canvas.dc, 900, 480, 96, &font, run(), 0, &whole, plot_live_status());
        GdiFlush();
        ASSERT_EQ(a.left, 60);
        ASSERT_EQ(a.right, 690);
        ASSERT_EQ(a.bottom, 444);
    }
    COLORREF pixel(int x, int y) const { return canvas.pixel(x, y); }
    int count_in_rows(int top, int bottom, COLORREF color) const {
        int n = 0;
        for (int y = top; y < bottom; y++)
            for (int x = a.left; x < a.right; x++)
                n += pixel(x, y) == color;
        return n;
    }
    // The row of value v on an axis from lo to hi, as the model rounds it.
    int row_at(double v, double lo, double hi) const { return plot_row_of_value(&axis(lo, hi), v, a.top, a.bottom); }
    static const PlotAxis& axis(double lo, double hi) {
        static PlotAxis x;
        x = plot_axis_of_range(lo, hi);
        return x;
    }
    DibCanvas canvas;
    PlotArea a = {};
};

TEST_F(PlotTest, TwoMillisecondsAreOrangeInTheMiddleAndAPauseIsAnArrowAtTheTop) {
    steady(1500, 2000, 700, 60000);
    paint();
    // Every interval 2.0 ms: the axis 1.96..2.04, 2.0 ms halfway down.
    const int mid = row_at(2.0, 1.96, 2.04);
    EXPECT_EQ(pixel(400, mid), kLine) << "the median line";
    EXPECT_GT(count_in_rows(mid - 2, mid + 2, kOrange), 200);
    EXPECT_EQ(count_in_rows(a.top, mid - 6, kOrange) + count_in_rows(mid + 6, a.bottom, kOrange), 0);
    EXPECT_GT(count_in_rows(a.top, a.top + 3, kRed), 0) << "the 60 ms pause's up-arrow";
}

// A 1000 Hz mouse that sends at a third of its polls, at random: intervals of
// 1, 2, 3 ms... The report clock is a green dashed line at 1 ms, below the
// median's (2 ms); random times have no clock and no such line.
TEST_F(PlotTest, TheReportClockIsALineAtItsPeriod) {
    const COLORREF clock = 0x82d26e;
    auto clock_row = [this, clock]() {
        for (int y = a.top; y < a.bottom; y++) {
            if (count_in_rows(y, y + 1, clock) > 100)  // dashes, partly under the fast end's dotted line
                return y;
        }
        return -1;
    };
    unsigned seed = 5;
    int64_t t = 1000;
    for (int poll = 0; poll < 4000; poll++) {
        if (((seed = seed * 1103515245u + 12345u) >> 16) % 3 == 0)
            report(t + poll * 10000 + (int64_t)(seed >> 20) % 300);  // up to 30 us late
    }
    paint();
    const int row = clock_row();
    ASSERT_GT(row, 0);
    int median_row = 0;
    for (int y = a.top; y < a.bottom && !median_row; y++)
        median_row = count_in_rows(y, y + 1, kLine) > 600 ? y : 0;
    EXPECT_GT(row, median_row + 10) << "1 ms lies below 2 ms, a 20th of the height lower on an axis of 0..20 ms";
    run_clear(run());
    t = 1000;
    for (int i = 0; i < 3000; i++)
        report(t += 3000 + (int64_t)((seed = seed * 1103515245u + 12345u) >> 16) % 20000);
    paint();
    EXPECT_EQ(clock_row(), -1) << "times that follow no lattice";
}

TEST_F(PlotTest, OneOutlierAmongAMillionIsAnArrowAboveTheAxis) {
    steady(1000000, 1000, -1, 0, 654321, 1450);
    paint();
    // The axis comes from the percentiles (0.98..1.02 ms): 1.45 ms lies above it.
    const int mid = row_at(1.0, 0.98, 1.02);
    EXPECT_GT(count_in_rows(a.top, a.top + 3, kGold), 0);
    EXPECT_GT(count_in_rows(mid - 2, mid + 2, kGold), 300) << "the millisecond dots in the middle";
    run_clear(run());
    steady(1000000, 1000);
    paint();
    EXPECT_EQ(count_in_rows(a.top, a.top + 3, kGold), 0);
}

// Rows beside the plot area with label text in them, counted as separate runs
// (from half a label above the area, where the first may go, below the
// header's last line).
int label_runs(const DibCanvas& c, const PlotArea& a, int dpi) {
    int runs = 0;
    bool inside = false;
    for (int y = a.top - MulDiv(7, dpi, 96); y < a.bottom + MulDiv(5, dpi, 96); y++) {
        bool text = false;
        for (int x = a.right + MulDiv(5, dpi, 96); x < c.width && !text; x++)  // past the strokes
            text = c.pixel(x, y) != 0;
        runs += text && !inside;
        inside = text;
    }
    return runs;
}

// 8 kHz where P1, the median and P99 lie within 2 us of each other: 97 % of
// the intervals 124..126 us, 2 % spread over 100..150 us, one in 2,000 4 ms.
TEST_F(PlotTest, EightKilohertzFillsTheHeightWithItsLabelsApart) {
    int64_t t = 1000;
    for (int i = 0; i < 80000; i++) {
        const int us = i % 2000 == 9 ? 4000 : i % 50 == 0 ? 100 + (i / 50 * 37) % 51 : 124 + i % 3;
        t += 10 * (int64_t)us;
        report(t);
    }
    const char* shots = getenv("QUORVIN_PLOT_SHOTS");  // a folder to save the pictures in
    for (UINT dpi : {96u, 144u}) {
        const int w = MulDiv(900, dpi, 96), h = MulDiv(480, dpi, 96);
        ASSERT_TRUE(canvas.make(w, h));
        PlotView whole = {true, 0, 0, false, 0, 0, PLOT_INTERVALS};
        PanelFont font = {};
        panel_font_make(&font, dpi);
        const PlotArea a = plot_draw(canvas.dc, w, h, dpi, &font, run(), 0, &whole, plot_live_status());
        GdiFlush();
        int top = a.bottom, bottom = a.top;  // rows with dots of the >8K and 4K-8K buckets
        for (int y = a.top + 4; y < a.bottom; y++) {
            for (int x = a.left; x < a.right; x++) {
                if (pixel(x, y) == 0x78e63c || pixel(x, y) == 0xdcdc50) {
                    top = y < top ? y : top;
                    bottom = y > bottom ? y : bottom;
                }
            }
        }
        EXPECT_GT(bottom - top, (a.bottom - a.top) / 2) << dpi << " DPI: the 8 kHz band fills the height";
        EXPECT_EQ(label_runs(canvas, a, (int)dpi), 3) << dpi << " DPI: three labels, none on another";
        if (shots)
            canvas.save_bmp((std::string(shots) + "/plot-8khz-" + std::to_string(dpi) + ".bmp").c_str());
        SelectObject(canvas.dc, GetStockObject(DEFAULT_GUI_FONT));
        panel_font_free(&font);
    }
}

// 1 kHz for 10 s, dx +3 / -3 and dy -1 / +1 alternately, every 100th report
// without motion: the counts view's axis is -4..4, so +3 lies 7/8 of the
// area up, -3 1/8 up, +-1 at 5/8 and 3/8, 0 halfway.
TEST_F(PlotTest, EachViewDrawsItsOwnFiguresOverTheSameTime) {
    int64_t t = 1000;
    for (int i = 0; i < 10000; i++) {
        t += 10000;
        const ReportMotion mo = {i % 100 == 0 ? 0 : i % 2 ? 3 : -3, i % 100 == 0 ? 0 : i % 2 ? -1 : 1, 0, 0, 0};
        report(t, &mo);
    }
    const COLORREF dx = 0xffaa5a, dy = 0x6e6eff, still = 0xb4b4b4, speed = 0x40c8ff;
    const char* shots = getenv("QUORVIN_PLOT_SHOTS");
    for (UINT dpi : {96u, 144u}) {
        const int w = MulDiv(900, dpi, 96), h = MulDiv(480, dpi, 96);
        PanelFont font = {};
        panel_font_make(&font, dpi);
        for (int kind = 0; kind < PLOT_KINDS; kind++) {
            ASSERT_TRUE(canvas.make(w, h));
            PlotView whole = {true, 0, 0, false, 0, 0, kind};
            a = plot_draw(canvas.dc, w, h, dpi, &font, run(), 0, &whole, plot_live_status());
            GdiFlush();
            if (shots)
                canvas.save_bmp((std::string(shots) + "/plot-view" + std::to_string(kind) + "-" +
                                 std::to_string(dpi) + ".bmp").c_str());
            if (dpi != 96 || kind == PLOT_INTERVALS)
                continue;
            if (kind == PLOT_COUNTS) {
                const int up3 = row_at(3, -4, 4), down3 = row_at(-3, -4, 4), zero = row_at(0, -4, 4);
                EXPECT_GT(count_in_rows(up3 - 1, up3 + 2, dx), 600) << "+3 along the whole run";
                EXPECT_GT(count_in_rows(down3 - 1, down3 + 2, dx), 600) << "-3";
                EXPECT_EQ(count_in_rows(up3 + 12, down3 - 15, dx), 0) << "two levels, nothing between";
                EXPECT_GT(count_in_rows(row_at(1, -4, 4) - 1, row_at(1, -4, 4) + 2, dy), 600);
                EXPECT_GT(count_in_rows(row_at(-1, -4, 4) - 1, row_at(-1, -4, 4) + 2, dy), 600);
                EXPECT_GT(count_in_rows(zero - 3, zero + 4, still), 50) << "the reports without motion";
            } else if (kind == PLOT_SPEED) {  // 3.16 counts a millisecond: 3162 counts/s on an axis of 0..4000
                const int at = row_at(3162.3, 0, 4000);
                EXPECT_GT(count_in_rows(at - 1, at + 5, speed), 600);
                EXPECT_EQ(count_in_rows(at + 9, a.bottom - 4, speed), 0)
                    << "no stroke down to the reports without motion";
                EXPECT_GT(count_in_rows(a.bottom - 3, a.bottom, still), 50) << "but a mark of their own";
            }
        }
        SelectObject(canvas.dc, GetStockObject(DEFAULT_GUI_FONT));
        panel_font_free(&font);
    }
}

// A 4 kHz mouse with its report clock, idle in a third of its reports and
// saturated in some (so two hints apply), in the narrowest window a
// 1024-pixel screen gives the plot, at 96 and 144 DPI, in both languages,
// with a long status: the header takes more lines and the plot fewer rows,
// and no word is drawn under a button or past the client's right edge.
TEST_F(PlotTest, ANarrowWindowsHeaderWrapsClearOfTheButtonsAndTheEdge) {
    for (int i = 0; i < 40000; i++) {
        const int16_t dx = i % 3 == 0 ? 0 : i % 50 == 1 ? 127 : i % 2 ? 1 : -1;
        const ReportMotion mo = {dx, 0, 0, 0, 0};
        report(1000 + i * 2500LL + (i % 7) * 3, &mo);
    }
    const char* shots = getenv("QUORVIN_PLOT_SHOTS");
    for (Lang lang : {LANG_ZH, LANG_EN}) {
        texts_set_lang(lang);
        for (UINT dpi : {96u, 144u}) {
            const int w = 1008, h = dpi == 96 ? 480 : 700;
            PanelFont font = {};
            panel_font_make(&font, dpi);
            ASSERT_TRUE(canvas.make(w, h));
            PlotView whole = {true, 0, 0, false, 0, 0, PLOT_INTERVALS};
            const wchar_t* status = lang == LANG_ZH ? L"已保存图片：C:\\Users\\someone\\Pictures\\quorvin-20261209-165312.png"
                                                    : L"Picture saved: C:\\Users\\someone\\Pictures\\quorvin-20261209-165312.png";
            a = plot_draw(canvas.dc, w, h, dpi, &font, run(), 0, &whole, status);
            GdiFlush();
            const PlotControls c = plot_controls(canvas.dc, w, dpi, false);
            EXPECT_GE(a.top, MulDiv(68, dpi, 96)) << dpi << " DPI: the summary takes two lines at least";
            for (const RECT& r : {c.view[0], c.view[1], c.view[2], c.export_button, c.image_button, c.open_button}) {
                for (int y = r.top; y < r.bottom; y++)
                    for (int x = r.left; x < r.right; x++)
                        ASSERT_EQ(pixel(x, y), 0u) << dpi << " DPI, language " << lang << ": words under a button at "
                                                   << x << "," << y;
            }
            for (int y = 0; y < h; y++) {  // the header's lines and the foot's, not the lines' labels beside the plot
                if (y >= a.top - MulDiv(8, dpi, 96) && y < a.bottom + MulDiv(20, dpi, 96))
                    continue;
                for (int x = w - MulDiv(10, dpi, 96); x < w; x++)
                    ASSERT_EQ(pixel(x, y), 0u) << dpi << " DPI, language " << lang << ": words past the edge at " << y;
            }
            if (shots)
                canvas.save_bmp((std::string(shots) + "/plot-narrow-" + (lang == LANG_ZH ? "zh-" : "en-") +
                                 std::to_string(dpi) + ".bmp").c_str());
            SelectObject(canvas.dc, GetStockObject(DEFAULT_GUI_FONT));
            panel_font_free(&font);
        }
    }
}

TEST_F(PlotTest, TimeAxisEndsAtTheStopOrNowWhileMeasuring) {
    steady(6000, 1000);  // 6 s from the first report
    const int64_t last = 1000 + 6000 * 10000LL;
    // The rightmost column with a dot, on 630 columns from x = 60.
    auto last_dot = [this]() {
        int found = 0;
        for (int x = 60; x < 690; x++)
            for (int y = a.top; y < a.bottom && found < x; y++)
                found = pixel(x, y) == kGold ? x : found;
        return found;
    };
    run_set_measuring(run(), true);
    g_fake_counter_now = last + 14 * 10000000LL;  // measuring, 14 s after the last report
    paint();
    EXPECT_NEAR(last_dot(), 60 + 630 * 6 / 20, 3);
    g_fake_counter_now = last + 5 * 10000000LL;
    reception_stop_run(run());
    EXPECT_FALSE(run_measuring(run()));
    EXPECT_EQ(run()->stop_t, g_fake_counter_now);
    g_fake_counter_now += 60 * 10000000LL;  // a minute later: the axis stays at the stop
    paint();
    EXPECT_NEAR(last_dot(), 60 + 630 * 6 / 11, 3);
    run()->stop_t = 0;
}

TEST_F(PlotTest, WithoutDataTheMiddleSaysSo) {
    auto note_pixels = [this]() {  // the text's, smoothed: greys, not a line's or a dot's colour
        int n = 0;
        const int mid = (a.top + a.bottom) / 2;
        for (int y = mid - 60; y < mid + 30; y++) {
            for (int x = 200; x < 600; x++) {
                const COLORREF v = pixel(x, y);
                n += v != 0 && v != kLine && v != kGold;
            }
        }
        return n;
    };
    paint();
    EXPECT_GT(note_pixels(), 50);
    const ReportMotion position = {30000, 20000, 0, 0, MOTION_FLAG_ABSOLUTE};
    report(10000, &position);
    report(20000, &position);
    paint();
    EXPECT_EQ(note_pixels(), 0) << "one interval is data";
    paint(PLOT_COUNTS);
    EXPECT_GT(note_pixels(), 50) << "but positions are no counts";
}

// The plot window of run over 10 s of 1 ms reports of all mice; the pointer
// in the middle of its area (client and screen).
struct OpenPlot {
    PlotArea a;
    POINT middle, screen;
    explicit OpenPlot(::Run* run) {
        run->chosen_slot = 0;  // the plot shows the record the panel shows: all mice
        plot_open(NULL, run);
        settle();
        a = ((PlotWin*)GetWindowLongPtrW(plot_live_window(), GWLP_USERDATA))->area;  // as painted
        middle = {(a.left + a.right) / 2, (a.top + a.bottom) / 2};
        screen = middle;
        ClientToScreen(plot_live_window(), &screen);
    }
    // The builder has finished the newest model and the window shows it.
    static void settle() {
        pump_until([] { return plot_builder_rested(plot_live_builder(), 0); }, 10000);
        InvalidateRect(plot_live_window(), NULL, FALSE);
        UpdateWindow(plot_live_window());
    }
    void wheel(int notches, WORD keys = 0) const {
        for (int i = 0; i < abs(notches); i++) {
            SendMessageW(plot_live_window(), WM_MOUSEWHEEL, MAKEWPARAM(keys, notches > 0 ? WHEEL_DELTA : -WHEEL_DELTA),
                         MAKELPARAM(screen.x, screen.y));
            UpdateWindow(plot_live_window());
            settle();  // the next notch starts from what is shown
        }
    }
    void double_click() const {
        SendMessageW(plot_live_window(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(middle.x, middle.y));
    }
    ~OpenPlot() {
        if (plot_live_window())
            DestroyWindow(plot_live_window());
    }
};

TEST_F(PlotTest, WheelZoomsAroundThePointerDragPansDoubleClickShowsTheWholeRun) {
    steady(10000, 1000);
    OpenPlot p(run());
    ASSERT_NE(plot_live_window(), nullptr);
    p.wheel(1);
    ASSERT_FALSE(live_view().whole);
    EXPECT_NEAR(live_view().t1_s - live_view().t0_s, 0.8 * 9.999, 0.01);
    EXPECT_NEAR((live_view().t0_s + live_view().t1_s) / 2, 9.999 / 2, 0.05) << "around the pointer";
    EXPECT_FALSE(live_view().y_fixed) << "the wheel alone leaves the interval axis";

    double width = live_view().t1_s - live_view().t0_s, before = live_view().t0_s;
    SendMessageW(plot_live_window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.middle.x, p.middle.y));
    SendMessageW(plot_live_window(), WM_MOUSEMOVE, MK_LBUTTON,
                 MAKELPARAM(p.middle.x - (p.a.right - p.a.left) / 4, p.middle.y));
    SendMessageW(plot_live_window(), WM_LBUTTONUP, 0, MAKELPARAM(p.middle.x, p.middle.y));
    EXPECT_NEAR(live_view().t0_s - before, width / 4, 0.02) << "dragged left: later times come in";

    p.double_click();
    EXPECT_TRUE(live_view().whole);
    // Zooming out without end stops at a bound that still shows the run.
    for (int notch = 0; notch < 4000; notch++)
        SendMessageW(plot_live_window(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA),
                     MAKELPARAM(p.screen.x, p.screen.y));
    EXPECT_LE(live_view().t1_s - live_view().t0_s, 3 * 9.999 + 1e-9);
    EXPECT_LE(live_view().t0_s, 0);
    EXPECT_GE(live_view().t1_s, 9.999);
    DestroyWindow(plot_live_window());
    EXPECT_EQ(plot_live_window(), nullptr);
}

TEST_F(PlotTest, ShiftWheelZoomsTheIntervalAxisWithinBounds) {
    steady(10000, 1000);  // the interval axis 0.98..1.02 ms
    OpenPlot p(run());
    ASSERT_NE(plot_live_window(), nullptr);
    p.wheel(1, MK_SHIFT);
    EXPECT_TRUE(live_view().whole) << "time left alone";
    ASSERT_TRUE(live_view().y_fixed);
    EXPECT_NEAR(live_view().y_hi_ms - live_view().y_lo_ms, 0.8 * 0.04, 1e-3);
    EXPECT_NEAR((live_view().y_lo_ms + live_view().y_hi_ms) / 2, 1.0, 2e-3) << "about the pointer";
    p.wheel(100, MK_SHIFT);
    EXPECT_NEAR(live_view().y_hi_ms - live_view().y_lo_ms, 0.01, 1e-9) << "no narrower than 10 us";
    p.wheel(-100, MK_SHIFT);
    EXPECT_DOUBLE_EQ(live_view().y_lo_ms, 0);
    EXPECT_DOUBLE_EQ(live_view().y_hi_ms, 60);
    p.wheel(2);
    p.double_click();
    EXPECT_TRUE(live_view().whole && !live_view().y_fixed) << "a double-click restores both";
}

TEST_F(PlotTest, TheViewButtonsSwitchTheViewAndKeepTheTimeRange) {
    steady(10000, 1000);
    OpenPlot p(run());
    ASSERT_NE(plot_live_window(), nullptr);
    p.wheel(2);
    const PlotView zoomed = live_view();
    auto click = [](int kind) {
        SendMessageW(GetDlgItem(plot_live_window(), ID_PLOT_VIEW + kind), BM_CLICK, 0, 0);
        OpenPlot::settle();
    };
    auto pressed = [](int kind) {
        return SendMessageW(GetDlgItem(plot_live_window(), ID_PLOT_VIEW + kind), BM_GETCHECK, 0, 0) == BST_CHECKED;
    };
    EXPECT_TRUE(pressed(PLOT_INTERVALS) && !pressed(PLOT_COUNTS) && !pressed(PLOT_SPEED));
    click(PLOT_COUNTS);
    EXPECT_EQ(live_view().kind, PLOT_COUNTS);
    EXPECT_TRUE(!pressed(PLOT_INTERVALS) && pressed(PLOT_COUNTS));
    EXPECT_EQ(live_view().t0_s, zoomed.t0_s);
    EXPECT_EQ(live_view().t1_s, zoomed.t1_s);
    p.wheel(1, MK_SHIFT);
    EXPECT_TRUE(live_view().y_fixed) << "Shift+wheel zooms the counts";
    EXPECT_LT(live_view().y_lo_ms, 0);
    click(PLOT_SPEED);
    EXPECT_TRUE(live_view().kind == PLOT_SPEED && pressed(PLOT_SPEED) && !pressed(PLOT_COUNTS));
    EXPECT_FALSE(live_view().y_fixed) << "each view's y axis is its own";
    EXPECT_EQ(live_view().t0_s, zoomed.t0_s);
    p.double_click();
    EXPECT_TRUE(live_view().whole);
    EXPECT_EQ(live_view().kind, PLOT_SPEED) << "the whole run in the same view";
    click(PLOT_INTERVALS);
    EXPECT_EQ(live_view().kind, PLOT_INTERVALS);
}

// The owner's icon, the plot's own fonts: what the window makes and what it gives back.
class PlotWindowTest : public PlotTest {
protected:
    void SetUp() override {
        PlotTest::SetUp();
        UnregisterClassW(L"QuorvinPlot", GetModuleHandleW(NULL));
    }
    void TearDown() override {
        if (plot_live_window())
            DestroyWindow(plot_live_window());
        g_fake_dpi = 96;
        PlotTest::TearDown();
    }
    static HFONT button_font() {
        return (HFONT)SendMessageW(GetDlgItem(plot_live_window(), ID_PLOT_EXPORT), WM_GETFONT, 0, 0);
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
        plot_open(owner, run());
        ASSERT_NE(plot_live_window(), nullptr);
        EXPECT_EQ((HICON)GetClassLongPtrW(plot_live_window(), GCLP_HICON), icon) << "the owner's, shared";
        DestroyWindow(plot_live_window());
    }
    DestroyWindow(owner);
    UnregisterClassW(L"PlotTestOwner", GetModuleHandleW(NULL));
    DestroyIcon(icon);
}

TEST_F(PlotWindowTest, TheButtonKeepsItsOwnFontAtItsDpiUntilItIsGone) {
    g_fake_dpi = 144;
    plot_open(NULL, run());
    ASSERT_NE(plot_live_window(), nullptr);
    HFONT at144 = button_font();
    EXPECT_EQ(GetObjectType(at144), (DWORD)OBJ_FONT);
    EXPECT_EQ(font_height(at144), -17);  // 11 pixels at 96 DPI
    // The main window paints at another DPI with its own font, as often as it likes.
    DibCanvas other;
    ASSERT_TRUE(other.make(200, 100));
    for (UINT dpi : {96u, 192u, 120u}) {
        PanelFont font = {};
        panel_font_make(&font, dpi);
        gui_draw(other.dc, 200, 100, dpi, &font, run());
        SelectObject(other.dc, GetStockObject(DEFAULT_GUI_FONT));
        panel_font_free(&font);
    }
    EXPECT_EQ(button_font(), at144);
    EXPECT_EQ(GetObjectType(at144), (DWORD)OBJ_FONT) << "still alive";

    RECT suggested = {40, 30, 40 + 1200, 30 + 700};
    SendMessageW(plot_live_window(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(192, 192), (LPARAM)&suggested);
    HFONT at192 = button_font();
    EXPECT_EQ(font_height(at192), -22);
    EXPECT_EQ(GetObjectType(at144), 0u) << "the replaced font is deleted";
    DestroyWindow(plot_live_window());
    EXPECT_EQ(GetObjectType(at192), 0u) << "deleted with the window";
}

std::wstring temp_path() {
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"qpl", 0, path);  // made, empty
    return path;
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The export button of the open plot, then its thread's end.
void export_and_wait() {
    SendMessageW(plot_live_window(), WM_COMMAND, ID_PLOT_EXPORT, 0);
    EXPECT_TRUE(pump_until([] { return !plot_export_running(); }, 60000));
}

TEST_F(PlotWindowTest, ExportWritesTheConsolesCsvOnItsThreadOrSaysWhyNot) {
    steady(3, 1000);
    OpenPlot p(run());
    g_fake_save_path.clear();  // cancelled
    SendMessageW(plot_live_window(), WM_COMMAND, ID_PLOT_EXPORT, 0);
    EXPECT_FALSE(plot_export_running());
    EXPECT_TRUE(g_fake_boxes.empty());
    EXPECT_EQ(g_fake_save_default.rfind(L"quorvin-", 0), 0u);
    EXPECT_EQ(g_fake_save_default.size(), std::wstring(L"quorvin-20261208-170000.csv").size());

    const std::wstring path = temp_path();
    g_fake_save_path = path;
    clock_map_clear(&run()->clock_map, run()->freq);
    export_and_wait();
    const std::string csv = read_file(path);
    DeleteFileW(path.c_str());
    EXPECT_EQ(csv.rfind("t_us,slot,interval_us,class,background,utc_us,dx,dy,buttons,wheel,flags\n0.000,1,,first,0,", 0), 0u);
    EXPECT_NE(csv.find("\n2000.000,1,1000.000,accepted,0,"), std::string::npos);
    EXPECT_FALSE(exists(path + L".partial"));
    EXPECT_EQ(std::wstring(plot_live_status()), L"已导出 3 行：" + path) << "the window says so";
    EXPECT_EQ(GetWindowTextLengthW(GetDlgItem(plot_live_window(), ID_PLOT_EXPORT)), 6) << "导出 CSV again";

    g_fake_save_path = L"Z:\\no\\such\\folder\\x.csv";
    export_and_wait();
    ASSERT_EQ(g_fake_boxes.size(), 1u);
    EXPECT_EQ(g_fake_boxes[0].caption, L"错误");
    EXPECT_EQ(g_fake_boxes[0].text.rfind(L"无法写入 CSV 文件：\nZ:\\no\\such\\folder\\x.csv\n\n", 0), 0u);
    EXPECT_EQ(std::wstring(plot_live_status()), L"导出失败：" + g_fake_save_path);
}

// A long export (a million reports and more) shows its progress while the
// window goes on answering; the file stands under its partial name until it
// is whole; a cancel leaves no file and the user's own untouched; closing the
// window cancels too.
TEST_F(PlotWindowTest, ALongExportRunsBesideTheWindowAndACancelLeavesNoFile) {
    steady(3000000, 1000);
    OpenPlot p(run());
    const std::wstring path = temp_path();
    FILE* f = _wfopen(path.c_str(), L"wb");
    fputs("the user's own", f);
    fclose(f);
    g_fake_save_path = path;
    HWND bar = GetDlgItem(plot_live_window(), ID_PLOT_PROGRESS);
    SendMessageW(plot_live_window(), WM_COMMAND, ID_PLOT_EXPORT, 0);
    ASSERT_TRUE(plot_export_running());
    ASSERT_TRUE(pump_until([bar] { return SendMessageW(bar, PBM_GETPOS, 0, 0) > 0; }, 20000));
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_TRUE(plot_export_running()) << "the window answered while the export ran";
    EXPECT_EQ(read_file(path), "the user's own");
    EXPECT_TRUE(exists(path + L".partial"));

    SendMessageW(plot_live_window(), WM_COMMAND, ID_PLOT_EXPORT, 0);  // the button now cancels
    EXPECT_TRUE(pump_until([] { return !plot_export_running(); }, 20000));
    EXPECT_EQ(std::wstring(plot_live_status()), L"已取消导出");
    EXPECT_EQ(read_file(path), "the user's own");
    EXPECT_FALSE(exists(path + L".partial"));
    EXPECT_FALSE(IsWindowVisible(bar));
    EXPECT_TRUE(g_fake_boxes.empty());

    SendMessageW(plot_live_window(), WM_COMMAND, ID_PLOT_EXPORT, 0);
    ASSERT_TRUE(plot_export_running());
    DestroyWindow(plot_live_window());
    EXPECT_FALSE(plot_export_running()) << "closing waited for the thread";
    EXPECT_EQ(read_file(path), "the user's own");
    EXPECT_FALSE(exists(path + L".partial"));
    DeleteFileW(path.c_str());
}

// Clearing the run while the export writes: no file with a hole in it.
TEST_F(PlotWindowTest, AnExportWhoseRowsWereClearedFailsAndWritesNothing) {
    steady(3000000, 1000);
    OpenPlot p(run());
    const std::wstring path = temp_path();
    DeleteFileW(path.c_str());
    g_fake_save_path = path;
    HWND bar = GetDlgItem(plot_live_window(), ID_PLOT_PROGRESS);
    SendMessageW(plot_live_window(), WM_COMMAND, ID_PLOT_EXPORT, 0);
    ASSERT_TRUE(pump_until([bar] { return SendMessageW(bar, PBM_GETPOS, 0, 0) > 0; }, 20000));
    arrival_log_clear(&run()->log);
    EXPECT_TRUE(pump_until([] { return !plot_export_running(); }, 20000));
    EXPECT_EQ(std::wstring(plot_live_status()), L"导出失败：" + path);
    ASSERT_EQ(g_fake_boxes.size(), 1u);
    EXPECT_FALSE(exists(path));
    EXPECT_FALSE(exists(path + L".partial"));
}

// Stops the builder's next look at log (as while a clearing runs) and
// lets it go on after ms at most, so that a window that waits for it fails
// the test rather than hangs it.
struct HeldLog {
    ArrivalLog* log;
    HANDLE release = CreateEventW(NULL, TRUE, FALSE, NULL);
    HANDLE thread;
    explicit HeldLog(ArrivalLog* held) : log(held) {
        log->generation.fetch_add(1);
        thread = CreateThread(NULL, 0, [](void* self) -> DWORD {
            HeldLog* h = (HeldLog*)self;
            WaitForSingleObject(h->release, 5000);
            h->log->generation.fetch_add(1);
            return 0;
        }, this, 0, NULL);
    }
    ~HeldLog() {
        SetEvent(release);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        CloseHandle(release);
    }
};

TEST_F(PlotWindowTest, TheWindowAnswersWhileItsModelIsBeingBuilt) {
    steady(10000, 1000);
    OpenPlot p(run());
    const unsigned built = plot_builder_figures(plot_live_builder()).builds;
    ASSERT_GE(built, 1u) << "the first paint had its model";
    ULONGLONG took;
    {
        HeldLog held(&run()->log);
        const ULONGLONG start = GetTickCount64();
        SendMessageW(plot_live_window(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(p.screen.x, p.screen.y));
        UpdateWindow(plot_live_window());  // asks for a new model, paints the last one
        SendMessageW(plot_live_window(), WM_NULL, 0, 0);
        took = GetTickCount64() - start;
        EXPECT_EQ(plot_builder_figures(plot_live_builder()).builds, built) << "the build was held";
    }
    EXPECT_LT(took, 2000u);
    EXPECT_TRUE(pump_until([built] { return plot_builder_figures(plot_live_builder()).builds > built; }, 10000));
}

TEST_F(PlotTest, ExportOfTooFewReportsSaysSoAndAsksForNoFile) {
    plot_open(NULL, run());  // the plot's export, of the run it shows
    for (int reports : {0, 2}) {  // none, and one interval
        run_clear(run());
        steady(reports, 1000);
        plot_live_status()[0] = 0;
        const int calls = g_fake_save_calls;
        EXPECT_TRUE(plot_export_csv(NULL));
        EXPECT_EQ(g_fake_save_calls, calls) << reports << " reports: no Save As";
        EXPECT_EQ(std::wstring(plot_live_status()).rfind(L"报告太少", 0), 0u);
    }
    texts_set_lang(LANG_EN);
    EXPECT_TRUE(plot_export_csv(NULL));
    EXPECT_EQ(std::wstring(plot_live_status()).rfind(L"Too few reports", 0), 0u);
    DestroyWindow(plot_live_window());
}

// The buttons view: a row per button pressed and one for the wheel, each
// named in the margin beside it; presses in their colour, the one that
// bounced 4 ms after its release in the warning colour, in the left
// button's row only; notches from the wheel's 0 line, the lone one against
// the scroll in the warning colour too. At 96 and 144 DPI.
TEST_F(PlotTest, TheButtonsViewDrawsARowPerButtonAndOneForTheWheel) {
    const COLORREF held = 0xd2a064, notch = 0xd2d2d2, warning = PANEL_WARNING_COLOR;
    int64_t t = 1000;
    for (int ms = 0; ms < 3000; ms++) {
        t += 10000;
        ReportMotion mo = {1, 0, 0, 0, 0};
        if (ms % 500 == 100 || ms == 1164)
            mo.buttons = button_down_flag(BUTTON_LEFT);
        if (ms % 500 == 160 || ms == 1180)
            mo.buttons = button_up_flag(BUTTON_LEFT);
        if (ms == 2000 || ms == 2080)
            mo.buttons = ms == 2000 ? button_down_flag(BUTTON_RIGHT) : button_up_flag(BUTTON_RIGHT);
        if (ms >= 2300 && ms < 2500 && ms % 20 == 0) {
            mo.buttons = BUTTON_FLAG_WHEEL;
            mo.wheel = ms == 2400 ? 120 : -120;
        }
        report(t, &mo);
    }
    const char* shots = getenv("QUORVIN_PLOT_SHOTS");
    for (UINT dpi : {96u, 144u}) {
        const int w = MulDiv(900, dpi, 96), h = MulDiv(480, dpi, 96);
        PanelFont font = {};
        panel_font_make(&font, dpi);
        ASSERT_TRUE(canvas.make(w, h));
        PlotView whole = {true, 0, 0, false, 0, 0, PLOT_BUTTONS};
        a = plot_draw(canvas.dc, w, h, dpi, &font, run(), 0, &whole, plot_live_status());
        GdiFlush();
        if (shots)
            canvas.save_bmp((std::string(shots) + "/plot-buttons-" + std::to_string(dpi) + ".bmp").c_str());
        // Pixels of the colour in row's band from from_x to to_x (any but black: 0).
        auto in_band = [&](int row, COLORREF color, int from_x, int to_x) {
            const PlotBand b = plot_button_band(row, 3, a.top + dpi_scale(2, dpi), a.bottom - dpi_scale(2, dpi),
                                                dpi_scale(18, dpi));
            int n = 0;
            for (int y = b.top; y < b.bottom; y++)
                for (int x = from_x; x < to_x; x++)
                    n += color ? pixel(x, y) == color : pixel(x, y) != 0;
            return n;
        };
        EXPECT_GT(in_band(0, held, a.left, a.right), 0) << dpi << " the left button's presses";
        EXPECT_GT(in_band(0, warning, a.left, a.right), 0) << dpi << " its bounce";
        EXPECT_GT(in_band(1, held, a.left, a.right), 0) << dpi << " the right button's press";
        EXPECT_EQ(in_band(1, warning, a.left, a.right), 0) << dpi;
        EXPECT_GT(in_band(2, notch, a.left, a.right), 0) << dpi << " the wheel's notches";
        EXPECT_GT(in_band(2, warning, a.left, a.right), 0) << dpi << " the lone notch up";
        for (int row = 0; row < 3; row++)
            EXPECT_GT(in_band(row, 0, 0, a.left - dpi_scale(5, dpi)), 10) << dpi << " row " << row << "'s name";
        SelectObject(canvas.dc, GetStockObject(DEFAULT_GUI_FONT));
        panel_font_free(&font);
    }
}

}  // namespace
