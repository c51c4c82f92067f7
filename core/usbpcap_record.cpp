// Field offsets of the pcap record header and of the packed USBPcap packet
// header (USBPCAP_BUFFER_PACKET_HEADER) live here and nowhere else.
#include "core/usbpcap_record.h"

enum {
    RECORD_TS_SEC = 0,
    RECORD_TS_FRAC = 4,
    RECORD_INCL_LEN = 8,

    HEADER_LEN = 0,
    HEADER_FUNCTION = 14,
    HEADER_INFO = 16,
    HEADER_BUS = 17,
    HEADER_DEVICE = 19,
    HEADER_ENDPOINT = 21,
    HEADER_TRANSFER = 22,
    HEADER_DATA_LENGTH = 23,

    DESCRIPTOR_TYPE = 1,
    ENDPOINT_ADDRESS = 2,
    ENDPOINT_ATTRIBUTES = 3,
    ENDPOINT_INTERVAL = 6,
    ENDPOINT_DESCRIPTOR_BYTES = 7,
};

PcapRecordHeader pcap_record_header(const uint8_t* p, bool big) {
    PcapRecordHeader h;
    h.ts_sec = rd32(p + RECORD_TS_SEC, big);
    h.ts_frac = rd32(p + RECORD_TS_FRAC, big);
    h.incl_len = rd32(p + RECORD_INCL_LEN, big);
    return h;
}

UsbPcapDecodeResult usbpcap_decode(const uint8_t* p, uint32_t incl_len, UsbPcapHeader* out) {
    if (incl_len < 2)
        return USBPCAP_TOO_SHORT;
    uint16_t h = le16(p + HEADER_LEN);
    if (h < USBPCAP_MIN_HEADER || h > USBPCAP_MAX_HEADER || h > incl_len)
        return USBPCAP_BAD_HEADER_LEN;
    out->header_len = h;
    out->has_function = h >= HEADER_FUNCTION + 2;
    out->function = out->has_function ? le16(p + HEADER_FUNCTION) : 0;
    out->has_info = h > HEADER_INFO;
    out->from_device = out->has_info && (p[HEADER_INFO] & 1);
    out->has_address = h >= USBPCAP_FULL_HEADER;
    if (out->has_address) {
        out->bus = le16(p + HEADER_BUS);
        out->device = le16(p + HEADER_DEVICE);
        out->endpoint = p[HEADER_ENDPOINT];
        out->transfer = p[HEADER_TRANSFER];
        out->data_length = le32(p + HEADER_DATA_LENGTH);
    } else {
        out->bus = out->device = 0;
        out->endpoint = out->transfer = 0;
        out->data_length = 0;
    }
    out->payload = p + h;
    out->payload_len = incl_len - h;
    return USBPCAP_DECODED;
}

bool next_endpoint_descriptor(const uint8_t* d, uint64_t len, uint64_t* off,
                              EndpointDescriptor* out) {
    while (*off + 2 <= len) {
        uint64_t at = *off;
        uint8_t length = d[at];
        if (length <= 1)
            return false;
        *off = at + length;
        if (d[at + DESCRIPTOR_TYPE] == USB_DESCRIPTOR_ENDPOINT &&
            at + ENDPOINT_DESCRIPTOR_BYTES <= len) {
            out->address = d[at + ENDPOINT_ADDRESS];
            out->attributes = d[at + ENDPOINT_ATTRIBUTES];
            out->binterval = d[at + ENDPOINT_INTERVAL];
            return true;
        }
    }
    return false;
}
