// The headline's figures: the mouse endpoint chosen, its own gaps, its
// device's speed from the descriptors the capture holds, and the step of a
// coarse capture clock, all read from the endpoint table.
#include "core/captures/capture_headline.h"

#include <math.h>
#include <string.h>

#include "core/figures/distribution.h"
#include "core/figures/gap_histogram.h"
#include "core/captures/usbpcap_record.h"

enum {
    FULL_SPEED_LARGEST_PACKET = 64,  // an interrupt endpoint's, and bMaxPacketSize0 at high speed
    TICK_FEWEST_GAPS = 16,
};
static const double kTickShortestUs = 950.0;
static const double kTickSlackUs = 2.0;  // a stamp cut to whole us, twice
static const double kTickShare = 0.9;

// An interrupt endpoint of the device packing more than full speed allows.
static bool high_speed_endpoint(const UsbEndpointTable* t, uint16_t bus, uint16_t device,
                                int* size) {
    for (int i = 0; i < t->count; i++) {
        const UsbEndpoint* e = &t->slot[i];
        if (e->bus != bus || e->device != device ||
            e->described_type != USB_ENDPOINT_TYPE_INTERRUPT)
            continue;
        // Extra transactions per microframe (bits 11..12) exist at high speed only.
        if ((e->max_packet & 0x7FF) > FULL_SPEED_LARGEST_PACKET || (e->max_packet >> 11) & 3) {
            *size = e->max_packet & 0x7FF;
            return true;
        }
    }
    return false;
}

// Two descriptors that disagree show nothing: both readings are given then.
void usb_device_speed(const UsbEndpointTable* t, uint16_t bus, uint16_t device,
                      UsbDeviceSpeed* out) {
    *out = UsbDeviceSpeed{USB_SPEED_NOT_SHOWN, SPEED_EVIDENCE_NONE, 0};
    const UsbDevice* d = usb_device_find(t, bus, device);
    UsbDeviceSpeed slow = *out, fast = *out;
    if (d && d->bcd_usb >= 0 && d->bcd_usb < 0x0200)
        slow = UsbDeviceSpeed{USB_SPEED_NOT_HIGH, SPEED_EVIDENCE_BCD_USB, d->bcd_usb};
    else if (d && d->max_packet0 >= 0 && d->max_packet0 < FULL_SPEED_LARGEST_PACKET)
        slow = UsbDeviceSpeed{USB_SPEED_NOT_HIGH, SPEED_EVIDENCE_MAX_PACKET0, d->max_packet0};
    int size = 0;
    if (high_speed_endpoint(t, bus, device, &size))
        fast = UsbDeviceSpeed{USB_SPEED_HIGH, SPEED_EVIDENCE_ENDPOINT_SIZE, size};
    else if (d && d->qualifier)
        fast = UsbDeviceSpeed{USB_SPEED_HIGH, SPEED_EVIDENCE_QUALIFIER, 0};
    if ((slow.speed == USB_SPEED_NOT_SHOWN) != (fast.speed == USB_SPEED_NOT_SHOWN))
        *out = slow.speed != USB_SPEED_NOT_SHOWN ? slow : fast;
}

// Calls visit(value_us, count) for every bin of h with counts.
template <typename Visit>
static void for_each_count(const GapHistogram* h, Visit visit) {
    if (h->n == 0 || h->failed)
        return;
    for (uint32_t p = h->lowest_bin >> GAP_HISTOGRAM_PAGE_SHIFT;
         p <= h->highest_bin >> GAP_HISTOGRAM_PAGE_SHIFT && p < h->page_count; p++) {
        const uint64_t* page = h->pages[p];
        if (!page || h->page_n[p] == 0)
            continue;
        for (uint32_t i = 0; i < (1u << GAP_HISTOGRAM_PAGE_SHIFT); i++) {
            if (page[i]) {
                const uint32_t bin = (p << GAP_HISTOGRAM_PAGE_SHIFT) + i;
                visit(gap_histogram_value_us(h, h->shortest + (int64_t)bin * h->units_per_bin),
                      page[i]);
            }
        }
    }
}

// Whether most gaps sit on whole multiples of step.
static bool on_step(const GapHistogram* h, double step) {
    uint64_t on = 0;
    for_each_count(h, [&](double us, uint64_t count) {
        const double k = floor(us / step + 0.5);
        if (k >= 1 && fabs(us - k * step) <= kTickSlackUs)
            on += count;
    });
    return (double)on >= kTickShare * (double)h->n;
}

// The steps tried are the commonest gap and its whole fractions, largest
// first: a clock's step divides every gap, the commonest included.
double capture_clock_step_us(const UsbEndpointTable* t) {
    const GapHistogram* most = NULL;
    for (int i = 0; i < t->count; i++) {
        const GapHistogram* h = &t->slot[i].gaps;
        if (!h->failed && (!most || h->n > most->n))
            most = h;
    }
    if (!most || most->n < TICK_FEWEST_GAPS)
        return 0;
    double commonest = 0;
    uint64_t top = 0;
    for_each_count(most, [&](double us, uint64_t count) {
        if (count > top) {
            top = count;
            commonest = us;
        }
    });
    for (int k = 1; commonest / k >= kTickShortestUs; k++) {
        if (on_step(most, commonest / k))
            return commonest / k;
    }
    return 0;
}

static const UsbEndpoint* busiest_interrupt_in(const UsbEndpointTable* t, const UsbDevice* only) {
    const UsbEndpoint* best = NULL;
    for (int i = 0; i < t->count; i++) {
        const UsbEndpoint* e = &t->slot[i];
        if (e->transfer != USBPCAP_TRANSFER_INTERRUPT || e->reports == 0)
            continue;
        if (only && (e->bus != only->bus || e->device != only->device))
            continue;
        if (!best || e->reports > best->reports)
            best = e;
    }
    return best;
}

// The device a mouse's ids name, when the capture holds its device descriptor.
static const UsbDevice* device_of_ids(const UsbEndpointTable* t, const DeviceIds* ids) {
    if (!ids || ids->vid < 0 || ids->pid < 0)
        return NULL;
    for (int i = 0; i < t->device_count; i++) {
        if (t->devices[i].vid == ids->vid && t->devices[i].pid == ids->pid)
            return &t->devices[i];
    }
    return NULL;
}

// The others, most reports first (the first seen among equals), by
// insertion into the few kept: the table is read once.
static void note_others(const UsbEndpointTable* t, CaptureHeadline* out) {
    for (int i = 0; i < t->count; i++) {
        const UsbEndpoint* e = &t->slot[i];
        if (e == out->mouse || e->reports == 0)
            continue;
        const int kept = out->other_count++;
        int at = kept < HEADLINE_OTHERS ? kept : HEADLINE_OTHERS;
        while (at > 0 && out->others[at - 1]->reports < e->reports) {
            if (at < HEADLINE_OTHERS)
                out->others[at] = out->others[at - 1];
            at--;
        }
        if (at < HEADLINE_OTHERS)
            out->others[at] = e;
    }
}

static void read_interval(CaptureHeadline* out) {
    const UsbEndpoint* m = out->mouse;
    out->binterval = m->described_type == USB_ENDPOINT_TYPE_INTERRUPT ? m->binterval : -1;
    if (out->binterval < 0)
        return;
    binterval_reading(out->binterval, 0, &out->reading);
    if (out->speed.speed == USB_SPEED_NOT_HIGH && out->reading.full_valid)
        out->theoretical_hz = out->reading.full_hz;
    else if (out->speed.speed == USB_SPEED_HIGH && out->reading.high_valid)
        out->theoretical_hz = out->reading.high_hz;
}

void capture_headline_of(const UsbEndpointTable* t, const DeviceIds* mouse, CaptureHeadline* out) {
    memset(out, 0, sizeof *out);
    out->binterval = -1;
    out->ids = DeviceIds{-1, -1};
    const UsbDevice* chosen = device_of_ids(t, mouse);
    out->mouse = chosen ? busiest_interrupt_in(t, chosen) : NULL;
    out->chosen = out->mouse != NULL;
    if (out->chosen)
        out->ids = *mouse;
    else
        out->mouse = busiest_interrupt_in(t, NULL);
    out->clock_step_us = capture_clock_step_us(t);
    note_others(t, out);
    if (!out->mouse)
        return;
    Distribution d;
    distribution_of_histogram(&out->mouse->gaps, &d);
    out->failed = d.failed;
    if (!d.failed) {
        out->gaps = d.n;
        out->average_hz = rate_at(d.mean_us);
        out->lowest_hz = rate_at(d.max_us);
    }
    usb_device_speed(t, out->mouse->bus, out->mouse->device, &out->speed);
    read_interval(out);
}
