// The live USB capture's session on the fake driver: kept times within their
// bound whatever the heap does, and reads that never keep a waiting window
// message behind them.
#include <gtest/gtest.h>

#include "capture/usb_session.h"
#include "tests/fakes/fake_heap.h"
#include "tests/fakes/fake_usbpcap_driver.h"
#include "tests/support/capture_builder.h"

namespace {

// count reports of bus.2.0x81 on the hub's bus, step_us apart, all ready at once.
void script_reports(FakeHub& hub, uint32_t count, int64_t first_us, int64_t step_us) {
    fake_usbpcap_script_capture(
        hub, pcap_global_header(),
        mouse_report_records(count, first_us, step_us, (uint16_t)hub.number), 0);
}

class UsbSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_heap_reset();
        fake_usbpcap_reset();
        MSG m;
        while (PeekMessageW(&m, NULL, 0, 0, PM_REMOVE)) {
        }
    }
    void TearDown() override {
        g_usb_session_bounds = UsbSessionBounds{USB_SESSION_MAX_TIMES, USB_SESSION_MAX_SAVED};
        fake_heap_reset();
    }
    static UsbSession s;
};
UsbSession UsbSessionTest::s;

TEST_F(UsbSessionTest, KeptTimesStopAtTheBoundWhenEveryGrowthMovesTheBlock) {
    // The bound falls where the block is full (4096 doubled once), where a
    // growth attempted before the bound check moved the times away.
    g_usb_session_bounds.max_times = 8192;
    g_fake_heap.realloc_moves = true;
    const int64_t first = 1765000000000000;
    script_reports(fake_usbpcap_add_hub(1), 9000, first, 1000);
    char error[256];
    ASSERT_TRUE(usb_session_open(&s, false, error, sizeof error)) << error;
    EXPECT_FALSE(usb_session_wait(&s, 0));
    usb_session_close(&s);

    const UsbEndpointTable& t = s.endpoints;
    EXPECT_EQ(t.times_kept, 8192u);
    EXPECT_TRUE(t.times_full);
    ASSERT_EQ(t.count, 1);
    EXPECT_EQ(t.slot[0].reports, 9000u) << "reports and gaps are counted past the bound";
    EXPECT_EQ(t.slot[0].gaps.n, 8999u);
    ASSERT_EQ(t.slot[0].time_count, 8192u);
    for (size_t i = 0; i < 8192; i++)
        ASSERT_EQ(t.slot[0].times[i], first + 1000 * (int64_t)i) << i;
    usb_session_free(&s);
    EXPECT_EQ(g_fake_heap.live_blocks, 0);
}

TEST_F(UsbSessionTest, AWaitingReportIsTakenBeforeTheReadsAreDrainedAndHubsTakeTurns) {
    for (int hub = 1; hub <= 3; hub++)
        script_reports(fake_usbpcap_add_hub(hub), 2000, 1765000000000000, 125);
    const size_t reads = 3 * g_fake_usbpcap.hubs[0].script.size();
    char error[256];
    ASSERT_TRUE(usb_session_open(&s, false, error, sizeof error)) << error;
    // Every read is ready, and a report came first.
    PostThreadMessageW(GetCurrentThreadId(), WM_INPUT, RIM_INPUTSINK, 0);
    EXPECT_TRUE(usb_session_wait(&s, INFINITE));
    EXPECT_EQ(g_fake_usbpcap.finished.size(), 1u) << "the report waited behind the reads";
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, NULL, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, (UINT)WM_INPUT);

    EXPECT_FALSE(usb_session_wait(&s, 0));
    ASSERT_EQ(g_fake_usbpcap.finished.size(), reads);
    for (size_t i = 0; i < reads; i++)
        ASSERT_EQ(g_fake_usbpcap.finished[i], 1 + (int)(i % 3)) << "read " << i;
    usb_session_close(&s);
    EXPECT_EQ(s.endpoints.times_kept, 3u * 2000);
    usb_session_free(&s);
}

// A hub that stops mid-run is marked lost with its reason, so neither the
// comparison nor --usb-save can read as complete; one whose stream claims a
// record larger than USBPcap writes is dropped rather than grown without end.
TEST_F(UsbSessionTest, AHubLostMidRunIsMarkedWithItsReason) {
    FakeHub& failing = fake_usbpcap_add_hub(1);
    script_reports(failing, 100, 1765000000000000, 1000);
    for (int k = 0; k < USB_SESSION_READ_FAILURES; k++)
        failing.script.push_back(FakeDelivery{0, FAKE_READ_FAIL, {}});
    FakeHub& corrupt = fake_usbpcap_add_hub(2);
    std::vector<uint8_t> huge = {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0};
    std::vector<std::vector<uint8_t>> records = {huge};
    for (int k = 0; k < 80; k++)  // 1.28 MB that never completes the record
        records.push_back(std::vector<uint8_t>(16000, 0));
    fake_usbpcap_script_capture(corrupt, pcap_global_header(), records, 0);
    char error[256];
    ASSERT_TRUE(usb_session_open(&s, true, error, sizeof error)) << error;
    EXPECT_FALSE(usb_session_wait(&s, 0));
    usb_session_close(&s);
    EXPECT_STREQ(s.saved[0].lost, "its reads kept failing");
    EXPECT_TRUE(s.saved[0].dropped);
    EXPECT_EQ(s.saved[0].kept, 100u) << "what came before the failures is kept";
    EXPECT_STREQ(s.saved[1].lost, "it sent a record larger than USBPcap writes");
    usb_session_free(&s);
    EXPECT_EQ(g_fake_heap.live_blocks, 0);
}

}  // namespace
