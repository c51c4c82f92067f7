// Counting a saved capture's records that the inline path in the header does
// not take: any record unlike the last IN completion, and the descriptor
// replies. Stamps are whole microseconds (finer ones were cut by the
// reader), so every endpoint's gaps are whole and its histogram holds each
// exactly.
#include "core/capture_file_tally.h"

// The endpoint descriptors inside a configuration descriptor that a device
// returned give their endpoints' bInterval.
static void note_configuration(CaptureFileAnalysis* a, uint16_t bus, uint16_t device,
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

// Returns the entry an IN completion with data was counted in (null for any
// other record, or when the table had no slot for it).
static UsbEndpoint* count_endpoints(CaptureFileAnalysis* a, const CaptureSource* src,
                                    int64_t ts_us, const UsbPcapHeader* h) {
    if (!h->has_address)
        return NULL;
    if (h->function == URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER && h->from_device &&
        h->transfer != USBPCAP_TRANSFER_INTERRUPT)
        a->non_interrupt_in++;
    if (is_in_completion(h)) {
        UsbEndpoint* e = usb_endpoint_of(&a->endpoints, h->bus, h->device, h->endpoint);
        capture_file_count_in_completion(a, src, ts_us, h, e);
        return e;
    }
    if ((h->function == URB_FUNCTION_CONTROL_TRANSFER ||
         h->function == URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE) &&
        h->from_device)
        note_configuration(a, h->bus, h->device, h->payload, h->payload_len);
    return NULL;
}

void capture_file_count_decoded(CaptureFileAnalysis* a, const CaptureSource* src, int64_t ts_us,
                                const uint8_t* packet, uint32_t incl_len) {
    UsbPcapHeader h;
    const bool decoded = usbpcap_decode(packet, incl_len, &h) == USBPCAP_DECODED;
    tally_decoded(&a->tally, ts_us, decoded ? &h : NULL);
    if (!decoded)
        return;
    UsbEndpoint* e = count_endpoints(a, src, ts_us, &h);
    if (usbpcap_keep_shape(&a->last_in, packet, &h))
        a->last_in_endpoint = e;  // a shape is kept only of such a completion
}
