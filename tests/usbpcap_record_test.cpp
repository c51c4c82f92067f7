// The one USBPcap decoder: which header lengths make a record usable, which
// fields each length reaches, and the endpoint-descriptor walk's stopping rules.
#include <gtest/gtest.h>

#include "core/captures/usbpcap_record.h"
#include "tests/support/capture_builder.h"

namespace {

TEST(UsbPcapRecordTest, HeaderLengthDecidesWhatIsKnown) {
    UsbPcapHeader h;
    EXPECT_EQ(usbpcap_decode(Bytes{27}.data(), 1, &h), USBPCAP_TOO_SHORT);

    UsbPacket p;
    p.bus = 3;
    p.device = 7;
    p.endpoint = 0x82;
    p.payload = {1, 2, 3};
    for (uint16_t bad : {11, 257}) {
        p.header_len = bad;
        Bytes b = usb_packet(p);
        EXPECT_EQ(usbpcap_decode(b.data(), (uint32_t)b.size(), &h), USBPCAP_BAD_HEADER_LEN) << bad;
    }
    p.header_len = 27;
    Bytes full = usb_packet(p);
    // headerLen beyond the captured bytes
    EXPECT_EQ(usbpcap_decode(full.data(), 26, &h), USBPCAP_BAD_HEADER_LEN);

    ASSERT_EQ(usbpcap_decode(full.data(), (uint32_t)full.size(), &h), USBPCAP_DECODED);
    EXPECT_TRUE(h.has_address && h.has_info && h.from_device && h.has_function);
    EXPECT_EQ(h.function, 9);
    EXPECT_EQ(h.bus, 3);
    EXPECT_EQ(h.device, 7);
    EXPECT_EQ(h.endpoint, 0x82);
    EXPECT_EQ(h.transfer, USBPCAP_TRANSFER_INTERRUPT);
    EXPECT_EQ(h.data_length, 3u);
    EXPECT_EQ(h.payload_len, 3u);
    EXPECT_EQ(h.payload[2], 3);

    // 16 bytes reach the function code but not the info byte; 15 not even that.
    p.header_len = 16;
    Bytes mid = usb_packet(p);
    ASSERT_EQ(usbpcap_decode(mid.data(), (uint32_t)mid.size(), &h), USBPCAP_DECODED);
    EXPECT_TRUE(h.has_function);
    EXPECT_FALSE(h.has_info || h.from_device || h.has_address);
    p.header_len = 15;
    Bytes shorter = usb_packet(p);
    ASSERT_EQ(usbpcap_decode(shorter.data(), (uint32_t)shorter.size(), &h), USBPCAP_DECODED);
    EXPECT_FALSE(h.has_function);
    EXPECT_EQ(h.payload_len, 3u);
}

TEST(UsbPcapRecordTest, EndpointWalkSkipsOtherDescriptorsAndStopsWhereItCannotGoOn) {
    Bytes d = config_descriptor({{0x81, 3, 1}, {0x02, 2, 0}});
    std::vector<int> seen;
    uint64_t off = 0;
    EndpointDescriptor e;
    while (next_endpoint_descriptor(d.data(), d.size(), &off, &e))
        seen.push_back(e.address * 1000 + e.attributes * 10 + e.binterval);
    EXPECT_EQ(seen, (std::vector<int>{129031, 2020}));

    // A zero length ends the walk; a cut-off endpoint descriptor is passed over.
    Bytes stops = {7, 5, 0x81, 3, 8, 0, 4, 0, 5, 0x82, 3, 8, 0, 1};
    off = 0;
    ASSERT_TRUE(next_endpoint_descriptor(stops.data(), stops.size(), &off, &e));
    EXPECT_EQ(e.binterval, 4);
    EXPECT_FALSE(next_endpoint_descriptor(stops.data(), stops.size(), &off, &e));
    Bytes cut = {7, 5, 0x81, 3, 8, 0};
    off = 0;
    EXPECT_FALSE(next_endpoint_descriptor(cut.data(), cut.size(), &off, &e));
}

}  // namespace
