// Builders of synthetic USBPcap and usbmon packets, pcap streams and capture
// files for the capture tests, the fuzzer's seed corpus and the benchmark.
#pragma once

#include <stdint.h>
#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

struct UsbPacket {
    uint16_t header_len = 27;  // value written into headerLen
    size_t header_bytes = 0;   // bytes of header actually laid out; 0: header_len
    uint16_t function = 9;
    uint8_t info = 1;          // bit 0: from the device
    uint16_t bus = 1;
    uint16_t device = 2;
    uint8_t endpoint = 0x81;
    uint8_t transfer = 1;      // 1 interrupt, 2 control, 3 bulk
    Bytes payload;
};

void put16(Bytes& b, size_t at, uint16_t v, bool big = false);
void put32(Bytes& b, size_t at, uint32_t v, bool big = false);
void append(Bytes& to, const Bytes& from);

Bytes usb_packet(const UsbPacket& p);
Bytes pcap_global_header(uint32_t magic = 0xA1B2C3D4, uint32_t link_type = 249, bool big = false);
Bytes pcap_record(uint32_t sec, uint32_t frac, const Bytes& packet, bool big = false);
// The same classic pcap file written big-endian: the global header's fields
// and every record header byte-swapped, the packets (little-endian USBPcap
// headers in either order) as they were. Stops at a record the file cuts off.
Bytes pcap_big_endian_twin(const Bytes& little);
// count pcap records of 4-byte interrupt-IN reports (47 bytes each) of
// bus.2.0x81, step_us apart from first_us (whole us since 1970).
std::vector<Bytes> mouse_report_records(uint32_t count, int64_t first_us, int64_t step_us,
                                        uint16_t bus = 1);

// A configuration descriptor holding one endpoint descriptor per (address,
// attributes, bInterval, wMaxPacketSize).
struct EndpointDesc {
    uint8_t address;
    uint8_t attributes;
    uint8_t binterval;
    uint16_t max_packet = 8;
};
Bytes config_descriptor(const std::vector<EndpointDesc>& endpoints);
// A device descriptor (18 bytes) and a device-qualifier descriptor (10 bytes).
Bytes device_descriptor(uint16_t bcd_usb, uint8_t max_packet0, uint16_t vid = 0x046D,
                        uint16_t pid = 0xC05A);
Bytes qualifier_descriptor();
// A control transfer's completion from bus 1's device carrying a descriptor.
Bytes descriptor_reply(uint16_t device, const Bytes& descriptor);

// A usbmon record's packet data, as Linux's binary interface lays it out:
// the 64-byte header (or its first 48, for link type 189) in the given byte
// order, then the payload.
struct UsbmonPacket {
    uint64_t id = 0xFFFF880052529DC0ull;  // the URB's address
    char type = 'C';                      // 'S', 'C' or 'E'
    uint8_t transfer = 1;                 // 0 iso, 1 interrupt, 2 control, 3 bulk
    uint8_t endpoint = 0x81;
    uint8_t device = 2;
    uint16_t bus = 1;
    Bytes setup;                          // 8 bytes: a control submission's setup
    int32_t status = 0;
    int64_t length = -1;                  // -1: the payload's size
    int64_t len_cap = -1;                 // -1: the payload's size
    Bytes payload;
};
Bytes usbmon_packet(const UsbmonPacket& p, uint32_t header_bytes = 64, bool big = false);
// A GET_DESCRIPTOR submission and its completion (id shared) carrying the
// descriptor, for bus 1's device.
Bytes usbmon_get_descriptor(uint16_t device, uint64_t id, uint32_t header_bytes, bool big);
Bytes usbmon_descriptor_reply(uint16_t device, uint64_t id, const Bytes& descriptor,
                              uint32_t header_bytes, bool big);

// pcapng pieces, in the section's byte order.
Bytes pcapng_section(bool big = false);
Bytes pcapng_interface(uint16_t link_type, int tsresol = -1, bool big = false);
Bytes pcapng_packet(uint32_t interface_id, uint64_t ts, const Bytes& packet, bool big = false);

// The benchmarks' capture: one interrupt-IN endpoint, a report every 125 us,
// records of 16 + 35 bytes, about `megabytes` MB in all; false when the file
// cannot be written.
bool write_bench_capture(const char* path, uint64_t megabytes);
// The same for usbmon (link type 220): each report a submission and its
// completion, 16 + 64 and 16 + 64 + 8 bytes.
bool write_bench_usbmon_capture(const char* path, uint64_t megabytes);
