// The one decoder of usbmon records, Linux's USB capture: the header the
// kernel's binary interface hands out (64 bytes as link type 220 saves it,
// its first 48 as link type 189 does), its named fields, or why the record
// is unusable. The offsets live here and nowhere else; the decoder runs once
// a record, so it is inline.
#pragma once

#include <stdint.h>

#include "core/captures/usbpcap_record.h"

enum {
    LINKTYPE_USB_LINUX = 189,           // the header's first 48 bytes
    LINKTYPE_USB_LINUX_MMAPPED = 220,   // all 64
    LINKTYPE_USBPCAP = 249,

    USBMON_HEADER_SHORT = 48,
    USBMON_HEADER_MMAPPED = 64,

    USBMON_AT_ID = 0,
    USBMON_AT_TYPE = 8,
    USBMON_AT_TRANSFER = 9,
    USBMON_AT_ENDPOINT = 10,
    USBMON_AT_DEVICE = 11,
    USBMON_AT_BUS = 12,
    USBMON_AT_FLAG_SETUP = 14,
    USBMON_AT_STATUS = 28,
    USBMON_AT_LENGTH = 32,
    USBMON_AT_LEN_CAP = 36,
    USBMON_AT_SETUP = 40,

    USBMON_SUBMISSION = 'S',
    USBMON_COMPLETION = 'C',
    USBMON_ERROR = 'E',

    USB_REQUEST_GET_DESCRIPTOR = 6,
};

// The header bytes of a link type; 0 for one that is no usbmon.
inline uint32_t usbmon_header_bytes(uint32_t link_type) {
    return link_type == LINKTYPE_USB_LINUX_MMAPPED ? USBMON_HEADER_MMAPPED
           : link_type == LINKTYPE_USB_LINUX       ? USBMON_HEADER_SHORT
                                                   : 0;
}

enum UsbmonDecodeResult {
    USBMON_DECODED,
    USBMON_TOO_SHORT,     // the record is shorter than its header
    USBMON_BEYOND,        // the captured length reaches past the record
    USBMON_UNKNOWN_TYPE,  // neither S, C nor E, or a transfer type above bulk
};

struct UsbmonHeader {
    uint64_t id;        // the URB's address: a submission and its completion share it
    uint8_t type;       // USBMON_SUBMISSION, _COMPLETION or _ERROR
    uint8_t transfer;   // the same numbers as USBPcap's: 0 iso, 1 interrupt, 2 control, 3 bulk
    uint8_t endpoint;   // bit 7 = IN
    uint8_t device;
    uint16_t bus;
    bool has_setup;     // a control submission carrying its setup packet
    int32_t status;     // 0 on a completion that succeeded
    uint32_t length;    // bytes the transfer carried (asked for, on a submission)
    const uint8_t* setup;    // the 8 setup bytes, when has_setup
    const uint8_t* payload;  // the captured data after the header
    uint32_t payload_len;
};

// Decodes one record's packet data (incl_len bytes) whose header takes
// header_bytes, in the file's byte order; out is filled only when decoded.
inline UsbmonDecodeResult usbmon_decode(const uint8_t* p, uint32_t incl_len, uint32_t header_bytes,
                                        bool big, UsbmonHeader* out) {
    if (incl_len < header_bytes)
        return USBMON_TOO_SHORT;
    const uint32_t cap = rd32(p + USBMON_AT_LEN_CAP, big);
    if (cap > incl_len - header_bytes)
        return USBMON_BEYOND;
    const uint8_t type = p[USBMON_AT_TYPE], transfer = p[USBMON_AT_TRANSFER];
    if ((type != USBMON_SUBMISSION && type != USBMON_COMPLETION && type != USBMON_ERROR) ||
        transfer > USBPCAP_TRANSFER_BULK)
        return USBMON_UNKNOWN_TYPE;
    out->id = big ? ((uint64_t)be32(p) << 32) | be32(p + 4) : ((uint64_t)le32(p + 4) << 32) | le32(p);
    out->type = type;
    out->transfer = transfer;
    out->endpoint = p[USBMON_AT_ENDPOINT];
    out->device = p[USBMON_AT_DEVICE];
    out->bus = rd16(p + USBMON_AT_BUS, big);
    out->has_setup = p[USBMON_AT_FLAG_SETUP] == 0;
    out->status = (int32_t)rd32(p + USBMON_AT_STATUS, big);
    out->length = rd32(p + USBMON_AT_LENGTH, big);
    out->setup = p + USBMON_AT_SETUP;
    out->payload = p + header_bytes;
    out->payload_len = cap;
    return USBMON_DECODED;
}
