// Capture stream analysis: accumulates the bytes read from the USBPcap driver,
// checks the pcap global header and keeps the tally of transfers, interrupt-IN
// spacing and the smallest interrupt bInterval (core/captures/usbpcap_count
// decides what each record counts as). The report's text is
// core/views/capture_file_report's. Needs no Windows API.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "core/figures/gap_rule.h"
#include "core/captures/usbpcap_record.h"

struct GrowBuf {
    uint8_t* data;  // unconsumed bytes always start here
    uint64_t len;
    uint64_t cap;
};

void gb_append(GrowBuf* b, const void* src, uint64_t count);
void gb_free(GrowBuf* b);
// Drops the first n bytes, moving the rest to the front.
void gb_consume(GrowBuf* b, uint64_t n);

enum HeaderCheckResult {
    HEADER_PENDING,
    HEADER_ACCEPTED,
    HEADER_REJECTED,
    // A big-endian pcap header: refused, as the stream's records are read
    // little-endian (the driver writes the host's order, which is).
    HEADER_BIG_ENDIAN,
};

struct HeaderCheck {
    HeaderCheckResult result;
    uint32_t magic;  // the first four bytes, little-endian, when refused
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

// The tally's average and lowest rate: every device's interrupt-IN (and, by
// the tally's rule, bulk) completions taken as one stream. The report's rates
// are the mouse endpoint's alone (core/captures/capture_headline); these are
// kept for what reads the tally itself.
struct CaptureFigures {
    double average_hz;
    double lowest_hz;
};

void capture_figures(const CaptureTally* t, CaptureFigures* out);
