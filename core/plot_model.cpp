// One walk over the visible reports fills the columns and a 10-us histogram of
// accepted intervals, from which the visible 99.9th percentile sets the top.
#include "core/plot_model.h"

#include <math.h>
#include <string.h>

#include "core/distribution.h"

enum { HISTOGRAM_BINS = 5001 };  // 10 us each up to 50 ms, then one for the rest
static const double kShortestAcceptedUs = 100.0;
static const double kLongestAcceptedUs = 50000.0;

double plot_nice_top_ms(double p999_ms) {
    static const double steps[] = {1, 1.5, 2, 2.5, 3, 4, 5, 6, 8};
    if (!(p999_ms > 0))
        return 1;
    double decade = pow(10.0, floor(log10(p999_ms)));
    for (int round = 0; round < 2; round++, decade *= 10) {
        for (double s : steps) {
            if (s * decade > p999_ms * 1.0000001)
                return s * decade;
        }
    }
    return 10 * decade;
}

// Index of the first kept entry at or after counter value t (entries rise in time).
static uint64_t first_at_or_after(const ArrivalLog* log, int64_t t) {
    uint64_t lo = 0, hi = arrival_log_count(log);
    while (lo < hi) {
        uint64_t mid = lo + (hi - lo) / 2;
        if (arrival_log_at(log, mid).t < t)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// The record's first and last logged report; false when it has none.
static bool record_span(const ArrivalLog* log, int slot, int64_t* first, int64_t* last) {
    const uint64_t n = arrival_log_count(log);
    uint64_t k = 0;
    for (; k < n && slot != 0 && arrival_log_at(log, k).slot != slot; k++) {
    }
    if (k == n)
        return false;
    *first = arrival_log_at(log, k).t;
    uint64_t j = n;
    while (j-- > k && slot != 0 && arrival_log_at(log, j).slot != slot) {
    }
    *last = arrival_log_at(log, j).t;
    return true;
}

double plot_record_span_s(const ArrivalLog* log, int slot, double freq) {
    int64_t first = 0, last = 0;
    if (!(freq > 0) || !record_span(log, slot, &first, &last) || last == first)
        return 1;
    return (double)(last - first) / freq;
}

void plot_model_build(PlotModel* m, const ArrivalLog* log, int slot, double freq, int columns,
                      double t0_s, double t1_s, bool whole, double record_p999_us) {
    columns = columns < 1 ? 1 : columns > PLOT_MAX_COLUMNS ? PLOT_MAX_COLUMNS : columns;
    m->columns = columns;
    memset(m->col, 0, sizeof(PlotColumn) * (size_t)columns);
    m->shown = 0;
    m->span_s = 0;
    m->top_ms = 1;
    int64_t first = 0, last = 0;
    if (!(freq > 0) || !record_span(log, slot, &first, &last)) {
        m->t0_s = 0;
        m->t1_s = 1;
        return;
    }
    m->span_s = (double)(last - first) / freq;
    if (whole || !(t1_s > t0_s)) {
        t0_s = 0;
        t1_s = m->span_s > 0 ? m->span_s : 1;
    }
    m->t0_s = t0_s;
    m->t1_s = t1_s;
    const bool known_top = whole && record_p999_us > 0;

    static uint32_t histogram[HISTOGRAM_BINS];
    memset(histogram, 0, sizeof histogram);
    uint64_t accepted = 0;
    const double us_per_tick = 1000000.0 / freq;
    const double columns_per_tick = (double)columns / ((t1_s - t0_s) * freq);
    const int64_t from = first + (int64_t)(t0_s * freq);
    const int64_t to = first + (int64_t)ceil(t1_s * freq);

    // Start one report early, so the first visible one has its interval.
    const uint64_t n = arrival_log_count(log);
    uint64_t k = first_at_or_after(log, from);
    while (k > 0) {
        k--;
        if (slot == 0 || arrival_log_at(log, k).slot == slot)
            break;
    }
    // Thresholds in counter ticks, so the walk needs no division per report.
    const int64_t shortest = (int64_t)ceil(kShortestAcceptedUs * freq / 1000000.0);
    const int64_t longest = (int64_t)floor(kLongestAcceptedUs * freq / 1000000.0);
    const double bins_per_tick = us_per_tick / 10.0;
    const float us_per_tick_f = (float)us_per_tick;
    // Reports rise in time, so the column only ever moves right: the walk
    // compares each stamp with the next column's start and keeps the current
    // column's figures in locals until it moves on.
    const double ticks_per_column = 1.0 / columns_per_tick;
    int c = 0;
    int64_t next_column_t = from + (int64_t)ceil(ticks_per_column);
    PlotColumn cur = {};
    auto flush = [&]() {
        m->col[c] = cur;
        cur = PlotColumn{};
    };
    bool have_previous = false;
    int64_t previous = 0;
    bool done = false;
    while (k < n && !done) {
        const ArrivalEntry* run;
        const uint64_t length = arrival_log_run(log, k, &run);
        for (uint64_t j = 0; j < length; j++) {
            const ArrivalEntry e = run[j];
            if (slot != 0 && arrival_entry_slot(e) != slot)
                continue;
            const int64_t t = arrival_entry_t(log, e);
            if (t > to) {
                done = true;
                break;
            }
            const int64_t gap = t - previous;
            const bool visible = t >= from && have_previous;
            have_previous = true;
            previous = t;
            if (!visible)
                continue;
            if (t >= next_column_t && c < columns - 1) {
                flush();
                c = (int)((double)(t - from) * columns_per_tick);
                c = c >= columns ? columns - 1 : c;
                next_column_t = from + (int64_t)ceil((c + 1) * ticks_per_column);
            }
            const ArrivalClass cls = arrival_entry_class(e);
            bool coalesced, pause;
            if (slot == 0) {
                coalesced = cls == ARRIVAL_COALESCED;
                pause = cls == ARRIVAL_PAUSE || cls == ARRIVAL_FIRST;
            } else {
                coalesced = gap < shortest;
                pause = cls == ARRIVAL_PAUSE || gap > longest;
            }
            if (coalesced) {
                cur.coalesced++;
                continue;
            }
            const float v = (float)gap * us_per_tick_f;
            if (cur.count < PLOT_FEW) {
                cur.few_us[cur.count] = v;
                if (cur.count == 0)
                    cur.min_us = cur.max_us = v;
            }
            cur.min_us = v < cur.min_us ? v : cur.min_us;
            cur.max_us = v > cur.max_us ? v : cur.max_us;
            cur.count++;
            if (!pause && !known_top) {
                int bin = (int)((double)gap * bins_per_tick);
                histogram[bin < HISTOGRAM_BINS ? bin : HISTOGRAM_BINS - 1]++;
                accepted++;
            }
        }
        k += length;
    }
    flush();
    m->shown = 0;
    for (int c = 0; c < columns; c++)
        m->shown += m->col[c].count;
    // The visible 99.9th percentile, to the 10-us bin above it.
    uint64_t rank = nearest_rank(999, accepted), seen = 0;
    double p999_us = 0;
    for (int b = 0; b < HISTOGRAM_BINS && rank > 0; b++) {
        seen += histogram[b];
        if (seen >= rank) {
            p999_us = (b + 1) * 10.0;
            break;
        }
    }
    m->top_ms = plot_nice_top_ms((known_top ? record_p999_us : p999_us) / 1000.0);
}
