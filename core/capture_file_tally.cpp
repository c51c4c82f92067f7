// Counting a saved capture's records: the summary tally and the endpoint
// table. Stamps are whole microseconds (finer ones were cut by the reader),
// so every endpoint's gaps are whole and its histogram holds each exactly.
#include "core/capture_file_tally.h"

#include "core/usbpcap_record.h"

// Endpoint descriptors inside a configuration descriptor that a device
// returned. It takes the fields, not the header, so that the header of the
// record being counted can stay in registers.
static void note_configuration(CaptureFileAnalysis* a, uint16_t bus, uint16_t device,
                               const uint8_t* payload, uint32_t payload_len) {
    if (payload_len < 9 || payload[1] != USB_DESCRIPTOR_CONFIGURATION)
        return;
    uint64_t off = 0;
    EndpointDescriptor d;
    while (next_endpoint_descriptor(payload, payload_len, &off, &d)) {
        UsbEndpoint* e = usb_endpoint_of(&a->endpoints, bus, device, d.address);
        if (e)
            e->binterval = d.binterval;
    }
}

static void count_in_completion(CaptureFileAnalysis* a, const CaptureSource* src, int64_t ts_us,
                                const UsbPcapHeader* h) {
    UsbEndpoint* e = usb_endpoint_of(&a->endpoints, h->bus, h->device, h->endpoint);
    const int64_t gap = e ? usb_endpoint_report(&a->endpoints, e, ts_us, h->transfer) : -1;
    if (src->on_completion) {
        InCompletion c = {ts_us, h->bus, h->device, h->endpoint, h->transfer, gap};
        src->on_completion(src->completion_ctx, &c);
    }
}

static void count_endpoints(CaptureFileAnalysis* a, const CaptureSource* src, int64_t ts_us,
                            const UsbPcapHeader* h) {
    if (!h->has_address)
        return;
    if (h->function == URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER && h->from_device &&
        h->transfer != USBPCAP_TRANSFER_INTERRUPT)
        a->non_interrupt_in++;
    if (is_in_completion(h))
        count_in_completion(a, src, ts_us, h);
    else if ((h->function == URB_FUNCTION_CONTROL_TRANSFER ||
              h->function == URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE) &&
             h->from_device)
        note_configuration(a, h->bus, h->device, h->payload, h->payload_len);
}

void capture_file_count_packet(CaptureFileAnalysis* a, const CaptureSource* src, int64_t ts_us,
                               const uint8_t* packet, uint32_t incl_len) {
    if (a->usbpcap_records == 0 || ts_us < a->first_ts_us)
        a->first_ts_us = ts_us;
    if (a->usbpcap_records == 0 || ts_us > a->last_ts_us)
        a->last_ts_us = ts_us;
    a->usbpcap_records++;
    UsbPcapHeader h;
    const bool decoded = usbpcap_decode(packet, incl_len, &h) == USBPCAP_DECODED;
    tally_decoded(&a->tally, ts_us, decoded ? &h : NULL);
    if (decoded)
        count_endpoints(a, src, ts_us, &h);
}
