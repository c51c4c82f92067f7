// The JSON report: ids from device paths, and names of any kind (backslashes,
// quotes, Chinese, broken UTF-16 or UTF-8) coming back from the written file
// as the text they stand for; figures that are not finite, or of nothing,
// come back null.
#include <gtest/gtest.h>

#include <math.h>
#include <stdio.h>

#define JSON_NOEXCEPTION 1  // as the program builds it
#include <nlohmann/json.hpp>
#include <string>

#include "core/captures/device_ids.h"
#include "core/views/report_json.h"

namespace {

TEST(DeviceIdsTest, FourHexDigitsAfterEitherKeyInAnyCaseUsbOrBluetooth) {
    const struct {
        const wchar_t* path;
        int vid, pid;
    } rows[] = {
        {L"\\\\?\\HID#VID_046D&PID_C08B&MI_00#7&2b1d3c4&0&0000#{378de44c}", 0x046D, 0xC08B},
        {L"\\\\?\\hid#vid_046d&pid_c08b#x", 0x046D, 0xC08B},
        {L"\\\\?\\HID#VID_04G1&VID_1A2b&PID_12", 0x1A2B, -1},  // the first key with four digits
        {L"\\\\?\\ACPI#PNP0F13#4&1b8b1b&0", -1, -1},
        {L"PID_FFFF", -1, 0xFFFF},
        // Bluetooth Classic and LE: the id is the last four digits of the value.
        {L"\\\\?\\HID#{00001124-0000-1000-8000-00805f9b34fb}_VID&0002046d_PID&b023&Col01#8&2b96a104&0&0000",
         0x046D, 0xB023},
        {L"_VID&0002046d0_VID&02046D_PID&12_PID&0306\\9", 0x046D, 0x0306},  // 9 digits or 2: none
        {NULL, -1, -1},
    };
    for (const auto& row : rows) {
        DeviceIds ids;
        parse_device_ids(row.path, &ids);
        EXPECT_EQ(ids.vid, row.vid) << (row.path ? row.path : L"(null)");
        EXPECT_EQ(ids.pid, row.pid) << (row.path ? row.path : L"(null)");
    }
}

nlohmann::json written(const JsonReport* j) {
    FILE* f = tmpfile();
    EXPECT_TRUE(f && json_report_write(j, f));
    std::string text;
    rewind(f);
    for (int c; (c = fgetc(f)) != EOF;)
        text += (char)c;
    fclose(f);
    return nlohmann::json::parse(text, nullptr, false);
}

TEST(ReportJsonTest, OddNamesRoundTripAndNonFiniteFiguresAreNull) {
    const wchar_t lone[] = {L'a', (wchar_t)0xD800, L'b', 0};
    const struct {
        const wchar_t* name;
        const char* utf8;
    } names[] = {
        {L"C:\\mice\\\"quoted\"", "C:\\mice\\\"quoted\""},
        {L"全部鼠标 (2 只)", "全部鼠标 (2 只)"},
        {L"\U0001F5B1 mouse", "\xF0\x9F\x96\xB1 mouse"},  // a pair in UTF-16
        {lone, "a\xEF\xBF\xBD" "b"},
    };
    const JsonConditions unknown = {};
    for (const auto& n : names) {
        JsonReport* j = json_report_new("console", "1.2.3", &unknown);
        json_report_device(j, n.name, L"\\\\?\\HID#VID_046D&PID_C08B");
        StatsReadings r = {};
        r.average_hz = INFINITY;
        r.report_count = 7;
        json_report_status(j, &r);
        const nlohmann::json got = written(j);
        json_report_free(j);
        ASSERT_FALSE(got.is_discarded());
        EXPECT_EQ(got["schema"], 2);
        EXPECT_EQ(got["device"]["name"], n.utf8);
        EXPECT_EQ(got["device"]["vid"], "046D");
        EXPECT_TRUE(got["status"]["Avg"].is_null());
        EXPECT_EQ(got["status"]["Count"], 7);
        EXPECT_TRUE(got["conditions"]["windows_build"].is_null());
    }
    // A name that is not UTF-8 (a file name from a CSV, say) is replaced, not fatal.
    JsonReport* j = json_report_new("ab", "1.2.3", &unknown);
    AbComparison c = {};
    json_report_ab(j, "a\xFF.csv", "b.csv", &c);
    EXPECT_EQ(written(j)["A"]["file"], "a\xEF\xBF\xBD.csv");
    json_report_free(j);
}

// Where the text prints 0 for want of anything to take a figure of, the JSON
// says null: an empty run's rates, intervals, span and speed, a median of no
// delay. One interval is something: its figures are numbers.
TEST(ReportJsonTest, FiguresOfNothingAreNull) {
    const JsonConditions unknown = {};
    JsonReport* j = json_report_new("analyze", "1.2.3", &unknown);
    StatsReadings r = {};
    Distribution d = {};
    ReportClockFigures clock = {};
    clock.refusal = REPORT_CLOCK_TOO_FEW;
    MotionFigures m = {};
    const JsonSummaryLog log = {-1, false, 0};
    json_report_status(j, &r);
    json_report_summary(j, "Mouse", &r, &d, &clock, &m, &log, NULL);
    LayerComparison c = {};
    c.overlap = true;
    c.usb_reports = c.program_reports = 1;
    json_report_layers(j, "1.2.0x81", &c);
    nlohmann::json got = written(j);
    json_report_free(j);
    const char* const nulls[] = {
        "/status/Avg", "/status/MinInst", "/status/MaxInst", "/status/CurMin", "/status/Time",
        "/summary/seconds", "/summary/intervals_us/mean", "/summary/intervals_us/sd",
        "/summary/intervals_us/min", "/summary/intervals_us/max", "/summary/percentiles_us/p0.1",
        "/summary/percentiles_us/p50", "/summary/percentiles_us/p99.9", "/summary/rates_hz/median",
        "/summary/rates_hz/p1", "/summary/rates_hz/p99", "/summary/stability_pct",
        "/summary/motion/median_speed", "/summary/while_moving/median_hz",
        "/summary/while_moving/p1_hz", "/summary/while_moving/p99_hz",
        "/layers/usb_layer/median_hz", "/layers/program_layer/p99_hz",
        "/layers/delivery/delay_p50_us", "/layers/delivery/delay_p99_us",
        "/layers/delivery/delay_max_us"};
    for (const char* path : nulls) {
        const nlohmann::json::json_pointer at(path);
        EXPECT_TRUE(got.contains(at) && got[at].is_null()) << path;
    }
    EXPECT_EQ(got["summary"]["intervals_us"]["n"], 0);
    EXPECT_EQ(got["layers"]["delivery"]["matched"], 0);

    j = json_report_new("analyze", "1.2.3", &unknown);
    r.arrival_count = 2;
    d.n = 1;
    d.mean_us = d.min_us = d.max_us = 1000;
    for (double& p : d.pct_us)
        p = 1000;
    d.stability_pct = 100;
    json_report_summary(j, "Mouse", &r, &d, &clock, &m, &log, NULL);
    c.matched = 1;
    json_report_layers(j, "1.2.0x81", &c);
    got = written(j);
    json_report_free(j);
    EXPECT_EQ(got["summary"]["seconds"], 0.0);
    EXPECT_EQ(got["summary"]["intervals_us"]["sd"], 0.0);
    EXPECT_EQ(got["summary"]["rates_hz"]["median"], 1000.0);
    EXPECT_EQ(got["summary"]["stability_pct"], 100.0);
    EXPECT_EQ(got["layers"]["delivery"]["delay_p50_us"], 0.0);
}

}  // namespace
