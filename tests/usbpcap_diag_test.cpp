// The capture diagnostic against a scripted driver and clock: every failure
// box's exact text, the header phase, the bounded capture window, several hubs,
// and that nothing is left open or allocated.
#include <gtest/gtest.h>

#include <string>

#include "core/captures/capture_headline.h"
#include "core/captures/capture_stream.h"
#include "core/captures/usbpcap_count.h"
#include "core/views/texts.h"
#include "capture/usbpcap_diag.h"
#include "capture/usbpcap_hubs.h"
#include "devices/mouse_registry.h"
#include "tests/fakes/fake_heap.h"
#include "tests/fakes/fake_message_box.h"
#include "tests/fakes/fake_usbpcap_driver.h"
#include "tests/support/capture_builder.h"

namespace {

const HWND kOwner = (HWND)(INT_PTR)0x4242;
const std::wstring kSuffix =
    L"\n\n下载地址: https://github.com/desowin/usbpcap/releases\n"
    L"(选择 USBPcapSetup-1.5.4.0.exe 安装，安装完重启电脑)";
const std::wstring kLog1 = L"[√] 步骤1: 找到 USBPcap 设备类\n";
const std::wstring kLog2 = L"[√] 步骤2: 枚举到 USBPcap 实例\n";
const std::wstring kLog3 = L"[√] 步骤3: 获取设备路径\n";
const std::wstring kLog4 = L"[√] 步骤4: 打开 USBPcap 设备\n\n";

Bytes mouse_record(uint32_t us, uint16_t bus = 1) {
    UsbPacket p;
    p.bus = bus;
    p.payload = {0, 2, 0, 0};
    return pcap_record(7, us, usb_packet(p));
}

FakeDelivery data_at(uint32_t at_ms, const Bytes& bytes) {
    return FakeDelivery{at_ms, FAKE_READ_DATA, bytes};
}

// Splits bytes into deliveries of the given sizes (the last one takes the rest).
void deliver_in_pieces(FakeHub& hub, const Bytes& bytes, std::vector<size_t> sizes, uint32_t from_ms) {
    size_t at = 0;
    for (size_t i = 0; at < bytes.size(); i++) {
        size_t n = i < sizes.size() ? std::min(sizes[i], bytes.size() - at) : bytes.size() - at;
        hub.script.push_back(data_at(from_ms + (uint32_t)i, Bytes(bytes.begin() + at, bytes.begin() + at + n)));
        at += n;
    }
}

class UsbPcapDiagTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_usbpcap_reset();
        fake_heap_reset();
        g_fake_boxes.clear();
        texts_set_lang(LANG_ZH);
    }
    void TearDown() override {
        texts_set_lang(LANG_EN);
        EXPECT_EQ(g_fake_usbpcap.live_handles, 0);
        EXPECT_EQ(g_fake_usbpcap.live_events, 0);
        EXPECT_EQ(g_fake_heap.live_blocks, 0);
        for (const FakeHub& h : g_fake_usbpcap.hubs)
            EXPECT_FALSE(h.reading) << "a read was left outstanding";
    }
    const FakeBox& only_box() {
        EXPECT_EQ(g_fake_boxes.size(), 1u);
        static FakeBox none;
        return g_fake_boxes.empty() ? none : g_fake_boxes.back();
    }
    std::wstring expected_report(const Bytes& records) {
        GrowBuf b = {};
        gb_append(&b, records.data(), records.size());
        UsbPcapCounter c;
        usbpcap_counter_init(&c);
        static UsbEndpointTable t;
        usb_endpoints_init(&t, 0);
        t.no_clocks = true;
        usbpcap_count_stream(&b, &c, &t, NULL, NULL);
        gb_free(&b);
        CaptureHeadline h;
        capture_headline_of(&t, NULL, &h);
        wchar_t out[CAPTURE_REPORT_UNITS];
        format_capture_headline(&c.tally, &h, L"3秒", out);
        usb_endpoints_free(&t);
        return out;
    }
};

TEST_F(UsbPcapDiagTest, DriverNotInstalled) {
    g_fake_usbpcap.installed_error = 2;
    EXPECT_EQ(RunUsbPcapDiag(kOwner), 1);
    const FakeBox& box = only_box();
    EXPECT_EQ(box.owner, kOwner);
    EXPECT_EQ(box.caption, L"USBPcap 诊断 — 步骤1 失败");
    EXPECT_EQ(box.type, (UINT)MB_ICONWARNING);
    EXPECT_EQ(box.text, L"[步骤1/4] RegOpenKeyEx 失败 (err=2)\n\n可能原因:\n"
                        L"1) USBPcap 驱动未安装 — 请到以下地址下载并安装" +
                            kSuffix +
                            L"\n2) 安装后未重启电脑\n3) 驱动被杀毒软件阻挡(检查 Windows 安全软件)\n"
                            L"4) 系统不兼容(USBPcap 暂不支持 ARM64 版本)");
}

TEST_F(UsbPcapDiagTest, NoControlDeviceOrFailedLookUp) {
    EXPECT_EQ(RunUsbPcapDiag(kOwner), 1);
    EXPECT_EQ(only_box().caption, L"USBPcap 诊断 — 步骤2 失败");
    EXPECT_EQ(only_box().text,
              kLog1 + L"[步骤2/4] 枚举 USBPcap 实例失败 (err=259 ERROR_NO_MORE_ITEMS)\n\n"
                      L"这表示 USBPcap 驱动已安装，但没有附加到任何 USB 主机控制器。\n\n"
                      L"解决方案(按顺序尝试):\n1) 重启电脑 (最常解决)\n"
                      L"2) 以管理员身份运行本程序 (右键 → 以管理员身份运行)\n"
                      L"3) 打开设备管理器 → 系统设备 → 双击 USBPcap → 禁用后启用\n"
                      L"4) 卸载后重新安装最新版" +
                  kSuffix + L"\n5) 检查是否 ARM64 系统(USBPcap 可能不支持)");

    fake_usbpcap_reset();
    g_fake_boxes.clear();
    g_fake_usbpcap.list_error = 5;
    EXPECT_EQ(RunUsbPcapDiag(kOwner), 1);
    EXPECT_EQ(only_box().text,
              kLog1 + L"[步骤2/4] QueryDosDevice 失败 (err=5)\n\n可能原因:\n"
                      L"1) USBPcap 服务未启动 (检查 服务列表里的 USBPcap Filter Driver)\n"
                      L"2) 需要管理员权限运行\n3) 建议: 重启电脑后再试" +
                  kSuffix);
}

TEST_F(UsbPcapDiagTest, NoHubOpensShowsTheFirstFailureAndItsPath) {
    fake_usbpcap_add_hub(1).open_error = 5;
    fake_usbpcap_add_hub(3).open_error = 32;
    EXPECT_EQ(RunUsbPcapDiag(kOwner), 1);
    EXPECT_EQ(only_box().caption, L"USBPcap 诊断 — 步骤4 失败");
    EXPECT_EQ(only_box().text,
              kLog1 + kLog2 + kLog3 +
                  L"[步骤4/4] CreateFile 打开 USBPcap 设备失败 (err=5)\n\n路径: \\\\.\\USBPcap1\n\n"
                  L"可能原因:\n1) **未以管理员身份运行** (右键 exe → 以管理员身份运行) ← 最常见!\n"
                  L"2) USBPcap 服务未启动" +
                  kSuffix);

    // The event's error comes through the driver layer, like every other.
    fake_usbpcap_reset();
    g_fake_boxes.clear();
    fake_usbpcap_add_hub(1);
    g_fake_usbpcap.event_error = 8;
    EXPECT_EQ(RunUsbPcapDiag(kOwner), 1);
    EXPECT_NE(only_box().text.find(L"[步骤4/4] CreateEvent 打开 USBPcap 设备失败 (err=8)"),
              std::wstring::npos);

    fake_usbpcap_reset();
    g_fake_boxes.clear();
    fake_usbpcap_add_hub(2).control_error = 31;
    EXPECT_EQ(RunUsbPcapDiag(kOwner), 1);
    EXPECT_NE(only_box().text.find(L"[步骤4/4] DeviceIoControl 打开 USBPcap 设备失败 (err=31)\n\n"
                                   L"路径: \\\\.\\USBPcap2\n"),
              std::wstring::npos);
}

TEST_F(UsbPcapDiagTest, ControlRequestsCarryTheDriverCodesAndInputs) {
    FakeHub& hub = fake_usbpcap_add_hub(1);
    hub.script.push_back(data_at(5, pcap_global_header()));
    RunUsbPcapDiag(kOwner);
    const FakeHub& h = g_fake_usbpcap.hubs[0];
    ASSERT_EQ(h.controls.size(), 2u);
    EXPECT_EQ(h.controls[0].code, 0x226000u);
    EXPECT_EQ(h.controls[0].input, (std::vector<uint8_t>{0x00, 0x00, 0x10, 0x00}));
    EXPECT_EQ(h.controls[1].code, 0x22E004u);
    ASSERT_EQ(h.controls[1].input.size(), 17u);
    EXPECT_EQ(h.controls[1].input[16], 1);
}

TEST_F(UsbPcapDiagTest, HeaderInTwoPiecesThenRecordsGiveTheReport) {
    Bytes records;
    for (uint32_t i = 0; i < 8; i++)
        append(records, mouse_record(1000 + 125 * i));
    Bytes stream = pcap_global_header();
    append(stream, records);
    deliver_in_pieces(fake_usbpcap_add_hub(1), stream, {10, 14, 5, 40, 3}, 10);
    EXPECT_EQ(RunUsbPcapDiag(kOwner), 0);
    const FakeBox& box = only_box();
    EXPECT_EQ(box.caption, L"USBPcap 诊断 — 结果");
    EXPECT_EQ(box.type, (UINT)MB_ICONINFORMATION);
    EXPECT_EQ(box.text, expected_report(records));
    EXPECT_NE(box.text.find(L"  平均交付率   :  8000.0 Hz\n"), std::wstring::npos);
}

TEST_F(UsbPcapDiagTest, EmptyOrFailedHeaderReadsShowTheReadFailure) {
    const std::wstring expected = kLog1 + kLog2 + kLog3 + kLog4 +
                                  L"无法读取 USBPcap 全局头。\n\n设备已打开但无数据返回 — "
                                  L"可能 USBPcap 服务正在启动中，等 2~3 秒再试。";
    fake_usbpcap_add_hub(1).script.push_back(FakeDelivery{3, FAKE_READ_ZERO, {}});
    EXPECT_EQ(RunUsbPcapDiag(kOwner), 1);
    EXPECT_EQ(only_box().caption, L"USBPcap 诊断 — 读取失败");
    EXPECT_EQ(only_box().text, expected);

    fake_usbpcap_reset();
    g_fake_boxes.clear();
    FakeHub& hub = fake_usbpcap_add_hub(1);
    Bytes header = pcap_global_header();
    hub.script.push_back(data_at(3, Bytes(header.begin(), header.begin() + 10)));
    hub.script.push_back(FakeDelivery{4, FAKE_READ_ZERO, {}});
    EXPECT_EQ(RunUsbPcapDiag(kOwner), 1);
    EXPECT_EQ(only_box().text, expected);

    // A header that never comes is given up after three seconds.
    fake_usbpcap_reset();
    g_fake_boxes.clear();
    fake_usbpcap_add_hub(1);
    EXPECT_EQ(RunUsbPcapDiag(kOwner), 1);
    EXPECT_EQ(only_box().text, expected);
    EXPECT_EQ(g_fake_clock.elapsed_ms, 3000u);
    EXPECT_EQ(g_fake_usbpcap.hubs[0].cancels, 1);
}

TEST_F(UsbPcapDiagTest, WrongMagicIsShownInUpperCaseHexAndABigEndianHeaderByName) {
    const std::wstring advice = L"这通常意味着 USBPcap 版本不兼容。\n当前测试版本: USBPcap 1.5.x\n"
                                L"如果您使用的是更新/更旧版本，请到以下地址下载最新版" + kSuffix;
    fake_usbpcap_add_hub(1).script.push_back(data_at(1, pcap_global_header(0x0A0D0D0A)));
    EXPECT_EQ(RunUsbPcapDiag(kOwner), 1);
    EXPECT_EQ(only_box().caption, L"USBPcap 诊断 — 版本不匹配");
    EXPECT_EQ(only_box().text, kLog1 + kLog2 + kLog3 + kLog4 +
                                   L"USBPcap 全局头 magic 不匹配 (0x0A0D0D0A)\n\n" + advice);

    // Its records would be read little-endian: refused, and named.
    fake_usbpcap_reset();
    g_fake_boxes.clear();
    Bytes big = pcap_global_header(0xA1B23C4D, 249, true);
    append(big, mouse_record(1000));
    fake_usbpcap_add_hub(1).script.push_back(data_at(1, big));
    EXPECT_EQ(RunUsbPcapDiag(kOwner), 1);
    EXPECT_EQ(only_box().caption, L"USBPcap 诊断 — 版本不匹配");
    EXPECT_EQ(only_box().text, kLog1 + kLog2 + kLog3 + kLog4 +
                                   L"USBPcap 全局头是大端字节序 (开头字节 A1 B2 3C 4D)\n\n"
                                   L"USBPcap 在 Windows 上按小端字节序写数据流，本程序不按小端去读大端的流。\n" +
                                   advice);
}

// A stream that claims a record larger than USBPcap writes ends its hub, as
// --usb ends one, rather than growing with every read; what the hub counted
// before stays in the report.
TEST_F(UsbPcapDiagTest, ACorruptStreamStopsItsHubWithinTheTailBound) {
    Bytes records;
    for (uint32_t i = 0; i < 8; i++)
        append(records, mouse_record(1000 + 125 * i));
    FakeHub& hub = fake_usbpcap_add_hub(1);
    Bytes stream = pcap_global_header();
    append(stream, records);
    hub.script.push_back(data_at(1, stream));
    Bytes huge = {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0};
    hub.script.push_back(data_at(2, huge));
    for (uint32_t k = 0; k < 200; k++)  // 3.2 MB that never completes the record
        hub.script.push_back(data_at(3 + k, Bytes(16000, 0)));
    EXPECT_EQ(RunUsbPcapDiag(kOwner), 0);
    EXPECT_EQ(only_box().text, expected_report(records));
    EXPECT_LE(g_fake_heap.largest_block, (size_t)HUB_LARGEST_TAIL * 2);
    EXPECT_LT(g_fake_usbpcap.hubs[0].next, hub.script.size()) << "the hub was read to its end";
}

TEST_F(UsbPcapDiagTest, HeaderWaitAndCaptureShareOneThreeSecondDeadlineEvenAcrossTheTickWrap) {
    // A slow header no longer adds its wait to a full capture window: the
    // window's thread is held three seconds at most, not six.
    for (uint32_t start : {1000u, 0xFFFFF000u}) {
        fake_usbpcap_reset(start);
        g_fake_boxes.clear();
        fake_usbpcap_add_hub(1).script.push_back(data_at(2900, pcap_global_header()));
        EXPECT_EQ(RunUsbPcapDiag(kOwner), 0);
        EXPECT_EQ(g_fake_clock.elapsed_ms, 3000u) << start;
        EXPECT_EQ(g_fake_usbpcap.hubs[0].cancels, 1);
        EXPECT_NE(only_box().text.find(L"  总包数      : 0\n"), std::wstring::npos);
    }
}

TEST_F(UsbPcapDiagTest, FailingReadsInTheWindowPauseAndAreNotReported) {
    FakeHub& hub = fake_usbpcap_add_hub(1);
    hub.script.push_back(data_at(1, pcap_global_header()));
    for (uint32_t t = 2; t < 4000; t += 1)
        hub.script.push_back(FakeDelivery{0, FAKE_READ_FAIL, {}});
    EXPECT_EQ(RunUsbPcapDiag(kOwner), 0);
    EXPECT_GE(g_fake_clock.sleeps, 590);  // 5 ms at a time for 3 s
    EXPECT_EQ(only_box().caption, L"USBPcap 诊断 — 结果");
}

TEST_F(UsbPcapDiagTest, AFailedWaitEndsTheHubsInsteadOfSpinning) {
    fake_usbpcap_add_hub(1).script.push_back(data_at(1, pcap_global_header()));
    g_fake_usbpcap.wait_fails = true;
    EXPECT_EQ(RunUsbPcapDiag(kOwner), 1);
    EXPECT_EQ(only_box().caption, L"USBPcap 诊断 — 读取失败");
    EXPECT_EQ(g_fake_clock.elapsed_ms, 0u) << "the failed wait was retried";
}

// Every hub counts into the tally and into one endpoint table; the headline's
// rates are the busiest interrupt-IN endpoint's alone, the other listed apart.
TEST_F(UsbPcapDiagTest, TwoHubsInArbitrarySplitsAreMergedAndABadHubIsSkipped) {
    Bytes first, second;
    for (uint32_t i = 0; i < 40; i++) {
        if (i < 30)
            append(first, mouse_record(100000 + 1000 * i));
        append(second, mouse_record(200000 + 250 * i, 2));
    }
    UsbPacket config;
    config.header_len = 28;
    config.function = 8;
    config.transfer = 2;
    config.endpoint = 0x80;
    config.bus = 2;
    config.payload = config_descriptor({{0x81, 3, 3}});
    append(second, pcap_record(8, 0, usb_packet(config)));

    fake_usbpcap_add_hub(1).open_error = 5;  // refused: skipped
    Bytes s1 = pcap_global_header();
    append(s1, first);
    deliver_in_pieces(fake_usbpcap_add_hub(2), s1, {7, 30, 1, 999, 17, 64}, 5);
    Bytes s2 = pcap_global_header();
    append(s2, second);
    deliver_in_pieces(fake_usbpcap_add_hub(4), s2, {24, 50, 50, 13}, 8);
    fake_usbpcap_add_hub(5).script.push_back(data_at(2, pcap_global_header(0x12345678)));

    EXPECT_EQ(RunUsbPcapDiag(kOwner, 0), 0);
    const std::wstring text = only_box().text;
    EXPECT_NE(text.find(L"  总包数      : 71\n  批量/中断   : 70\n  控制传输     : 1\n"
                        L"  中断IN有效  : 68\n"),
              std::wstring::npos)
        << text.c_str();
    EXPECT_NE(text.find(L"  鼠标端点     : 2.2.0x81 (40 个报告)\n"
                        L"  有效间隔     : 39\n"
                        L"  平均交付率   :  4000.0 Hz\n  最低瞬时     :  4000.0 Hz\n"
                        L"  未计入以上数字 (端点与报告数): 1.2.0x81 (30)\n"),
              std::wstring::npos);
    EXPECT_NE(text.find(L"探测到中断端点 bInterval = 3\n"
                        L"  → 该端点理论上限取决于设备速度: 全速下约 500 Hz，高速下约 2000 Hz\n"),
              std::wstring::npos);
}

// The chosen mouse's endpoint is judged when the capture shows which device
// it is, however busy another one is.
TEST_F(UsbPcapDiagTest, TheChosenMouseIsJudgedWhenItsDeviceIsSeen) {
    Bytes stream = pcap_global_header();
    UsbPacket device;
    device.header_len = 28;
    device.function = 8;
    device.transfer = 2;
    device.endpoint = 0x80;
    device.device = 3;
    device.payload = device_descriptor(0x0200, 8, 0x046D, 0xC05A);
    append(stream, pcap_record(7, 0, usb_packet(device)));
    for (uint32_t i = 0; i < 20; i++) {
        append(stream, mouse_record(1000 + 1000 * i));
        if (i < 10) {
            UsbPacket p;
            p.device = 3;
            p.payload = {0, 1, 0, 0};
            append(stream, pcap_record(7, 1500 + 2000 * i, usb_packet(p)));
        }
    }
    const int was = g_nri;
    g_nri = 3;
    wcscpy(g_ri_devs[2].vid, L"046D");
    wcscpy(g_ri_devs[2].pid, L"C05A");
    fake_usbpcap_add_hub(1).script.push_back(data_at(3, stream));
    DiagOutcome out;
    usbpcap_diag_run(&out, 2);
    g_nri = was;
    g_ri_devs[2].vid[0] = g_ri_devs[2].pid[0] = 0;
    EXPECT_EQ(out.result, 0);
    const std::wstring text = out.text;
    EXPECT_NE(text.find(L"  鼠标端点     : 1.3.0x81 (10 个报告, 所选鼠标 046D:C05A)\n"
                        L"  有效间隔     : 9\n"
                        L"  平均交付率   :   500.0 Hz\n"),
              std::wstring::npos)
        << text.c_str();
    EXPECT_NE(text.find(L"  未计入以上数字 (端点与报告数): 1.2.0x81 (20)\n"), std::wstring::npos);
}

}  // namespace
