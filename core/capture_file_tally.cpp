// Counting a saved capture's records: the descriptor replies, out of line
// because they are rare; the rest is inline in the header. Stamps are whole
// microseconds (finer ones were cut by the reader), so every endpoint's gaps
// are whole and its histogram holds each exactly.
#include "core/capture_file_tally.h"

void capture_file_note_configuration(CaptureFileAnalysis* a, uint16_t bus, uint16_t device,
                                     const uint8_t* payload, uint32_t payload_len) {
    if (payload_len < 9 || payload[1] != USB_DESCRIPTOR_CONFIGURATION)
        return;
    uint64_t off = 0;
    EndpointDescriptor d;
    while (next_endpoint_descriptor(payload, payload_len, &off, &d)) {
        UsbEndpoint* e = usb_endpoint_of(&a->endpoints, bus, device, d.address);
        if (e) {
            e->binterval = d.binterval;
            e->described_type = d.attributes & USB_ENDPOINT_TYPE_MASK;
        }
    }
}
