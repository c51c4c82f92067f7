// The main window with the scripted Raw Input layer and recorded message
// boxes: start and stop, selection, clearing, hot-plug rescans, the about box
// and closing while measuring; the rate line frozen after Stop, the layout on
// a small screen at 144 DPI in either language, and the keyboard.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <thread>
#include <vector>

#include "core/views/panel_layout.h"
#include "core/views/texts.h"
#include "devices/mouse_registry.h"
#include "engine/reception.h"
#include "gui/main_window.h"
#include "gui/panel.h"
#include "tests/fakes/fake_counter.h"
#include "tests/fakes/fake_dpi.h"
#include "tests/fakes/fake_message_box.h"
#include "tests/fakes/fake_rawinput.h"
#include "tests/fakes/fake_usbpcap_driver.h"

namespace {

HANDLE mouse(int n) { return (HANDLE)(INT_PTR)(0x5000 + n); }

const wchar_t* const kNames[] = {
    L"\\\\?\\HID#VID_0001&PID_0001#a", L"\\\\?\\HID#VID_0002&PID_0002#b",
    L"\\\\?\\HID#VID_0003&PID_0003#c", L"\\\\?\\HID#VID_0004&PID_0004#d",
};

void set_mice(int n) {
    g_fake_ri.device_count = 0;
    for (int i = 0; i < n; i++)
        fake_rawinput_add_device(mouse(i + 1), RIM_TYPEMOUSE, kNames[i]);
}

// Dispatches messages for about ms of real time.
void pump(int ms) {
    DWORD until = GetTickCount() + (DWORD)ms;
    while ((int)(until - GetTickCount()) > 0) {
        MSG m;
        while (PeekMessageW(&m, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        Sleep(5);
    }
}

std::wstring caption_of(HWND h) {
    wchar_t text[64];
    GetWindowTextW(h, text, 64);
    return text;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_rawinput_reset();
        fake_usbpcap_reset();
        g_fake_boxes.clear();
        texts_set_lang(LANG_ZH);
        main_window_run_free();  // each test on a window's run made anew: not measuring, automatic
        run = main_window_run();
        UnregisterClassW(L"Quorvin", GetModuleHandleW(NULL));
    }
    void TearDown() override {
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
        MSG m;
        while (PeekMessageW(&m, NULL, 0, 0, PM_REMOVE)) {
        }
        run_set_measuring(run, false);
        texts_set_lang(LANG_EN);
        g_fake_dpi = 96;
    }
    void open(int mice) {
        set_mice(mice);
        enumerate_mice();
        hwnd = create_main_window();
        ASSERT_NE(hwnd, nullptr);
    }
    HWND chooser() const { return GetDlgItem(hwnd, ID_DEVICE_CHOOSER); }
    HWND start_button() const { return GetDlgItem(hwnd, ID_START_STOP); }
    void command(int id, int code = BN_CLICKED) {
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, code), 0);
    }
    void select(int index) {
        SendMessageW(chooser(), CB_SETCURSEL, (WPARAM)index, 0);
        command(ID_DEVICE_CHOOSER, CBN_SELCHANGE);
    }
    int chooser_count() { return (int)SendMessageW(chooser(), CB_GETCOUNT, 0, 0); }
    int chooser_selection() { return (int)SendMessageW(chooser(), CB_GETCURSEL, 0, 0); }
    HWND hwnd = NULL;  // the main window open
    ::Run* run;        // the window's
};

TEST_F(MainWindowTest, OpensStoppedWithAllMiceSelected) {
    open(2);
    EXPECT_EQ(chooser_count(), 3);
    EXPECT_EQ(chooser_selection(), 0);
    EXPECT_EQ(caption_of(start_button()), L"开始测量(&S)");
    EXPECT_EQ(run->chosen_slot, -1);
    EXPECT_FALSE(run_measuring(run));
    EXPECT_EQ(g_fake_ri.register_calls, 0);
    EXPECT_TRUE(g_fake_boxes.empty());
    EXPECT_EQ(caption_of(hwnd), L"Quorvin v9 (Raw Input)");
}

TEST_F(MainWindowTest, StartResetsRegistersAndSwitchesTheCaption) {
    open(2);
    run->records[2].interval_count = 9;
    command(ID_START_STOP);
    EXPECT_TRUE(run_measuring(run));
    EXPECT_EQ(caption_of(start_button()), L"停止测量(&S)");
    EXPECT_EQ(run->chosen_slot, 0);
    EXPECT_EQ(run->records[2].interval_count, 0u);
    ASSERT_EQ(g_fake_ri.register_calls, 1);
    HWND target = g_fake_ri.registrations[0].entries[0].hwndTarget;
    EXPECT_EQ(target, FindWindowExW(HWND_MESSAGE, NULL, L"QuorvinReader", NULL))
        << "the reader thread's window receives the reports";
    EXPECT_EQ(g_fake_ri.registrations[0].entries[0].dwFlags, 0x2100u);
    EXPECT_EQ(g_fake_ri.registrations[0].entries[1].dwFlags, 0x2000u);
}

TEST_F(MainWindowTest, RefusedRegistrationChangesNoState) {
    open(2);
    select(1);
    run->records[0].interval_count = 5;
    g_fake_ri.register_result = FALSE;
    command(ID_START_STOP);
    ASSERT_EQ(g_fake_boxes.size(), 1u);
    EXPECT_EQ(g_fake_boxes[0].text, L"注册 Raw Input 失败。");
    EXPECT_EQ(g_fake_boxes[0].caption, L"错误");
    EXPECT_EQ(g_fake_boxes[0].owner, hwnd);
    EXPECT_FALSE(run_measuring(run));
    EXPECT_EQ(caption_of(start_button()), L"开始测量(&S)");
    EXPECT_EQ(run->records[0].interval_count, 5u);
    EXPECT_EQ(run->chosen_slot, 1);
}

TEST_F(MainWindowTest, SelectionStopAndClear) {
    open(3);
    command(ID_START_STOP);
    run->records[0].interval_count = 40;
    run->records[2].interval_count = 20;
    select(2);  // while measuring: switches the record, resets nothing
    EXPECT_EQ(run->chosen_slot, 2);
    EXPECT_EQ(display_stats(run), &run->records[2]);
    EXPECT_EQ(run->records[2].interval_count, 20u);

    command(ID_START_STOP);  // stop keeps the figures
    EXPECT_FALSE(run_measuring(run));
    EXPECT_EQ(caption_of(start_button()), L"开始测量(&S)");
    EXPECT_EQ(run->records[2].interval_count, 20u);
    ASSERT_EQ(g_fake_ri.register_calls, 2);
    EXPECT_EQ(g_fake_ri.registrations[1].entries[0].dwFlags, (DWORD)RIDEV_REMOVE);

    g_dev_last_active[2] = 77;
    command(ID_CLEAR_DATA);
    EXPECT_EQ(run->records[0].interval_count, 0u);
    EXPECT_EQ(run->records[2].interval_count, 0u);
    EXPECT_EQ(g_dev_last_active[2], 77);
    EXPECT_EQ(run->chosen_slot, 2);
}

TEST_F(MainWindowTest, BurstOfDeviceChangesGivesOneRescanAfterTheQuietPeriod) {
    open(2);
    const int builds = g_fake_ri.list_calls;
    for (int i = 0; i < 5; i++) {
        SendMessageW(hwnd, WM_INPUT_DEVICE_CHANGE, GIDC_ARRIVAL, 0);
        pump(100);
    }
    pump(150);  // 250 ms after the last notice
    EXPECT_EQ(g_fake_ri.list_calls, builds);
    EXPECT_TRUE(main_window_rescan_pending());
    pump(400);
    EXPECT_EQ(g_fake_ri.list_calls, builds + 1);
    EXPECT_FALSE(main_window_rescan_pending());
    pump(400);
    EXPECT_EQ(g_fake_ri.list_calls, builds + 1);
}

// Hot-plugging during a run never renumbers: the chosen mouse keeps its slot
// (and its record) until a new run drops the mice that left.
TEST_F(MainWindowTest, RescansKeepEverySlotUntilTheNextRun) {
    open(2);
    select(2);
    command(ID_START_STOP);
    set_mice(3);  // a mouse arrives
    SendMessageW(hwnd, WM_INPUT_DEVICE_CHANGE, GIDC_ARRIVAL, 0);
    pump(500);
    EXPECT_EQ(chooser_count(), 4);
    EXPECT_EQ(chooser_selection(), 2);
    EXPECT_EQ(run->chosen_slot, 2);

    // Mouse 1 leaves: mice 2 and 3 stay where they were.
    g_fake_ri.device_count = 0;
    fake_rawinput_add_device(mouse(2), RIM_TYPEMOUSE, kNames[1]);
    fake_rawinput_add_device(mouse(3), RIM_TYPEMOUSE, kNames[2]);
    SendMessageW(hwnd, WM_INPUT_DEVICE_CHANGE, GIDC_REMOVAL, 0);
    pump(500);
    EXPECT_EQ(chooser_count(), 4);
    EXPECT_EQ(chooser_selection(), 2);
    EXPECT_EQ(g_ri_devs[2].handle, mouse(2));
    EXPECT_TRUE(g_ri_devs[1].gone);

    // The next run starts from the mice that are there, still on mouse 2.
    command(ID_START_STOP);
    command(ID_START_STOP);
    EXPECT_EQ(chooser_count(), 3);
    EXPECT_EQ(g_ri_devs[1].handle, mouse(2));
    EXPECT_EQ(chooser_selection(), 1);
    EXPECT_EQ(run->chosen_slot, 1);
    command(ID_START_STOP);
}

TEST_F(MainWindowTest, EmptyRegistryShowsTheNoticeAndStartDoesNothing) {
    g_fake_ri.list_count_fails = true;
    open(0);
    ASSERT_EQ(g_fake_boxes.size(), 1u);
    EXPECT_EQ(g_fake_boxes[0].text, L"未找到鼠标设备(Raw Input)。");
    EXPECT_EQ(g_fake_boxes[0].caption, L"提示");
    EXPECT_EQ(g_fake_boxes[0].type, (UINT)MB_OK);
    command(ID_START_STOP);
    EXPECT_EQ(g_fake_ri.register_calls, 0);
    EXPECT_FALSE(run_measuring(run));
    EXPECT_EQ(caption_of(start_button()), L"开始测量(&S)");
    EXPECT_EQ(g_fake_boxes.size(), 1u);
}

// What the about window showed, read while it is open (from a timer that its
// modal loop serves), then closed with its OK button.
struct AboutSeen {
    HWND window, owner;
    RECT rect;
    std::wstring text;
    bool owner_disabled;
};
AboutSeen g_about_seen;

void CALLBACK read_and_close_about(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(NULL, id);
    HWND w = FindWindowW(L"QuorvinText", NULL);
    g_about_seen.window = w;
    if (!w)
        return;
    g_about_seen.owner = GetWindow(w, GW_OWNER);
    g_about_seen.owner_disabled = !IsWindowEnabled(g_about_seen.owner);
    GetWindowRect(w, &g_about_seen.rect);
    wchar_t caption[64];
    GetWindowTextW(w, caption, 64);
    static wchar_t text[8192];
    GetWindowTextW(GetDlgItem(w, 100), text, 8192);
    g_about_seen.text = std::wstring(caption) + L"|" + text;
    SendMessageW(w, WM_COMMAND, IDOK, 0);
}

// The help text in a window of its own that fits the work area at any DPI:
// the whole text, its title and OK button on screen, the owner disabled meanwhile.
TEST_F(MainWindowTest, AboutWindowFitsTheWorkAreaAtAnyDpi) {
    for (UINT dpi : {96u, 144u}) {
        g_fake_dpi = dpi;
        open(1);
        g_about_seen = AboutSeen{};
        SetTimer(NULL, 0, 50, read_and_close_about);
        command(ID_ABOUT);
        ASSERT_NE(g_about_seen.window, nullptr);
        EXPECT_FALSE(IsWindow(g_about_seen.window));
        EXPECT_EQ(g_about_seen.owner, hwnd);
        EXPECT_TRUE(g_about_seen.owner_disabled);
        EXPECT_TRUE(IsWindowEnabled(hwnd));
        RECT area;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        EXPECT_GE(g_about_seen.rect.top, area.top) << dpi;
        EXPECT_LE(g_about_seen.rect.bottom, area.bottom) << dpi;
        EXPECT_GE(g_about_seen.rect.left, area.left) << dpi;
        EXPECT_LE(g_about_seen.rect.right, area.right) << dpi;
        std::wstring shown;
        for (const wchar_t* p = main_window_help_text(); *p; p++)
            shown += *p == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, *p);
        EXPECT_EQ(g_about_seen.text, L"关于 — Quorvin v9|" + shown);
        EXPECT_TRUE(g_fake_boxes.empty());
        DestroyWindow(hwnd);  // its quit message must not end the next round's window
        MSG quit;
        while (PeekMessageW(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        UnregisterClassW(L"Quorvin", GetModuleHandleW(NULL));
    }
    g_fake_dpi = 96;
}

TEST_F(MainWindowTest, DiagnosticBoxIsOwnedByTheWindow) {
    open(1);
    g_fake_usbpcap.installed_error = 2;
    texts_set_lang(LANG_ZH);
    command(ID_CAPTURE_DIAG);
    texts_set_lang(LANG_EN);
    ASSERT_EQ(g_fake_boxes.size(), 1u);
    EXPECT_EQ(g_fake_boxes[0].caption, L"USBPcap 诊断 — 步骤1 失败");
    EXPECT_EQ(g_fake_boxes[0].owner, hwnd);
    EXPECT_FALSE(run_measuring(run));
}

// The window's thread runs the capture diagnostic and its box and pumps no
// message meanwhile; reports keep being read and stamped as they come.
TEST_F(MainWindowTest, ReportsAreStampedWhileTheWindowsThreadIsHeld) {
    open(1);
    g_fake_counter_now = 1000000;
    fake_queue_reset(10000, 0);  // each read 1 ms after the one before
    command(ID_START_STOP);
    std::thread mouse_thread([] {
        for (int i = 0; i < 5; i++) {
            fake_queue_push(mouse(1), RIM_INPUT, sizeof(RAWINPUT));
            while (fake_queue_read_reports() <= i)
                Sleep(1);
        }
    });
    g_fake_usbpcap.installed_error = 2;
    command(ID_CAPTURE_DIAG);
    mouse_thread.join();
    for (int i = 0; i < 400 && run->records[1].arrival_count < 5; i++)
        Sleep(5);
    EXPECT_EQ(run->records[1].interval_count, 4u);
    EXPECT_DOUBLE_EQ(run->records[1].max_interval_us, 1000.0);
    EXPECT_EQ(run->records[1].coalesced_count + run->records[1].pause_count, 0u);
}

// Where a control sits inside the main window's client area.
RECT client_rect_of(HWND control, HWND parent) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, parent, (POINT*)&r, 2);
    return r;
}

TEST_F(MainWindowTest, ControlsFollowTheDpiAndADpiChangeTakesTheSuggestedRectangle) {
    open(1);
    SetWindowPos(hwnd, NULL, 0, 0, 900, 560, SWP_NOZORDER | SWP_NOMOVE);
    RECT start = client_rect_of(start_button(), hwnd);
    RECT plot96 = client_rect_of(GetDlgItem(hwnd, ID_PLOT), hwnd);
    EXPECT_EQ(plot96.left, 726);  // one row: the sixth control from 726 to 826
    EXPECT_EQ(plot96.right, 826);
    EXPECT_EQ(start.left, 300);
    EXPECT_EQ(start.top, 8);
    EXPECT_EQ(start.right - start.left, 96);
    EXPECT_EQ(start.bottom - start.top, 26);

    // Never smaller than what shows every control and the histogram; the
    // buttons that no longer fit the row wrap to a second one.
    SetWindowPos(hwnd, NULL, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOMOVE);
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, PANEL_MIN_WIDTH);
    EXPECT_EQ(client.bottom, PANEL_MIN_HEIGHT);
    RECT plot = client_rect_of(GetDlgItem(hwnd, ID_PLOT), hwnd);
    EXPECT_EQ(plot.top, 40);
    EXPECT_LE(plot.right, client.right);

    // The suggested place is taken; its size only as far as the minimum allows.
    RECT suggested = {10, 20, 10 + 1000, 20 + 700};
    SendMessageW(hwnd, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144), (LPARAM)&suggested);
    RECT now;
    GetWindowRect(hwnd, &now);
    EXPECT_EQ(now.left, 10);
    EXPECT_EQ(now.top, 20);
    EXPECT_EQ(main_window_dpi(), 144u);
    GetClientRect(hwnd, &client);
    ASSERT_LT(client.right, 838 * 3 / 2) << "too narrow for one row at 144 DPI";
    ASSERT_GE(client.right, 646 * 3 / 2) << "wide enough for four controls in the first";
    start = client_rect_of(start_button(), hwnd);
    EXPECT_EQ(start.left, 450);  // 300 * 1.5
    EXPECT_EQ(start.top, 12);
    EXPECT_EQ(start.right - start.left, 144);
    EXPECT_EQ(start.bottom - start.top, 39);
    RECT diag = client_rect_of(GetDlgItem(hwnd, ID_CAPTURE_DIAG), hwnd);
    EXPECT_EQ(diag.left, 762);  // 508 * 1.5
    EXPECT_EQ(diag.right - diag.left, 195);
    RECT about = client_rect_of(GetDlgItem(hwnd, ID_ABOUT), hwnd);
    EXPECT_EQ(about.left, 18);  // the second row: 12 * 1.5, at 40 * 1.5
    EXPECT_EQ(about.top, 60);
    EXPECT_EQ(about.right - about.left, 108);
    plot = client_rect_of(GetDlgItem(hwnd, ID_PLOT), hwnd);
    EXPECT_EQ(plot.left, 138);  // 92 * 1.5
    EXPECT_EQ(plot.right - plot.left, 150);
    SetWindowPos(hwnd, NULL, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOMOVE);
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, PANEL_MIN_WIDTH * 3 / 2);
    EXPECT_EQ(client.bottom, PANEL_MIN_HEIGHT * 3 / 2);
}

// A 1024 x 768 screen at 144 DPI (and so a 1366 x 768 laptop at 150 %): the
// window opens on it whole, its smallest size fits beside a 150 % taskbar,
// and at that size every control lies inside, apart from the others, with its
// caption inside it, in either language.
TEST_F(MainWindowTest, FitsASmallScreenAt144DpiInEitherLanguage) {
    g_fake_dpi = 144;
    for (Lang lang : {LANG_ZH, LANG_EN}) {
        texts_set_lang(lang);
        open(2);
        RECT area, r;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        ASSERT_LE(area.right - area.left, 1024) << "the test screen is 1024 x 768";
        GetWindowRect(hwnd, &r);
        EXPECT_GE(r.left, area.left);
        EXPECT_GE(r.top, area.top);
        EXPECT_LE(r.right, area.right);
        EXPECT_LE(r.bottom, area.bottom);
        MINMAXINFO m = {};
        SendMessageW(hwnd, WM_GETMINMAXINFO, 0, (LPARAM)&m);
        EXPECT_LE(m.ptMinTrackSize.x, 1024);
        EXPECT_LE(m.ptMinTrackSize.y, 768 - 72);
        SetWindowPos(hwnd, NULL, 0, 0, 100, 100, SWP_NOZORDER | SWP_NOMOVE);
        RECT client;
        GetClientRect(hwnd, &client);
        RECT boxes[PANEL_CONTROLS];
        int n = 0;
        for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), n++) {
            const RECT b = client_rect_of(c, hwnd);  // the chooser's without its list
            EXPECT_GE(b.left, 0) << lang << " " << n;
            EXPECT_LE(b.right, client.right) << lang << " " << n;
            for (int i = 0; i < n; i++) {
                RECT both;
                EXPECT_FALSE(IntersectRect(&both, &b, &boxes[i])) << lang << " " << n << " " << i;
            }
            boxes[n] = b;
            if (c == chooser())
                continue;
            wchar_t caption[64];
            GetWindowTextW(c, caption, 64);
            HDC dc = GetDC(c);
            SelectObject(dc, (HFONT)SendMessageW(c, WM_GETFONT, 0, 0));
            RECT text = {0, 0, 0, 0};
            DrawTextW(dc, caption, -1, &text, DT_CALCRECT | DT_SINGLELINE);
            ReleaseDC(c, dc);
            EXPECT_LE(text.right + 12, b.right - b.left) << lang << " " << std::wstring(caption).c_str();
        }
        EXPECT_EQ(n, PANEL_CONTROLS);
        const PanelRows rows = panel_rows(client.right * 2 / 3, client.bottom * 2 / 3, true, 2);
        EXPECT_LE(rows.bottom * 3 / 2, client.bottom) << "the histogram's labels are in the window";
        EXPECT_GT(rows.status * 3 / 2, boxes[PANEL_CONTROLS - 1].bottom) << "the panel starts below the controls";
        DestroyWindow(hwnd);
        MSG quit;
        while (PeekMessageW(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        UnregisterClassW(L"Quorvin", GetModuleHandleW(NULL));
    }
}

// Keys as the message loop hands them over.
bool key(HWND target, UINT message, WPARAM code, LPARAM flags = 0) {
    MSG m = {target, message, code, flags, 0, {0, 0}};
    return main_window_key(&m);
}

// Tab goes round every control in the order of the row; Enter and Space
// start and stop, Enter presses a focused button, Alt and a marked letter
// press their button; Escape does nothing.
TEST_F(MainWindowTest, TheKeyboardReachesEveryControl) {
    open(1);
    std::vector<int> order;
    HWND c = chooser();
    for (int i = 0; i < PANEL_CONTROLS; i++) {
        EXPECT_TRUE(GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP);
        order.push_back(GetDlgCtrlID(c));
        c = GetNextDlgTabItem(hwnd, c, FALSE);
    }
    EXPECT_EQ(order, (std::vector<int>{ID_DEVICE_CHOOSER, ID_START_STOP, ID_CLEAR_DATA, ID_CAPTURE_DIAG,
                                       ID_ABOUT, ID_PLOT}));
    EXPECT_EQ(c, chooser()) << "and round again";

    SetFocus(chooser());
    EXPECT_TRUE(key(chooser(), WM_KEYDOWN, VK_RETURN));
    EXPECT_TRUE(run_measuring(run));
    EXPECT_EQ(caption_of(start_button()), L"停止测量(&S)");
    EXPECT_TRUE(key(chooser(), WM_KEYDOWN, VK_RETURN, 1L << 30));
    EXPECT_TRUE(run_measuring(run)) << "a held Enter's repeats do not stop it again";
    EXPECT_TRUE(key(chooser(), WM_KEYDOWN, VK_SPACE));
    EXPECT_FALSE(run_measuring(run));
    EXPECT_TRUE(key(hwnd, WM_KEYDOWN, VK_ESCAPE));
    EXPECT_FALSE(run_measuring(run));

    run->records[0].interval_count = 5;
    HWND clear = GetDlgItem(hwnd, ID_CLEAR_DATA);
    SetFocus(clear);
    EXPECT_TRUE(key(clear, WM_KEYDOWN, VK_RETURN));
    EXPECT_EQ(run->records[0].interval_count, 0u) << "Enter pressed the focused button";
    EXPECT_FALSE(run_measuring(run));

    run->records[0].interval_count = 5;
    EXPECT_TRUE(key(clear, WM_SYSCHAR, L'c'));
    EXPECT_EQ(run->records[0].interval_count, 0u) << "Alt+C: 清除数据(&C)";
    EXPECT_TRUE(key(clear, WM_SYSCHAR, L's'));
    EXPECT_TRUE(run_measuring(run)) << "Alt+S: 开始测量(&S)";
    command(ID_START_STOP);
}

// After Stop the panel is the run's: its rate line (the report clock of the
// shown mouse) and every reading stay as they were at the stop, however long
// after it they are read.
TEST_F(MainWindowTest, ReadingsAndTheRateLineFreezeAtTheStop) {
    open(1);
    reception_start_run(run);
    run->chosen_slot = 1;
    run_set_measuring(run, true);
    int64_t t = 0;
    for (int i = 0; i < 3000; i++) {
        t = 1000000 + i * 10000LL + (i % 3) * 40;  // every 1 ms, delivered up to 8 us late
        run_take_report(run, t, 1, false, nullptr, nullptr);
    }
    g_dev_last_active[1] = t;
    g_fake_counter_now = t + 5000;
    SendMessageW(hwnd, WM_TIMER, TIMER_REPAINT, 0);
    command(ID_START_STOP);  // stop
    EXPECT_FALSE(run_measuring(run));
    SendMessageW(hwnd, WM_TIMER, TIMER_REPAINT, 0);
    static PanelLines at_stop, later;  // zeroed whole, so that they compare whole
    memset(&at_stop, 0, sizeof at_stop);
    memset(&later, 0, sizeof later);
    panel_lines(run, main_window_rate(), &at_stop);
    EXPECT_STREQ(at_stop.rate, L"回报时钟 1000.0 Hz · 填充 100.0 %");
    EXPECT_STREQ(at_stop.rate_reason, L"");
    EXPECT_NE(std::wstring(at_stop.device).find(L"VID_0001"), std::wstring::npos);

    g_fake_counter_now += 10 * 10000000LL;  // ten seconds later
    SendMessageW(hwnd, WM_TIMER, TIMER_REPAINT, 0);
    panel_lines(run, main_window_rate(), &later);
    EXPECT_EQ(memcmp(&later, &at_stop, sizeof later), 0) << later.device;

    // A run too short for a clock: its median rate, and why.
    command(ID_CLEAR_DATA);
    run_set_measuring(run, true);
    for (int i = 0; i < 10; i++)
        run_take_report(run, t += 20000, 1, false, nullptr, nullptr);
    command(ID_START_STOP);
    SendMessageW(hwnd, WM_TIMER, TIMER_REPAINT, 0);
    panel_lines(run, main_window_rate(), &later);
    EXPECT_STREQ(later.rate, L"中位回报率 500.0 Hz");
    EXPECT_STREQ(later.rate_reason, L"（无回报时钟：不足 1000 个报告）");
    g_fake_counter_now = 1;
}

TEST_F(MainWindowTest, ClosingWhileMeasuringRemovesTheRegistrationsThenQuits) {
    open(1);
    command(ID_START_STOP);
    DestroyWindow(hwnd);
    ASSERT_EQ(g_fake_ri.register_calls, 2);
    EXPECT_EQ(g_fake_ri.registrations[1].entries[0].dwFlags, (DWORD)RIDEV_REMOVE);
    EXPECT_EQ(g_fake_ri.registrations[1].entries[1].dwFlags, (DWORD)RIDEV_REMOVE);
    MSG m;
    EXPECT_TRUE(PeekMessageW(&m, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_TRUE(run_measuring(run));  // the switch itself stays on
}

}  // namespace
