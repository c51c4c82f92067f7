// Offline capture analysis: synthetic pcap and pcapng files in every layout,
// the error cases, truncation, bounded reads, and the real captures in
// ../shared/captures when that folder is present.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/captures/capture_file.h"
#include "core/views/capture_file_report.h"
#include "core/views/texts.h"
#include "tests/fakes/fake_heap.h"
#include "tests/support/capture_analysis.h"
#include "tests/support/capture_builder.h"

namespace {

Analysis analyse(const Bytes& file, size_t chunk = 1 << 20, bool size_known = true) {
    MemoryFile f = {&file, 0, chunk};
    // Small reads exercise the buffer's compaction and growth.
    CaptureSource src = {read_memory, &f, size_known ? file.size() : UINT64_MAX, 256, NULL, NULL, 0};
    return analyse_source(src);
}

std::wstring report_of(const CaptureFileAnalysis& a, const wchar_t* name = L"x.pcap") {
    WideText out = {};
    format_capture_file_report(&a, name, &out);
    std::wstring text = out.data ? out.data : L"";
    wide_text_free(&out);
    return text;
}

std::wstring error_of(const CaptureFileAnalysis& a) {
    WideText out = {};
    format_capture_file_error(&a, L"x.pcap", &out);
    std::wstring text = out.data ? out.data : L"";
    wide_text_free(&out);
    return text;
}

Bytes mouse_report(uint16_t device = 2, uint8_t endpoint = 0x81) {
    UsbPacket p;
    p.device = device;
    p.endpoint = endpoint;
    p.payload = {0, 1, 0xFF, 0};
    return usb_packet(p);
}

Bytes configuration_from(uint16_t device, uint8_t endpoint, uint8_t binterval) {
    return descriptor_reply(device, config_descriptor({{endpoint, 3, binterval}}));
}

// Classic pcap: a configuration, then 1 kHz mouse reports on 1.2.0x81.
Bytes classic_pcap(uint32_t magic, bool big, bool nanoseconds) {
    Bytes f = pcap_global_header(magic, 249, big);
    append(f, pcap_record(100, 0, configuration_from(2, 0x81, 1), big));
    for (uint32_t i = 1; i <= 50; i++)
        append(f, pcap_record(100, (nanoseconds ? 1000000 : 1000) * i, mouse_report(), big));
    return f;
}

TEST(CaptureFileTest, ClassicPcapInEveryByteOrderAndResolution) {
    const struct {
        uint32_t magic;
        bool big, ns;
    } variants[] = {{0xA1B2C3D4, false, false},
                    {0xA1B2C3D4, true, false},
                    {0xA1B23C4D, false, true},
                    {0xA1B23C4D, true, true}};
    texts_set_lang(LANG_ZH);
    for (const auto& v : variants) {
        auto a = analyse(classic_pcap(v.magic, v.big, v.ns), 333);
        ASSERT_EQ(a->status, CAPTURE_FILE_OK);
        EXPECT_EQ(a->count.tally.total_packets, 51u);
        EXPECT_EQ(a->count.tally.valid_in_intervals, 49u);
        EXPECT_EQ(a->count.tally.min_binterval, 1);
        EXPECT_EQ(a->last_ts_us - a->first_ts_us, 50000);
        std::wstring text = report_of(*a);
        EXPECT_EQ(text.rfind(L"File: x.pcap\nUSBPcap 诊断结果 (USB 主机控制器层, 0.1秒)\n", 0), 0u)
            << v.magic;
        EXPECT_NE(text.find(L"  平均交付率   :  1000.0 Hz\n"), std::wstring::npos);
        // No descriptor tells the device's speed: both readings.
        EXPECT_NE(text.find(L"全速下约 1000 Hz，高速下约 8000 Hz\n"), std::wstring::npos);
        EXPECT_NE(text.find(L"\n中断IN和批量IN端点 (总线.设备.端点):\n"
                            L"  1.2.0x81  reports=50  avg= 1000.0 Hz  lowest= 1000.0 Hz"
                            L"  p50=1000.0us p99=1000.0us sd=0.0us  clock none  bInterval=1 (FS 1000 Hz / HS "
                            L"8000 Hz)\n"),
                  std::wstring::npos)
            << text.c_str();
    }
    texts_set_lang(LANG_EN);
}

TEST(CaptureFileTest, PcapngWithTwoInterfacesAndTimestampResolutions) {
    for (bool big : {false, true}) {
        Bytes f = pcapng_section(big);
        append(f, pcapng_interface(1, -1, big));   // Ethernet: skipped
        append(f, pcapng_interface(249, 9, big));  // USBPcap, nanoseconds
        for (uint64_t i = 0; i < 10; i++) {
            append(f, pcapng_packet(0, i, mouse_report(), big));
            append(f, pcapng_packet(1, 5000000000ull + i * 250000, mouse_report(), big));
        }
        // A second section restarts the interface list: microseconds, 2^-10 s.
        append(f, pcapng_section(big));
        append(f, pcapng_interface(249, 0x80 | 10, big));
        append(f, pcapng_packet(0, 5 * 1024 + 1, mouse_report(3), big));
        append(f, pcapng_packet(0, 5 * 1024 + 2, mouse_report(3), big));
        auto a = analyse(f, 61);
        ASSERT_EQ(a->status, CAPTURE_FILE_OK);
        EXPECT_EQ(a->usbpcap_records, 12u);
        // Nine 250 us gaps; the second section starts earlier (5000976 us, not
        // counted) and steps 1/1024 s (977 us after truncation).
        EXPECT_EQ(a->count.tally.valid_in_intervals, 10u);
        EXPECT_EQ(a->count.tally.interval_sum_us, 9 * 250.0 + 977);
        EXPECT_EQ(a->first_ts_us, 5000000);
        EXPECT_EQ(a->last_ts_us, 5002250);
        EXPECT_EQ(a->endpoints.count, 2);
        EXPECT_EQ(a->endpoints.slot[1].reports, 2u);
        EXPECT_EQ(a->endpoints.slot[1].gaps.n, 1u);
    }
}

// A big-endian file is read as such, never as little-endian: it gives its
// little-endian twin's report to the byte, with the snap length that ends
// the walk and the link type read from its own header.
TEST(CaptureFileTest, BigEndianFilesReadAsTheirLittleEndianTwins) {
    Bytes snapped = classic_pcap(0xA1B2C3D4, false, false);
    put32(snapped, 16, 100);  // a snap length of 100 ends the walk at a larger record
    UsbPacket large;
    large.payload = Bytes(100, 7);
    append(snapped, pcap_record(101, 0, usb_packet(large)));
    append(snapped, pcap_record(101, 5, mouse_report()));
    for (const Bytes& little : {classic_pcap(0xA1B2C3D4, false, false),
                                classic_pcap(0xA1B23C4D, false, true), snapped}) {
        const Bytes big = pcap_big_endian_twin(little);
        ASSERT_EQ(big[0], little[3]);
        auto a = analyse(little, 333);
        auto b = analyse(big, 333);
        ASSERT_EQ(b->status, CAPTURE_FILE_OK);
        EXPECT_EQ(report_of(*b), report_of(*a));
    }
    EXPECT_NE(report_of(*analyse(pcap_big_endian_twin(snapped))).find(L"\nIgnored 190 bytes"),
              std::wstring::npos);
    EXPECT_EQ(analyse(pcap_big_endian_twin(pcap_global_header(0xA1B2C3D4, 1)))->status,
              CAPTURE_FILE_NO_USBPCAP);

    std::wstring pcapng_reports[2];
    for (bool big : {false, true}) {
        Bytes f = pcapng_section(big);
        append(f, pcapng_interface(249, 6, big));
        append(f, pcapng_packet(0, 100000000, configuration_from(2, 0x81, 8), big));
        for (uint64_t i = 1; i <= 30; i++)
            append(f, pcapng_packet(0, 100000000 + 1000 * i, mouse_report(), big));
        auto a = analyse(f, 61);
        ASSERT_EQ(a->status, CAPTURE_FILE_OK) << big;
        pcapng_reports[big] = report_of(*a);
    }
    EXPECT_EQ(pcapng_reports[true], pcapng_reports[false]);
    EXPECT_NE(pcapng_reports[true].find(L"  1.2.0x81  reports=30  avg= 1000.0 Hz"),
              std::wstring::npos);
}

TEST(CaptureFileTest, ExtremePcapngTimestampsStayComparable) {
    // Found by fuzzing: stamps near 2^64 units once overflowed the gap arithmetic.
    Bytes f = pcapng_section();
    append(f, pcapng_interface(249, 0));  // whole seconds
    append(f, pcapng_packet(0, 0xFFFFFFFFFFFFFFF0ull, mouse_report()));
    append(f, pcapng_packet(0, 1, mouse_report()));
    append(f, pcapng_interface(249, 0x80 | 1));  // half seconds
    append(f, pcapng_packet(1, 0xFFFFFFFFFFFFFFFFull, mouse_report()));
    auto a = analyse(f);
    ASSERT_EQ(a->status, CAPTURE_FILE_OK);
    EXPECT_EQ(a->last_ts_us, (int64_t)1 << 62);
    EXPECT_EQ(a->first_ts_us, 1000000);
    EXPECT_EQ(a->count.tally.valid_in_intervals, 0u);
}

TEST(CaptureFileTest, EndpointsAreSortedByReportsAndCappedAtSixteen) {
    Bytes f = pcap_global_header();
    uint32_t t = 0;
    for (uint16_t dev = 1; dev <= 20; dev++) {
        for (int i = 0; i < dev; i++)
            append(f, pcap_record(1, t += 1000, mouse_report(dev, 0x81)));
    }
    append(f, pcap_record(1, t += 1000, configuration_from(20, 0x81, 4)));
    auto a = analyse(f);
    ASSERT_EQ(a->status, CAPTURE_FILE_OK);
    std::wstring text = report_of(*a);
    size_t first = text.find(L"  1.20.0x81  reports=20");
    size_t second = text.find(L"  1.19.0x81  reports=19");
    ASSERT_NE(first, std::wstring::npos);
    EXPECT_LT(first, second);
    EXPECT_NE(text.find(L"reports=20  avg= 1000.0 Hz  lowest= 1000.0 Hz  p50=1000.0us p99=1000.0us "
                        L"sd=0.0us  clock none  bInterval=4 (FS 250 Hz / HS 1000 Hz)\n"),
              std::wstring::npos);
    EXPECT_NE(text.find(L"reports=19  avg= 1000.0 Hz  lowest= 1000.0 Hz  p50=1000.0us p99=1000.0us "
                        L"sd=0.0us  clock none  bInterval not seen\n"),
              std::wstring::npos);
    EXPECT_NE(text.find(L"  1.5.0x81  reports=5"), std::wstring::npos);
    EXPECT_EQ(text.find(L"  1.4.0x81  reports=4"), std::wstring::npos);

    // A file name long enough to push the report past any fixed buffer loses
    // nothing: the name whole, and every one of the sixteen endpoint lines.
    std::wstring long_name(5000, L'n');
    text = report_of(*a, long_name.c_str());
    EXPECT_EQ(text.find(L"File: " + long_name + L"\n"), 0u);
    EXPECT_NE(text.find(L"  1.5.0x81  reports=5  avg="), std::wstring::npos);
}

TEST(CaptureFileTest, ErrorsNameTheProblem) {
    EXPECT_EQ(error_of(*analyse(Bytes{})),
              L"x.pcap is empty; give a capture saved by USBPcapCMD or Wireshark.");
    Bytes html = {'<', 'h', 't', 'm', 'l', '>'};
    EXPECT_EQ(error_of(*analyse(html)),
              L"x.pcap is not a pcap or pcapng file (it starts with 3C 68 74 6D); give a capture "
              L"saved by USBPcapCMD or Wireshark.");
    EXPECT_EQ(error_of(*analyse(Bytes{0x0A, 0x0D})),
              L"x.pcap is not a pcap or pcapng file (it starts with 0A 0D); give a capture saved "
              L"by USBPcapCMD or Wireshark.");

    Bytes ethernet = pcap_global_header(0xA1B2C3D4, 1);
    EXPECT_EQ(analyse(ethernet)->status, CAPTURE_FILE_NO_USBPCAP);
    Bytes ng = pcapng_section();
    append(ng, pcapng_interface(1));
    append(ng, pcapng_packet(0, 1, mouse_report()));
    EXPECT_EQ(error_of(*analyse(ng)),
              L"x.pcap has no USB interface (USBPcap: link type 249; usbmon: 220 or 189); capture with USBPcap on Windows or usbmon on Linux.");

    EXPECT_EQ(error_of(*analyse(pcap_global_header())),
              L"x.pcap holds no USBPcap packets; capture for longer.");
    Bytes ng_empty = pcapng_section();
    append(ng_empty, pcapng_interface(249));
    EXPECT_EQ(analyse(ng_empty)->status, CAPTURE_FILE_NO_PACKETS);
    Bytes cut_header = pcap_global_header();
    cut_header.resize(20);
    EXPECT_EQ(error_of(*analyse(cut_header)),
              L"x.pcap holds no complete USBPcap packet (20 bytes ignored); capture for longer.");
}

TEST(CaptureFileTest, TruncatedOrImpossibleLastRecordIsReportedAsIgnored) {
    Bytes f = classic_pcap(0xA1B2C3D4, false, false);
    Bytes cut = f;
    cut.resize(f.size() - 5);
    auto a = analyse(cut, 100);
    ASSERT_EQ(a->status, CAPTURE_FILE_OK);
    EXPECT_EQ(a->count.tally.total_packets, 50u);
    EXPECT_EQ(a->ignored_tail_bytes, 16 + mouse_report().size() - 5);
    EXPECT_NE(report_of(*a).find(L"\nIgnored 42 bytes at the end of the file (an incomplete, impossible or "
                                 L"oversized record and what follows it).\n"),
              std::wstring::npos);

    // A record claiming 3 GB ends the walk at once, with or without a known size.
    Bytes huge = f;
    append(huge, pcap_record(101, 0, mouse_report()));
    size_t bogus_at = huge.size();
    append(huge, pcap_record(101, 5, mouse_report()));
    put32(huge, bogus_at + 8, 3000000000u);
    for (bool size_known : {true, false}) {
        auto b = analyse(huge, 4096, size_known);
        ASSERT_EQ(b->status, CAPTURE_FILE_OK);
        EXPECT_EQ(b->count.tally.total_packets, 52u);
        EXPECT_EQ(b->ignored_tail_bytes, huge.size() - bogus_at);
    }

    // pcapng: a block longer than the rest of the file.
    Bytes ng = pcapng_section();
    append(ng, pcapng_interface(249));
    append(ng, pcapng_packet(0, 1, mouse_report()));
    size_t block_at = ng.size();
    append(ng, pcapng_packet(0, 2, mouse_report()));
    put32(ng, block_at + 4, 4096);
    auto c = analyse(ng);
    ASSERT_EQ(c->status, CAPTURE_FILE_OK);
    EXPECT_EQ(c->usbpcap_records, 1u);
    EXPECT_EQ(c->ignored_tail_bytes, ng.size() - block_at);
}

TEST(CaptureFileTest, ARecordOverTheSnapLengthEndsTheWalkWithoutBufferingIt) {
    UsbPacket big;
    big.payload = Bytes(100, 7);  // 127 bytes of packet
    // Classic pcap with a snap length of 60.
    Bytes f = pcap_global_header();
    put32(f, 16, 60);
    for (uint32_t i = 0; i < 3; i++)
        append(f, pcap_record(1, 1000 * i, mouse_report()));
    const size_t big_at = f.size();
    append(f, pcap_record(1, 3000, usb_packet(big)));
    append(f, pcap_record(1, 4000, mouse_report()));
    auto a = analyse(f);
    EXPECT_EQ(a->count.tally.total_packets, 3u);
    EXPECT_EQ(a->ignored_tail_bytes, f.size() - big_at);

    // No snap length: 1 MiB. A record claiming 200 MiB of a file whose size
    // is unknown is refused before the reader's buffer grows towards it.
    Bytes g = pcap_global_header();
    put32(g, 16, 0);
    append(g, pcap_record(1, 0, mouse_report()));
    Bytes claim = pcap_record(1, 1000, mouse_report());
    put32(claim, 8, 200u << 20);
    append(g, claim);
    g.resize(g.size() + (3 << 20), 0);
    fake_heap_reset();
    auto b = analyse(g, 4096, false);
    EXPECT_EQ(b->count.tally.total_packets, 1u);
    EXPECT_EQ(b->ignored_tail_bytes, g.size() - PCAP_GLOBAL_HEADER_BYTES - 16 - mouse_report().size());
    EXPECT_LT(g_fake_heap.largest_block, (size_t)1 << 20);
}

TEST(CaptureFileTest, APcapngPacketOverItsInterfacesSnapLengthEndsTheWalk) {
    UsbPacket big;
    big.payload = Bytes(100, 7);
    Bytes ng = pcapng_section();
    const size_t interface_at = ng.size();
    append(ng, pcapng_interface(249));
    put32(ng, interface_at + 12, 40);  // SnapLen
    append(ng, pcapng_packet(0, 1, mouse_report()));
    const size_t block_at = ng.size();
    append(ng, pcapng_packet(0, 2, usb_packet(big)));
    append(ng, pcapng_packet(0, 3, mouse_report()));
    auto c = analyse(ng);
    EXPECT_EQ(c->usbpcap_records, 1u);
    EXPECT_EQ(c->ignored_tail_bytes, ng.size() - block_at);
}

TEST(CaptureFileTest, EveryFigureOfAnEndpointLineComesFromItsAcceptedGaps) {
    // Gaps of exactly 100 us are accepted gaps (8 of them: 10 kHz), while the
    // summary's window, which excludes both ends, counts none; a second
    // endpoint with one gap has too few for figures.
    Bytes f = pcap_global_header();
    for (uint32_t i = 0; i < 9; i++)
        append(f, pcap_record(1, 100 * i, mouse_report(2)));
    append(f, pcap_record(1, 5000, mouse_report(3)));
    append(f, pcap_record(1, 6000, mouse_report(3)));
    auto a = analyse(f);
    ASSERT_EQ(a->status, CAPTURE_FILE_OK);
    EXPECT_EQ(a->count.tally.valid_in_intervals, 2u);  // 4200 and 1000 us, none of the 100 us ones
    std::wstring text = report_of(*a);
    EXPECT_NE(text.find(L"  1.2.0x81  reports=9  avg=10000.0 Hz  lowest=10000.0 Hz  p50=100.0us "
                        L"p99=100.0us sd=0.0us  clock none  bInterval not seen\n"),
              std::wstring::npos)
        << text.c_str();
    EXPECT_NE(text.find(L"  1.3.0x81  reports=2  too few reports  clock none  bInterval not seen\n"),
              std::wstring::npos);
}

TEST(CaptureFileTest, RecordsShapedAsTheLastCompletionCountAsDecodingThemWould) {
    // A mouse's run, broken by a completion of its shape without data and by
    // one cut inside its header; then a bulk endpoint's run, and the mouse
    // again (its entry found anew).
    Bytes f = pcap_global_header();
    for (uint32_t us = 0; us <= 4000; us += 1000)
        append(f, pcap_record(1, us, mouse_report()));
    UsbPacket empty;
    append(f, pcap_record(1, 4500, usb_packet(empty)));
    Bytes cut = mouse_report();
    cut.resize(20);
    append(f, pcap_record(1, 4600, cut));
    for (uint32_t us = 5000; us <= 7000; us += 1000)
        append(f, pcap_record(1, us, mouse_report()));
    UsbPacket bulk;
    bulk.endpoint = 0x82;
    bulk.transfer = 3;
    bulk.payload = {1, 2};
    for (uint32_t us = 7100; us <= 7300; us += 100)
        append(f, pcap_record(1, us, usb_packet(bulk)));
    append(f, pcap_record(1, 9000, mouse_report()));
    auto a = analyse(f);
    ASSERT_EQ(a->status, CAPTURE_FILE_OK);
    EXPECT_EQ(a->count.tally.total_packets, 14u);
    EXPECT_EQ(a->count.tally.bulk_int_packets, 13u);
    EXPECT_EQ(a->count.tally.valid_in_intervals, 9u);  // not the three 100 us ones
    EXPECT_EQ(a->count.tally.max_interval_us, 1700.0);
    EXPECT_EQ(a->count.non_interrupt_in, 3u);
    const UsbEndpoint* mouse = usb_endpoint_find(&a->endpoints, 1, 2, 0x81);
    const UsbEndpoint* disk = usb_endpoint_find(&a->endpoints, 1, 2, 0x82);
    ASSERT_TRUE(mouse && disk);
    EXPECT_EQ(mouse->reports, 9u);
    EXPECT_EQ(mouse->gaps.n, 8u);  // seven of 1000 us and one of 2000
    EXPECT_EQ(disk->reports, 3u);
    EXPECT_EQ(disk->transfer, USBPCAP_TRANSFER_BULK);
}

TEST(CaptureFileTest, AnInterruptEndpointShowsTheLatticeItsCompletionsSitOn) {
    // 2000 polls of 1 ms from a whole second on, every tenth without a report,
    // each completion up to 90 us late: the clock is the host's 1 ms, 90 % filled.
    Bytes f = pcap_global_header();
    for (uint32_t i = 0; i < 2000; i++) {
        if (i % 10 != 9)
            append(f, pcap_record(1000 + i / 1000, (i % 1000) * 1000 + (i * 37) % 91, mouse_report(2)));
    }
    auto a = analyse(f);
    ASSERT_EQ(a->status, CAPTURE_FILE_OK);
    std::wstring text = report_of(*a);
    const size_t at = text.find(L"  clock_us=");
    ASSERT_NE(at, std::wstring::npos) << text.c_str();
    EXPECT_NEAR(wcstod(text.c_str() + at + 11, nullptr), 1000.0, 0.002) << "within 2 ppm";
    EXPECT_NE(text.find(L" filled=90.0%  bInterval not seen\n", at), std::wstring::npos) << text.c_str();
}

TEST(CaptureFileTest, ClocksFedOnTheWorkerEqualClocksFedInOrder) {
    // Two mice interleaved, 125 us and 1 ms polls with uneven lateness, over
    // several of the feed's chunks: each endpoint's clock must see its own
    // times in order, across every hand-over.
    Bytes f = pcap_global_header();
    ReportClock direct[2];
    report_clock_init(&direct[0]);
    report_clock_init(&direct[1]);
    const int64_t start_us = 5000000;
    int64_t first_u = -1;
    for (uint32_t i = 0; i < 5 * CLOCK_FEED_CHUNK; i++) {
        const int64_t t = start_us + i * 125 + (i * 37) % 23;
        append(f, pcap_record((uint32_t)(t / 1000000), (uint32_t)(t % 1000000), mouse_report(2)));
        report_clock_add(&direct[0], (double)(t - start_us));
        if (i % 8 == 3) {
            const int64_t u = t + 11 + (i * 13) % 29;
            append(f, pcap_record((uint32_t)(u / 1000000), (uint32_t)(u % 1000000), mouse_report(3)));
            first_u = first_u < 0 ? u : first_u;
            report_clock_add(&direct[1], (double)(u - first_u));
        }
    }
    auto a = analyse(f);
    ASSERT_EQ(a->status, CAPTURE_FILE_OK);
    ASSERT_EQ(a->endpoints.count, 2);
    for (int k = 0; k < 2; k++) {
        ReportClockFigures want;
        ASSERT_TRUE(report_clock_finish(&direct[k], &want));
        const ReportClockFigures& got = a->endpoints.slot[k].clock_figures;
        EXPECT_EQ(got.refusal, REPORT_CLOCK_OK);
        EXPECT_EQ(memcmp(&got, &want, sizeof want), 0) << k << ": " << got.period_us << " " << want.period_us;
        report_clock_free(&direct[k]);
    }
}

TEST(CaptureFileTest, ReadErrorIsNotAResult) {
    Bytes f = classic_pcap(0xA1B2C3D4, false, false);
    struct Failing {
        static size_t read(void* ctx, uint8_t* buf, size_t n) {
            MemoryFile* m = (MemoryFile*)ctx;
            if (m->at > 100)
                return (size_t)-1;
            return read_memory(ctx, buf, n);
        }
    };
    MemoryFile m = {&f, 0, 64};
    CaptureSource src = {Failing::read, &m, f.size(), 0, NULL, NULL, 0};
    Analysis a = analyse_source(src);
    EXPECT_EQ(a->status, CAPTURE_FILE_READ_ERROR);
    EXPECT_EQ(error_of(*a), L"cannot read x.pcap; check the drive and try again.");
}

// --- The real captures --------------------------------------------------------

std::string captures_dir() {
#ifdef QUORVIN_CAPTURES_DIR
    return QUORVIN_CAPTURES_DIR;
#else
    return "";
#endif
}


TEST(SharedCapturesTest, CountsMatchTheRecordedFacts) {
    // file, packets, function-9 records, smallest interrupt bInterval (the
    // Bluetooth adapter in the nullcon capture has an interrupt endpoint with 1;
    // the tour sample describes isochronous and bulk endpoints only)
    const struct {
        const char* name;
        uint64_t packets, func9;
        int min_binterval;
    } facts[] = {
        {"googlectf2016-for2-logitech-m90-mouse.pcapng", 8504, 8412, 10},
        {"nullcon2022-paranoia-lenovo-mouse-enum.pcapng", 3496, 3470, 1},
        {"uactf2022-hp-mouse-binterval1-125hz.pcapng", 1716, 1704, 1},
        {"usbpcap-tour-sample-2013-isoch.pcap", 555, 271, -1},
        {"hackit2017-usbducker-apple-kbd-binterval255.pcap", 835, 598, 10},
        {"ddc2022-logitech-unifying-enum.pcap", 2104, 2086, 2},
    };
    int found = 0;
    for (const auto& fact : facts) {
        FILE* f = fopen((captures_dir() + "/" + fact.name).c_str(), "rb");
        if (!f)
            continue;
        found++;
        CaptureSource src = capture_source_of_file(f);
        src.chunk_bytes = 16384;
        Analysis a = analyse_source(src);
        fclose(f);
        ASSERT_EQ(a->status, CAPTURE_FILE_OK) << fact.name;
        EXPECT_EQ(a->count.tally.total_packets, fact.packets) << fact.name;
        EXPECT_EQ(a->count.tally.bulk_int_packets, fact.func9) << fact.name;
        EXPECT_EQ(a->count.tally.min_binterval, fact.min_binterval) << fact.name;
        EXPECT_EQ(a->ignored_tail_bytes, 0u) << fact.name;
        EXPECT_TRUE(a->count.tally.dir_byte_seen) << fact.name;
    }
    if (found == 0)
        GTEST_SKIP() << "no shared captures at " << captures_dir();
}

// Full speed: whole milliseconds rounded down to a power of two up to 32;
// high speed: 2^(bInterval-1) x 125 us; the median gap picks the nearer.
TEST(BIntervalReadingTest, BothReadingsAndWhichTheMedianGapFits) {
    const struct {
        int b;
        double p50_us, full_ms, high_ms;
        BIntervalFit fit;
    } cases[] = {
        {10, 8046, 8, 64, BINTERVAL_FITS_FULL},     // the Lenovo mouse
        {1, 8001, 1, 0.125, BINTERVAL_FITS_NEITHER},  // reports slower than either poll
        {4, 1000, 4, 1, BINTERVAL_FITS_HIGH},
        {6, 4000, 4, 4, BINTERVAL_FITS_BOTH},
        {3, 0, 2, 0.5, BINTERVAL_NOT_MEASURED},
        {255, 32100, 32, 0, BINTERVAL_FITS_FULL},    // beyond 16: no high-speed reading
        {33, 31000, 32, 0, BINTERVAL_FITS_FULL},
    };
    for (const auto& c : cases) {
        BIntervalReading r;
        binterval_reading(c.b, c.p50_us, &r);
        EXPECT_TRUE(r.full_valid) << c.b;
        EXPECT_EQ(r.full_ms, c.full_ms) << c.b;
        EXPECT_EQ(r.full_hz, 1000 / c.full_ms) << c.b;
        EXPECT_EQ(r.high_valid, c.high_ms > 0) << c.b;
        EXPECT_EQ(r.high_ms, c.high_ms) << c.b;
        EXPECT_EQ(r.fit, c.fit) << c.b;
    }
    BIntervalReading zero;
    binterval_reading(0, 1000, &zero);
    EXPECT_FALSE(zero.full_valid || zero.high_valid);
}

// Reports of 1.<device>.<endpoint> from t0_us on, gap_us apart but for 5 us
// of jitter either way, as a fine clock stamps them.
void add_reports(std::vector<std::pair<int64_t, Bytes>>* records, uint16_t device, uint8_t endpoint,
                 int count, int64_t t0_us, int64_t gap_us, uint8_t transfer = 1) {
    UsbPacket p;
    p.device = device;
    p.endpoint = endpoint;
    p.transfer = transfer;
    p.payload = {0, 1, 0xFF, 0};
    for (int i = 0; i < count; i++)
        records->push_back({t0_us + i * gap_us + (i % 2 ? 5 : 0), usb_packet(p)});
}

// A classic pcap of the records in time order.
Bytes capture_of(std::vector<std::pair<int64_t, Bytes>> records) {
    std::stable_sort(records.begin(), records.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    Bytes f = pcap_global_header();
    for (const auto& r : records)
        append(f, pcap_record((uint32_t)(r.first / 1000000), (uint32_t)(r.first % 1000000), r.second));
    return f;
}

// The mouse is the interrupt-IN endpoint with the most reports, or the chosen
// mouse's when the capture names its device; the rates are its own, and
// every other endpoint is listed apart, busiest first.
TEST(CaptureHeadlineTest, TheMouseEndpointAloneMakesTheRates) {
    std::vector<std::pair<int64_t, Bytes>> r;
    r.push_back({0, descriptor_reply(3, device_descriptor(0x0110, 8, 0x1234, 0x5678))});
    add_reports(&r, 2, 0x81, 61, 1000000, 1000);   // the mouse: 995 and 1005 us
    add_reports(&r, 3, 0x81, 5, 1000300, 40000);   // a keyboard's few keys
    add_reports(&r, 4, 0x82, 200, 1000700, 125, 3);  // bulk traffic, busier than both
    auto a = analyse(capture_of(r));
    ASSERT_EQ(a->status, CAPTURE_FILE_OK);
    const CaptureHeadline& h = a->headline;
    ASSERT_TRUE(h.mouse);
    EXPECT_EQ(h.mouse->device, 2);
    EXPECT_FALSE(h.chosen);
    EXPECT_EQ(h.gaps, 60u);
    EXPECT_DOUBLE_EQ(h.average_hz, 1000.0);
    EXPECT_NEAR(h.lowest_hz, 1e6 / 1005, 1e-9);
    EXPECT_EQ(h.clock_step_us, 0);
    ASSERT_EQ(h.other_count, 2);
    EXPECT_EQ(h.others[0]->device, 4);
    EXPECT_EQ(h.others[1]->device, 3);

    CaptureHeadline chosen;
    const DeviceIds keyboard = {0x1234, 0x5678}, absent = {0x1234, 0x0001};
    capture_headline_of(&a->endpoints, &keyboard, &chosen);
    ASSERT_TRUE(chosen.chosen);
    EXPECT_EQ(chosen.mouse->device, 3);
    EXPECT_EQ(chosen.speed.speed, USB_SPEED_NOT_HIGH);
    capture_headline_of(&a->endpoints, &absent, &chosen);
    EXPECT_FALSE(chosen.chosen);
    EXPECT_EQ(chosen.mouse->device, 2);

    // The summary counts every device's gaps; the rates sit beside their own.
    const std::wstring text = report_of(*a);
    EXPECT_NE(text.find(L"  Valid IN gaps     : 215\n"), std::wstring::npos) << text.c_str();
    EXPECT_NE(text.find(L" reports)\n  Valid gaps        : 60\n  Average delivery  :  1000.0 Hz\n"),
              std::wstring::npos)
        << text.c_str();

    // Replugged, the mouse is a second device with the same ids; the first
    // carried a report or two before it left.
    std::vector<std::pair<int64_t, Bytes>> replug;
    replug.push_back({0, descriptor_reply(3, device_descriptor(0x0110, 8, 0x1234, 0x5678))});
    replug.push_back({0, descriptor_reply(7, device_descriptor(0x0110, 8, 0x1234, 0x5678))});
    add_reports(&replug, 3, 0x81, 2, 1000000, 1000);
    add_reports(&replug, 7, 0x81, 20, 2000000, 1000);
    add_reports(&replug, 2, 0x81, 30, 1000000, 1000);
    auto replugged = analyse(capture_of(replug));
    capture_headline_of(&replugged->endpoints, &keyboard, &chosen);
    ASSERT_TRUE(chosen.chosen);
    EXPECT_EQ(chosen.mouse->device, 7);

    // Bulk traffic alone is no mouse.
    r.clear();
    add_reports(&r, 4, 0x82, 20, 1000000, 125, 3);
    auto bulk = analyse(capture_of(r));
    EXPECT_FALSE(bulk->headline.mouse);
    EXPECT_EQ(bulk->headline.other_count, 1);
}

// What rules high speed out (bcdUSB below 2.0, bMaxPacketSize0 below 64 under
// bcdUSB 3.0) and what shows it (an interrupt endpoint packing more than 64
// bytes); nothing, or both at once, leaves it open.
TEST(CaptureHeadlineTest, TheSpeedIsReadFromTheDescriptorsOrLeftOpen) {
    const struct {
        std::vector<Bytes> descriptors;
        UsbSpeedSeen speed;
        UsbSpeedEvidence evidence;
        int value;
        double theoretical_hz;
    } cases[] = {
        {{device_descriptor(0x0110, 64), config_descriptor({{0x81, 3, 1}})},
         USB_SPEED_NOT_HIGH, SPEED_EVIDENCE_BCD_USB, 0x0110, 1000},
        {{device_descriptor(0x0200, 8), config_descriptor({{0x81, 3, 10}})},
         USB_SPEED_NOT_HIGH, SPEED_EVIDENCE_MAX_PACKET0, 8, 125},
        {{config_descriptor({{0x81, 3, 1, 1024}})}, USB_SPEED_HIGH, SPEED_EVIDENCE_ENDPOINT_SIZE, 1024, 8000},
        {{config_descriptor({{0x81, 3, 4, 0x0800 | 64}})}, USB_SPEED_HIGH, SPEED_EVIDENCE_ENDPOINT_SIZE, 64, 1000},
        // Such an answer says the device could run at high speed, not that it does.
        {{device_descriptor(0x0200, 64), qualifier_descriptor(), config_descriptor({{0x81, 3, 4}})},
         USB_SPEED_NOT_SHOWN, SPEED_EVIDENCE_NONE, 0, 0},
        {{device_descriptor(0x0200, 8), qualifier_descriptor(), config_descriptor({{0x81, 3, 4}})},
         USB_SPEED_NOT_HIGH, SPEED_EVIDENCE_MAX_PACKET0, 8, 250},
        // SuperSpeed gives bMaxPacketSize0 as a power of two: 9 is 512 bytes.
        {{device_descriptor(0x0300, 9), config_descriptor({{0x81, 3, 4}})},
         USB_SPEED_NOT_SHOWN, SPEED_EVIDENCE_NONE, 0, 0},
        {{config_descriptor({{0x81, 3, 10}, {0x02, 2, 0, 512}})}, USB_SPEED_NOT_SHOWN, SPEED_EVIDENCE_NONE, 0, 0},
        {{device_descriptor(0x0200, 8), config_descriptor({{0x81, 3, 1, 512}})},
         USB_SPEED_NOT_SHOWN, SPEED_EVIDENCE_NONE, 0, 0},
    };
    int row = 0;
    for (const auto& c : cases) {
        std::vector<std::pair<int64_t, Bytes>> r;
        for (const Bytes& d : c.descriptors)
            r.push_back({0, descriptor_reply(2, d)});
        // Another device's wide endpoint says nothing of this one.
        r.push_back({0, descriptor_reply(5, config_descriptor({{0x81, 3, 1, 1024}}))});
        add_reports(&r, 2, 0x81, 20, 1000000, 8000);
        auto a = analyse(capture_of(r));
        const CaptureHeadline& h = a->headline;
        ASSERT_TRUE(h.mouse) << row;
        EXPECT_EQ(h.speed.speed, c.speed) << row;
        EXPECT_EQ(h.speed.evidence, c.evidence) << row;
        EXPECT_EQ(h.speed.value, c.value) << row;
        EXPECT_EQ(h.theoretical_hz, c.theoretical_hz) << row;
        row++;
    }
}

// Stamps cut to a coarse tick put nearly every gap on whole multiples of it;
// a fine clock's jitter keeps its gaps off any lattice that narrow.
TEST(CaptureHeadlineTest, ACoarseClockIsFoundAndAFineOneIsNot) {
    // An old Windows tick of 15.6001 ms, several reports to a tick at times;
    // then a 1 ms clock under a 125 Hz mouse (7, 8, 9 and 8 ms), and a fine
    // clock under one.
    const int ticks[] = {1, 0, 1, 2, 1, 0, 0, 1, 3, 1};
    std::vector<std::pair<int64_t, Bytes>> coarse, millisecond, fine;
    int64_t k = 0;
    for (int i = 0; i < 60; i++) {
        k += ticks[i % 10];
        add_reports(&coarse, 2, 0x81, 1, 1000000 + (k * 156001 + 5) / 10, 0);
        add_reports(&millisecond, 2, 0x81, 1, 1000000 + i * 8000 - (i % 4 == 1 || i % 4 == 2) * 1000, 0);
    }
    add_reports(&fine, 2, 0x81, 60, 1000000, 8000);
    auto a = analyse(capture_of(coarse));
    EXPECT_NEAR(a->headline.clock_step_us, 15600, 1);
    EXPECT_EQ(analyse(capture_of(millisecond))->headline.clock_step_us, 1000);
    EXPECT_EQ(analyse(capture_of(fine))->headline.clock_step_us, 0);
    // Too few gaps to judge.
    coarse.resize(15);
    EXPECT_EQ(analyse(capture_of(coarse))->headline.clock_step_us, 0);

    // A steady stream on a fine clock sits on one multiple of its polling
    // period, a whole number of microframes, however close to it: no tick
    // clock. One tick between all reports still is one when the tick is no
    // whole number of microframes.
    std::vector<std::pair<int64_t, Bytes>> steady_1k, steady_125, one_tick;
    for (int i = 0; i < 60; i++) {
        add_reports(&steady_1k, 2, 0x81, 1, 1000000 + i * 1000 + (i % 3 - 1), 0);
        add_reports(&steady_125, 2, 0x81, 1, 1000000 + i * 8000 + (i % 3 - 1), 0);
        add_reports(&one_tick, 2, 0x81, 1, 1000000 + (i * 156001 + 5) / 10, 0);
    }
    EXPECT_EQ(analyse(capture_of(steady_1k))->headline.clock_step_us, 0);
    EXPECT_EQ(analyse(capture_of(steady_125))->headline.clock_step_us, 0);
    EXPECT_NEAR(analyse(capture_of(one_tick))->headline.clock_step_us, 15600, 1);

    texts_set_lang(LANG_ZH);
    std::wstring text = report_of(*a);
    texts_set_lang(LANG_EN);
    EXPECT_NE(text.find(L"  ⚠ 抓包时间戳按约 15.6 ms 的步长取整，以上数字受抓包时钟限制。\n"),
              std::wstring::npos)
        << text.c_str();
}

}  // namespace
