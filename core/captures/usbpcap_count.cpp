// The counting rule for the records the inline path does not take, and the
// live stream's walk. Stamps are whole microseconds (a file's finer ones were
// cut by its reader), so every endpoint's gaps are whole and its histogram
// holds each exactly.
#include "core/captures/usbpcap_count.h"

#include <string.h>

void usbpcap_counter_init(UsbPcapCounter* c) {
    memset(c, 0, sizeof *c);
    capture_tally_init(&c->tally);
}

void usb_note_descriptor(UsbEndpointTable* t, uint16_t bus, uint16_t device, const uint8_t* p,
                         uint32_t n) {
    if (n < 2)
        return;
    if (p[1] == USB_DESCRIPTOR_CONFIGURATION && n >= 9) {
        uint64_t off = 0;
        EndpointDescriptor d;
        while (next_endpoint_descriptor(p, n, &off, &d)) {
            UsbEndpoint* e = usb_endpoint_of(t, bus, device, d.address);
            if (e) {
                e->binterval = d.binterval;
                e->described_type = d.attributes & USB_ENDPOINT_TYPE_MASK;
                e->max_packet = d.max_packet;
            }
        }
    } else if (p[1] == USB_DESCRIPTOR_DEVICE && p[0] == 18 && n >= 8) {
        // The host's first request may stop after eight bytes: bcdUSB and
        // bMaxPacketSize0 are in them, the ids are not.
        UsbDevice* d = usb_device_of(t, bus, device);
        if (d) {
            d->bcd_usb = le16(p + 2);
            d->max_packet0 = p[7];
            if (n >= 12) {
                d->vid = le16(p + 8);
                d->pid = le16(p + 10);
            }
        }
    } else if (p[1] == USB_DESCRIPTOR_DEVICE_QUALIFIER && p[0] == 10 && n >= 10) {
        UsbDevice* d = usb_device_of(t, bus, device);
        if (d)
            d->qualifier = true;
    }
}

// The rule; h is null for a record that could not be decoded. Every
// function-9 completion counts in the summary as bulk/interrupt, and every
// one that comes from the device (or carries no info byte) as an
// interrupt-IN delivery: bulk and, without the info byte, OUT completions
// too. The report has always counted them so; non_interrupt_in and the
// endpoints tell them apart. An endpoint counts every IN completion with
// data of an interrupt or bulk transfer, whatever its function code. Returns
// the entry such a completion was counted in.
static UsbEndpoint* count_header(UsbPcapCounter* c, UsbEndpointTable* endpoints, int64_t ts_us,
                                const UsbPcapHeader* h) {
    CaptureTally* t = &c->tally;
    t->total_packets++;
    if (!h || !h->has_function)
        return NULL;
    const bool control = h->function == URB_FUNCTION_CONTROL_TRANSFER ||
                         h->function == URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE;
    if (h->function == URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER) {
        t->bulk_int_packets++;
        t->dir_byte_seen = t->dir_byte_seen || h->has_info;
        if (!h->has_info || h->from_device) {
            tally_gap(&t->prev_in_ts_us, ts_us, &t->valid_in_intervals, &t->interval_sum_us,
                      &t->max_interval_us);
            if (h->has_address && h->transfer != USBPCAP_TRANSFER_INTERRUPT)
                c->non_interrupt_in++;
        }
    } else if (control) {
        tally_control(t, h->payload, h->payload_len);
    }
    if (is_in_completion(h)) {
        UsbEndpoint* e =
            endpoints ? usb_endpoint_of(endpoints, h->bus, h->device, h->endpoint) : NULL;
        usbpcap_count_in_completion(c, endpoints, ts_us, h, e);
        return e;
    }
    // Older drivers stamp some control transfers CONTROL_TRANSFER_EX: the
    // summary has never counted those, but their descriptors describe the
    // endpoints all the same.
    const bool described = control || h->function == URB_FUNCTION_CONTROL_TRANSFER_EX;
    if (described && h->has_address && h->from_device && endpoints)
        usb_note_descriptor(endpoints, h->bus, h->device, h->payload, h->payload_len);
    return NULL;
}

void usbpcap_count_decoded(UsbPcapCounter* c, UsbEndpointTable* t, int64_t ts_us,
                           const uint8_t* packet, uint32_t incl_len) {
    UsbPcapHeader h;
    const bool decoded = usbpcap_decode(packet, incl_len, &h) == USBPCAP_DECODED;
    UsbEndpoint* e = count_header(c, t, ts_us, decoded ? &h : NULL);
    if (decoded && usbpcap_keep_shape(&c->last_in, packet, &h))
        c->last_in_endpoint = e;  // a shape is kept only of such a completion
}

void usbpcap_count_stream(GrowBuf* b, UsbPcapCounter* c, UsbEndpointTable* t,
                          CaptureRecordFn record_fn, void* ctx) {
    uint64_t off = 0;
    while (b->len - off >= PCAP_RECORD_HEADER_BYTES) {
        const uint8_t* rec = b->data + off;
        const PcapRecordHeader r = pcap_record_header(rec, false);
        const uint64_t size = PCAP_RECORD_HEADER_BYTES + (uint64_t)r.incl_len;
        if (b->len - off < size)
            break;
        if (record_fn)
            record_fn(ctx, rec, size);
        usbpcap_count(c, t, (int64_t)r.ts_sec * 1000000 + (int64_t)r.ts_frac,
                      rec + PCAP_RECORD_HEADER_BYTES, r.incl_len);
        off += size;
    }
    // The unconsumed tail moves once, not once a record.
    if (off)
        gb_consume(b, off);
}
