// The walk over endpoint descriptors; the record decoders are inline in the
// header, beside the field offsets.
#include "core/captures/usbpcap_record.h"

enum {
    DESCRIPTOR_TYPE = 1,
    ENDPOINT_ADDRESS = 2,
    ENDPOINT_ATTRIBUTES = 3,
    ENDPOINT_MAX_PACKET = 4,
    ENDPOINT_INTERVAL = 6,
    ENDPOINT_DESCRIPTOR_BYTES = 7,
};

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
            out->max_packet = le16(d + at + ENDPOINT_MAX_PACKET);
            out->binterval = d[at + ENDPOINT_INTERVAL];
            return true;
        }
    }
    return false;
}
