// quorvin.exe --pcap: files on disk, the UTF-8 text printed and the exit code.
#include <gtest/gtest.h>
#include <stdio.h>
#include <windows.h>

#include <string>

#include "app/pcap_mode.h"
#include "app/startup.h"
#include "tests/support/capture_builder.h"
#include "tests/support/read_all.h"

namespace {

class PcapModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        path = std::wstring(dir) + L"quorvin-pcap-test.pcap";
        out = tmpfile();
        ASSERT_NE(out, nullptr);
    }
    void TearDown() override {
        fclose(out);
        DeleteFileW(path.c_str());
    }
    void write(const Bytes& bytes) {
        FILE* f = _wfopen(path.c_str(), L"wb");
        ASSERT_NE(f, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    std::string printed() { return read_all(out); }
    std::wstring path;
    FILE* out;
};

TEST_F(PcapModeTest, ReportIsPrintedAsUtf8WithExitCodeZero) {
    Bytes f = pcap_global_header();
    UsbPacket p;
    p.payload = {1, 2, 3};
    for (uint32_t i = 0; i < 5; i++)
        append(f, pcap_record(1, 125 * i, usb_packet(p)));
    write(f);
    EXPECT_EQ(run_pcap(path.c_str(), out), 0);
    std::string text = printed();
    EXPECT_NE(text.find("USBPcap 诊断结果 (USB 主机控制器层, 0.0秒)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  平均交付率   :  8000.0 Hz\n"), std::string::npos);
    EXPECT_NE(text.find("  1.2.0x81  reports=5  avg= 8000.0 Hz"), std::string::npos);
}

TEST_F(PcapModeTest, FailuresPrintOneLineAndExitWithOne) {
    write(Bytes{'G', 'I', 'F', '8', '9', 'a'});
    EXPECT_EQ(run_pcap(path.c_str(), out), 1);
    EXPECT_NE(printed().find("is not a pcap or pcapng file (it starts with 47 49 46 38).\n"),
              std::string::npos);

    DeleteFileW(path.c_str());
    rewind(out);
    EXPECT_EQ(run_pcap(path.c_str(), out), 1);
    EXPECT_EQ(printed().rfind("Error: cannot open ", 0), 0u);
}

TEST(PcapLaunchTest, PcapSwitchTakesTheFileName) {
    wchar_t* with_file[] = {(wchar_t*)L"q.exe", (wchar_t*)L"--pcap", (wchar_t*)L"a b.pcapng"};
    LaunchRequest req;
    parse_launch(3, with_file, &req);
    EXPECT_EQ(req.mode, LAUNCH_PCAP);
    EXPECT_STREQ(req.pcap_path, L"a b.pcapng");
    parse_launch(2, with_file, &req);
    EXPECT_EQ(req.mode, LAUNCH_PCAP);
    EXPECT_EQ(req.pcap_path, nullptr);
}

}  // namespace
