// quorvin.exe --pcap: files on disk, the UTF-8 text printed and the exit code.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include <string>

#include "app/pcap_mode.h"
#include "app/startup.h"
#include "app/text_out.h"
#include "core/views/texts.h"
#include "tests/support/capture_builder.h"
#include "tests/support/read_all.h"

namespace {

// A folder's last-write time (it moves when a file in it is created or
// deleted), set to t first when t is given.
FILETIME folder_written(const std::wstring& folder, const FILETIME* t = NULL) {
    HANDLE h = CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, NULL);
    FILETIME written = {};
    if (t)
        SetFileTime(h, NULL, NULL, t);
    GetFileTime(h, NULL, NULL, &written);
    CloseHandle(h);
    return written;
}

class PcapModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        path = std::wstring(dir) + L"quorvin-pcap-test.pcap";
        out = tmpfile();
        ASSERT_NE(out, nullptr);
        g_error_out = out;
    }
    void TearDown() override {
        g_error_out = NULL;
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
    std::string utf8_path() const { return std::string(path.begin(), path.end()); }  // ASCII
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
    texts_set_lang(LANG_ZH);
    EXPECT_EQ(run_pcap(path.c_str(), out), 0);
    texts_set_lang(LANG_EN);
    std::string text = printed();
    EXPECT_NE(text.find("USBPcap 诊断结果 (USB 主机控制器层, 0.0秒)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  平均交付率   :  8000.0 Hz\n"), std::string::npos);
    EXPECT_NE(text.find("  1.2.0x81  reports=5  avg= 8000.0 Hz"), std::string::npos);
}

TEST_F(PcapModeTest, BulkInIsListedApartAndTheCsvHasEveryInCompletion) {
    Bytes f = pcap_global_header();
    UsbPacket mouse, adapter, out_packet;
    mouse.payload = {1, 2, 3};
    adapter.device = 5;
    adapter.endpoint = 0x82;
    adapter.transfer = 3;  // bulk
    adapter.payload = {9, 9};
    out_packet.info = 0;   // host to device: not an IN completion
    out_packet.endpoint = 0x01;
    out_packet.payload = {7};
    append(f, pcap_record(1, 0, usb_packet(mouse)));
    append(f, pcap_record(1, 400, usb_packet(adapter)));
    append(f, pcap_record(1, 1000, usb_packet(mouse)));
    append(f, pcap_record(1, 1500, usb_packet(out_packet)));
    append(f, pcap_record(1, 2000, usb_packet(mouse)));
    append(f, pcap_record(1, 2400, usb_packet(adapter)));
    write(f);
    const std::wstring csv_path = path + L".csv";
    EXPECT_EQ(run_pcap(path.c_str(), out, csv_path.c_str()), 0);
    std::string text = printed();
    EXPECT_NE(text.find("\nNote: the summary counts 2 bulk or isochronous transfers from devices as "
                        "interrupt-IN deliveries."), std::string::npos) << text;
    EXPECT_NE(text.find("  1.2.0x81  reports=3  avg= 1000.0 Hz  lowest= 1000.0 Hz  p50=1000.0us "
                        "p99=1000.0us sd=0.0us  clock none  bInterval not seen\n"),
              std::string::npos);
    EXPECT_NE(text.find("  1.5.0x82  reports=2  too few reports  bInterval not seen  bulk\n"),
              std::string::npos);
    FILE* csv = _wfopen(csv_path.c_str(), L"rb");
    ASSERT_NE(csv, nullptr);
    EXPECT_EQ(read_all(csv),
              "t_us,bus,device,endpoint,interval_us,transfer\n"
              "0,1,2,0x81,,interrupt\n"
              "400,1,5,0x82,,bulk\n"
              "1000,1,2,0x81,1000,interrupt\n"
              "2000,1,2,0x81,1000,interrupt\n"
              "2400,1,5,0x82,2000,bulk\n");
    fclose(csv);
    DeleteFileW(csv_path.c_str());
}

// Standard output that cannot take the report: a full disk is an error, a
// pipe whose reader quit (as `| head` does) is not.
TEST_F(PcapModeTest, AFullDiskIsAnErrorAndAReaderThatQuitIsNot) {
    Bytes f = pcap_global_header();
    UsbPacket p;
    p.payload = {1, 2, 3};
    append(f, pcap_record(1, 0, usb_packet(p)));
    write(f);
    FILE* full = _wfopen(L"Z:\\dev\\full", L"wb");  // Wine's view of the Unix device
    if (!full)
        GTEST_SKIP() << "no full device here";
    EXPECT_EQ(run_pcap(path.c_str(), full), 1);
    fclose(full);
    const std::string said = printed();
    EXPECT_EQ(said, "Error: writing standard output failed (No space left on device): check the "
                    "free space of its drive.\n");

    HANDLE reader, writer;
    ASSERT_TRUE(CreatePipe(&reader, &writer, NULL, 0));
    CloseHandle(reader);
    FILE* pipe = _fdopen(_open_osfhandle((intptr_t)writer, _O_WRONLY | _O_BINARY), "wb");
    ASSERT_NE(pipe, nullptr);
    EXPECT_EQ(run_pcap(path.c_str(), pipe), 0);
    fclose(pipe);
    EXPECT_EQ(printed(), said) << "nothing more said";
}

TEST_F(PcapModeTest, FailuresPrintOneLineAndExitWithOne) {
    // A capture that cannot be read leaves no CSV, not even its header.
    write(Bytes{'G', 'I', 'F', '8', '9', 'a'});
    const std::wstring csv_path = path + L".csv";
    EXPECT_EQ(run_pcap(path.c_str(), out, csv_path.c_str()), 1);
    EXPECT_NE(printed().find("Error: " + utf8_path() + " is not a pcap or pcapng file (it starts with "
                             "47 49 46 38); give a capture saved by USBPcapCMD or Wireshark.\n"),
              std::string::npos) << printed();
    for (const std::wstring& p : {csv_path, csv_path + L".partial"})
        EXPECT_EQ(GetFileAttributesW(p.c_str()), INVALID_FILE_ATTRIBUTES);

    DeleteFileW(path.c_str());
    rewind(out);
    EXPECT_EQ(run_pcap(path.c_str(), out), 1);
    EXPECT_EQ(printed().rfind("Error: cannot open " + utf8_path() + ": no such file or folder; check "
                              "the name.\n", 0), 0u) << printed();

    // A CSV that cannot be created stops before the analysis.
    write(pcap_global_header());
    rewind(out);
    EXPECT_EQ(run_pcap(path.c_str(), out, L"Z:\\no\\such\\dir\\x.csv"), 1);
    EXPECT_EQ(printed().rfind("Error: cannot create Z:\\no\\such\\dir\\x.csv for --csv: ", 0), 0u);

    // A directory is called one.
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    rewind(out);
    EXPECT_EQ(run_pcap(path.c_str(), out, dir), 1);
    EXPECT_NE(printed().find(" for --csv: it is a directory; give the name of a file.\n"),
              std::string::npos) << printed();

    // A --json that cannot be written stops before the CSV is even created:
    // its folder's last-write time, set back first, does not move.
    const std::wstring folder = std::wstring(dir) + L"quorvin-pcap-outputs";
    CreateDirectoryW(folder.c_str(), NULL);
    const FILETIME old = {0, 30000000};
    folder_written(folder, &old);
    rewind(out);
    EXPECT_EQ(run_pcap(path.c_str(), out, (folder + L"\\a.csv").c_str(), dir), 1);
    EXPECT_NE(printed().find(" for --json: it is a directory"), std::string::npos) << printed();
    const FILETIME after = folder_written(folder);
    EXPECT_EQ(CompareFileTime(&after, &old), 0) << "a file came and went";
    for (const wchar_t* name : {L"\\a.csv", L"\\a.csv.partial"})
        EXPECT_EQ(GetFileAttributesW((folder + name).c_str()), INVALID_FILE_ATTRIBUTES);
    RemoveDirectoryW(folder.c_str());
}

TEST(PcapLaunchTest, CsvOptionFollowsTheModesOwnArguments) {
    wchar_t* pcap[] = {(wchar_t*)L"q.exe", (wchar_t*)L"--pcap", (wchar_t*)L"in.pcap",
                       (wchar_t*)L"--csv", (wchar_t*)L"out.csv"};
    LaunchRequest req;
    parse_launch(5, pcap, &req, PROGRAM_CLI);
    EXPECT_STREQ(req.pcap_path, L"in.pcap");
    EXPECT_STREQ(req.csv_path, L"out.csv");
    wchar_t* console[] = {(wchar_t*)L"q.exe", (wchar_t*)L"-c", (wchar_t*)L"2",
                          (wchar_t*)L"--csv", (wchar_t*)L"run.csv", (wchar_t*)L"10"};
    parse_launch(6, console, &req, PROGRAM_CLI);
    EXPECT_EQ(req.device_index, 2);
    EXPECT_EQ(req.run_seconds, 10);
    EXPECT_STREQ(req.csv_path, L"run.csv");
    parse_launch(4, console, &req, PROGRAM_CLI);
    EXPECT_EQ(req.mode, LAUNCH_REFUSED);
}

TEST(PcapLaunchTest, PcapSwitchTakesTheFileName) {
    wchar_t* with_file[] = {(wchar_t*)L"q.exe", (wchar_t*)L"--pcap", (wchar_t*)L"a b.pcapng"};
    LaunchRequest req;
    parse_launch(3, with_file, &req);
    EXPECT_EQ(req.mode, LAUNCH_PCAP);
    EXPECT_STREQ(req.pcap_path, L"a b.pcapng");
    parse_launch(2, with_file, &req);
    EXPECT_EQ(req.mode, LAUNCH_REFUSED);
}

}  // namespace
