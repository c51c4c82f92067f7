// The USB layer and the program layer laid side by side, report by report:
// the completion times U of one USB endpoint and the program's report times P,
// both whole microseconds on the same UTC clock, both sorted. Exact: counts
// and ranks in integers, one pass over each list. The reader stamps every
// report of one read with one time, so a run of equal times in P is one read,
// and one delivery: its reports are held against the USB reports since the
// read before, the i-th against the i-th.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "core/figures/distribution.h"
#include "core/figures/report_clock.h"

enum {
    COMPARE_MATCH_US = 50000,         // a report matches a USB report at most this much older
    COMPARE_SCORE_WINDOW_US = 2000,   // endpoint choice: a USB report within 2 ms before
    COMPARE_COARSE_PERCENT = 20,      // more zero gaps than this: the capture clock is too coarse
};

struct LayerComparison {
    bool overlap;          // false: the two spans do not meet, nothing else holds
    int64_t t0_us, t1_us;  // the compared span
    uint64_t usb_reports;      // |U'|
    uint64_t program_reports;  // |P'|
    Distribution usb_gaps;     // gaps of U' (accepted range)
    Distribution program_gaps; // gaps of P'
    uint64_t matched;
    double delay_p50_us, delay_p99_us, delay_max_us;
    // Reads after the first by the new USB reports behind them (0, 1, 2 or
    // more); merged: USB reports beyond a read's own reports, unsourced: a
    // read's reports beyond its USB reports, reads_of_several: reads of 2 or
    // more reports. read_reports, read_min, read_max: their reports in all,
    // the fewest and the most in one.
    uint64_t k0, k1, k2plus, merged;
    uint64_t unsourced, reads_of_several, read_reports, read_min, read_max;
    // The report clock of each list over the span: the USB one is the
    // mouse's, the program's what survives Windows' delivery of it.
    ReportClockFigures usb_clock, program_clock;
    bool coarse;           // over 20 % of the endpoint's gaps are exactly 0
    bool failed;           // no memory for the gap or delay histograms
};

// Compares; U and P sorted ascending. u_count may be 0 (no overlap then).
void compare_layers(const int64_t* u, size_t u_count, const int64_t* p, size_t p_count,
                    LayerComparison* out);

// How many program reports have a USB report of this endpoint in the 2 ms
// before them (inclusive): the endpoint whose reports the program received.
uint64_t endpoint_score(const int64_t* u, size_t u_count, const int64_t* p, size_t p_count);

// Each list's own figures over its own span, without matching one to the
// other: for times on two clocks that are not the same (a Linux host's
// capture beside a Windows run). Only the counts, gaps, clocks and coarse
// are set; overlap stays false.
void compare_layers_apart(const int64_t* u, size_t u_count, const int64_t* p, size_t p_count,
                          LayerComparison* out);
