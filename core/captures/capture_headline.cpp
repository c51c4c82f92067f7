// The headline's figures: the mouse endpoint chosen, its own gaps, its
// device's speed from the descriptors the capture holds, and the step of a
// coarse capture clock, all read from the endpoint table.
#include "core/captures/capture_headline.h"

#include <math.h>
#include <string.h>

#include <algorithm>

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
static const double kTickOtherShare = 0.1;
static const double kMicroframeUs = 125.0;

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
// A SuperSpeed device's bMaxPacketSize0 is an exponent (9: 512 bytes), so it
// rules high speed out only below bcdUSB 3.0. A device-qualifier answer is no
// evidence: it says the device can run at high speed, and Windows asks for it
// when such a device enumerated at full speed.
void usb_device_speed(const UsbEndpointTable* t, uint16_t bus, uint16_t device,
                      UsbDeviceSpeed* out) {
    *out = UsbDeviceSpeed{USB_SPEED_NOT_SHOWN, SPEED_EVIDENCE_NONE, 0};
    const UsbDevice* d = usb_device_find(t, bus, device);
    UsbDeviceSpeed slow = *out, fast = *out;
    if (d && d->bcd_usb >= 0 && d->bcd_usb < 0x0200)
        slow = UsbDeviceSpeed{USB_SPEED_NOT_HIGH, SPEED_EVIDENCE_BCD_USB, d->bcd_usb};
    else if (d && d->bcd_usb >= 0 && d->bcd_usb < 0x0300 && d->max_packet0 >= 0 &&
             d->max_packet0 < FULL_SPEED_LARGEST_PACKET)
        slow = UsbDeviceSpeed{USB_SPEED_NOT_HIGH, SPEED_EVIDENCE_MAX_PACKET0, d->max_packet0};
    int size = 0;
    if (high_speed_endpoint(t, bus, device, &size))
        fast = UsbDeviceSpeed{USB_SPEED_HIGH, SPEED_EVIDENCE_ENDPOINT_SIZE, size};
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

// Whether most gaps sit on whole multiples of step, and whether they show
// what only a clock's ticks make: a share of them on other multiples than the
// commonest, or a step that is no whole number of 125 us microframes. A
// steady stream on a fine clock sits on one multiple of its polling period,
// which always is whole microframes.
static bool clock_ticks(const GapHistogram* h, double step) {
    // Accepted gaps end at 50 ms: 53 multiples of 0.95 ms at most (kept in range regardless).
    enum { MULTIPLES = 64 };
    uint64_t on = 0, of_multiple[MULTIPLES] = {};
    for_each_count(h, [&](double us, uint64_t count) {
        const double k = floor(us / step + 0.5);
        if (k >= 1 && fabs(us - k * step) <= kTickSlackUs) {
            on += count;
            of_multiple[k < MULTIPLES ? (int)k - 1 : MULTIPLES - 1] += count;
        }
    });
    if ((double)on < kTickShare * (double)h->n)
        return false;
    const double frames = floor(step / kMicroframeUs + 0.5);
    if (fabs(step - frames * kMicroframeUs) > kTickSlackUs)
        return true;
    const uint64_t commonest = *std::max_element(of_multiple, of_multiple + MULTIPLES);
    return (double)(on - commonest) >= kTickOtherShare * (double)on;
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
        if (clock_ticks(most, commonest / k))
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

// The chosen mouse's endpoint, when the capture holds its device descriptor.
// A replugged mouse comes back as another device with the same ids, and the
// one it left may have carried nothing: the busiest of them is the mouse.
static const UsbEndpoint* chosen_mouse(const UsbEndpointTable* t, const DeviceIds* ids) {
    if (!ids || ids->vid < 0 || ids->pid < 0)
        return NULL;
    const UsbEndpoint* best = NULL;
    for (int i = 0; i < t->device_count; i++) {
        if (t->devices[i].vid != ids->vid || t->devices[i].pid != ids->pid)
            continue;
        const UsbEndpoint* e = busiest_interrupt_in(t, &t->devices[i]);
        if (e && (!best || e->reports > best->reports))
            best = e;
    }
    return best;
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
    out->mouse = chosen_mouse(t, mouse);
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
