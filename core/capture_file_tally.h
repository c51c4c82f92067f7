// One record of a saved capture counted: the summary's tally (the live
// diagnostic's rules) and the per-endpoint table with its exact gap
// histograms. Inline, since a capture holds tens of millions of records and
// the reader calls this for each; the rare descriptor reply is counted out of
// line (core/capture_file_tally.cpp).
#pragma once

#include <stdint.h>

#include "core/capture_file.h"
#include "core/usbpcap_record.h"

// The endpoint descriptors inside a configuration descriptor that a device
// returned give their endpoints' bInterval. It takes the fields, not the
// header, so that the header of the record being counted stays in registers.
void capture_file_note_configuration(CaptureFileAnalysis* a, uint16_t bus, uint16_t device,
                                     const uint8_t* payload, uint32_t payload_len);

inline void capture_file_count_in_completion(CaptureFileAnalysis* a, const CaptureSource* src,
                                             int64_t ts_us, const UsbPcapHeader* h) {
    UsbEndpoint* e = usb_endpoint_of(&a->endpoints, h->bus, h->device, h->endpoint);
    const int64_t gap = e ? usb_endpoint_report(&a->endpoints, e, ts_us, h->transfer) : -1;
    if (src->on_completion) {
        InCompletion c = {ts_us, h->bus, h->device, h->endpoint, h->transfer, gap};
        src->on_completion(src->completion_ctx, &c);
    }
}

inline void capture_file_count_endpoints(CaptureFileAnalysis* a, const CaptureSource* src,
                                         int64_t ts_us, const UsbPcapHeader* h) {
    if (!h->has_address)
        return;
    if (h->function == URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER && h->from_device &&
        h->transfer != USBPCAP_TRANSFER_INTERRUPT)
        a->non_interrupt_in++;
    if (is_in_completion(h))
        capture_file_count_in_completion(a, src, ts_us, h);
    else if ((h->function == URB_FUNCTION_CONTROL_TRANSFER ||
              h->function == URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE) &&
             h->from_device)
        capture_file_note_configuration(a, h->bus, h->device, h->payload, h->payload_len);
}

// A USBPcap packet (header and payload, incl_len bytes) stamped at ts_us.
inline void capture_file_count_packet(CaptureFileAnalysis* a, const CaptureSource* src,
                                      int64_t ts_us, const uint8_t* packet, uint32_t incl_len) {
    if (a->usbpcap_records == 0 || ts_us < a->first_ts_us)
        a->first_ts_us = ts_us;
    if (a->usbpcap_records == 0 || ts_us > a->last_ts_us)
        a->last_ts_us = ts_us;
    a->usbpcap_records++;
    UsbPcapHeader h;
    const bool decoded = usbpcap_decode(packet, incl_len, &h) == USBPCAP_DECODED;
    tally_decoded(&a->tally, ts_us, decoded ? &h : NULL);
    if (decoded)
        capture_file_count_endpoints(a, src, ts_us, &h);
}
