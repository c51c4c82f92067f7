// The one decoder of USBPcap capture records: the pcap record header, the
// USBPcap packet header with its named fields, and the walk over the endpoint
// descriptors inside a descriptor reply. The live tally, the per-endpoint tally
// and both descriptor uses read records only through these functions. The
// field offsets live here and nowhere else; the two decoders that run once a
// record are inline, since a capture holds tens of millions of records.
#pragma once

#include <stdint.h>
#include <string.h>

enum {
    PCAP_GLOBAL_HEADER_BYTES = 24,
    PCAP_RECORD_HEADER_BYTES = 16,

    USBPCAP_MIN_HEADER = 12,   // a shorter headerLen is not a USBPcap header
    USBPCAP_MAX_HEADER = 256,
    USBPCAP_FULL_HEADER = 27,  // through dataLength: bus, device, endpoint and transfer are known

    URB_FUNCTION_CONTROL_TRANSFER = 8,
    URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER = 9,
    URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE = 11,
    URB_FUNCTION_CONTROL_TRANSFER_EX = 0x32,

    USBPCAP_TRANSFER_ISOCHRONOUS = 0,
    USBPCAP_TRANSFER_INTERRUPT = 1,
    USBPCAP_TRANSFER_CONTROL = 2,
    USBPCAP_TRANSFER_BULK = 3,

    USB_DESCRIPTOR_DEVICE = 1,
    USB_DESCRIPTOR_CONFIGURATION = 2,
    USB_DESCRIPTOR_ENDPOINT = 5,
    USB_DESCRIPTOR_DEVICE_QUALIFIER = 6,
    USB_ENDPOINT_TYPE_MASK = 3,  // bmAttributes bits 0..1
    USB_ENDPOINT_TYPE_INTERRUPT = 3,
    USB_ENDPOINT_IN = 0x80,      // bit 7 of bEndpointAddress
};

// Little-endian fields, as USBPcap writes them.
inline uint16_t le16(const uint8_t* p) { return (uint16_t)(p[0] | (p[1] << 8)); }
inline uint32_t le32(const uint8_t* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}
inline uint16_t be16(const uint8_t* p) { return (uint16_t)((p[0] << 8) | p[1]); }
inline uint32_t be32(const uint8_t* p) {
    return ((uint32_t)p[0] << 24) | ((uint32_t)p[1] << 16) | ((uint32_t)p[2] << 8) | p[3];
}
inline uint16_t rd16(const uint8_t* p, bool big) { return big ? be16(p) : le16(p); }
inline uint32_t rd32(const uint8_t* p, bool big) { return big ? be32(p) : le32(p); }

// Offsets in the pcap record header and in the packed USBPcap packet header
// (USBPCAP_BUFFER_PACKET_HEADER).
enum {
    PCAP_AT_TS_SEC = 0,
    PCAP_AT_TS_FRAC = 4,
    PCAP_AT_INCL_LEN = 8,

    USBPCAP_AT_LEN = 0,
    USBPCAP_AT_FUNCTION = 14,
    USBPCAP_AT_INFO = 16,
    USBPCAP_AT_BUS = 17,
    USBPCAP_AT_DEVICE = 19,
    USBPCAP_AT_ENDPOINT = 21,
    USBPCAP_AT_TRANSFER = 22,
    USBPCAP_AT_DATA_LENGTH = 23,
};

struct PcapRecordHeader {
    uint32_t ts_sec;
    uint32_t ts_frac;   // microseconds, or nanoseconds in a nanosecond file
    uint32_t incl_len;  // bytes of packet data that follow the 16-byte header
};

inline PcapRecordHeader pcap_record_header(const uint8_t* p, bool big) {
    PcapRecordHeader h;
    h.ts_sec = rd32(p + PCAP_AT_TS_SEC, big);
    h.ts_frac = rd32(p + PCAP_AT_TS_FRAC, big);
    h.incl_len = rd32(p + PCAP_AT_INCL_LEN, big);
    return h;
}

enum UsbPcapDecodeResult {
    USBPCAP_DECODED,
    USBPCAP_TOO_SHORT,       // fewer than 2 bytes: not even headerLen
    USBPCAP_BAD_HEADER_LEN,  // headerLen below 12, above 256, or beyond the packet
};

struct UsbPcapHeader {
    uint16_t header_len;
    bool has_function;      // the header reaches the function code
    uint16_t function;      // URB_FUNCTION_*
    bool has_info;          // the header reaches the info byte
    bool from_device;       // info bit 0: the transfer goes to the host
    bool has_address;       // a full header: the fields below are known
    uint16_t bus;
    uint16_t device;
    uint8_t endpoint;       // bEndpointAddress, bit 7 = IN
    uint8_t transfer;       // USBPCAP_TRANSFER_*
    uint32_t data_length;
    const uint8_t* payload; // what follows the header inside the packet
    uint32_t payload_len;
};

// Decodes the packet data of one record (incl_len bytes); out is filled only
// when the result is USBPCAP_DECODED.
inline UsbPcapDecodeResult usbpcap_decode(const uint8_t* p, uint32_t incl_len, UsbPcapHeader* out) {
    if (incl_len < 2)
        return USBPCAP_TOO_SHORT;
    const uint16_t h = le16(p + USBPCAP_AT_LEN);
    if (h < USBPCAP_MIN_HEADER || h > USBPCAP_MAX_HEADER || h > incl_len)
        return USBPCAP_BAD_HEADER_LEN;
    out->header_len = h;
    out->has_function = h >= USBPCAP_AT_FUNCTION + 2;
    out->function = out->has_function ? le16(p + USBPCAP_AT_FUNCTION) : 0;
    out->has_info = h > USBPCAP_AT_INFO;
    out->from_device = out->has_info && (p[USBPCAP_AT_INFO] & 1);
    out->has_address = h >= USBPCAP_FULL_HEADER;
    const bool a = out->has_address;
    out->bus = a ? le16(p + USBPCAP_AT_BUS) : 0;
    out->device = a ? le16(p + USBPCAP_AT_DEVICE) : 0;
    out->endpoint = a ? p[USBPCAP_AT_ENDPOINT] : 0;
    out->transfer = a ? p[USBPCAP_AT_TRANSFER] : 0;
    out->data_length = a ? le32(p + USBPCAP_AT_DATA_LENGTH) : 0;
    out->payload = p + h;
    out->payload_len = incl_len - h;
    return USBPCAP_DECODED;
}

// One interrupt-IN or bulk-IN completion with data, as a walk meets it.
struct InCompletion {
    int64_t ts_us;
    uint16_t bus;
    uint16_t device;
    uint8_t endpoint;
    uint8_t transfer;      // USBPCAP_TRANSFER_INTERRUPT or _BULK
    int64_t interval_us;   // since the endpoint's previous completion; -1 when not known
};

typedef void (*InCompletionFn)(void* ctx, const InCompletion* c);

// Whether a decoded record is an IN completion with data of an interrupt or
// bulk endpoint.
inline bool is_in_completion(const UsbPcapHeader* h) {
    return h->has_address && (h->endpoint & USB_ENDPOINT_IN) && h->from_device &&
           h->data_length > 0 &&
           (h->transfer == USBPCAP_TRANSFER_INTERRUPT || h->transfer == USBPCAP_TRANSFER_BULK);
}

// The bytes of a decoded interrupt or bulk IN completion (function 9) that
// decide every field its counting reads: headerLen, function, info, bus,
// device, endpoint, transfer. A capture is mostly one mouse's reports in a
// row, and a record with the same bytes (carrying data) decodes to the same
// header, so a walk decodes it once. Zeroed, it matches nothing.
struct UsbPcapShape {
    bool set;
    uint16_t header_len;
    uint8_t transfer;
    uint64_t function_to_endpoint;  // bytes 14..21, as they lie
    UsbPcapHeader header;           // without its payload, which such a completion's counting never reads
};
inline uint64_t usbpcap_shape_word(const uint8_t* p) {
    uint64_t w;
    memcpy(&w, p + USBPCAP_AT_FUNCTION, sizeof w);
    return w;
}
// Keeps h, decoded from p, as the shape to match, if it is such a
// completion; false when it is not.
inline bool usbpcap_keep_shape(UsbPcapShape* s, const uint8_t* p, const UsbPcapHeader* h) {
    if (!is_in_completion(h) || h->function != URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER)
        return false;
    s->set = true;
    s->header_len = h->header_len;
    s->transfer = h->transfer;
    s->function_to_endpoint = usbpcap_shape_word(p);
    s->header = *h;
    s->header.payload = NULL;
    s->header.payload_len = 0;
    return true;
}
// Whether the packet (incl_len bytes at p) decodes to s's header.
inline bool usbpcap_same_shape(const UsbPcapShape* s, const uint8_t* p, uint32_t incl_len) {
    return s->set && incl_len >= s->header_len && le16(p + USBPCAP_AT_LEN) == s->header_len &&
           usbpcap_shape_word(p) == s->function_to_endpoint && p[USBPCAP_AT_TRANSFER] == s->transfer &&
           le32(p + USBPCAP_AT_DATA_LENGTH) != 0;
}

struct EndpointDescriptor {
    uint8_t address;
    uint8_t attributes;
    uint16_t max_packet;  // wMaxPacketSize as it lies: size in bits 0..10, extra transactions in 11..12
    uint8_t binterval;
};

// Steps through a run of descriptors from *off (start at 0) to the next complete
// endpoint descriptor. The walk ends at a descriptor length of 0 or 1 (it could
// never advance) or where fewer than two bytes remain.
bool next_endpoint_descriptor(const uint8_t* descriptors, uint64_t len, uint64_t* off,
                              EndpointDescriptor* out);
