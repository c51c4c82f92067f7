// Percentiles by selection (nth_element at each rank in turn), not a full sort:
// over a million intervals it stays within a few tens of milliseconds.
#include "core/figures/distribution.h"

#include <math.h>

#include <algorithm>

const int g_percentile_tenths[PCT_COUNT] = {1, 10, 500, 990, 999};

uint64_t nearest_rank(int tenths, uint64_t n) {
    if (n == 0)
        return 0;
    // ceil(tenths * n / 1000) without overflow for any n that fits in memory
    uint64_t whole = n / 1000 * (uint64_t)tenths;
    uint64_t part = n % 1000 * (uint64_t)tenths;
    uint64_t rank = whole + (part + 999) / 1000;
    return rank < 1 ? 1 : rank > n ? n : rank;
}

void distribution_of(double* v, uint64_t n, Distribution* out) {
    out->n = n;
    out->mean_us = out->sd_us = out->min_us = out->max_us = 0;
    out->stability_pct = 0;
    for (int i = 0; i < PCT_COUNT; i++)
        out->pct_us[i] = 0;
    if (n == 0)
        return;
    double sum = 0, lo = v[0], hi = v[0];
    for (uint64_t i = 0; i < n; i++) {
        sum += v[i];
        lo = v[i] < lo ? v[i] : lo;
        hi = v[i] > hi ? v[i] : hi;
    }
    const double mean = sum / (double)n;
    double squares = 0;
    for (uint64_t i = 0; i < n; i++)
        squares += (v[i] - mean) * (v[i] - mean);
    out->mean_us = mean;
    out->sd_us = sqrt(squares / (double)n);
    out->min_us = lo;
    out->max_us = hi;

    // Ranks rise, so each selection only has to look right of the previous one.
    uint64_t from = 0;
    for (int i = 0; i < PCT_COUNT; i++) {
        uint64_t at = nearest_rank(g_percentile_tenths[i], n) - 1;
        std::nth_element(v + from, v + at, v + n);
        out->pct_us[i] = v[at];
        from = at;
    }
    const double median = out->pct_us[PCT_50];
    uint64_t stable = 0;
    for (uint64_t i = 0; i < n; i++)
        stable += fabs(v[i] - median) <= 0.1 * median;
    out->stability_pct = 100.0 * (double)stable / (double)n;
}
