// Console mode: command-line choice, the exact status and device lines, and
// whole runs of run_console on a real hidden window with the fake Raw Input.
#include <gtest/gtest.h>
#include <algorithm>
#define JSON_NOEXCEPTION 1  // as the program builds it
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "app/console.h"
#include "app/text_out.h"
#include "capture/usb_session.h"
#include "app/startup.h"
#include "devices/mouse_registry.h"
#include "core/runs/run.h"
#include "core/views/report_json.h"
#include "core/views/texts.h"
#include "engine/reception.h"
#include "gui/plot_hints.h"
#include "tests/fakes/fake_heap.h"
#include "tests/fakes/fake_rawinput.h"
#include "tests/fakes/fake_throttle_settings.h"
#include "tests/fakes/fake_usbpcap_driver.h"
#include "tests/support/capture_builder.h"
#include "tests/support/read_all.h"
#include "tests/fakes/fake_ui_language.h"

namespace {

HANDLE mouse_handle(int n) { return (HANDLE)(INT_PTR)(0x3000 + n); }

LaunchRequest launch(std::initializer_list<const wchar_t*> args,
                     LaunchProgram program = PROGRAM_WINDOW) {
    std::vector<wchar_t*> argv;
    argv.push_back(const_cast<wchar_t*>(L"quorvin.exe"));
    for (const wchar_t* a : args)
        argv.push_back(const_cast<wchar_t*>(a));
    LaunchRequest req;
    parse_launch((int)argv.size(), argv.data(), &req, program);
    return req;
}

TEST(LaunchTest, HelpVersionAndWhatEachProgramDoesWithTheUnknown) {
    for (LaunchProgram p : {PROGRAM_WINDOW, PROGRAM_CLI}) {
        for (const wchar_t* help : {L"--help", L"-h", L"/?"})
            EXPECT_EQ(launch({help}, p).mode, LAUNCH_HELP);
        EXPECT_EQ(launch({L"--version"}, p).mode, LAUNCH_VERSION);
        EXPECT_EQ(launch({L"--list"}, p).mode, LAUNCH_LIST);
        EXPECT_EQ(launch({L"-c", L"1", L"5"}, p).mode, LAUNCH_CONSOLE);
        EXPECT_EQ(launch({L"--pcap", L"f"}, p).mode, LAUNCH_PCAP);
    }
    // The window program opens the window for anything else; the console
    // program prints its usage without arguments and refuses what it does not know.
    EXPECT_EQ(launch({L"--xyz"}).mode, LAUNCH_WINDOW);
    EXPECT_EQ(launch({}, PROGRAM_CLI).mode, LAUNCH_HELP);
    LaunchRequest unknown = launch({L"--xyz", L"-c"}, PROGRAM_CLI);
    EXPECT_EQ(unknown.mode, LAUNCH_UNKNOWN);
    EXPECT_STREQ(unknown.unknown, L"--xyz");
    EXPECT_EQ(launch({L"-H"}, PROGRAM_CLI).mode, LAUNCH_UNKNOWN);
    // After a mode, an unknown option is refused by both programs.
    EXPECT_STREQ(launch({L"-c", L"0", L"10", L"--cvs", L"f"}).unknown, L"--cvs");

    std::wstring cli = usage_text(PROGRAM_CLI), window = usage_text(PROGRAM_WINDOW);
    EXPECT_NE(cli.find(L"Usage: quorvin-cli.exe [OPTION]\n"), std::wstring::npos);
    EXPECT_NE(window.find(L"Usage: quorvin.exe [OPTION]\n"), std::wstring::npos);
    EXPECT_NE(window.find(L"  (no option)                      open the window\n"), std::wstring::npos);
    // --chatter-ms among the options that follow a mode, not after --version.
    EXPECT_LT(cli.find(L"  --slot N "), cli.find(L"  --chatter-ms N "));
    EXPECT_LT(cli.find(L"  --chatter-ms N "), cli.find(L"  --lang en|zh "));
}

TEST(LaunchTest, LangChoosesTheLanguageFromAnywhereElseTheUiLanguageDoes) {
    LaunchRequest zh = launch({L"-c", L"0", L"--lang", L"zh", L"10"}, PROGRAM_CLI);
    EXPECT_EQ(zh.mode, LAUNCH_CONSOLE);
    EXPECT_EQ(zh.run_seconds, 10);
    EXPECT_EQ(texts_lang(), LANG_ZH);
    EXPECT_EQ(launch({L"--lang", L"en"}).mode, LAUNCH_WINDOW);
    EXPECT_EQ(texts_lang(), LANG_EN);
    g_fake_ui_chinese = true;
    launch({L"--version"});
    EXPECT_EQ(texts_lang(), LANG_ZH);
    LaunchRequest bad = launch({L"--lang", L"fr"});
    g_fake_ui_chinese = false;
    EXPECT_EQ(bad.mode, LAUNCH_REFUSED);
    EXPECT_STREQ(bad.error, L"--lang 只接受 en 或 zh，不是 'fr'。");
    launch({});
    EXPECT_EQ(texts_lang(), LANG_EN);
}

TEST(LaunchTest, SwitchesAreExactAndOnlyFirst) {
    EXPECT_EQ(launch({}).mode, LAUNCH_WINDOW);
    EXPECT_EQ(launch({L"-C"}).mode, LAUNCH_WINDOW);
    EXPECT_EQ(launch({L"--Console"}).mode, LAUNCH_WINDOW);
    EXPECT_EQ(launch({L"x", L"-c"}).mode, LAUNCH_WINDOW);
    EXPECT_EQ(launch({L"--console"}).mode, LAUNCH_CONSOLE);
    LaunchRequest req = launch({L"-c"});
    EXPECT_EQ(req.mode, LAUNCH_CONSOLE);
    EXPECT_EQ(req.device_index, -1);
    EXPECT_EQ(req.run_seconds, 0);
    LaunchRequest unsplit;
    parse_launch(0, NULL, &unsplit);
    EXPECT_EQ(unsplit.mode, LAUNCH_WINDOW);
}

// INDEX is a whole number; one that names no mouse is the console's to note.
TEST(LaunchTest, DeviceIndexIsAWholeNumber) {
    EXPECT_EQ(launch({L"-c", L"2"}).device_index, 2);
    EXPECT_EQ(launch({L"-c", L"  -3"}).device_index, -3);
    EXPECT_EQ(launch({L"-c", L"99"}).device_index, 99);
    for (const wchar_t* index : {L"mouse", L"7x", L"1.5", L""}) {
        LaunchRequest req = launch({L"-c", index, L"5"}, PROGRAM_CLI);
        EXPECT_EQ(req.mode, LAUNCH_REFUSED) << index;
        EXPECT_EQ(std::wstring(req.error), L"INDEX must be a whole number (0 = all mice, 1 and up one "
                                            L"mouse; --list shows them), not '" +
                                                std::wstring(index) + L"'.");
    }
}

TEST(LaunchTest, RunSecondsAndModeArguments) {
    EXPECT_EQ(launch({L"-c", L"0", L"10"}).run_seconds, 10);
    EXPECT_EQ(launch({L"-c", L"0", L"2.5"}).run_seconds, 2.5);
    LaunchRequest req = launch({L"-c", L"3", L"--csv", L"r.csv", L"5"});
    EXPECT_EQ(req.mode, LAUNCH_CONSOLE);
    EXPECT_STREQ(req.device_arg, L"3");
    EXPECT_EQ(req.run_seconds, 5);
    EXPECT_STREQ(req.csv_path, L"r.csv");
}

// Whatever cannot run is refused before anything is opened, with the reason;
// --help anywhere after a mode wins over everything.
const struct {
    std::initializer_list<const wchar_t*> args;
    LaunchMode mode;
    const wchar_t* reason;  // a part of the error line
} kArgumentCases[] = {
    {{L"-c", L"1", L"abc"}, LAUNCH_REFUSED,
     L"SECONDS must be a positive number (like 10 or 2.5), not 'abc'"},
    {{L"-c", L"abc"}, LAUNCH_REFUSED, L"INDEX must be a whole number"},
    {{L"-c", L"1", L"x"}, LAUNCH_REFUSED, L"SECONDS must be a positive number"},
    {{L"-c", L"0"}, LAUNCH_CONSOLE, L""},
    {{L"-c", L"2", L"5"}, LAUNCH_CONSOLE, L""},
    {{L"-c", L"0", L"-5"}, LAUNCH_REFUSED, L"not '-5'"},
    {{L"-c", L"0", L"0"}, LAUNCH_REFUSED, L"not '0'"},
    {{L"-c", L"0", L"10s"}, LAUNCH_REFUSED, L"not '10s'"},
    {{L"-c", L"0", L"inf"}, LAUNCH_REFUSED, L"not 'inf'"},
    {{L"-c", L"0", L"3", L"extra"}, LAUNCH_REFUSED,
     L"unexpected argument 'extra': -c takes INDEX and SECONDS"},
    {{L"--pcap", L"a", L"b"}, LAUNCH_REFUSED,
     L"unexpected argument 'b': --pcap takes one capture file"},
    {{L"--pcap"}, LAUNCH_REFUSED, L"--pcap needs the name of a capture file"},
    {{L"--compare", L"c.pcap"}, LAUNCH_REFUSED, L"--compare needs a capture file and a -c run's CSV"},
    {{L"-c", L"0", L"1", L"--csv", L""}, LAUNCH_REFUSED,
     L"--csv needs the name of the file to write (like --csv run.csv)"},
    {{L"-c", L"0", L"1", L"--csv"}, LAUNCH_REFUSED, L"--csv needs the name"},
    {{L"-c", L"0", L"1", L"--usb-save"}, LAUNCH_REFUSED,
     L"--usb-save needs the name of the file to write (like --usb-save usb.pcap)"},
    {{L"--pcap", L"F", L"--usb"}, LAUNCH_REFUSED,
     L"--usb does not combine with --pcap: it captures USB during a live measurement"},
    {{L"--compare", L"c", L"r", L"--usb-save", L"u"}, LAUNCH_REFUSED,
     L"--usb-save does not combine with --compare"},
    {{L"--compare", L"c", L"r", L"--csv", L"F"}, LAUNCH_REFUSED,
     L"--csv does not combine with --compare"},
    {{L"-c", L"0", L"1", L"--csv", L"run.csv", L"--usb-save", L"RUN.CSV"}, LAUNCH_REFUSED,
     L"--csv and --usb-save name the same file"},
    {{L"--pcap", L"cap.pcap", L"--csv", L"./cap.pcap"}, LAUNCH_REFUSED,
     L"--csv names the capture itself"},
    {{L"--compare", L"cap.pcap", L"r.csv", L"--json", L"CAP.pcap"}, LAUNCH_REFUSED,
     L"--json names the capture itself"},
    {{L"--ab", L"a.csv", L"b.csv", L"--json", L"./b.csv"}, LAUNCH_REFUSED,
     L"--json names a CSV being read"},
    {{L"-c", L"0", L"1", L"--usb-save", L"u.pcap", L"--json", L"u.pcap"}, LAUNCH_REFUSED,
     L"--json and --usb-save name the same file"},
    {{L"--analyze", L"r.csv", L"--json"}, LAUNCH_REFUSED,
     L"--json needs the name of the file to write (like --json report.json)"},
    {{L"-c", L"1", L"--slot", L"2"}, LAUNCH_REFUSED,
     L"--slot works only with --compare, --analyze and --ab; with -c INDEX chooses the mouse"},
    {{L"--compare", L"c", L"r", L"--slot", L"x"}, LAUNCH_REFUSED,
     L"--slot needs a mouse number from 0 to 63 (0 = all mice), not 'x'"},
    {{L"--compare", L"c", L"r", L"--slot", L"64"}, LAUNCH_REFUSED, L"not '64'"},
    {{L"--csv", L"f", L"-c"}, LAUNCH_REFUSED,
     L"--csv follows a mode: -c, --pcap, --compare, --analyze or --ab comes first"},
    {{L"--analyze"}, LAUNCH_REFUSED, L"--analyze needs the CSV of a -c run"},
    {{L"--analyze", L"r.csv", L"--csv", L"F"}, LAUNCH_REFUSED, L"--csv does not combine with --analyze"},
    {{L"-c", L"--help"}, LAUNCH_HELP, L""},
    {{L"--pcap", L"F", L"--usb", L"-h"}, LAUNCH_HELP, L""},
    {{L"--xyz", L"/?"}, LAUNCH_HELP, L""},
    {{L"-c", L"1", L"abc", L"--bogus"}, LAUNCH_UNKNOWN, L""},
    {{L"-c", L"-1", L"2.5", L"--usb"}, LAUNCH_CONSOLE, L""},
    {{L"--compare", L"c", L"r", L"1.2.0x81", L"--slot", L"0"}, LAUNCH_COMPARE, L""},
    {{L"--analyze", L"r.csv", L"--slot", L"2"}, LAUNCH_ANALYZE, L""},
    {{L"--ab", L"a.csv"}, LAUNCH_REFUSED, L"--ab needs the CSVs of two -c runs"},
    {{L"--ab", L"a.csv", L"b.csv", L"c.csv"}, LAUNCH_REFUSED,
     L"unexpected argument 'c.csv': --ab takes two CSV files"},
    {{L"--ab", L"a.csv", L"b.csv", L"--slot", L"x"}, LAUNCH_REFUSED, L"--slot needs a mouse number"},
    {{L"--ab", L"a.csv", L"--slot", L"3", L"b.csv"}, LAUNCH_AB, L""},
    {{L"-c", L"0", L"--chatter-ms", L"0.4"}, LAUNCH_REFUSED,
     L"--chatter-ms takes milliseconds from 0.5 to 100 (like --chatter-ms 10), not '0.4'"},
    {{L"--analyze", L"r.csv", L"--chatter-ms", L"100.5"}, LAUNCH_REFUSED, L"not '100.5'"},
    {{L"--analyze", L"r.csv", L"--chatter-ms"}, LAUNCH_REFUSED, L"not ''"},
    {{L"--pcap", L"F", L"--chatter-ms", L"5"}, LAUNCH_REFUSED,
     L"--chatter-ms works only with -c and --analyze, not with --pcap"},
    {{L"--chatter-ms", L"5", L"-c"}, LAUNCH_REFUSED, L"--chatter-ms follows a mode"},
};

TEST(LaunchTest, ChatterMsSetsTheThresholdOfARunOrAnAnalysis) {
    EXPECT_EQ(launch({L"-c", L"0", L"5"}).chatter_ms, 10.0);
    EXPECT_EQ(launch({L"-c", L"0", L"--chatter-ms", L"0.5", L"5"}).chatter_ms, 0.5);
    const LaunchRequest analyze = launch({L"--analyze", L"r.csv", L"--chatter-ms", L"100"});
    EXPECT_EQ(analyze.mode, LAUNCH_ANALYZE);
    EXPECT_EQ(analyze.chatter_ms, 100.0);
}

TEST(LaunchTest, ArgumentsThatCannotRunAreRefusedWithTheirReason) {
    for (const auto& c : kArgumentCases) {
        std::string args;
        for (const wchar_t* a : c.args)
            args += std::string(a, a + wcslen(a)) + " ";
        LaunchRequest req = launch(c.args, PROGRAM_CLI);
        EXPECT_EQ(req.mode, c.mode) << args;
        EXPECT_NE(std::wstring(req.error).find(c.reason), std::wstring::npos) << args;
    }
}

std::string status_line(const StatsReadings& r) {
    char buf[256];
    format_status_line(buf, sizeof buf, &r);
    return buf;
}

TEST(StatusLineTest, ZerosAndTheLargestRate) {
    StatsReadings r = {};
    EXPECT_EQ(status_line(r),
              "\rAvg=     0.0 Hz  MinInst=     0.0 Hz  MaxInst=     0.0 Hz  CurMin=     0.0 Hz  "
              "Count=0  Time=0.0s");

    // 101 reports exactly 100 us apart.
    StatsSnapshot s = {};
    s.interval_count = 100;
    s.interval_sum_us = 10000;
    s.max_interval_us = 100;
    s.min_interval_us = 100;
    s.window_max_us = 100;
    s.elapsed_ms = 10;
    stats_derive_readings(&s, &r);
    EXPECT_EQ(status_line(r),
              "\rAvg= 10000.0 Hz  MinInst= 10000.0 Hz  MaxInst= 10000.0 Hz  CurMin= 10000.0 Hz  "
              "Count=100  Time=0.0s");

    s.interval_count = 18446744073709551615ull;
    s.elapsed_ms = 12345;
    stats_derive_readings(&s, &r);
    EXPECT_NE(status_line(r).find("Count=18446744073709551615  Time=12.3s"), std::string::npos);
}

class RunConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_rawinput_reset();
        fake_heap_reset();
        fake_throttle_reset();
        g_console_run = 1;
        console_run_for_tests()->chosen_slot = -1;
        out = tmpfile();
        ASSERT_NE(out, nullptr);
        g_console_out = out;
        g_error_out = out;
    }
    void TearDown() override {
        g_console_out = NULL;
        g_error_out = NULL;
        fclose(out);
    }
    std::string output() { return read_all(out); }
    static void two_mice() {
        fake_rawinput_add_device(mouse_handle(1), RIM_TYPEMOUSE, L"\\\\?\\HID#VID_845E&PID_0001#1");
        fake_rawinput_add_device(mouse_handle(2), RIM_TYPEMOUSE, L"\\\\?\\HID#VID_046D&PID_C08B#2");
    }
    FILE* out;
};

TEST_F(RunConsoleTest, EmptyRegistryEndsWithOne) {
    EXPECT_EQ(run_console(-1, 0), 1);
    EXPECT_EQ(output(), "No mouse found via Raw Input.\n");
    EXPECT_EQ(g_fake_ri.register_calls, 0);
}

TEST_F(RunConsoleTest, IndexChoosesTheSlotAndNamesIt) {
    two_mice();
    EXPECT_EQ(run_console(1, 0.05), 0);
    EXPECT_EQ(console_run_for_tests()->chosen_slot, 1);
    EXPECT_EQ(output().rfind("Device: Mouse VID_845E PID_0001\n"
                             "Move the mouse to measure. Ctrl+C to quit.\n\n", 0),
              0u);
    for (int index : {-1, 0, -5, 3, 99}) {
        run_console(index, 0.05);
        EXPECT_EQ(console_run_for_tests()->chosen_slot, 0) << index;
    }
    EXPECT_NE(output().find("Device: All mice (2)\n"), std::string::npos);

    // One mouse: index 1 is that mouse, index 2 is beyond the registry.
    fake_rawinput_reset();
    fake_rawinput_add_device(mouse_handle(1), RIM_TYPEMOUSE, L"\\\\?\\HID#VID_845E&PID_0001#1");
    for (int index : {1, 2}) {
        run_console(index, 0.05);
        EXPECT_EQ(console_run_for_tests()->chosen_slot, index == 1 ? 1 : 0) << index;
    }
}

TEST_F(RunConsoleTest, AnIndexThatNamesNoMouseIsNotedAndAllMiceMeasured) {
    two_mice();
    for (const wchar_t* index : {L"5", L"-1", L"abc"}) {
        ConsoleRun run = {_wtoi(index), 0.05, NULL, false, NULL, index, NULL};
        EXPECT_EQ(run_console_with(&run), 0);
        EXPECT_EQ(console_run_for_tests()->chosen_slot, 0);
        const std::string note = "Note: INDEX " + std::string(index, index + wcslen(index)) +
                                 " names no mouse (2 mice found: 1 to 2; 0 = all mice); measuring "
                                 "all mice.\nDevice: All mice (2)\n";
        EXPECT_NE(output().find(note), std::string::npos) << output();
    }
    for (const wchar_t* index : {L"0", L"2"}) {
        rewind(out);
        ConsoleRun run = {_wtoi(index), 0.05, NULL, false, NULL, index, NULL};
        run_console_with(&run);
        EXPECT_EQ(output().rfind("Device: ", 0), 0u) << "no note for " << index[0];
    }
}

TEST_F(RunConsoleTest, OneReportStillPrintsZeros) {
    StatsReadings r;
    static DeviceStats rec;
    stats_record_init(&rec, 10000000.0);
    record_arrival(&rec, 123456);
    stats_read(&rec, &r);
    stats_record_free(&rec);
    EXPECT_EQ(status_line(r),
              "\rAvg=     0.0 Hz  MinInst=     0.0 Hz  MaxInst=     0.0 Hz  CurMin=     0.0 Hz  "
              "Count=0  Time=0.0s");
}

TEST_F(RunConsoleTest, TimedRunEndsLikeCtrlC) {
    two_mice();
    EXPECT_EQ(run_console(0, 0.2), 0);
    std::string text = output();
    const std::string last_line =
        "\rAvg=     0.0 Hz  MinInst=     0.0 Hz  MaxInst=     0.0 Hz  CurMin=     0.0 Hz  "
        "Count=0  Time=0.0s\nBackground reports: 0 of 0\nSummary: ";
    EXPECT_NE(text.find(last_line), std::string::npos);
    EXPECT_FALSE(run_measuring(console_run_for_tests()));
    EXPECT_EQ(g_console_run, 0);

    ASSERT_EQ(g_fake_ri.register_calls, 2);
    const FakeRegistration& start = g_fake_ri.registrations[0];
    EXPECT_EQ(start.count, 2u);
    EXPECT_EQ(start.entry_size, 16u);
    EXPECT_EQ(start.entries[0].usUsagePage, 0x01);
    EXPECT_EQ(start.entries[0].usUsage, 0x02);
    EXPECT_EQ(start.entries[0].dwFlags, 0x2100u);
    EXPECT_NE(start.entries[0].hwndTarget, nullptr);
    EXPECT_EQ(start.entries[1].usUsage, 0x06);
    EXPECT_EQ(start.entries[1].dwFlags, 0x2000u);
    EXPECT_EQ(start.entries[1].hwndTarget, start.entries[0].hwndTarget);
    const FakeRegistration& end = g_fake_ri.registrations[1];
    EXPECT_EQ(end.entries[0].usUsage, 0x02);
    EXPECT_EQ(end.entries[0].dwFlags, 0x0001u);
    EXPECT_EQ(end.entries[0].hwndTarget, nullptr);
    EXPECT_EQ(end.entries[1].usUsage, 0x06);
    EXPECT_EQ(end.entries[1].dwFlags, 0x0001u);
    EXPECT_EQ(end.entries[1].hwndTarget, nullptr);
}

TEST_F(RunConsoleTest, EachRunTearsDownWhatItSetUpSoTheNextRunsInFull) {
    two_mice();
    for (int run = 0; run < 2; run++) {
        DWORD start = GetTickCount();
        EXPECT_EQ(run_console(0, 0.2), 0);
        EXPECT_GE(GetTickCount() - start, 150u) << "run " << run << " returned at once";
        EXPECT_EQ(FindWindowExW(HWND_MESSAGE, NULL, L"QuorvinConsoleHidden", NULL), nullptr);
        MSG m;
        EXPECT_FALSE(PeekMessageW(&m, NULL, 0, 0, PM_NOREMOVE)) << "a message was left behind";
    }
    EXPECT_EQ(g_fake_ri.register_calls, 4);
}

TEST_F(RunConsoleTest, ThrottleWarningBeforeMeasuringAndBackgroundReportsAfterTheLastLine) {
    two_mice();
    g_fake_throttle.enabled = ThrottleValue{true, 1};
    EXPECT_EQ(run_console(0, 0.05), 0);
    std::string text = output();
    EXPECT_NE(text.find(
                  "Device: All mice (2)\n"
                  "Warning: Windows limits background mouse input to about 125 Hz "
                  "(RawMouseThrottleEnabled=1, 8 ms), and console mode always listens in the "
                  "background. For true rates use the window, or set the DWORD "
                  "RawMouseThrottleEnabled=0 under HKEY_CURRENT_USER\\Control Panel\\Mouse and "
                  "sign in again.\n"
                  "Move the mouse to measure."),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Time=0.0s\nBackground reports: 0 of 0\nSummary: "), std::string::npos);

    // Windows 11 without the value: on, shown as absent, with the system's period.
    fake_throttle_reset();
    g_fake_throttle.build = 22631;
    g_fake_throttle.duration = ThrottleValue{true, 4};
    run_console(0, 0.05);
    EXPECT_NE(output().find("about 250 Hz (RawMouseThrottleEnabled=absent, 4 ms)"), std::string::npos);

    // Turned off, or a build before the throttle: no warning.
    for (uint32_t build : {22631u, 19045u}) {
        fake_throttle_reset();
        g_fake_throttle.build = build;
        if (build == 22631)
            g_fake_throttle.enabled = ThrottleValue{true, 0};
        run_console(0, 0.05);
        std::string all = output();
        EXPECT_EQ(all.find("Warning:", all.rfind("Device:")), std::string::npos) << build;
    }
}

TEST(ConsoleLinesTest, BackgroundLineNamesTheThrottleOnlyWhenItsSignatureShows) {
    StatsReadings r = {};
    r.background_count = 250;
    r.arrival_count = 250;
    char line[192];
    format_background_line(line, sizeof line, &r, 8000);
    EXPECT_STREQ(line, "Background reports: 250 of 250\n");
    r.throttle_signature = true;
    format_background_line(line, sizeof line, &r, 8000);
    EXPECT_STREQ(line,
                 "Background reports: 250 of 250 (throttled: Windows delivered them at whole "
                 "multiples of 8 ms)\n");
}

TEST_F(RunConsoleTest, SummaryBlockAndCsvAfterTheRun) {
    two_mice();
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"qcv", 0, path);
    EXPECT_EQ(run_console(1, 0.05, path), 0);
    const std::string end =
        "Background reports: 0 of 0\n"
        "Summary: Mouse VID_845E PID_0001, 0.0 s\n"
        "Intervals (us): n=0 mean=0.0 sd=0.0 min=0.0 max=0.0\n"
        "Percentiles (us): p0.1=0.0 p1=0.0 p50=0.0 p99=0.0 p99.9=0.0\n"
        "Rates (Hz): median=0.00 p1=0.00 p99=0.00\n"
        "Stability: 0.0% of intervals within 10% of the median\n"
        "Coalesced: 0  Pauses: 0  Background: 0\n"
        "Reading: batches=0 max_batch=0 batched_reports=0\n"
        "Report clock: none (fewer than 1000 reports)\n"
        "Motion: moving=0 idle=0 saturated=0 median_speed=0.0 counts/s\n"
        "While moving: n=0 median_hz=0.0 p1_hz=0.0 p99_hz=0.0 (intervals between consecutive "
        "moving reports)\n"
        "No reports received: move the mouse during the measurement.\n";
    std::string text = output();
    ASSERT_GE(text.size(), end.size());
    EXPECT_EQ(text.substr(text.size() - end.size()), end);
    FILE* csv = _wfopen(path, L"rb");
    ASSERT_NE(csv, nullptr);
    EXPECT_EQ(read_all(csv), "t_us,slot,interval_us,class,background,utc_us,dx,dy,buttons,wheel,flags\n");
    fclose(csv);
    DeleteFileW(path);

    // A file that cannot be created costs no run.
    int before = g_fake_ri.register_calls;
    EXPECT_EQ(run_console(0, 0.05, L"Z:\\no\\such\\folder\\run.csv"), 1);
    EXPECT_NE(output().find("Error: cannot create Z:\\no\\such\\folder\\run.csv for --csv: "),
              std::string::npos);
    EXPECT_EQ(g_fake_ri.register_calls, before);
}

TEST(ConsoleLinesTest, SummaryRatesComeFromTheOppositePercentiles) {
    Distribution d = {};
    d.n = 4998;
    d.mean_us = 2000.44;
    d.sd_us = 35.06;
    d.min_us = 1712.3;
    d.max_us = 2566.0;
    const double p[PCT_COUNT] = {1750.2, 1880.0, 2000.1, 2120.7, 2400.3};
    for (int i = 0; i < PCT_COUNT; i++)
        d.pct_us[i] = p[i];
    d.stability_pct = 97.26;
    d.coalesced = 3, d.pauses = 2;
    StatsReadings r = {};
    r.elapsed_s = 10.04;
    r.batch_count = 4990;
    r.max_batch = 3;
    r.batched_reports = 17;
    // reports, moving, idle, saturated, single, speed; n and the rates while moving
    const MotionFigures m = {4200, 4100, 12, 3, 900, 6012.34, 4080, 500.04, 471.5, 531.96, false, 0};
    ReportClockFigures clock = {};
    clock.refusal = REPORT_CLOCK_NO_PERIOD;
    static ArrivalLog empty;
    ArrivalView view;
    arrival_view_take(&view, &empty, ARRIVAL_READER_TEST);
    char text[1024];
    format_summary(text, sizeof text, "All mice (2)", &r, &d, &clock, &m, &view, 1e7);
    arrival_view_release(&view);
    EXPECT_STREQ(text,
                 "Summary: All mice (2), 10.0 s\n"
                 "Intervals (us): n=4998 mean=2000.4 sd=35.1 min=1712.3 max=2566.0\n"
                 "Percentiles (us): p0.1=1750.2 p1=1880.0 p50=2000.1 p99=2120.7 p99.9=2400.3\n"
                 "Rates (Hz): median=499.98 p1=471.54 p99=531.91\n"
                 "Stability: 97.3% of intervals within 10% of the median\n"
                 "Coalesced: 3  Pauses: 2  Background: 0\n"
                 "Reading: batches=4990 max_batch=3 batched_reports=17\n"
                 "Report clock: none (the times follow no fixed period)\n"
                 "Motion: moving=4100 idle=12 saturated=3 median_speed=6012.3 counts/s\n"
                 "While moving: n=4080 median_hz=500.0 p1_hz=471.5 p99_hz=532.0 (intervals "
                 "between consecutive moving reports)\n");
}

TEST(ConsoleLinesTest, TheClockLineGivesItsFiguresOrWhyThereAreNone) {
    // period, rate, drift, nominal, filled, jitter p50 and p99
    ReportClockFigures clock = {2000.0244, 499.9939, -12.2, 2000, 99.96, 40.04, 210, 0, 0,
                                REPORT_CLOCK_OK, 0};
    char text[256];
    format_clock_line(text, sizeof text, &clock);
    EXPECT_STREQ(text, "Report clock: period_us=2000.024 rate_hz=500.0 drift_ppm=-12 filled=100.0% "
                       "jitter_p50_us=40.0 jitter_p99_us=210.0\n");
    clock.refusal = REPORT_CLOCK_TOO_FEW;
    format_clock_line(text, sizeof text, &clock);
    EXPECT_STREQ(text, "Report clock: none (fewer than 1000 reports)\n");
    clock.refusal = REPORT_CLOCK_LATE_READS;
    clock.late_periods = 6;
    format_clock_line(text, sizeof text, &clock);
    EXPECT_STREQ(text, "Report clock: none (reads came up to 6 periods late, too late to place reports on "
                       "one lattice)\n");
}

TEST(ConsoleLinesTest, HintsOneLineEachOnlyWhenTheyApply) {
    MotionFigures m = {};
    m.reports = 1000;
    m.moving = 900;
    m.idle = 60;
    m.saturated = 18;
    m.median_speed = 2000;
    m.single = 500;
    ReportClockFigures clock = {};
    clock.rate_hz = 8000;
    clock.filled_pct = 25;
    MotionHints h;
    motion_hints_of(&m, &clock, &h);
    char text[1024];
    format_motion_hints(text, sizeof text, &h, &m);
    EXPECT_STREQ(text,
                 "Hint: the hand limited the rate: most moving reports carried a single count, and "
                 "the median speed, 2000 counts/s, is well below the 8000 reports/s the mouse "
                 "reached while moving; move about 4.0 times faster (8000 counts/s or more) so "
                 "that every report has a count to carry.\n"
                 "Hint: 2.0% of moving reports were saturated (a delta of 127 or 128): the mouse "
                 "reports 8-bit deltas; move slower or lower the CPI.\n"
                 "Hint: 6.0% of reports were idle (no motion, button or wheel change): the mouse "
                 "sends reports without motion, as some firmware does to fake a rate.\n");
    texts_set_lang(LANG_ZH);
    format_motion_hints(text, sizeof text, &h, &m);
    texts_set_lang(LANG_EN);
    EXPECT_STREQ(text,
                 "Hint: 手速限制了回报率：大多数移动回报只带 1 个计数，中位速度 2000 计数/秒，"
                 "远低于鼠标移动时达到的 8000 回报/秒；请移动快约 4.0 倍（8000 计数/秒或更快），"
                 "让每个回报都有计数可带。\n"
                 "Hint: 2.0% 的移动回报饱和（位移为 127 或 128）：鼠标以 8 位报告位移；请慢些移动"
                 "或降低 CPI。\n"
                 "Hint: 6.0% 的回报无移动（没有位移、按键或滚轮变化）：鼠标在不动时也发送回报，"
                 "有的固件借此虚报回报率。\n");
    m.saturated = 9;
    m.idle = 50;
    clock.rate_hz = 2000;
    motion_hints_of(&m, &clock, &h);
    format_motion_hints(text, sizeof text, &h, &m);
    EXPECT_STREQ(text, "");
}

// The report as the file holds it.
nlohmann::json json_of(const JsonReport* j) {
    FILE* f = tmpfile();
    EXPECT_TRUE(f && json_report_write(j, f));
    const std::string text = f ? read_all(f) : "";
    if (f)
        fclose(f);
    return nlohmann::json::parse(text, nullptr, false);
}

// The Button, Wheel and HWheel lines after the motion lines, their hints in
// either language, and the JSON under the same names.
TEST(ConsoleLinesTest, ButtonAndWheelLinesTheirHintsAndTheirJson) {
    ButtonsSnapshot b = {};
    b.chatter_ms = 10;
    // presses, holds, held p50 and min, gaps, shortest gap, chatter
    b.button[BUTTON_LEFT] = {34, 34, 61.04, 16.2, 33, 3.8, 4, false};
    b.button[BUTTON_BACK] = {1, 0, 0, 0, 0, 0, 0, false};  // pressed as the run ended
    b.wheel = {100, 10, 90, 3};
    b.hwheel = {4, 1, 3, 0};
    const Distribution d = {};
    const StatsReadings r = {};
    const MotionFigures m = {};
    ReportClockFigures clock = {};
    clock.refusal = REPORT_CLOCK_TOO_FEW;
    char text[4096];
    format_summary(text, sizeof text, "All mice (2)", &r, &d, &clock, &m, NULL, 0, &b);
    const std::string summary = text;
    EXPECT_NE(summary.find(" (intervals between consecutive moving reports)\n"
                           "Button left: presses=34 held_p50_ms=61.0 held_min_ms=16.2 "
                           "release_to_press_min_ms=3.8 chatter=4\n"
                           "Button back: presses=1 held_p50_ms=none held_min_ms=none "
                           "release_to_press_min_ms=none chatter=0\n"
                           "Wheel: notches=100 down=90 up=10 reversals=3\n"
                           "HWheel: notches=4 left=3 right=1 reversals=0\n"),
              std::string::npos)
        << summary;
    format_button_hints(text, sizeof text, &b);
    EXPECT_STREQ(text,
                 "Hint: the left button chattered: 4 of its 34 presses came less than 10.0 ms "
                 "after its release (the shortest gap 3.8 ms). A switch that bounces like this "
                 "double-clicks by itself.\n"
                 "Hint: 3.0% of the wheel's notches (3 of 100) went against the scroll, each a "
                 "lone notch between notches the other way: a worn or dirty wheel jumps back "
                 "like this.\n");
    texts_set_lang(LANG_ZH);
    format_button_hints(text, sizeof text, &b);
    texts_set_lang(LANG_EN);
    EXPECT_STREQ(text,
                 "Hint: 左键抖动：4 次按下（共 34 次）距该键松开不到 10.0 ms（最短间隔 3.8 ms）。"
                 "这样回弹的微动开关会自己双击。\n"
                 "Hint: 3.0% 的滚轮刻度（3 / 100）与滚动方向相反，每次都是夹在反方向刻度之间的"
                 "单独一格：磨损或脏污的滚轮会这样回跳。\n");
    const JsonSummaryLog whole = {-1, false, 0};
    const JsonConditions unknown = {};
    JsonReport* j = json_report_new("analyze", "1.2.3", &unknown);
    json_report_summary(j, "run.csv", &r, &d, &clock, &m, &whole, &b);
    const nlohmann::json s = json_of(j)["summary"];
    json_report_free(j);
    EXPECT_EQ(s["buttons"]["left"], nlohmann::json::parse(
        R"({"presses":34,"held_p50_ms":61.04,"held_min_ms":16.2,"release_to_press_min_ms":3.8,"chatter":4})"));
    EXPECT_TRUE(s["buttons"]["back"]["held_p50_ms"].is_null());
    EXPECT_EQ(s["buttons"]["forward"]["presses"], 0);
    EXPECT_EQ(s["chatter_ms"], 10.0);
    EXPECT_EQ(s["wheel"]["down"], 90);
    EXPECT_EQ(s["hwheel"]["left"], 3);
    EXPECT_EQ(s["hints"]["chatter"], true);
    EXPECT_EQ(s["hints"]["wheel_reversals"], true);
    EXPECT_EQ(s["hints"]["hwheel_reversals"], false);
    b.button[BUTTON_LEFT].chatter = 0;
    b.wheel.reversals = 2;  // 2 %: not over it
    format_button_hints(text, sizeof text, &b);
    EXPECT_STREQ(text, "");
}

// The hints every front end shows come from one verdict: the console's
// lines, the JSON's summary and the plot's hint line say the same. The jig's
// stream first: a count at nearly every slot of a 1000 Hz clock, with a fast
// end of 4000 Hz from the delivery's jitter; then a hand that fills two
// slots in five.
TEST(ConsoleLinesTest, TheHintsOfEveryFrontEndAgree) {
    MotionFigures m = {};
    m.reports = 4000;
    m.moving = 3990;
    m.single = 3950;
    m.median_speed = 1000;
    m.moving_n = 3900;
    m.moving_median_hz = 1000;
    m.moving_p99_hz = 4000;
    ReportClockFigures clock = {};
    clock.rate_hz = 1000;
    clock.filled_pct = 98.7;
    const Distribution d = {};
    const StatsReadings r = {};
    const JsonSummaryLog whole = {-1, false, 0};
    const JsonConditions unknown = {};
    for (bool hand : {false, true}) {
        if (hand) {
            m.median_speed = 400;
            clock.filled_pct = 40;
        }
        MotionHints h;
        motion_hints_of(&m, &clock, &h);
        char console[1024];
        format_motion_hints(console, sizeof console, &h, &m);
        wchar_t plot[256];
        plot_hints_text(plot, 256, &h, &m);
        JsonReport* j = json_report_new("analyze", "1.2.3", &unknown);
        json_report_summary(j, "run.csv", &r, &d, &clock, &m, &whole);
        const nlohmann::json hints = json_of(j)["summary"]["hints"];
        json_report_free(j);
        EXPECT_EQ(hints["hand_limited"], hand);
        EXPECT_EQ(std::string(console).find("Hint: the hand limited") == 0, hand) << console;
        EXPECT_EQ(std::wstring(plot).find(L"The hand limited") == 0, hand);
        if (hand) {
            EXPECT_EQ(hints["faster_by"], 2.5);
            EXPECT_NE(std::string(console).find("move about 2.5 times faster"), std::string::npos);
            EXPECT_NE(std::wstring(plot).find(L"move about 2.5 times faster"), std::wstring::npos);
        }
    }
}

// In Chinese only the sentences change: every key, name and figure of the
// block stays as scripts read it.
TEST(ConsoleLinesTest, ChineseSentencesAfterEnglishKeys) {
    Distribution d = {};
    d.n = 4998;
    d.stability_pct = 97.26;
    d.failed = true;
    StatsReadings r = {};
    r.elapsed_s = 10.04;
    MotionFigures m = {};
    ReportClockFigures clock = {};
    clock.refusal = REPORT_CLOCK_NO_PERIOD;
    char text[2048];
    texts_set_lang(LANG_ZH);
    format_summary(text, sizeof text, "All mice (2)", &r, &d, &clock, &m, NULL, 0);
    texts_set_lang(LANG_EN);
    const std::string zh = text;
    for (const char* line : {"Summary: All mice (2), 10.0 s\n",
                             "\nStability: 97.3% 的间隔与中位数相差不超过 10%\n",
                             "\nReport clock: none (报告时间无固定周期)\n",
                             "\nMotion: moving=0 idle=0 saturated=0 median_speed=0.0 counts/s\n",
                             " p99_hz=0.0 （连续两个移动回报之间的间隔）\n",
                             "\nLog: 内存不足，无法统计间隔；只有上面的计数有效\n"})
        EXPECT_NE(zh.find(line), std::string::npos) << line << " in\n" << zh;
}

std::wstring temp_file(const wchar_t* prefix) {
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, prefix, 0, path);
    return path;
}

// The file's bytes; the file is gone afterwards.
std::string take_file(const std::wstring& path) {
    std::string bytes = read_file(path);
    DeleteFileW(path.c_str());
    return bytes;
}

std::string utf8(const std::wstring& text) {
    char buf[MAX_PATH * 3];
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buf, sizeof buf, NULL, NULL);
    return buf;
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The mouse's name and the sentences in Chinese; --json in English, as scripts read it.
TEST_F(RunConsoleTest, ARunInChineseSaysItsSentencesInChinese) {
    two_mice();
    const std::wstring json = temp_file(L"qjz");
    ConsoleRun with_json = {1, 0.05, NULL, false, NULL, NULL, json.c_str()};
    texts_set_lang(LANG_ZH);
    run_console_with(&with_json);
    EXPECT_EQ(run_console(0, 0.05, L"Z:\\no\\such\\folder\\run.csv"), 1);
    texts_set_lang(LANG_EN);
    const std::string report = take_file(json);
    for (const char* value : {"\"device\": {\n    \"name\": \"Mouse VID_845E PID_0001\",",
                              "\"name\": \"Mouse VID_845E PID_0001\",\n    \"seconds\"",
                              "\"none\": \"fewer than 1000 reports\""})
        EXPECT_NE(report.find(value), std::string::npos) << value << " in\n" << report;
    const std::string text = output();
    for (const char* line : {"Device: 鼠标 VID_845E PID_0001\n请移动鼠标进行测量。按 Ctrl+C 退出。\n\n",
                             "\nReport clock: none (不足 1000 个报告)\n",
                             "\n没有收到回报：请在测量期间移动鼠标。\n",
                             "\nError: 无法创建 Z:\\no\\such\\folder\\run.csv（用于 --csv）："})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
}

// A run that cannot start leaves the user's files as they were and makes none.
TEST_F(RunConsoleTest, UsbStopsBeforeMeasuringWithOneLineSayingWhatIsMissing) {
    two_mice();
    const std::wstring kept = temp_file(L"qkp"), saved = kept + L".pcap";
    FILE* f = _wfopen(kept.c_str(), L"wb");
    fputs("t_us,slot\n1,2\n", f);
    fclose(f);
    ConsoleRun run = {0, 0.05, kept.c_str(), true, NULL, NULL, NULL};
    const struct {
        void (*set)();
        const char* line;
    } cases[] = {
        {[] { g_fake_usbpcap.installed_error = 2; },
         "Error: --usb needs the USBPcap capture driver, which is not installed (error 2). Install "
         "it from https://github.com/desowin/usbpcap/releases and restart Windows.\n"},
        {[] { g_fake_usbpcap.not_elevated = true; },
         "Error: --usb needs administrator rights to open the USBPcap devices. Run the terminal as "
         "administrator and try again.\n"},
        {[] {}, "Error: --usb found no USBPcap device: restart Windows after installing the driver.\n"},
        {[] { fake_usbpcap_add_hub(1).open_error = 5; },
         "Error: --usb could not open any USBPcap device (CreateFile error 5). Run the terminal as "
         "administrator.\n"},
    };
    for (const auto& c : cases) {
        fake_usbpcap_reset();
        c.set();
        EXPECT_EQ(run_console_with(&run), 1);
        std::string text = output();
        EXPECT_EQ(text.substr(text.size() - strlen(c.line)), c.line);
        EXPECT_FALSE(exists(kept + L".partial"));
    }
    EXPECT_EQ(take_file(kept), "t_us,slot\n1,2\n");
    // --usb-save names itself, and creates nothing.
    fake_usbpcap_reset();
    g_fake_usbpcap.installed_error = 2;
    ConsoleRun saving = {0, 0.05, NULL, false, saved.c_str(), NULL, NULL};
    EXPECT_EQ(run_console_with(&saving), 1);
    EXPECT_NE(output().find("\nError: --usb-save needs the USBPcap capture driver"), std::string::npos);
    for (const std::wstring& p : {saved, saved + L".partial"})
        EXPECT_FALSE(exists(p)) << utf8(p);
    EXPECT_EQ(g_fake_ri.register_calls, 0) << "nothing was measured";
    EXPECT_EQ(g_fake_usbpcap.live_handles, 0);
}

// Reports of mouse 1 arrive while the run goes on, gap_ms apart, from the
// moment it measures.
void post_reports(int count, DWORD gap_ms) {
    for (int i = 0; i < 400 && !run_measuring(console_run_for_tests()); i++)
        Sleep(5);
    for (int i = 0; i < count; i++, Sleep(gap_ms))
        fake_queue_push(mouse_handle(1), RIM_INPUTSINK, sizeof(RAWINPUT));
}

TEST_F(RunConsoleTest, UsbCaptureRunsBesideTheMessagesAndIsSaved) {
    two_mice();
    fake_usbpcap_reset();
    // Hub 1: its header, then mouse reports, then a read that never completes;
    // hub 3: reads that keep failing.
    Bytes records = fake_usbpcap_script_capture(fake_usbpcap_add_hub(1), pcap_global_header(),
                                                mouse_report_records(20, 1765000000000000, 1000), 20);
    FakeHub& bad = fake_usbpcap_add_hub(3);
    for (int i = 0; i < 10; i++)
        bad.script.push_back(FakeDelivery{(uint32_t)(2 + i), FAKE_READ_FAIL, {}});
    g_fake_ri.reports[0] = FakeReport{RIM_TYPEMOUSE, mouse_handle(1), (UINT)sizeof(RAWINPUT), false, {}};
    std::wstring path = temp_file(L"qus"), json = temp_file(L"qjs");
    std::thread poster(post_reports, 20, 5);
    // The time limit's timer ends the run although hub 1's last read never completes.
    ConsoleRun run = {0, 0.4, NULL, true, path.c_str(), NULL, json.c_str()};
    DWORD start = GetTickCount();
    EXPECT_EQ(run_console_with(&run), 0);
    poster.join();
    EXPECT_LT(GetTickCount() - start, 3000u);
    const DeviceStats* all = &console_run_for_tests()->records[0];
    EXPECT_EQ(all->arrival_count, 20u) << "every report was taken while reads were pending";
    EXPECT_EQ(all->background_count, 20u);
    std::string text = output();
    EXPECT_NE(text.find("\nUSB layer: endpoint="), std::string::npos) << text;
    // --json holds the layer lines too, beside the run's own figures.
    std::string report = take_file(json);
    EXPECT_NE(report.find("\"usb_layer\": {\n      \"endpoint\": \"1."), std::string::npos) << report;
    EXPECT_NE(report.find("\"background_reports\": 20,"), std::string::npos) << report;
    EXPECT_GT(g_fake_usbpcap.message_waits, 0);
    EXPECT_EQ(g_fake_usbpcap.hubs[1].next, 3u) << "the failing hub was dropped after three reads";
    EXPECT_EQ(g_fake_usbpcap.live_handles, 0);
    EXPECT_EQ(g_fake_usbpcap.live_events, 0);
    EXPECT_FALSE(g_fake_usbpcap.hubs[0].reading) << "the pending read was cancelled";
    std::string saved = take_file(path);
    EXPECT_EQ(saved.size(), 24 + records.size());
    EXPECT_EQ(saved.substr(24), std::string(records.begin(), records.end()));
    EXPECT_EQ((uint8_t)saved[20], 249);
}

TEST_F(RunConsoleTest, UsbSaveThatDropsRecordsSaysWhatItSavedAndEndsWithOne) {
    // The bound per hub (ten records), then a block that cannot grow past
    // 64 KiB (1394 records of 47 bytes).
    const struct {
        uint32_t records;
        void (*set)();
        uint32_t kept;
        const char* clause;
    } cases[] = {
        {20, [] { g_usb_session_bounds.max_saved = 10 * 47; }, 10,
         "kept its records up to 0.009 s, later ones were dropped (470 bytes per hub)"},
        {2000, [] { g_fake_heap.refuse_grow_to = 128 << 10; }, 1394,
         "kept its records up to 1.393 s, later ones were dropped (out of memory)"},
    };
    two_mice();
    for (const auto& c : cases) {
        fake_usbpcap_reset();
        Bytes records = fake_usbpcap_script_capture(
            fake_usbpcap_add_hub(2), pcap_global_header(),
            mouse_report_records(c.records, 1765000000000000, 1000), 10);
        c.set();
        std::wstring path = temp_file(L"qus");
        ConsoleRun run = {0, 0.3, NULL, false, path.c_str(), NULL, NULL};
        EXPECT_EQ(run_console_with(&run), 1);
        g_usb_session_bounds = UsbSessionBounds{USB_SESSION_MAX_TIMES, USB_SESSION_MAX_SAVED};
        g_fake_heap.refuse_grow_to = 0;

        const std::string line = "Error: the USB capture " + utf8(path) + " is incomplete: it holds " +
                                 std::to_string(c.kept) + " records (" +
                                 std::to_string(24 + 47 * c.kept) + " bytes); \\\\.\\USBPcap2 " +
                                 c.clause + ".\n";
        std::string text = output();
        ASSERT_GE(text.size(), line.size());
        EXPECT_EQ(text.substr(text.size() - line.size()), line);
        EXPECT_LT(text.rfind("Summary: "), text.size() - line.size());
        EXPECT_EQ(take_file(path).substr(24),
                  std::string(records.begin(), records.begin() + 47 * c.kept));
    }
}

TEST_F(RunConsoleTest, CloseEventReturnsOnlyOnceTheSummaryAndCsvAreWritten) {
    two_mice();
    g_fake_ri.reports[0] = FakeReport{RIM_TYPEMOUSE, mouse_handle(1), (UINT)sizeof(RAWINPUT), false, {}};
    std::wstring path = temp_file(L"qcl");
    std::string text, csv;
    DWORD waited = 0;
    std::string partial;
    std::thread closer([&] {
        post_reports(20, 0);
        Sleep(700);  // a status line: the rows so far are on disk, the user's file untouched
        partial = read_file(path + L".partial");
        EXPECT_EQ(read_file(path), "");
        DWORD start = GetTickCount();
        EXPECT_TRUE(console_ctrl(CTRL_CLOSE_EVENT));
        waited = GetTickCount() - start;
        // What a closed console leaves behind: the process ends here.
        text = output();
        csv = take_file(path);
    });
    ConsoleRun run = {0, 0, path.c_str(), false, NULL, NULL, NULL};  // no time limit: only the close ends it
    EXPECT_EQ(run_console_with(&run), 0);
    closer.join();
    EXPECT_LT(waited, 4500u);
    EXPECT_NE(text.find("\nCoalesced: "), std::string::npos) << text;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 21) << csv;
    EXPECT_EQ(partial, csv);
    EXPECT_FALSE(exists(path + L".partial"));

    // No run: nothing to wait for.
    DWORD start = GetTickCount();
    EXPECT_TRUE(console_ctrl(CTRL_CLOSE_EVENT));
    EXPECT_LT(GetTickCount() - start, 100u);
}

TEST_F(RunConsoleTest, RefusedRegistrationReportsTheErrorCode) {
    two_mice();
    g_fake_ri.register_result = FALSE;
    g_fake_ri.register_error = 5;
    EXPECT_EQ(run_console(0, 0), 1);
    std::string text = output();
    EXPECT_NE(text.find("\n\nRegisterRawInputDevices failed (err 5).\n"), std::string::npos);
    EXPECT_FALSE(run_measuring(console_run_for_tests()));
}

LRESULT CALLBACK refuse_creation(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_NCCREATE)
        return FALSE;
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

TEST_F(RunConsoleTest, HiddenWindowFailureEndsWithOne) {
    two_mice();
    // Claim the class first with a procedure that refuses creation.
    UnregisterClassW(L"QuorvinConsoleHidden", GetModuleHandleW(NULL));
    WNDCLASSW wc = {};
    wc.lpfnWndProc = refuse_creation;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"QuorvinConsoleHidden";
    ASSERT_TRUE(RegisterClassW(&wc));
    int result = run_console(0, 0);
    UnregisterClassW(L"QuorvinConsoleHidden", GetModuleHandleW(NULL));
    EXPECT_EQ(result, 1);
    std::string text = output();
    EXPECT_NE(text.find("\n\nFailed to create hidden window.\n"), std::string::npos);
    EXPECT_EQ(g_fake_ri.register_calls, 0);
}

TEST(ConsoleCtrlTest, EveryEventClearsTheFlagAndIsHandled) {
    g_console_run = 1;
    EXPECT_TRUE(console_ctrl(CTRL_C_EVENT));
    EXPECT_EQ(g_console_run, 0);
    EXPECT_TRUE(console_ctrl(CTRL_C_EVENT));
    EXPECT_EQ(g_console_run, 0);
    g_console_run = 1;
}

}  // namespace
