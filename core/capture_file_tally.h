// One record of a saved capture counted: the summary's tally (the live
// diagnostic's rules) and the per-endpoint table with its exact gap
// histograms. A record shaped as the last interrupt or bulk IN completion
// (each report of the mouse a capture is mostly of; the submissions USBPcap
// logs between them are decoded and leave that shape kept) is counted
// inline, without decoding it again; any other is decoded and counted out of
// line (core/capture_file_tally.cpp).
#pragma once

#include <stdint.h>

#include "core/capture_file.h"
#include "core/usbpcap_record.h"

// Any record but the inline case below: decoded, tallied, counted in its
// endpoint, and kept as the shape to match when it is such a completion.
void capture_file_count_decoded(CaptureFileAnalysis* a, const CaptureSource* src, int64_t ts_us,
                                const uint8_t* packet, uint32_t incl_len);

// An IN completion with data of endpoint e (null: the table had no slot for it).
inline void capture_file_count_in_completion(CaptureFileAnalysis* a, const CaptureSource* src,
                                             int64_t ts_us, const UsbPcapHeader* h,
                                             UsbEndpoint* e) {
    const int64_t gap = e ? usb_endpoint_report(&a->endpoints, e, ts_us, h->transfer) : -1;
    if (src->on_completion) {
        InCompletion c = {ts_us, h->bus, h->device, h->endpoint, h->transfer, gap};
        src->on_completion(src->completion_ctx, &c);
    }
}

// An IN completion shaped as a->last_in: what the decoded path does for it,
// without testing the fields the shape fixes (function 9, from the device,
// the direction byte already seen, the endpoint already looked up).
inline void capture_file_count_same_in_completion(CaptureFileAnalysis* a, const CaptureSource* src,
                                                  int64_t ts_us) {
    CaptureTally* t = &a->tally;
    t->total_packets++;
    t->bulk_int_packets++;
    tally_gap(&t->prev_in_ts_us, ts_us, &t->valid_in_intervals, &t->interval_sum_us,
              &t->max_interval_us);
    if (a->last_in.transfer != USBPCAP_TRANSFER_INTERRUPT)
        a->non_interrupt_in++;
    capture_file_count_in_completion(a, src, ts_us, &a->last_in.header, a->last_in_endpoint);
}

// A USBPcap packet (header and payload, incl_len bytes) stamped at ts_us.
inline void capture_file_count_packet(CaptureFileAnalysis* a, const CaptureSource* src,
                                      int64_t ts_us, const uint8_t* packet, uint32_t incl_len) {
    // From INT64_MAX and INT64_MIN until the walk ends (analyse_capture).
    a->first_ts_us = ts_us < a->first_ts_us ? ts_us : a->first_ts_us;
    a->last_ts_us = ts_us > a->last_ts_us ? ts_us : a->last_ts_us;
    a->usbpcap_records++;
    if (usbpcap_same_shape(&a->last_in, packet, incl_len))
        capture_file_count_same_in_completion(a, src, ts_us);
    else
        capture_file_count_decoded(a, src, ts_us, packet, incl_len);
}
