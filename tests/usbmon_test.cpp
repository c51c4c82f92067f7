// usbmon captures (Linux): synthetic files built here record by record with
// the capture builder (both header sizes, both byte orders, pcap and pcapng,
// mixed link types, records that cannot be used), and the shared usbmon
// capture against the counts tshark gives (captures/SOURCES.md).
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>

#include "core/captures/capture_file.h"
#include "core/figures/distribution.h"
#include "core/figures/layer_compare.h"
#include "core/views/layer_text.h"
#include "core/views/capture_file_report.h"
#include "core/views/texts.h"
#include "tests/support/capture_analysis.h"
#include "tests/support/capture_builder.h"

namespace {

// Small reads: records split across them.
Analysis analyse(const Bytes& file) {
    MemoryFile f = {&file, 0, file.size()};
    CaptureSource src = {read_memory, &f, file.size(), 100, NULL, NULL, 0};
    return analyse_source(src);
}

std::wstring report_of(const CaptureFileAnalysis& a) {
    WideText out = {};
    format_capture_file_report(&a, L"x.pcap", &out);
    std::wstring text = out.data ? out.data : L"";
    wide_text_free(&out);
    return text;
}

const UsbEndpoint* endpoint(const CaptureFileAnalysis& a, uint16_t bus, uint16_t device, uint8_t ep) {
    for (int i = 0; i < a.endpoints.count; i++) {
        const UsbEndpoint* e = &a.endpoints.slot[i];
        if (e->bus == bus && e->device == device && e->endpoint == ep)
            return e;
    }
    return NULL;
}

// One file's records in order, with their stamps in microseconds.
struct Records {
    std::vector<std::pair<int64_t, Bytes>> list;
    void add(int64_t us, const Bytes& packet) { list.push_back({us, packet}); }
};

// A mouse on bus.2.0x81 enumerated (its configuration asked for and given,
// bInterval 1), then 50 reports at 1 kHz, each a submission and its
// completion; beside them what no endpoint counts: a cancelled completion, a
// completion without data, an OUT completion.
Records mouse_records(uint32_t header_bytes, bool big, uint16_t bus = 1) {
    Records r;
    Bytes s = usbmon_get_descriptor(2, 0xABCD, header_bytes, big);
    Bytes c = usbmon_descriptor_reply(2, 0xABCD, config_descriptor({{0x81, 3, 1}}), header_bytes, big);
    put16(s, 12, bus, big);
    put16(c, 12, bus, big);
    r.add(100, s);
    r.add(200, c);
    UsbmonPacket report;
    report.bus = bus;
    report.payload = {0, 1, 0xFF, 0};
    UsbmonPacket submission = report;
    submission.type = 'S';
    submission.status = -115;
    submission.payload.clear();
    submission.length = 4;
    for (int i = 1; i <= 50; i++) {
        r.add(1000 * i - 500, usbmon_packet(submission, header_bytes, big));
        r.add(1000 * i, usbmon_packet(report, header_bytes, big));
    }
    UsbmonPacket cancelled = report, empty = report, out = report;
    cancelled.status = -2;
    empty.payload.clear();
    out.endpoint = 0x02;
    for (const UsbmonPacket* p : {&cancelled, &empty, &out})
        r.add(60000, usbmon_packet(*p, header_bytes, big));
    return r;
}

Bytes as_pcap(const Records& r, uint32_t link_type, bool big) {
    Bytes f = pcap_global_header(0xA1B2C3D4, link_type, big);
    for (const auto& rec : r.list)
        append(f, pcap_record((uint32_t)(rec.first / 1000000), (uint32_t)(rec.first % 1000000),
                              rec.second, big));
    return f;
}

Bytes as_pcapng(const Records& r, uint32_t link_type, bool big) {
    Bytes f = pcapng_section(big);
    append(f, pcapng_interface((uint16_t)link_type, -1, big));
    for (const auto& rec : r.list)
        append(f, pcapng_packet(0, (uint64_t)rec.first, rec.second, big));
    return f;
}

TEST(UsbmonTest, BothHeadersBothByteOrdersPcapAndPcapngCountAlike) {
    for (uint32_t link : {220u, 189u}) {
        const uint32_t header = link == 220 ? 64 : 48;
        for (bool big : {false, true}) {
            for (bool ng : {false, true}) {
                const Records r = mouse_records(header, big);
                Analysis a = analyse(ng ? as_pcapng(r, link, big) : as_pcap(r, link, big));
                const std::string what = std::to_string(link) + (big ? " big" : " little") +
                                         (ng ? " pcapng" : " pcap");
                ASSERT_EQ(a->status, CAPTURE_FILE_OK) << what;
                EXPECT_TRUE(capture_is_usbmon(a.get())) << what;
                EXPECT_EQ(a->usbmon_records, 105u) << what;
                EXPECT_EQ(a->usbmon.unusable, 0u) << what;
                const CaptureTally& t = a->count.tally;
                EXPECT_EQ(t.total_packets, 105u) << what;
                EXPECT_EQ(t.control_packets, 2u) << what;
                EXPECT_EQ(t.bulk_int_packets, 103u) << what;
                // Every completion of an IN transfer is a delivery, the cancelled one too.
                EXPECT_EQ(t.valid_in_intervals, 50u) << what;
                EXPECT_EQ(t.min_binterval, 1) << what;
                const UsbEndpoint* e = endpoint(*a, 1, 2, 0x81);
                ASSERT_TRUE(e) << what;
                EXPECT_EQ(e->reports, 50u) << what;
                EXPECT_EQ(e->binterval, 1) << what;
                EXPECT_EQ(e->gaps.n, 49u) << what;
                EXPECT_EQ(endpoint(*a, 1, 2, 0x02), nullptr) << what;
                EXPECT_EQ(a->last_ts_us - a->first_ts_us, 59900) << what;
            }
        }
    }
}

TEST(UsbmonTest, TheReportNamesLinuxWhereUsbPcapsNamesItself) {
    Analysis a = analyse(as_pcap(mouse_records(64, false), 220, false));
    std::wstring text = report_of(*a);
    EXPECT_EQ(text.rfind(L"File: x.pcap\nusbmon (Linux) diagnostic result (USB host controller layer, "
                         L"0.1 s)\n\nData summary:\n  Total packets     : 105\n",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find(L"  Mouse endpoint    : 1.2.0x81 (50 reports)\n"), std::wstring::npos);
    EXPECT_NE(text.find(L"\nInterrupt-IN and bulk-IN endpoints (bus.device.endpoint):\n"
                        L"  1.2.0x81  reports=50  avg= 1000.0 Hz  lowest= 1000.0 Hz  p50=1000.0us "
                        L"p99=1000.0us sd=0.0us  clock none  bInterval=1 (FS 1000 Hz / HS 8000 Hz)\n"),
              std::wstring::npos)
        << text;
    EXPECT_EQ(text.find(L"USBPcap"), std::wstring::npos);
    EXPECT_EQ(text.find(L"direction info byte"), std::wstring::npos);
    texts_set_lang(LANG_ZH);
    text = report_of(*a);
    EXPECT_EQ(text.rfind(L"File: x.pcap\nusbmon (Linux) 诊断结果 (USB 主机控制器层, 0.1秒)\n", 0), 0u);
    Analysis quiet = analyse(pcap_global_header(0xA1B2C3D4, 189));
    WideText error = {};
    format_capture_file_error(quiet.get(), L"x.pcap", &error);
    EXPECT_STREQ(error.data, L"x.pcap 中没有 usbmon 数据包；请抓得更久一些。");
    wide_text_free(&error);
    texts_set_lang(LANG_EN);
}

TEST(UsbmonTest, MixedLinkTypesInOnePcapngEachReadByItsInterface) {
    for (bool big : {false, true}) {
        Bytes f = pcapng_section(big);
        append(f, pcapng_interface(1, -1, big));     // Ethernet: passed over
        append(f, pcapng_interface(220, -1, big));   // microseconds
        append(f, pcapng_interface(189, 9, big));    // nanoseconds
        UsbmonPacket report;
        report.payload = {0, 1, 0, 0};
        UsbmonPacket other = report;
        other.bus = 3;
        for (uint64_t i = 0; i < 10; i++) {
            append(f, pcapng_packet(0, i, Bytes(60, 0xEE), big));
            append(f, pcapng_packet(1, 1000000 + i * 8000, usbmon_packet(report, 64, big), big));
            append(f, pcapng_packet(2, 2000000000000ull + i * 125000, usbmon_packet(other, 48, big), big));
        }
        Analysis a = analyse(f);
        ASSERT_EQ(a->status, CAPTURE_FILE_OK);
        EXPECT_EQ(a->count.tally.total_packets, 20u);
        const UsbEndpoint* slow = endpoint(*a, 1, 2, 0x81);
        const UsbEndpoint* fast = endpoint(*a, 3, 2, 0x81);
        ASSERT_TRUE(slow && fast);
        Distribution d;
        distribution_of_histogram(&slow->gaps, &d);
        EXPECT_EQ(d.pct_us[PCT_50], 8000.0);
        distribution_of_histogram(&fast->gaps, &d);
        EXPECT_EQ(d.pct_us[PCT_50], 125.0);
    }
}

TEST(UsbmonTest, UnusableRecordsAreCountedAndNeverReadPast) {
    UsbmonPacket report;
    report.payload = {0, 1, 0, 0};
    Bytes short_record = usbmon_packet(report);
    short_record.resize(40);  // shorter than the 48 bytes of a 189 header
    UsbmonPacket beyond = report, unknown = report, bad_transfer = report;
    beyond.len_cap = 5;  // one byte past the record
    unknown.type = 'X';
    bad_transfer.transfer = 7;
    Records r;
    r.add(1000, short_record);
    r.add(2000, usbmon_packet(beyond, 48));
    r.add(3000, usbmon_packet(unknown, 48));
    r.add(4000, usbmon_packet(bad_transfer, 48));
    r.add(5000, usbmon_packet(report, 48));
    // Each unusable record alone at the end of the file, where a read past it would leave the buffer.
    for (bool ng : {false, true}) {
        Analysis a = analyse(ng ? as_pcapng(r, 189, false) : as_pcap(r, 189, false));
        ASSERT_EQ(a->status, CAPTURE_FILE_OK);
        EXPECT_EQ(a->count.tally.total_packets, 5u);
        EXPECT_EQ(a->usbmon.unusable, 4u);
        EXPECT_EQ(a->count.tally.bulk_int_packets, 1u);
        ASSERT_TRUE(endpoint(*a, 1, 2, 0x81));
        EXPECT_EQ(endpoint(*a, 1, 2, 0x81)->reports, 1u);
        for (size_t k = 0; k < 4; k++) {
            Records alone;
            alone.add(1000, r.list[k].second);
            Analysis b = analyse(as_pcap(alone, 189, false));
            EXPECT_EQ(b->usbmon.unusable, 1u) << k;
            EXPECT_EQ(b->endpoints.count, 0) << k;
            // Said, and not taken for a Windows capture without its direction byte.
            const std::wstring text = report_of(*b);
            EXPECT_NE(text.find(L"1 of the 1 usbmon records could not be read"), std::wstring::npos) << k;
            EXPECT_EQ(text.find(L"direction info byte"), std::wstring::npos) << k;
        }
    }
    // A 64-byte header in a 48-byte record of a 220 file is short too.
    Records cut;
    cut.add(1000, usbmon_packet(report, 48));
    EXPECT_EQ(analyse(as_pcap(cut, 220, false))->usbmon.unusable, 1u);
}

TEST(UsbmonTest, AReplyDescribesOnlyWhenItsRequestWasSeen) {
    const Bytes config = config_descriptor({{0x81, 3, 4}});
    Records r;
    r.add(100, usbmon_descriptor_reply(2, 0x1111, config, 64, false));  // its request not captured
    UsbmonPacket report;
    report.payload = {1};
    r.add(200, usbmon_packet(report));
    EXPECT_EQ(endpoint(*analyse(as_pcap(r, 220, false)), 1, 2, 0x81)->binterval, -1);
    // Another URB's request does not pair either; its own does.
    Records paired;
    paired.add(50, usbmon_get_descriptor(2, 0x2222, 64, false));
    paired.list.insert(paired.list.end(), r.list.begin(), r.list.end());
    EXPECT_EQ(endpoint(*analyse(as_pcap(paired, 220, false)), 1, 2, 0x81)->binterval, -1);
    paired.list[0].second = usbmon_get_descriptor(2, 0x1111, 64, false);
    EXPECT_EQ(endpoint(*analyse(as_pcap(paired, 220, false)), 1, 2, 0x81)->binterval, 4);
}

// A Linux host's 125 Hz capture and a Windows run of another day: each
// list's figures over its own span, nothing matched.
TEST(UsbmonTest, LayersOnClocksThatAreNotTheSameStandSideBySide) {
    std::vector<int64_t> u, p;
    for (int64_t i = 0; i < 2000; i++)
        u.push_back(1424660858000000 + i * 8000);
    for (int64_t i = 0; i < 1500; i++)
        p.push_back(1797000000000000 + i * 1000);
    LayerComparison c;
    compare_layers_apart(u.data(), u.size(), p.data(), p.size(), &c);
    EXPECT_FALSE(c.overlap);
    EXPECT_EQ(c.matched, 0u);
    char text[1024] = "";
    format_layers_apart(text, sizeof text, "2.12.0x81", &c);
    EXPECT_STREQ(text,
                 "The capture is a Linux host's (usbmon) and does not overlap the run in time: the "
                 "two clocks are not the same, so the figures stand side by side, not matched report "
                 "by report.\n"
                 "USB layer: endpoint=2.12.0x81 reports=2000 median_hz=125.0 p1_hz=125.0 p99_hz=125.0 "
                 "clock_us=8000.000\n"
                 "Program layer: reports=1500 median_hz=1000.0 p1_hz=1000.0 p99_hz=1000.0 clock_us=1000.000\n");
}

std::string captures_dir() {
#ifdef QUORVIN_CAPTURES_DIR
    return QUORVIN_CAPTURES_DIR;
#else
    return "";
#endif
}

// The counts are tshark's (captures/SOURCES.md): completions of interrupt-IN
// transfers with status 0 and data, per endpoint.
TEST(UsbmonTest, TheSharedCaptureMatchesTshark) {
    FILE* f = fopen((captures_dir() + "/bkp2015-riverside-mouse-usbmon.pcapng").c_str(), "rb");
    if (!f)
        GTEST_SKIP() << "no shared usbmon capture at " << captures_dir();
    CaptureSource src = capture_source_of_file(f);
    src.chunk_bytes = 16384;
    Analysis a = analyse_source(src);
    fclose(f);
    ASSERT_EQ(a->status, CAPTURE_FILE_OK);
    EXPECT_TRUE(capture_is_usbmon(a.get()));
    EXPECT_EQ(a->count.tally.total_packets, 15316u);
    EXPECT_EQ(a->usbmon.unusable, 0u);
    EXPECT_EQ(a->ignored_tail_bytes, 0u);
    const UsbEndpoint* mouse = endpoint(*a, 2, 12, 0x81);
    const UsbEndpoint* hub = endpoint(*a, 2, 1, 0x81);
    ASSERT_TRUE(mouse && hub);
    EXPECT_EQ(mouse->reports, 7608u);
    EXPECT_EQ(hub->reports, 1u);
    int with_reports = 0;
    for (int i = 0; i < a->endpoints.count; i++)
        with_reports += a->endpoints.slot[i].reports > 0;
    EXPECT_EQ(with_reports, 2);
    Distribution d;
    distribution_of_histogram(&mouse->gaps, &d);
    EXPECT_EQ(d.pct_us[PCT_50], 8000.0);
    ASSERT_EQ(mouse->clock_figures.refusal, REPORT_CLOCK_OK);
    EXPECT_NEAR(mouse->clock_figures.period_us, 8000.0, 0.1);
    EXPECT_EQ(a->headline.mouse, mouse);
    // The mouse's device descriptor is in the capture (bMaxPacketSize0 8): not high speed.
    const UsbDevice* device = usb_device_find(&a->endpoints, 2, 12);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->vid, 0x046D);
    EXPECT_EQ(device->max_packet0, 8);
}

}  // namespace
