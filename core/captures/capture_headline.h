// The headline of a capture's report, live or from a file: the one endpoint
// it judges (the mouse's), that endpoint's figures alone, how fast its device
// runs as far as the capture shows it, and whether the capture's clock is too
// coarse for the figures. Everything is read from the endpoint table that the
// walk of the capture filled; nothing walks the capture again.
#pragma once

#include <stdint.h>

#include "core/captures/device_ids.h"
#include "core/captures/usb_endpoints.h"

// How fast a device runs, as far as its descriptors in the capture show it.
enum UsbSpeedSeen {
    USB_SPEED_NOT_SHOWN,  // no descriptor tells, or two disagree
    USB_SPEED_NOT_HIGH,   // full or low speed: bInterval counts 1 ms frames
    USB_SPEED_HIGH,       // bInterval counts 125 us microframes
};

// What showed it.
enum UsbSpeedEvidence {
    SPEED_EVIDENCE_NONE,
    SPEED_EVIDENCE_BCD_USB,        // the device descriptor's bcdUSB is below 2.0
    SPEED_EVIDENCE_MAX_PACKET0,    // its bMaxPacketSize0 is below 64, bcdUSB below 3.0
    SPEED_EVIDENCE_ENDPOINT_SIZE,  // an interrupt endpoint's wMaxPacketSize is above 64
};

struct UsbDeviceSpeed {
    UsbSpeedSeen speed;
    UsbSpeedEvidence evidence;
    int value;  // the bcdUSB, bMaxPacketSize0 or wMaxPacketSize that showed it
};

void usb_device_speed(const UsbEndpointTable* t, uint16_t bus, uint16_t device,
                      UsbDeviceSpeed* out);

// The step a coarse clock stamps in: most of the accepted gaps of the
// endpoint with the most of them (at least 16) sit within 2 us of whole
// multiples of one step of about a millisecond or more (0.95 ms: a 1024 Hz
// system timer's 0.977 ms is such a clock), and they show a clock's ticks
// rather than a steady stream: one in ten of them or more sit on another
// multiple than the commonest, or the step is no whole number of 125 us
// microframes (a host polls in those). The largest such step in us; 0 when
// the stamps are finer. A precise clock puts a few microseconds of jitter on
// every gap, so its gaps miss any lattice that narrow.
double capture_clock_step_us(const UsbEndpointTable* t);

enum { HEADLINE_OTHERS = 4 };

struct CaptureHeadline {
    // The interrupt-IN endpoint with the most reports carrying data (the
    // first seen among equals), or the chosen mouse's when the capture shows
    // which device that is (the busiest of the devices with its ids, as a
    // replugged mouse is two); null when no interrupt-IN endpoint carried data.
    const UsbEndpoint* mouse;
    bool chosen;          // found by the chosen mouse's ids
    DeviceIds ids;        // those ids, when chosen
    uint64_t gaps;        // its accepted gaps
    double average_hz;    // from their mean; 0 without gaps
    double lowest_hz;     // from the longest
    bool failed;          // no memory to read its gaps
    int binterval;        // -1: not described as an interrupt endpoint
    BIntervalReading reading;
    UsbDeviceSpeed speed;
    // The rate bInterval allows at the speed shown; 0 when the speed is not
    // shown or bInterval is not valid at it.
    double theoretical_hz;
    double clock_step_us;  // capture_clock_step_us
    // The other endpoints that carried data (other devices, other
    // interfaces, bulk traffic), most reports first: the first few, and how
    // many in all. None of them is in the figures above.
    const UsbEndpoint* others[HEADLINE_OTHERS];
    int other_count;
};

// mouse: the chosen mouse's ids, or null (or -1 ids) when not known.
void capture_headline_of(const UsbEndpointTable* t, const DeviceIds* mouse, CaptureHeadline* out);
