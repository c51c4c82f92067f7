// The distribution of accepted intervals (the rule of core/figures/gap_rule.h): n, mean, population standard deviation, extremes,
// nearest-rank percentiles, stability, and the counts of what was not
// accepted. One function for every front end.
#pragma once

#include <stdint.h>

enum {
    PCT_0_1,
    PCT_1,
    PCT_50,
    PCT_99,
    PCT_99_9,
    PCT_COUNT,
};

// The percentiles in tenths of a percent: 0.1, 1, 50, 99, 99.9.
extern const int g_percentile_tenths[PCT_COUNT];

struct Distribution {
    uint64_t n;
    double mean_us;
    double sd_us;  // population standard deviation
    double min_us;
    double max_us;
    double pct_us[PCT_COUNT];  // all 0 when n is 0
    double stability_pct;      // share of intervals within +-10 % of the median
    uint64_t coalesced;
    uint64_t pauses;     // gaps over 50 ms (and the gap after the program stopped listening)
    uint64_t background;
    bool failed;         // no memory for the intervals: only the counts hold
};

// The 1-based rank ceil(tenths * n / 1000), computed in integers; 0 when n is 0.
uint64_t nearest_rank(int tenths, uint64_t n);

// Figures of n accepted intervals; reorders them. The counts are left alone.
void distribution_of(double* intervals_us, uint64_t n, Distribution* out);

// Rate in Hz at an interval in us; 0 for 0.
inline double rate_at(double interval_us) { return interval_us > 0 ? 1000000.0 / interval_us : 0; }
