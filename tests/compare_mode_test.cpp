// --compare on files: a capture of two mice and a run's CSV with both, the
// slot chosen on the command line, and a bad CSV field named by its line.
#include <gtest/gtest.h>
#include <stdio.h>
#include <windows.h>

#include <string>

#include "app/compare_mode.h"
#include "app/startup.h"
#include "app/text_out.h"
#include "core/views/texts.h"
#include "tests/support/capture_builder.h"
#include "tests/support/read_all.h"

namespace {

const int64_t kStartUs = 1700000000000000;  // UTC microseconds

class CompareModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        capture = std::wstring(dir) + L"quorvin-compare-test.pcap";
        csv = std::wstring(dir) + L"quorvin-compare-test.csv";
        // Mouse 1 (device 2) moves first, 500 reports at 1 ms; then mouse 2
        // (device 3), 400 reports at 1 ms. Each reaches the program 300 us later.
        Bytes f = pcap_global_header();
        std::string rows = "t_us,slot,interval_us,class,background,utc_us\n";
        for (int i = 0; i < 900; i++) {
            const int64_t t = kStartUs + 1000 * i + (i >= 500 ? 250000 : 0);
            UsbPacket p;
            p.device = i < 500 ? 2 : 3;
            p.payload = {0, 1, 0xFF, 0};
            append(f, pcap_record((uint32_t)(t / 1000000), (uint32_t)(t % 1000000), usb_packet(p)));
            rows += "0," + std::to_string(i < 500 ? 1 : 2) + ",,accepted,0," + std::to_string(t + 300) + "\n";
        }
        write(capture, std::string(f.begin(), f.end()));
        write(csv, rows);
        out = tmpfile();
        g_error_out = out;
    }
    void TearDown() override {
        g_error_out = NULL;
        fclose(out);
        DeleteFileW(capture.c_str());
        DeleteFileW(csv.c_str());
    }
    static void write(const std::wstring& path, const std::string& bytes) {
        FILE* f = _wfopen(path.c_str(), L"wb");
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    std::string run(int slot, const wchar_t* endpoint = NULL) {
        rewind(out);
        result = run_compare(capture.c_str(), csv.c_str(), endpoint, slot, out);
        std::string text = read_all(out);
        return text.substr(0, text.find('\0'));
    }
    std::wstring capture, csv;
    FILE* out;
    int result = -1;
};

TEST_F(CompareModeTest, EachSlotIsComparedWithItsOwnMouse) {
    std::string all = run(-1);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(all.rfind("USB layer: endpoint=1.2.0x81 reports=499 ", 0), 0u) << all;
    std::string second = run(2);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(second.rfind("USB layer: endpoint=1.3.0x81 reports=399 median_hz=1000.0", 0), 0u) << second;
    EXPECT_NE(second.find("\nProgram layer: reports=399 "), std::string::npos);
    EXPECT_NE(second.find("\nDelivery: matched=399 delay_p50_us=300.0"), std::string::npos);
    std::string missing = run(5);
    EXPECT_EQ(result, 1);
    EXPECT_NE(missing.find("has no rows of slot 5 (its rows are of slot 1, 2); give one of those to "
                           "--slot.\n"),
              std::string::npos)
        << missing;
}

TEST_F(CompareModeTest, ASpreadsheetsRoundedTimeIsOneLineWithItsPlace) {
    write(csv, "utc_us,slot\r\n1700000000000300,1\r\n1.7E+15,1\r\n");
    std::string text = run(-1);
    EXPECT_EQ(result, 1);
    std::string file(csv.begin(), csv.end());
    EXPECT_EQ(text, "Error: " + file + ":3: utc_us is \"1.7E+15\", not a whole number of "
                    "microseconds; give the CSV of a -c run as it was written.\n");
    // The reader's reason is UTF-8 in the chosen language; it reaches the
    // wide message whole, not a byte a character.
    texts_set_lang(LANG_ZH);
    text = run(-1);
    texts_set_lang(LANG_EN);
    EXPECT_EQ(text.rfind("Error: " + file + ":3: utc_us 为 \"1.7E+15\"，不是整数微秒；请提供 -c 运行写出的原样 CSV。\n", 0),
              0u) << text;
}

TEST_F(CompareModeTest, ACsvOfAnotherTimeAndAnUnknownEndpointSayWhatThereIs) {
    write(csv, "utc_us,slot\n1600000000000000,1\n1600000000500000,1\n");
    std::string text = run(-1);
    EXPECT_EQ(result, 1);
    EXPECT_NE(text.find(" and the capture do not overlap in time: the CSV runs from 2020-09-13 "
                        "12:26:40.000 UTC to 2020-09-13 12:26:40.500 UTC, the capture from "
                        "2023-11-14 22:13:20.000 UTC to 2023-11-14 22:13:21.149 UTC. Compare a run "
                        "and a capture taken at the same time.\n"),
              std::string::npos)
        << text;
    text = run(-1, L"1.9.0x81");
    EXPECT_NE(text.find("Error: endpoint 1.9.0x81 has no interrupt-IN reports in the capture; its "
                        "interrupt-IN endpoints: 1.2.0x81, 1.3.0x81.\n"),
              std::string::npos)
        << text;
    text = run(-1, L"mouse");
    EXPECT_NE(text.find("Error: mouse is not an endpoint like 1.3.0x81; the capture's interrupt-IN "
                        "endpoints: 1.2.0x81, 1.3.0x81.\n"),
              std::string::npos)
        << text;
}

TEST(CompareLaunchTest, SlotFollowsTheCompareArguments) {
    wchar_t* args[] = {(wchar_t*)L"q.exe", (wchar_t*)L"--compare", (wchar_t*)L"c.pcap",
                       (wchar_t*)L"r.csv", (wchar_t*)L"--slot", (wchar_t*)L"2"};
    LaunchRequest req;
    parse_launch(6, args, &req, PROGRAM_CLI);
    EXPECT_EQ(req.mode, LAUNCH_COMPARE);
    EXPECT_STREQ(req.compare_csv, L"r.csv");
    EXPECT_EQ(req.compare_endpoint, nullptr);
    EXPECT_EQ(req.compare_slot, 2);
    parse_launch(4, args, &req, PROGRAM_CLI);
    EXPECT_EQ(req.compare_slot, -1);
}

}  // namespace
