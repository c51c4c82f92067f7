// Capture stream analysis: the growable stream buffer, the pcap global header
// check and the tally's descriptor walk.
#include "core/captures/capture_stream.h"

#include <string.h>

#include "core/heap.h"
#include "core/captures/usbpcap_record.h"

static const uint64_t kFirstCapacity = 65536;

void gb_append(GrowBuf* b, const void* src, uint64_t count) {
    uint64_t needed = b->len + count;
    if (needed < b->len || needed > ((uint64_t)1 << 62))
        return;  // no block can be that large; doubling towards it would overflow
    if (b->cap < needed) {
        uint64_t cap = b->cap ? b->cap * 2 : kFirstCapacity;
        while (cap < needed)
            cap *= 2;
        if (cap != (size_t)cap)
            return;
        uint8_t* grown = (uint8_t*)heap_realloc(b->data, (size_t)cap);
        if (!grown)
            return;  // the chunk is dropped; the capture goes on
        b->data = grown;
        b->cap = cap;
    }
    if (count)
        memcpy(b->data + b->len, src, (size_t)count);
    b->len = needed;
}

void gb_free(GrowBuf* b) {
    heap_free(b->data);
    b->data = NULL;
    b->len = 0;
    b->cap = 0;
}

void gb_consume(GrowBuf* b, uint64_t n) {
    if (n >= b->len) {
        b->len = 0;
        return;
    }
    memmove(b->data, b->data + n, (size_t)(b->len - n));
    b->len -= n;
}

HeaderCheck check_global_header(GrowBuf* b) {
    HeaderCheck c = {HEADER_PENDING, 0};
    if (b->len < PCAP_GLOBAL_HEADER_BYTES)
        return c;
    uint32_t magic = le32(b->data);
    if (magic != 0xA1B2C3D4u) {
        const bool big = magic == 0xD4C3B2A1u || magic == 0x4D3CB2A1u;
        c.result = big ? HEADER_BIG_ENDIAN : HEADER_REJECTED;
        c.magic = magic;
        return c;
    }
    gb_consume(b, PCAP_GLOBAL_HEADER_BYTES);
    c.result = HEADER_ACCEPTED;
    return c;
}

void capture_tally_init(CaptureTally* t) {
    memset(t, 0, sizeof *t);
    t->prev_in_ts_us = -1;
    t->min_binterval = -1;
}

void tally_control(CaptureTally* t, const uint8_t* payload, uint32_t payload_len) {
    t->control_packets++;
    uint64_t off = 0;
    EndpointDescriptor e;
    while (next_endpoint_descriptor(payload, payload_len, &off, &e)) {
        if ((e.attributes & USB_ENDPOINT_TYPE_MASK) != USB_ENDPOINT_TYPE_INTERRUPT)
            continue;
        if (t->min_binterval == -1 || e.binterval < t->min_binterval)
            t->min_binterval = e.binterval;
    }
}

void capture_figures(const CaptureTally* t, CaptureFigures* out) {
    out->average_hz = t->valid_in_intervals == 0
                          ? 0
                          : 1000000.0 / (t->interval_sum_us / (double)t->valid_in_intervals);
    out->lowest_hz = t->max_interval_us == 0 ? 0 : 1000000.0 / t->max_interval_us;
}
