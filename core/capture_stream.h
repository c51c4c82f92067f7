// Capture stream analysis: accumulates the bytes read from the USBPcap driver,
// checks the pcap global header, walks the records into a tally of transfers,
// interrupt-IN spacing and the smallest interrupt bInterval, and composes the
// result report. Needs no Windows API.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "core/gap_rule.h"
#include "core/usbpcap_record.h"

struct GrowBuf {
    uint8_t* data;  // unconsumed bytes always start here
    uint64_t len;
    uint64_t cap;
};

void gb_append(GrowBuf* b, const void* src, uint64_t count);
void gb_free(GrowBuf* b);

enum HeaderCheckResult {
    HEADER_PENDING,
    HEADER_ACCEPTED,
    HEADER_REJECTED,
};

struct HeaderCheck {
    HeaderCheckResult result;
    uint32_t magic;  // the value found at offset 0 when rejected
};

HeaderCheck check_global_header(GrowBuf* b);

struct CaptureTally {
    uint64_t total_packets;
    uint64_t bulk_int_packets;
    uint64_t control_packets;
    uint64_t valid_in_intervals;
    double interval_sum_us;
    double max_interval_us;
    int64_t prev_in_ts_us;  // -1: no IN record yet
    int32_t min_binterval;  // -1: none found
    bool dir_byte_seen;
};

void capture_tally_init(CaptureTally* t);
// Walks and consumes every complete record in b; an incomplete tail stays.
void tally_records(GrowBuf* b, CaptureTally* t);
// Walks and consumes every complete record in b like tally_records, handing
// each whole record (16-byte header included) to record_fn and each IN
// completion with data to completion_fn; either may be null.
typedef void (*CaptureRecordFn)(void* ctx, const uint8_t* record, uint64_t bytes);
void walk_in_completions(GrowBuf* b, CaptureRecordFn record_fn, InCompletionFn completion_fn,
                         void* ctx);
// One record's packet data (USBPcap header and payload) stamped at ts_us.
void tally_packet(CaptureTally* t, int64_t ts_us, const uint8_t* packet, uint32_t incl_len);

// Counts the gap since *prev_ts_us when the diagnostic's window takes it
// (tally_counts_gap: strictly between 100 and 50000 us), then makes ts_us the
// previous stamp (-1: none yet); also after a gap outside the window, or a
// negative one. Integer bounds test the same gaps as the double ones did; only
// a counted gap is converted.
inline void tally_gap(int64_t* prev_ts_us, int64_t ts_us, uint64_t* gaps, double* sum_us,
                      double* max_us) {
    if (*prev_ts_us != -1) {
        const int64_t gap = ts_us - *prev_ts_us;
        if (tally_counts_gap(gap)) {
            const double d = (double)gap;
            ++*gaps;
            *sum_us += d;
            if (d > *max_us)
                *max_us = d;
        }
    }
    *prev_ts_us = ts_us;
}

// A control transfer: counted, and the smallest interrupt bInterval of the
// endpoint descriptors in its payload noted. It takes the fields, not the
// header, so that the inline callers' header can stay in registers.
void tally_control(CaptureTally* t, const uint8_t* payload, uint32_t payload_len);

// The same as tally_packet for a packet decoded already; h null when it could
// not be decoded. Inline: it runs once a record, tens of millions of times a
// capture. Every function-9 completion counts as bulk/interrupt, and every
// one that comes from the device (or carries no info byte) as an interrupt-IN
// delivery: bulk and, without the info byte, OUT completions too. The report
// has always counted them so; the per-endpoint section of --pcap tells them
// apart.
inline void tally_decoded(CaptureTally* t, int64_t ts_us, const UsbPcapHeader* h) {
    t->total_packets++;
    if (!h || !h->has_function)
        return;
    if (h->function == URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER) {
        t->bulk_int_packets++;
        if (h->has_info) {
            t->dir_byte_seen = true;
            if (!h->from_device)
                return;
        }
        tally_gap(&t->prev_in_ts_us, ts_us, &t->valid_in_intervals, &t->interval_sum_us,
                  &t->max_interval_us);
    } else if (h->function == URB_FUNCTION_CONTROL_TRANSFER ||
               h->function == URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE) {
        tally_control(t, h->payload, h->payload_len);
    }
}

struct CaptureFigures {
    double average_hz;
    double lowest_hz;
    double theoretical_hz;  // meaningful when min_binterval >= 0
};

void capture_figures(const CaptureTally* t, CaptureFigures* out);

enum { CAPTURE_REPORT_UNITS = 900 };

// The live report, for a three-second window.
void format_capture_report(const CaptureTally* t, wchar_t out[CAPTURE_REPORT_UNITS]);
// The same report with another window text in its first line (e.g. L"12.5秒").
void format_capture_report_window(const CaptureTally* t, const wchar_t* window,
                                  wchar_t out[CAPTURE_REPORT_UNITS]);
