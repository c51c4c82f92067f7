// Capture stream analysis: header check, record walk over arbitrary chunk
// splits, the tally's rules and the exact report text.
#include <gtest/gtest.h>
#include <wchar.h>

#include <string>

#include "core/captures/capture_headline.h"
#include "core/captures/capture_stream.h"
#include "core/captures/usbpcap_count.h"
#include "core/views/capture_file_report.h"
#include "core/views/texts.h"
#include "tests/fakes/fake_heap.h"
#include "tests/support/capture_builder.h"

namespace {

const std::wstring kReportHead =
    L"USBPcap 诊断结果 (USB 主机控制器层, 3秒)\n\n数据摘要:\n"
    L"  总包数      : %TOTAL%\n  批量/中断   : %BULK%\n  控制传输     : %CTRL%\n"
    L"  中断IN有效  : %VALID%\n\n回报率统计 (仅中断IN, 100μs~50ms):\n";
const std::wstring kNoBinterval =
    L"\n\n未在控制传输中解析到中断端点 bInterval\n  (需设备重新枚举才能捕获描述符)\n";
const std::wstring kDirectionHint = L"\n提示: 未读到方向 info 字节，如果数值异常可能方向判断有误。\n";
const std::wstring kNoValidIn =
    L"\n⚠ 未捕获到有效的中断IN传输。\n可能原因: 测量期间内没有移动鼠标，或 USBPcap 未捕获到鼠标数据。\n";
const std::wstring kLimitedRemark = L"  ⚠ 若你设了 8K 但上限≤2000Hz，说明接收器 USB 端被限频到 2K。\n";
const std::wstring kEightKRemark = L"  √ 端点上限支持 8K，如果实际仍然低，查配置/驱动。\n";

bool contains(const std::wstring& text, const std::wstring& piece) {
    return text.find(piece) != std::wstring::npos;
}

class CaptureStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_heap_reset();
        texts_set_lang(LANG_ZH);
        table = new UsbEndpointTable();  // zeroed: reset() frees it first
        reset();
    }
    void TearDown() override {
        texts_set_lang(LANG_EN);
        gb_free(&buf);
        usb_endpoints_free(table);
        delete table;
        EXPECT_EQ(g_fake_heap.live_blocks, 0);
    }
    // An empty count and endpoint table, as the window's diagnostic starts.
    void reset() {
        usbpcap_counter_init(&count);
        usb_endpoints_free(table);
        usb_endpoints_init(table, 0);
        table->no_clocks = true;
        buf.len = 0;
    }
    // The window's report of what was counted, in the language chosen.
    std::wstring report() {
        CaptureHeadline h;
        capture_headline_of(table, NULL, &h);
        wchar_t out[CAPTURE_REPORT_UNITS];
        format_capture_headline(&tally, &h, txw(TX_CAP_THREE_SECONDS), out);
        return out;
    }
    // Feeds bytes in chunks of the given size, walking after every chunk as the
    // live diagnostic does once the header has been accepted.
    void feed_stream(const Bytes& bytes, size_t chunk) {
        bool header_done = false;
        for (size_t at = 0; at < bytes.size(); at += chunk) {
            size_t n = std::min(chunk, bytes.size() - at);
            gb_append(&buf, bytes.data() + at, n);
            if (!header_done) {
                HeaderCheck c = check_global_header(&buf);
                ASSERT_NE(c.result, HEADER_REJECTED);
                header_done = c.result == HEADER_ACCEPTED;
            }
            if (header_done)
                usbpcap_count_stream(&buf, &count, table, NULL, NULL);
        }
    }
    void feed_records(const Bytes& records) {
        gb_append(&buf, records.data(), records.size());
        usbpcap_count_stream(&buf, &count, table, NULL, NULL);
    }
    Bytes in_record(uint32_t sec, uint32_t usec, uint8_t info = 1) {
        UsbPacket p;
        p.info = info;
        p.payload = {0, 1, 0, 0};
        return pcap_record(sec, usec, usb_packet(p));
    }
    // count reports of 1.2.0x81 from second 2 on, gap_us apart but for a few
    // microseconds of jitter, as a fine clock stamps them.
    void feed_reports(int count, int gap_us) {
        Bytes records;
        int64_t t = 2000000;
        for (int i = 0; i < count; i++, t += gap_us + (i % 2 ? 3 : -3))
            append(records, in_record((uint32_t)(t / 1000000), (uint32_t)(t % 1000000)));
        feed_records(records);
    }
    GrowBuf buf = {};
    UsbPcapCounter count;
    UsbEndpointTable* table = nullptr;  // the diagnostic's, large: on the heap
    CaptureTally& tally = count.tally;
};

TEST_F(CaptureStreamTest, HeaderOnlyStreamGivesTheEmptyReport) {
    feed_stream(pcap_global_header(), 24);
    EXPECT_EQ(buf.len, 0u);
    std::wstring expected = kReportHead;
    for (const wchar_t* key : {L"%TOTAL%", L"%BULK%", L"%CTRL%", L"%VALID%"})
        expected.replace(expected.find(key), wcslen(key), L"0");
    expected += L"  鼠标端点     : 无 (没有带数据的中断IN端点)\n";
    expected += L"  平均交付率   :     0.0 Hz\n  最低瞬时     :     0.0 Hz\n";
    expected += kDirectionHint + kNoValidIn;
    EXPECT_EQ(report(), expected);
}

TEST_F(CaptureStreamTest, HeaderPendsRejectsAndRefusesTheBigEndianMagicByName) {
    Bytes header = pcap_global_header();
    gb_append(&buf, header.data(), 10);
    EXPECT_EQ(check_global_header(&buf).result, HEADER_PENDING);
    gb_append(&buf, header.data() + 10, 13);
    EXPECT_EQ(check_global_header(&buf).result, HEADER_PENDING);
    gb_append(&buf, header.data() + 23, 1);
    EXPECT_EQ(check_global_header(&buf).result, HEADER_ACCEPTED);
    EXPECT_EQ(buf.len, 0u);

    buf.len = 0;
    Bytes other = pcap_global_header(0x0A0D0D0A);
    gb_append(&buf, other.data(), other.size());
    HeaderCheck c = check_global_header(&buf);
    EXPECT_EQ(c.result, HEADER_REJECTED);
    EXPECT_EQ(c.magic, 0x0A0D0D0Au);
    EXPECT_EQ(buf.len, 24u);

    // A big-endian header (microseconds or nanoseconds) is refused as such:
    // its records would be read little-endian.
    for (uint32_t magic : {0xA1B2C3D4u, 0xA1B23C4Du}) {
        buf.len = 0;
        Bytes stream = pcap_global_header(magic, 249, true);
        append(stream, in_record(1, 0));
        gb_append(&buf, stream.data(), stream.size());
        c = check_global_header(&buf);
        EXPECT_EQ(c.result, HEADER_BIG_ENDIAN) << magic;
        EXPECT_EQ(c.magic, __builtin_bswap32(magic));
        EXPECT_EQ(buf.len, stream.size());
    }
}

TEST_F(CaptureStreamTest, RecordsSplitAnywhereAreCountedOnceAfterTheyComplete) {
    Bytes stream = pcap_global_header();
    for (uint32_t i = 0; i < 20; i++)
        append(stream, in_record(10, 1000 * i));
    for (size_t chunk : {1u, 7u, 16u, 43u, 16384u}) {
        reset();
        feed_stream(stream, chunk);
        EXPECT_EQ(tally.total_packets, 20u) << chunk;
        EXPECT_EQ(tally.valid_in_intervals, 19u) << chunk;
        EXPECT_EQ(buf.len, 0u) << chunk;
    }
    // A record whose last byte is missing stays in the buffer uncounted.
    reset();
    Bytes one = in_record(1, 1);
    gb_append(&buf, one.data(), one.size() - 1);
    usbpcap_count_stream(&buf, &count, table, NULL, NULL);
    EXPECT_EQ(tally.total_packets, 0u);
    EXPECT_EQ(buf.len, one.size() - 1);
}

TEST_F(CaptureStreamTest, GapWindowIsExclusiveAndEveryInRecordBecomesThePrevious) {
    Bytes records;
    append(records, in_record(5, 0));
    append(records, in_record(5, 125));     // counted: 125
    append(records, in_record(5, 225));     // exactly 100: not counted
    append(records, in_record(5, 50225));   // exactly 50000: not counted
    append(records, in_record(5, 50600));   // counted: 375
    append(records, in_record(5, 50500));   // backwards: not counted
    append(records, in_record(5, 50600));   // 100 after the backwards one: not counted
    feed_records(records);
    EXPECT_EQ(tally.valid_in_intervals, 2u);
    EXPECT_EQ(tally.max_interval_us, 375);
    EXPECT_EQ(tally.prev_in_ts_us, 5050600);
    CaptureFigures f;
    capture_figures(&tally, &f);
    EXPECT_DOUBLE_EQ(f.average_hz, 4000.0);
    EXPECT_NEAR(f.lowest_hz, 2666.7, 0.05);
    // The report's rates are the endpoint's, whose window takes both ends:
    // 125, 100, 50000, 375 and 100 us.
    std::wstring text = report();
    EXPECT_TRUE(contains(text, L"  平均交付率   :    98.6 Hz\n  最低瞬时     :    20.0 Hz\n")) << text;
    EXPECT_FALSE(contains(text, kNoValidIn));
}

TEST_F(CaptureStreamTest, DirectionFlagPresentClearOrMissing) {
    feed_records(in_record(1, 0, 0));  // clear: host to device
    EXPECT_EQ(tally.bulk_int_packets, 1u);
    EXPECT_TRUE(tally.dir_byte_seen);
    EXPECT_EQ(tally.prev_in_ts_us, -1);

    reset();
    UsbPacket no_info;
    no_info.header_len = 16;  // function code, but no info byte
    no_info.info = 0;
    feed_records(pcap_record(2, 0, usb_packet(no_info)));
    EXPECT_EQ(tally.bulk_int_packets, 1u);
    EXPECT_FALSE(tally.dir_byte_seen);
    EXPECT_EQ(tally.prev_in_ts_us, 2000000);
    EXPECT_TRUE(contains(report(), kDirectionHint));
}

TEST_F(CaptureStreamTest, UnusableHeadersCountOnlyInTheTotal) {
    std::vector<UsbPacket> packets(5);
    packets[0].header_len = 11;
    packets[1].header_len = 257;
    packets[2].header_len = 200;  // above incl_len
    packets[3].header_len = 12;   // usable, but too short to hold a function code
    packets[4].function = 0x0A;   // isochronous: another function
    Bytes records;
    for (UsbPacket& p : packets) {
        p.header_bytes = p.header_len > 27 ? 27 : 0;
        append(records, pcap_record(1, 0, usb_packet(p)));
    }
    append(records, pcap_record(1, 0, Bytes{27}));  // too short to hold headerLen
    feed_records(records);
    EXPECT_EQ(tally.total_packets, 6u);
    EXPECT_EQ(tally.bulk_int_packets, 0u);
    EXPECT_EQ(tally.control_packets, 0u);
    EXPECT_EQ(tally.prev_in_ts_us, -1);
}

Bytes control_record(const Bytes& payload, uint16_t function = 8) {
    UsbPacket p;
    p.header_len = 28;
    p.function = function;
    p.transfer = 2;
    p.endpoint = 0x80;
    p.payload = payload;
    return pcap_record(1, 0, usb_packet(p));
}

// The tally keeps the smallest interrupt bInterval of any descriptor; the
// headline reads the mouse endpoint's own.
TEST_F(CaptureStreamTest, DescriptorWalkFindsTheSmallestInterruptInterval) {
    feed_records(control_record(config_descriptor({{0x81, 3, 4}, {0x82, 3, 1}, {0x02, 2, 0}})));
    EXPECT_EQ(tally.control_packets, 1u);
    EXPECT_EQ(tally.min_binterval, 1);
    feed_reports(20, 4000);
    std::wstring text = report();
    EXPECT_TRUE(contains(text, L"  鼠标端点     : 1.2.0x81 (20 个报告)\n")) << text;
    EXPECT_TRUE(contains(text, L"\n\n探测到中断端点 bInterval = 4\n"
                               L"  → 该端点理论上限取决于设备速度: 全速下约 250 Hz，高速下约 1000 Hz\n"))
        << text;

    // Bulk endpoints, truncated descriptors and descriptors behind bLength 0 don't count.
    reset();
    feed_records(control_record(config_descriptor({{0x02, 2, 0}}), 11));
    Bytes cut = {7, 5, 0x81, 3, 8, 0};  // endpoint descriptor missing its bInterval byte
    feed_records(control_record(cut));
    Bytes stop = {9, 2, 0, 0, 0, 0, 0, 0, 0, 0, 5};
    append(stop, Bytes{7, 5, 0x81, 3, 8, 0, 1});
    feed_records(control_record(stop));
    EXPECT_EQ(tally.control_packets, 3u);
    EXPECT_EQ(tally.min_binterval, -1);
    feed_reports(20, 4000);
    EXPECT_TRUE(contains(report(), kNoBinterval));
}

// bInterval is read at the speed the descriptors show; without one, both
// readings are given. 8K is promised only to a device shown to be high speed.
TEST_F(CaptureStreamTest, TheLimitFollowsTheSpeedShownAndOnlyHighSpeedIsPromised8K) {
    // A wide interrupt endpoint shows high speed; a device-qualifier answer
    // shows only that the device could run at it.
    const Bytes full = device_descriptor(0x0200, 8), high = config_descriptor({{0x82, 3, 4, 512}}),
                qualifier = qualifier_descriptor();
    const struct {
        int binterval;
        const Bytes* speed;  // null: nothing tells
        const wchar_t* limit;
        const std::wstring* remark;
    } rows[] = {
        {1, &high, L"  → 该端点理论上限约 8000 Hz\n"
                   L"  (设备 1.2 有 wMaxPacketSize 为 512 的中断端点，超过全速的 64: 高速设备，bInterval 按 125 "
                   L"μs 微帧计)\n",
         &kEightKRemark},
        {4, &high, L"  → 该端点理论上限约 1000 Hz\n", &kLimitedRemark},
        {1, &full, L"  → 该端点理论上限约 1000 Hz\n"
                   L"  (设备 1.2 的 bMaxPacketSize0 为 8，低于 64: 不是高速设备，bInterval 按 1 ms 帧计)\n"
                   L"  ⚠ 不是高速设备: 端点上限 1000 Hz，达不到 8K。\n",
         nullptr},
        {10, &full, L"  → 该端点理论上限约 125 Hz\n", nullptr},
        {1, &qualifier, L"  → 该端点理论上限取决于设备速度: 全速下约 1000 Hz，高速下约 8000 Hz\n", nullptr},
        {1, nullptr, L"  → 该端点理论上限取决于设备速度: 全速下约 1000 Hz，高速下约 8000 Hz\n"
                     L"  ? 端点能否支持 8K 取决于设备速度，抓包未显示设备速度: 高速下 8000 Hz，全速下 1000 Hz。\n",
         nullptr},
        {10, nullptr, L"全速下约 125 Hz，高速下约 15.6 Hz\n", nullptr},
        {32, nullptr, L"  → 该端点理论上限在全速下约 31.2 Hz (此 bInterval 在高速下无效)\n", nullptr},
        {0, nullptr, L"  → bInterval = 0 在此速度下对中断端点无效\n", nullptr},
    };
    for (const auto& row : rows) {
        reset();
        if (row.speed)
            feed_records(control_record(*row.speed));
        feed_records(control_record(config_descriptor({{0x81, 3, (uint8_t)row.binterval}})));
        feed_reports(30, 8000);
        std::wstring text = report();
        EXPECT_TRUE(contains(text, row.limit)) << row.binterval << text;
        EXPECT_EQ(contains(text, kEightKRemark), row.remark == &kEightKRemark) << row.binterval;
        EXPECT_EQ(contains(text, kLimitedRemark), row.remark == &kLimitedRemark) << row.binterval;
    }
}

// Every word of the headline in English; the figures as in Chinese.
TEST_F(CaptureStreamTest, TheHeadlineInEnglish) {
    texts_set_lang(LANG_EN);
    feed_records(control_record(device_descriptor(0x0110, 8)));
    feed_records(control_record(config_descriptor({{0x81, 3, 10}})));
    Bytes other;
    UsbPacket bulk;
    bulk.transfer = 3;
    bulk.endpoint = 0x84;
    bulk.payload = {1, 2};
    append(other, pcap_record(1, 0, usb_packet(bulk)));
    feed_records(other);
    feed_reports(3, 8000);
    EXPECT_EQ(report(),
              L"USBPcap diagnostic result (USB host controller layer, 3 s)\n\nData summary:\n"
              L"  Total packets     : 6\n  Bulk/interrupt    : 4\n  Control transfers : 2\n"
              L"  Valid IN gaps     : 2\n\nReport rate (interrupt-IN only, 100 us to 50 ms):\n"
              L"  Mouse endpoint    : 1.2.0x81 (3 reports)\n"
              L"  Valid gaps        : 2\n"
              L"  Average delivery  :   125.0 Hz\n  Lowest instant    :   125.0 Hz\n"
              L"  Not in these figures (endpoint and reports): 1.2.0x84 (bulk 1)\n"
              L"\n\nInterrupt endpoint bInterval = 10\n"
              L"  → this endpoint's theoretical limit is about 125 Hz\n"
              L"  (device 1.2 has bcdUSB 1.10, below 2.0: not high speed, so bInterval counts 1 ms "
              L"frames)\n");
}

TEST_F(CaptureStreamTest, GrowthDoublesFromSixtyFourKibAndAFailedGrowthDropsTheChunk) {
    Bytes chunk(16384, 0xAB);
    gb_append(&buf, chunk.data(), chunk.size());
    EXPECT_EQ(buf.cap, 65536u);
    for (int i = 0; i < 3; i++)
        gb_append(&buf, chunk.data(), chunk.size());
    EXPECT_EQ(buf.cap, 65536u);
    g_fake_heap.fail_all = true;
    gb_append(&buf, chunk.data(), chunk.size());
    EXPECT_EQ(buf.len, 65536u);
    EXPECT_EQ(buf.cap, 65536u);
    g_fake_heap.fail_all = false;
    gb_append(&buf, chunk.data(), chunk.size());
    EXPECT_EQ(buf.len, 65536u + 16384u);
    EXPECT_EQ(buf.cap, 131072u);
}

TEST_F(CaptureStreamTest, LargeSecondsDoNotOverflowTheTimestamp) {
    Bytes records;
    append(records, in_record(0xFFFFFFFF, 999000));
    append(records, in_record(0xFFFFFFFF, 999500));
    feed_records(records);
    EXPECT_EQ(tally.prev_in_ts_us, (int64_t)0xFFFFFFFF * 1000000 + 999500);
    EXPECT_EQ(tally.valid_in_intervals, 1u);
}

}  // namespace
