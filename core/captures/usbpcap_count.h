// Which USBPcap record counts as what, decided in one place for every capture
// path: the window's diagnostic, the live --usb capture, --pcap and
// --compare. A record counts in the summary tally (the Chinese report's
// rules), as an IN completion with data in its endpoint (when there is an
// endpoint table), and as a descriptor reply that gives bInterval.
//
// A capture is mostly one mouse's reports in a row and holds tens of millions
// of records, so a record shaped as the last interrupt or bulk IN completion
// is counted inline from that completion's decoded header and endpoint; any
// other is decoded and counted out of line.
#pragma once

#include <stdint.h>

#include "core/captures/capture_stream.h"
#include "core/captures/usb_endpoints.h"
#include "core/captures/usbpcap_record.h"

struct UsbPcapCounter {
    CaptureTally tally;
    // Completions the summary counts as interrupt-IN deliveries that are bulk
    // (or isochronous) transfers: the summary's rule, told apart here.
    uint64_t non_interrupt_in;
    InCompletionFn on_completion;  // optional: called for every IN completion with data
    void* completion_ctx;
    UsbPcapShape last_in;           // the last interrupt or bulk IN completion decoded
    UsbEndpoint* last_in_endpoint;  // its entry in the table; null without a table or a slot
};

// An empty count. Every call that counts into it then names the same
// endpoint table, or always none (the window's diagnostic counts no
// endpoint); one table may take the counts of several counters (one a hub).
// The table is an argument, not a field, so that the walk of a file holds it
// in a register rather than loading it once a record.
void usbpcap_counter_init(UsbPcapCounter* c);

// Any record but the inline case below: decoded and counted, and kept as the
// shape to match when it is such a completion.
void usbpcap_count_decoded(UsbPcapCounter* c, UsbEndpointTable* t, int64_t ts_us,
                           const uint8_t* packet, uint32_t incl_len);

// An IN completion with data of endpoint e of t (e null: not counted per endpoint).
inline void usbpcap_count_in_completion(UsbPcapCounter* c, UsbEndpointTable* t, int64_t ts_us,
                                        const UsbPcapHeader* h, UsbEndpoint* e) {
    const int64_t gap = e ? usb_endpoint_report(t, e, ts_us, h->transfer) : -1;
    if (c->on_completion) {
        InCompletion in = {ts_us, h->bus, h->device, h->endpoint, h->transfer, gap};
        c->on_completion(c->completion_ctx, &in);
    }
}

// A completion shaped as c->last_in: what the decoded path does for it,
// without testing the fields the shape fixes (function 9, from the device,
// the direction byte already seen, the endpoint already looked up).
inline void usbpcap_count_same_in_completion(UsbPcapCounter* c, UsbEndpointTable* t,
                                             int64_t ts_us) {
    CaptureTally* s = &c->tally;
    s->total_packets++;
    s->bulk_int_packets++;
    tally_gap(&s->prev_in_ts_us, ts_us, &s->valid_in_intervals, &s->interval_sum_us,
              &s->max_interval_us);
    if (c->last_in.transfer != USBPCAP_TRANSFER_INTERRUPT)
        c->non_interrupt_in++;
    usbpcap_count_in_completion(c, t, ts_us, &c->last_in.header, c->last_in_endpoint);
}

// One USBPcap packet (header and payload, incl_len bytes) stamped at ts_us,
// counted in c and, when t is given, in its endpoint of t.
inline void usbpcap_count(UsbPcapCounter* c, UsbEndpointTable* t, int64_t ts_us,
                          const uint8_t* packet, uint32_t incl_len) {
    if (usbpcap_same_shape(&c->last_in, packet, incl_len))
        usbpcap_count_same_in_completion(c, t, ts_us);
    else
        usbpcap_count_decoded(c, t, ts_us, packet, incl_len);
}

// A descriptor reply (n bytes at p) from bus.device, whichever capture it
// came in: a configuration descriptor's endpoint descriptors give their
// endpoints' bInterval and wMaxPacketSize; a device descriptor and a
// device-qualifier answer tell how fast the device can run.
void usb_note_descriptor(UsbEndpointTable* t, uint16_t bus, uint16_t device, const uint8_t* p,
                         uint32_t n);

// Counts every complete record of a live stream (16-byte little-endian
// record headers, as the driver writes them) and consumes it; an incomplete
// tail stays. record_fn, when given, gets each whole record first.
typedef void (*CaptureRecordFn)(void* ctx, const uint8_t* record, uint64_t bytes);
void usbpcap_count_stream(GrowBuf* b, UsbPcapCounter* c, UsbEndpointTable* t,
                          CaptureRecordFn record_fn, void* ctx);
