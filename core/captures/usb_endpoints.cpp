// The endpoint table: the lookup past the last endpoint (the header tries
// that one inline), kept times within one bound, and the choice of the
// endpoint whose reports the program received.
#include "core/captures/usb_endpoints.h"

#include <ctype.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "core/figures/gap_rule.h"
#include "core/heap.h"
#include "core/figures/layer_compare.h"
#include "core/captures/usbpcap_record.h"

static const size_t kFirstTimes = 4096;

void usb_endpoints_init(UsbEndpointTable* t, uint64_t max_times) {
    memset(t, 0, sizeof *t);
    t->max_times = max_times;
}

static void free_clock(UsbEndpoint* e) {
    if (!e->clock)
        return;
    report_clock_free(e->clock);
    heap_free(e->clock);
    e->clock = NULL;
}

void usb_endpoints_free(UsbEndpointTable* t) {
    clock_feed_end(t->feed);  // the worker may hold a clock
    t->feed = NULL;
    for (int i = 0; i < t->count; i++) {
        gap_histogram_free(&t->slot[i].gaps);
        heap_free(t->slot[i].times);
        free_clock(&t->slot[i]);
    }
    const bool no_clocks = t->no_clocks;
    usb_endpoints_init(t, t->max_times);
    t->no_clocks = no_clocks;
}

UsbEndpoint* usb_endpoint_find(UsbEndpointTable* t, uint16_t bus, uint16_t device,
                               uint8_t endpoint) {
    for (int i = 0; i < t->count; i++) {
        const UsbEndpoint* e = &t->slot[i];
        if (e->bus == bus && e->device == device && e->endpoint == endpoint) {
            t->last = i;
            t->last_key = usb_endpoint_key(bus, device, endpoint);
            return &t->slot[i];
        }
    }
    if (t->count == USB_ENDPOINT_SLOTS) {
        t->slots_full = true;
        return NULL;
    }
    t->last = t->count++;
    t->last_key = usb_endpoint_key(bus, device, endpoint);
    UsbEndpoint* e = &t->slot[t->last];
    memset(e, 0, sizeof *e);
    e->bus = bus;
    e->device = device;
    e->endpoint = endpoint;
    e->prev_ts_us = -1;
    e->binterval = -1;
    gap_histogram_init_us(&e->gaps);
    return e;
}

const UsbDevice* usb_device_find(const UsbEndpointTable* t, uint16_t bus, uint16_t device) {
    for (int i = 0; i < t->device_count; i++) {
        if (t->devices[i].bus == bus && t->devices[i].device == device)
            return &t->devices[i];
    }
    return NULL;
}

// Descriptor replies are rare (a few per enumeration), so a linear search does.
UsbDevice* usb_device_of(UsbEndpointTable* t, uint16_t bus, uint16_t device) {
    UsbDevice* d = (UsbDevice*)usb_device_find(t, bus, device);
    if (d || t->device_count == USB_DEVICE_SLOTS)
        return d;
    d = &t->devices[t->device_count++];
    *d = UsbDevice{bus, device, -1, -1, -1, -1, false};
    return d;
}

// A clock is some 58 KB: only interrupt endpoints, which can carry mouse
// reports, get one. Without memory the endpoint says so in its figures.
void usb_endpoint_start_clock(UsbEndpointTable* t, UsbEndpoint* e, int64_t ts_us) {
    e->clock_started = true;
    e->clock_figures = ReportClockFigures{};
    e->clock_figures.refusal = REPORT_CLOCK_NO_MEMORY;
    if (e->transfer != USBPCAP_TRANSFER_INTERRUPT)
        return;
    e->clock = (ReportClock*)heap_alloc(sizeof(ReportClock));
    if (!e->clock)
        return;
    report_clock_init(e->clock);
    e->clock_origin_us = ts_us;
    if (!t->feed)
        t->feed = clock_feed_start();  // none: the clocks are fed in place
}

void usb_endpoints_finish_clocks(UsbEndpointTable* t) {
    clock_feed_end(t->feed);
    t->feed = NULL;
    for (int i = 0; i < t->count; i++) {
        UsbEndpoint* e = &t->slot[i];
        if (e->clock)
            report_clock_finish(e->clock, &e->clock_figures);
        free_clock(e);
    }
}

// Only interrupt endpoints can carry mouse reports, so only their times are
// kept. The bound is checked before any block moves, so a refused time
// leaves the kept ones where they were.
void usb_endpoint_keep_time(UsbEndpointTable* t, UsbEndpoint* e, int64_t ts_us) {
    if (t->max_times == 0 || t->times_full || e->transfer != USBPCAP_TRANSFER_INTERRUPT)
        return;
    if (t->times_kept >= t->max_times) {
        t->times_full = true;
        return;
    }
    if (e->time_count == e->time_capacity) {
        // Never more room than the bound has left, so the blocks of all
        // endpoints together stay within it.
        const uint64_t left = t->max_times - t->times_kept;
        size_t grown = e->time_capacity ? e->time_capacity * 2 : kFirstTimes;
        if (grown - e->time_count > left)
            grown = e->time_count + (size_t)left;
        int64_t* block = (int64_t*)heap_realloc(e->times, grown * sizeof(int64_t));
        if (!block) {
            t->times_full = true;
            return;
        }
        e->times = block;
        e->time_capacity = grown;
    }
    e->times[e->time_count++] = ts_us;
    t->times_kept++;
}

void usb_endpoints_sort_times(UsbEndpointTable* t) {
    for (int i = 0; i < t->count; i++)
        std::sort(t->slot[i].times, t->slot[i].times + t->slot[i].time_count);
}

static uint32_t address_of(const UsbEndpoint* e) {
    return ((uint32_t)e->bus << 24) | ((uint32_t)e->device << 8) | e->endpoint;
}

// Ties go to more completions, then to the lower bus.device.endpoint.
static bool better_than(const UsbEndpoint* e, uint64_t score, const UsbEndpoint* best,
                        uint64_t best_score) {
    if (!best || score != best_score)
        return !best || score > best_score;
    if (e->time_count != best->time_count)
        return e->time_count > best->time_count;
    return address_of(e) < address_of(best);
}

const UsbEndpoint* usb_endpoints_best(const UsbEndpointTable* t, const int64_t* p, size_t count) {
    const UsbEndpoint* best = NULL;
    uint64_t best_score = 0;
    for (int i = 0; i < t->count; i++) {
        const UsbEndpoint* e = &t->slot[i];
        if (e->transfer != USBPCAP_TRANSFER_INTERRUPT)
            continue;
        uint64_t score = endpoint_score(e->times, e->time_count, p, count);
        if (score > 0 && better_than(e, score, best, best_score)) {
            best = e;
            best_score = score;
        }
    }
    return best;
}

void format_endpoint_name(char out[USB_ENDPOINT_NAME_BYTES], uint16_t bus, uint16_t device,
                          uint8_t endpoint) {
    snprintf(out, USB_ENDPOINT_NAME_BYTES, "%u.%u.0x%02X", (unsigned)bus, (unsigned)device,
             (unsigned)endpoint);
}

static bool read_number(const char** text, unsigned long limit, int base, unsigned long* out) {
    char* end;
    if (!isxdigit((unsigned char)**text) || (base == 10 && !isdigit((unsigned char)**text)))
        return false;
    *out = strtoul(*text, &end, base);
    if (end == *text || *out > limit)
        return false;
    *text = end;
    return true;
}

// "0x81" in hex, "129" in decimal; a leading 0 means nothing (no octal).
static bool read_endpoint_number(const char** text, unsigned long* out) {
    if ((*text)[0] == '0' && ((*text)[1] == 'x' || (*text)[1] == 'X')) {
        *text += 2;
        return isxdigit((unsigned char)**text) && read_number(text, 255, 16, out);
    }
    return read_number(text, 255, 10, out);
}

bool parse_endpoint_name(const char* text, uint16_t* bus, uint16_t* device, uint8_t* endpoint) {
    unsigned long b, d, e;
    if (!read_number(&text, 65535, 10, &b) || *text++ != '.' || !read_number(&text, 65535, 10, &d) ||
        *text++ != '.' || !read_endpoint_number(&text, &e) || *text != 0)
        return false;
    *bus = (uint16_t)b;
    *device = (uint16_t)d;
    *endpoint = (uint8_t)e;
    return true;
}

// Full speed: bInterval counts frames of 1 ms, but Windows polls at that
// value rounded down to a power of two, 32 ms at most (the full-speed table
// under bInterval in the Windows driver documentation of
// USB_ENDPOINT_DESCRIPTOR, usbspec.h). High speed: 2^(bInterval-1)
// microframes of 125 us, for 1..16.
static double full_speed_ms(int binterval) {
    int ms = 1;
    while (ms < 32 && ms * 2 <= binterval)
        ms *= 2;
    return ms;
}

// A median within a quarter of a period (either way) is taken as that period;
// the nearer of two readings wins.
static BIntervalFit fit_of(const BIntervalReading* r, double p50_us) {
    if (!(p50_us > 0))
        return BINTERVAL_NOT_MEASURED;
    const double p50_ms = p50_us / 1000.0;
    const double full = r->full_valid ? fabs(log(p50_ms / r->full_ms)) : INFINITY;
    const double high = r->high_valid ? fabs(log(p50_ms / r->high_ms)) : INFINITY;
    const double nearest = full < high ? full : high;
    if (!(nearest <= log(1.25)))
        return BINTERVAL_FITS_NEITHER;
    if (full == high)
        return BINTERVAL_FITS_BOTH;
    return full < high ? BINTERVAL_FITS_FULL : BINTERVAL_FITS_HIGH;
}

void binterval_reading(int binterval, double p50_us, BIntervalReading* out) {
    memset(out, 0, sizeof *out);
    out->full_valid = binterval >= 1 && binterval <= 255;
    out->high_valid = binterval >= 1 && binterval <= 16;
    if (out->full_valid) {
        out->full_ms = full_speed_ms(binterval);
        out->full_hz = 1000.0 / out->full_ms;
    }
    if (out->high_valid) {
        out->high_ms = 0.125 * ldexp(1.0, binterval - 1);
        out->high_hz = 1000.0 / out->high_ms;
    }
    out->fit = fit_of(out, p50_us);
}
