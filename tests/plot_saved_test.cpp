// A saved run in a window of its own: the live window's export read back
// through "打开 CSV" draws the same plot and the same figures; a malformed file
// gives one error box naming its line and leaves nothing behind; no more
// than PLOT_SAVED_MOST are open at once; "保存图片" hands the encoder the
// window's picture at its client size, with the device, the date and the
// version at its foot in place of a status that names local files. In
// Chinese, as the window was written.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "core/runs/arrival_log.h"
#include "core/runs/clock_map.h"
#include "core/version.h"
#include "core/views/texts.h"
#include "engine/reception.h"
#include "gui/panel.h"
#include "gui/mouse_name.h"
#include "gui/plot_builder.h"
#include "gui/plot_export.h"
#include "gui/plot_image.h"
#include "gui/plot_paint.h"
#include "gui/plot_saved.h"
#include "gui/plot_window.h"
#include "tests/fakes/fake_file_dialog.h"
#include "tests/fakes/fake_heap.h"
#include "tests/fakes/fake_message_box.h"
#include "tests/fakes/fake_png_write.h"
#include "tests/fakes/fake_utc_clock.h"
#include "tests/support/dib_canvas.h"
#include "tests/support/paint_suite.h"
#include "tests/support/pump.h"
#include "tests/support/seeded_random.h"

namespace {

std::wstring temp_path(const wchar_t* ext) {
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"qps", 0, path);
    DeleteFileW(path);
    return std::wstring(path) + ext;
}

// A temporary CSV file holding text.
std::wstring csv_of(const char* text) {
    const std::wstring path = temp_path(L".csv");
    FILE* out = _wfopen(path.c_str(), L"wb");
    EXPECT_NE(out, nullptr);
    if (out) {
        fputs(text, out);
        fclose(out);
    }
    return path;
}

PlotWin* win(HWND hwnd) { return (PlotWin*)GetWindowLongPtrW(hwnd, GWLP_USERDATA); }

// The window's picture as it paints it now (with info: as it saves it);
// where it put the plot.
PlotArea picture(HWND hwnd, DibCanvas* canvas, const wchar_t* info = NULL) {
    RECT r;
    GetClientRect(hwnd, &r);
    if (!canvas->make(r.right, r.bottom))
        return PlotArea{};
    const PlotArea a = plot_paint_now(win(hwnd), canvas->dc, r.right, r.bottom, info);
    GdiFlush();
    return a;
}

class PlotSavedTest : public PaintSuite {
protected:
    void SetUp() override {
        texts_set_lang(LANG_ZH);
        run_clear(run());
        g_fake_boxes.clear();
        run()->chosen_slot = 0;
        g_fake_png = FakePng{};
    }
    void TearDown() override {
        for (HWND h; (h = FindWindowW(L"QuorvinPlot", NULL)) != NULL;)
            DestroyWindow(h);
        g_fake_open_path.clear();
        g_fake_open_during = NULL;
        g_fake_save_path.clear();
        arrival_log_free(&run()->log);
        texts_set_lang(LANG_EN);
    }
    // A saved run's window opened from the live one; null when none came.
    HWND open_saved(const std::wstring& path) {
        g_fake_open_path = path;
        SendMessageW(plot_live_window(), WM_COMMAND, ID_PLOT_OPEN, 0);
        HWND saved = NULL;
        pump_until([&] {
            saved = FindWindowW(L"QuorvinPlot", (L"间隔图 — " + path.substr(path.rfind(L'\\') + 1) +
                                                 L" — Quorvin v9").c_str());
            return saved && win(saved) && plot_saved_record(win(saved)->saved);
        }, 20000);
        return saved;
    }
};

// 20 s of a 1 kHz mouse with jitter, coalesced pairs and a pause, moving, into run.
void live_run(Run* run) {
    uint64_t seed = 7;
    int64_t t = 1000;
    for (int i = 0; i < 20000; i++) {
        t += i == 9000 ? 800000 : i % 97 == 0 ? 300 : 9000 + (int64_t)(2000 * uniform(&seed));
        const ReportMotion m = {i % 2 ? 4 : -3, i % 5 - 2, 0, 0, 0};
        run_take_report(run, t, 1 + i % 2, false, nullptr, &m);
    }
}

// Shows view kind in windows a and b, each once its model is built; the
// pixels that differ from the legend's row to the time axis's labels (the
// right margin's line labels too; the header's first line ends before each
// window's buttons, and the foot has each one's status).
int differing_pixels(HWND a, HWND b, int kind) {
    for (HWND h : {a, b}) {
        SendMessageW(h, WM_COMMAND, ID_PLOT_VIEW + kind, 0);
        pump_until([&] {
            DibCanvas c;
            picture(h, &c);  // asks for the model of the view
            const PlotBuilt* built = plot_builder_take(win(h)->builder, win(h)->awaited, 0);
            return built && built->model.kind == kind;
        }, 10000);
    }
    DibCanvas pa, pb;
    const PlotArea area = picture(a, &pa);
    const PlotArea other = picture(b, &pb);
    EXPECT_TRUE(area.top == other.top && area.bottom == other.bottom) << "the same lines around the plots";
    int differ = 0;
    for (int y = 28; y < area.bottom + 20; y++)
        for (int x = 0; x < pa.width; x++)
            differ += pa.pixel(x, y) != pb.pixel(x, y);
    return differ;
}

TEST_F(PlotSavedTest, TheExportReadBackDrawsTheSamePlotAndFigures) {
    live_run(run());
    plot_open(NULL, run());
    const std::wstring csv = temp_path(L".csv");
    g_fake_save_path = csv;
    clock_map_clear(&run()->clock_map, run()->freq);
    SendMessageW(plot_live_window(), WM_COMMAND, ID_PLOT_EXPORT, 0);
    ASSERT_TRUE(pump_until([] { return !plot_export_running(); }, 30000));
    pump_until([] { return plot_builder_rested(plot_live_builder(), 0); }, 10000);
    const int blocks = g_fake_heap.live_blocks;

    HWND saved = open_saved(csv);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(std::wstring(win(saved)->status).rfind(L"已读取 20000 行：", 0), 0u);
    wchar_t info[PLOT_STATUS_CHARS];
    plot_image_info(win(saved), info, PLOT_STATUS_CHARS);
    const std::wstring name = csv.substr(csv.rfind(L'\\') + 1);
    EXPECT_NE(std::wstring(info).find(L"保存的运行 " + name), std::wstring::npos) << "the run by its file's name";
    EXPECT_NE(std::wstring(info).find(L"测量于 2025-12-0"), std::wstring::npos) << "its first row's UTC time";
    EXPECT_EQ(std::wstring(info).find(L'\\'), std::wstring::npos) << "no path";
    Distribution live, read;
    record_distribution(&run()->records[0], &live);
    record_distribution(plot_saved_record(win(saved)->saved), &read);
    EXPECT_EQ(read.n, live.n);
    EXPECT_EQ(read.pauses, live.pauses);
    for (int k = 0; k < PCT_COUNT; k++)
        EXPECT_EQ(read.pct_us[k], live.pct_us[k]);
    EXPECT_EQ(read.sd_us, live.sd_us);
    for (int kind = 0; kind < PLOT_KINDS; kind++) {
        EXPECT_EQ(differing_pixels(plot_live_window(), saved, kind), 0) << "view " << kind;
        const PlotBuilt* lb = plot_builder_take(plot_live_builder(), 0, 0);
        const PlotBuilt* sb = plot_builder_take(win(saved)->builder, 0, 0);
        EXPECT_EQ(lb->clock.period_us, sb->clock.period_us);
        EXPECT_EQ(lb->clock.filled_pct, sb->clock.filled_pct);
        EXPECT_EQ(lb->model.shown, sb->model.shown);
    }
    DestroyWindow(saved);
    EXPECT_EQ(plot_saved_count(), 0);
    EXPECT_EQ(g_fake_heap.live_blocks, blocks) << "the saved run's log and record are given back";
    DeleteFileW(csv.c_str());
}

// One box naming the file and the line of a bad row, quoting it as the text
// it holds; the window goes, and all it held with it.
TEST_F(PlotSavedTest, AMalformedFileGivesOneErrorNamingItsLine) {
    plot_open(NULL, run());
    pump_until([] { return plot_builder_rested(plot_live_builder(), 0); }, 10000);
    const int blocks = g_fake_heap.live_blocks;
    const std::wstring csv = csv_of("t_us,slot,class\n0.000,1,first\n1000.000,1,accepted\n2000.\xC3\xA9\xFF,1,accepted\n");
    g_fake_open_path = csv;
    SendMessageW(plot_live_window(), WM_COMMAND, ID_PLOT_OPEN, 0);
    ASSERT_TRUE(pump_until([] { return !g_fake_boxes.empty() && plot_saved_count() == 0; }, 10000));
    pump_until([] { return false; }, 100);  // nothing more comes
    ASSERT_EQ(g_fake_boxes.size(), 1u);
    EXPECT_EQ(g_fake_boxes[0].caption, L"错误");
    EXPECT_EQ(g_fake_boxes[0].text, L"无法读取 CSV 文件：\n" + csv + L":4: t_us 为 \"2000.é\uFFFD\"，不是以微秒计的时间")
        << "the file's UTF-8 as text, a byte that is none as U+FFFD";
    EXPECT_EQ(g_fake_heap.live_blocks, blocks);
    DeleteFileW(csv.c_str());
}

// The other windows stay usable while an Open dialog is up: runs opened
// from them meanwhile count against the limit when it returns.
TEST_F(PlotSavedTest, RunsOpenedWhileTheDialogIsUpCountAgainstTheLimit) {
    plot_open(NULL, run());
    const std::wstring csv = csv_of("t_us,slot,class\n0.000,1,first\n1000.000,1,accepted\n");
    g_fake_open_path = csv;
    g_fake_open_during = [] {
        g_fake_open_during = NULL;  // the dialogs opened meanwhile answer at once
        for (int i = 0; i < PLOT_SAVED_MOST; i++)
            SendMessageW(plot_live_window(), WM_COMMAND, ID_PLOT_OPEN, 0);
    };
    SendMessageW(plot_live_window(), WM_COMMAND, ID_PLOT_OPEN, 0);
    EXPECT_EQ(plot_saved_count(), PLOT_SAVED_MOST);
    EXPECT_EQ(std::wstring(plot_live_status()), L"已打开 4 个保存的运行：请先关闭一个。");
    for (HWND h; (h = FindWindowW(L"QuorvinPlot", NULL)) != NULL;)
        DestroyWindow(h);
    EXPECT_EQ(plot_saved_count(), 0);

    // The main window closed while the dialog was up takes the plot window
    // (and its state) with it: nothing is opened for it afterwards.
    plot_open(NULL, run());
    const HWND plot = plot_live_window();
    g_fake_open_during = [] {
        g_fake_open_during = NULL;
        DestroyWindow(plot_live_window());
    };
    SendMessageW(plot, WM_COMMAND, ID_PLOT_OPEN, 0);
    EXPECT_FALSE(IsWindow(plot));
    EXPECT_EQ(plot_saved_count(), 0);
    DeleteFileW(csv.c_str());
}

// The picture at the client's size, the median line where the live plot
// draws it, written under the name chosen and said so. The status, which
// names the previous export's file, is not in it: the device, the time the
// picture was taken and the version are, as the painter draws its info.
TEST_F(PlotSavedTest, SaveImageWritesTheWindowsPictureAtItsClientSize) {
    live_run(run());
    plot_open(NULL, run());
    const wchar_t* exported = L"已导出 20000 行：C:\\Users\\someone\\Documents\\quorvin-20261209-165312.csv";
    plot_set_status(win(plot_live_window()), exported);
    const std::wstring png = temp_path(L".png");
    g_fake_save_path = png;
    SendMessageW(plot_live_window(), WM_COMMAND, ID_PLOT_IMAGE, 0);
    RECT r;
    GetClientRect(plot_live_window(), &r);
    ASSERT_EQ(g_fake_png.calls, 1);
    EXPECT_EQ(g_fake_png.width, r.right);
    EXPECT_EQ(g_fake_png.height, r.bottom);
    const PlotBuilt* b = plot_builder_take(plot_live_builder(), 0, 0);
    ASSERT_NE(b, nullptr);
    Distribution d;
    record_distribution(&run()->records[0], &d);
    wchar_t info[PLOT_STATUS_CHARS], device[80];
    plot_image_info(win(plot_live_window()), info, PLOT_STATUS_CHARS);
    gui_mouse_name(0, device, 80);
    EXPECT_NE(std::wstring(info).find(device), std::wstring::npos) << "the record's device, as the window names it";
    EXPECT_NE(std::wstring(info).find(L"Quorvin " QUORVIN_VERSION_WIDE), std::wstring::npos);
    EXPECT_NE(std::wstring(info).find(L"2025-12-0"), std::wstring::npos) << "taken at the (fake) clock's time";
    EXPECT_EQ(std::wstring(info).find(L'\\'), std::wstring::npos) << "no path";
    DibCanvas saved, shown;
    const PlotArea a = picture(plot_live_window(), &saved, info);
    picture(plot_live_window(), &shown);
    const int y = plot_row_of(&b->model.axis, d.pct_us[PCT_50], a.top, a.bottom);
    EXPECT_EQ(g_fake_png.pixels[(size_t)y * r.right + a.left + 3], 0xe0e0e0u) << "the median line";
    EXPECT_TRUE(std::equal(g_fake_png.pixels.begin(), g_fake_png.pixels.end(), saved.pixels))
        << "the picture with its info";
    const size_t foot = (size_t)(r.bottom - 16) * r.right;
    EXPECT_FALSE(std::equal(g_fake_png.pixels.begin() + foot, g_fake_png.pixels.end(), shown.pixels + foot))
        << "not the status with its path";
    EXPECT_EQ(std::wstring(plot_live_status()), L"已保存图片：" + png);
    EXPECT_EQ(GetFileAttributesW((png + L".partial").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(png.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(png.c_str());

    // A window without a client area has no picture: it says so and asks nothing.
    ShowWindow(plot_live_window(), SW_MINIMIZE);
    const int asked = g_fake_save_calls;
    SendMessageW(plot_live_window(), WM_COMMAND, ID_PLOT_IMAGE, 0);
    EXPECT_EQ(g_fake_save_calls, asked);
    EXPECT_EQ(g_fake_png.calls, 1);
    ASSERT_EQ(g_fake_boxes.size(), 1u);
    EXPECT_EQ(g_fake_boxes[0].text, L"窗口太小：没有可保存的图片。");
}

}  // namespace
