// What a usbmon record counts as, into the same summary tally and endpoint
// table as a USBPcap record (core/captures/usbpcap_count.h), so that a Linux
// capture gives the same figures in the same words. usbmon logs every
// transfer twice, as its submission ('S') and its completion ('C'):
//   - the summary counts every record; interrupt and bulk records as
//     bulk/interrupt, control records as control transfers (their data walked
//     for interrupt endpoints' bInterval); a completion of an interrupt-IN or
//     bulk-IN transfer is an IN delivery, its gap tallied as USBPcap's are;
//   - an endpoint counts the completions of its interrupt-IN or bulk-IN
//     transfers that succeeded (status 0) and carried data;
//   - a control completion describes its device when its submission, found
//     by the URB's id, asked for a descriptor (the setup travels only on the
//     submission).
// A record shorter than its header, with a captured length beyond it, or of
// an unknown type counts in the total only, and as unusable.
#pragma once

#include <stdint.h>

#include "core/captures/usb_endpoints.h"
#include "core/captures/usbmon_record.h"
#include "core/captures/usbpcap_count.h"

enum { USBMON_PENDING_REQUESTS = 16 };

// A GET_DESCRIPTOR submission whose completion has not come yet.
struct UsbmonRequest {
    uint64_t id;
    uint16_t bus;
    uint8_t device;
    bool waiting;
};

struct UsbmonCounter {
    // A few at a time: a host enumerates one device's descriptors in turn,
    // and a completion whose submission was pushed out describes nothing.
    UsbmonRequest requests[USBMON_PENDING_REQUESTS];
    unsigned next_request;
    uint64_t unusable;
};

void usbmon_counter_init(UsbmonCounter* m);

// A control record: counted in the summary, and a descriptor request or its
// reply paired by the URB's id.
void usbmon_count_control(UsbPcapCounter* c, UsbmonCounter* m, UsbEndpointTable* t,
                          const UsbmonHeader* h);

// An interrupt-IN or bulk-IN completion that succeeded with data: its
// endpoint's report, and the completion hook.
inline void usbmon_count_in_completion(UsbPcapCounter* c, UsbEndpointTable* t, int64_t ts_us,
                                       const UsbmonHeader* h) {
    UsbEndpoint* e = t ? usb_endpoint_of(t, h->bus, h->device, h->endpoint) : NULL;
    const int64_t gap = e ? usb_endpoint_report(t, e, ts_us, h->transfer) : -1;
    if (c->on_completion) {
        InCompletion in = {ts_us, h->bus, h->device, h->endpoint, h->transfer, gap};
        c->on_completion(c->completion_ctx, &in);
    }
}

// One usbmon record's packet data (incl_len bytes, its header header_bytes
// long, in the file's byte order) stamped at ts_us. Inline: it runs once a
// record.
inline void usbmon_count(UsbPcapCounter* c, UsbmonCounter* m, UsbEndpointTable* t, int64_t ts_us,
                         const uint8_t* packet, uint32_t incl_len, uint32_t header_bytes,
                         bool big) {
    CaptureTally* s = &c->tally;
    s->total_packets++;
    UsbmonHeader h;
    if (usbmon_decode(packet, incl_len, header_bytes, big, &h) != USBMON_DECODED) {
        m->unusable++;
        return;
    }
    // Every record says its direction (the endpoint's bit 7): no guessing.
    s->dir_byte_seen = true;
    if (h.transfer == USBPCAP_TRANSFER_INTERRUPT || h.transfer == USBPCAP_TRANSFER_BULK) {
        s->bulk_int_packets++;
        if (h.type != USBMON_COMPLETION || !(h.endpoint & USB_ENDPOINT_IN))
            return;
        tally_gap(&s->prev_in_ts_us, ts_us, &s->valid_in_intervals, &s->interval_sum_us,
                  &s->max_interval_us);
        if (h.transfer != USBPCAP_TRANSFER_INTERRUPT)
            c->non_interrupt_in++;
        // The transfer's own length: the report was sent even where the
        // capture kept fewer of its bytes.
        if (h.status == 0 && h.length > 0)
            usbmon_count_in_completion(c, t, ts_us, &h);
    } else if (h.transfer == USBPCAP_TRANSFER_CONTROL) {
        usbmon_count_control(c, m, t, &h);
    }
}
