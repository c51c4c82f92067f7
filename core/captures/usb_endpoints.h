// The one table of USB endpoints (bus.device.endpoint) that every capture path
// fills: --pcap's endpoint lines, --compare, and the live --usb capture. Each
// endpoint counts its IN completions with data, its accepted gaps (exactly,
// in a histogram of whole microseconds) and its bInterval, and, when the table
// keeps them, the completion times themselves, within one bound for the
// whole table. Every interrupt endpoint also runs the report clock over its
// completion times (its own heap block, made at its first report), fed on
// the table's clock feed (a thread of its own), which
// usb_endpoints_finish_clocks ends and reads out once the reports are in.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "core/captures/clock_feed.h"
#include "core/figures/gap_histogram.h"
#include "core/figures/gap_rule.h"
#include "core/figures/report_clock.h"

enum {
    USB_ENDPOINT_SLOTS = 256,
    USB_ENDPOINT_NAME_BYTES = 24,  // "65535.65535.0xFF" and its terminator
    USB_DEVICE_SLOTS = 128,
};

struct UsbEndpoint {
    uint16_t bus;
    uint16_t device;
    uint8_t endpoint;      // address, bit 7 = IN
    uint8_t transfer;      // USBPCAP_TRANSFER_INTERRUPT or _BULK; 0 before the first report
    uint64_t reports;      // IN completions with data
    int64_t prev_ts_us;    // -1: none yet
    int binterval;         // -1: no endpoint descriptor seen
    uint8_t described_type;  // bmAttributes & 3 of that descriptor (3: interrupt)
    uint16_t max_packet;   // that descriptor's wMaxPacketSize
    GapHistogram gaps;     // accepted gaps (the accepted-gap rule), whole us
    int64_t* times;        // completion times, when the table keeps them
    size_t time_count;
    size_t time_capacity;
    ReportClock* clock;      // interrupt endpoints, until the clocks are finished
    int64_t clock_origin_us; // its times count from the first report: microseconds
                             // since 1970 as a double keep only quarters
    bool clock_started;
    ReportClockFigures clock_figures;  // set by usb_endpoints_finish_clocks
};

// What the descriptor replies in a capture say of one device (bus.device):
// what tells its speed, and its make and model.
struct UsbDevice {
    uint16_t bus;
    uint16_t device;
    int32_t bcd_usb;      // the device descriptor's bcdUSB; -1: none seen
    int32_t max_packet0;  // its bMaxPacketSize0; -1: none seen
    int32_t vid;          // idVendor and idProduct; -1: not seen
    int32_t pid;
    bool qualifier;       // answered with a device-qualifier descriptor
};

struct UsbEndpointTable {
    UsbEndpoint slot[USB_ENDPOINT_SLOTS];
    int count;
    UsbDevice devices[USB_DEVICE_SLOTS];
    int device_count;
    int last;              // where the previous lookup ended: reports come in runs
    uint64_t last_key;     // usb_endpoint_key of slot[last]; 0 while empty
    uint64_t max_times;    // 0: times are not kept; else the bound over all endpoints
    uint64_t times_kept;
    bool times_full;       // the bound (or memory) was reached: later times were not kept
    bool slots_full;       // an endpoint found no slot
    bool no_clocks;        // the endpoints run no report clock (a live session reads none)
    ClockFeed* feed;       // feeds the clocks, from the first clock made; null: fed in place
};

// An empty table; max_times > 0 keeps up to that many completion times in all.
void usb_endpoints_init(UsbEndpointTable* t, uint64_t max_times);
// Gives back every block; the table is empty afterwards.
void usb_endpoints_free(UsbEndpointTable* t);

// The endpoint's entry, made on first sight; null when every slot is taken.
UsbEndpoint* usb_endpoint_find(UsbEndpointTable* t, uint16_t bus, uint16_t device, uint8_t endpoint);
// The same, inline when it is the endpoint of the previous lookup: reports
// come in runs, and a capture holds tens of millions of them.
// Never 0, so that a table still empty (or zeroed) matches no endpoint.
inline uint64_t usb_endpoint_key(uint16_t bus, uint16_t device, uint8_t endpoint) {
    return ((uint64_t)1 << 40) | ((uint64_t)bus << 24) | ((uint64_t)device << 8) | endpoint;
}
inline UsbEndpoint* usb_endpoint_of(UsbEndpointTable* t, uint16_t bus, uint16_t device,
                                    uint8_t endpoint) {
    if (usb_endpoint_key(bus, device, endpoint) == t->last_key)
        return &t->slot[t->last];
    return usb_endpoint_find(t, bus, device, endpoint);
}
// The device's entry, made on first sight; null when every slot is taken.
UsbDevice* usb_device_of(UsbEndpointTable* t, uint16_t bus, uint16_t device);
// The device's entry; null when the capture said nothing of it.
const UsbDevice* usb_device_find(const UsbEndpointTable* t, uint16_t bus, uint16_t device);
// Keeps one completion time within the table's bound (usb_endpoint_report).
void usb_endpoint_keep_time(UsbEndpointTable* t, UsbEndpoint* e, int64_t ts_us);
// The endpoint's first report: its clock is made when it is an interrupt one
// (and the table's feed with the first clock).
void usb_endpoint_start_clock(UsbEndpointTable* t, UsbEndpoint* e, int64_t ts_us);
// Ends the feed and every endpoint's clock, keeps its figures in
// clock_figures and gives its block back. Reports counted afterwards go to
// no clock.
void usb_endpoints_finish_clocks(UsbEndpointTable* t);
// One IN completion with data at ts_us: counts it and its gap, and keeps its
// time when the table keeps times and the bound allows. Returns the gap since
// the endpoint's previous completion, -1 for its first.
inline int64_t usb_endpoint_report(UsbEndpointTable* t, UsbEndpoint* e, int64_t ts_us,
                                   uint8_t transfer) {
    e->transfer = transfer;
    e->reports++;
    const int64_t gap = e->prev_ts_us == -1 ? -1 : ts_us - e->prev_ts_us;
    if (gap >= 0 && gap_kind_whole_us(gap) == GAP_ACCEPTED)
        gap_histogram_add(&e->gaps, gap);
    if (!e->clock_started && !t->no_clocks)
        usb_endpoint_start_clock(t, e, ts_us);
    if (e->clock) {
        const double t_us = (double)(ts_us - e->clock_origin_us);
        if (t->feed)
            clock_feed_add(t->feed, e->clock, t_us);
        else
            report_clock_add(e->clock, t_us);
    }
    e->prev_ts_us = ts_us;
    if (t->max_times)
        usb_endpoint_keep_time(t, e, ts_us);
    return gap;
}
// Sorts every endpoint's kept times (live captures interleave hubs).
void usb_endpoints_sort_times(UsbEndpointTable* t);
// The endpoint whose kept times the program's report times p (sorted) match
// best, by the comparison's score; only interrupt endpoints take part. Null
// when none matches.
const UsbEndpoint* usb_endpoints_best(const UsbEndpointTable* t, const int64_t* p, size_t count);

// What an interrupt endpoint's bInterval means, read at full speed and at
// high speed (the descriptor does not say which the device runs at), and
// which reading the endpoint's median gap fits.
enum BIntervalFit {
    BINTERVAL_NOT_MEASURED,  // no median gap to judge by
    BINTERVAL_FITS_FULL,
    BINTERVAL_FITS_HIGH,
    BINTERVAL_FITS_BOTH,     // both readings give the same period
    BINTERVAL_FITS_NEITHER,
};
struct BIntervalReading {
    bool full_valid;   // 1..255
    double full_ms;    // the period Windows polls at, a power of two up to 32 ms
    double full_hz;
    bool high_valid;   // 1..16
    double high_ms;    // 2^(bInterval-1) microframes of 125 us
    double high_hz;
    BIntervalFit fit;
};
// p50_us <= 0: no measured gaps.
void binterval_reading(int binterval, double p50_us, BIntervalReading* out);

// "bus.device.0xEP", the one spelling of an endpoint everywhere.
void format_endpoint_name(char out[USB_ENDPOINT_NAME_BYTES], uint16_t bus, uint16_t device,
                          uint8_t endpoint);
// Reads that spelling (the endpoint also in decimal); false when text is not one.
bool parse_endpoint_name(const char* text, uint16_t* bus, uint16_t* device, uint8_t* endpoint);
