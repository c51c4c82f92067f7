// One walk over the visible reports fills the columns and a 10-us histogram of
// accepted intervals, from which the visible 99.9th percentile sets the top.
#include "core/plot_model.h"

#include <math.h>
#include <string.h>

#include "core/distribution.h"
#include "core/gap_rule.h"

enum { HISTOGRAM_BINS = 5001 };  // 10 us each up to 50 ms, then one for the rest

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

bool plot_bound_view(double span_s, double* t0_s, double* t1_s) {
    const double span = span_s > 0 ? span_s : 1;
    const double t0 = *t0_s, t1 = *t1_s;
    if (!(t1 > t0) || !isfinite(t0) || !isfinite(t1))
        return false;
    // At most three spans wide, centred on the run: the view always meets the
    // data, and every stamp and column stays far inside its integer type.
    const double width = t1 - t0 < 3 * span ? t1 - t0 : 3 * span;
    double centre = t0 / 2 + t1 / 2;
    centre = centre < 0 ? 0 : centre > span ? span : centre;
    *t0_s = centre - width / 2;
    *t1_s = centre + width / 2;
    return *t1_s > *t0_s;
}

namespace {

// One walk over the visible reports: where it stands and what it has counted.
struct Walk {
    PlotModel* m;
    const ArrivalLog* log;
    int slot;
    double freq;
    int64_t from, to;           // the visible range in counter ticks
    double columns_per_tick;
    double ticks_per_column;
    GapTicks accepted;          // the accepted-gap rule in ticks, for one mouse's own gaps
    bool known_top;             // the axis top is given: no histogram
    int c;                      // the current column
    int64_t next_column_t;      // the first stamp that may lie in a later column
    PlotColumn cur;             // the current column's figures, kept in locals
    uint32_t* histogram;
    uint64_t histogram_n;
};

}  // namespace

// Each column is written once: the walk leaves a column only for a later one.
static void flush_column(Walk* w) {
    w->m->col[w->c] = w->cur;
    w->cur = PlotColumn{};
}

// Reports rise in time, so the column only moves right: a stamp is compared
// with the next column's start, and the column is worked out only past it.
// A stamp within rounding of an edge may work out to the current column
// again; the column is then kept, not written a second time.
static void move_to_column_of(Walk* w, int64_t t) {
    if (t < w->next_column_t)
        return;
    const int columns = w->m->columns;
    int c = (int)((double)(t - w->from) * w->columns_per_tick);
    c = c >= columns ? columns - 1 : c;
    if (c > w->c) {
        flush_column(w);
        w->c = c;
    }
    w->next_column_t = w->c < columns - 1 ? w->from + (int64_t)ceil((w->c + 1) * w->ticks_per_column)
                                          : INT64_MAX;
}

static void add_interval(Walk* w, ArrivalClass cls, int64_t gap) {
    bool coalesced, pause;
    if (w->slot == 0) {  // the all-mice record's classes are in the log
        coalesced = cls == ARRIVAL_COALESCED;
        pause = cls == ARRIVAL_PAUSE || cls == ARRIVAL_FIRST;
    } else {
        coalesced = gap < w->accepted.shortest;
        pause = cls == ARRIVAL_PAUSE || gap > w->accepted.longest;
    }
    PlotColumn* cur = &w->cur;
    if (coalesced) {
        cur->coalesced++;
        return;
    }
    const double us = ticks_to_us(gap, w->freq);
    const float v = (float)us;
    if (cur->count < PLOT_FEW)
        cur->few_us[cur->count] = v;
    if (cur->count == 0 || v < cur->min_us)
        cur->min_us = v;
    if (cur->count == 0 || v > cur->max_us)
        cur->max_us = v;
    cur->count++;
    if (!pause && !w->known_top) {
        int bin = (int)(us / 10.0);
        w->histogram[bin < HISTOGRAM_BINS ? bin : HISTOGRAM_BINS - 1]++;
        w->histogram_n++;
    }
}

// The index to start from: one report of the record before the range, so the
// first visible one has its interval.
static uint64_t walk_start(const Walk* w) {
    uint64_t k = first_at_or_after(w->log, w->from);
    while (k > 0) {
        k--;
        if (w->slot == 0 || arrival_log_at(w->log, k).slot == w->slot)
            break;
    }
    return k;
}

static void walk_reports(Walk* w) {
    const uint64_t n = arrival_log_count(w->log);
    bool have_previous = false;
    int64_t previous = 0;
    for (uint64_t k = walk_start(w); k < n;) {
        const ArrivalEntry* run;
        const uint64_t length = arrival_log_run(w->log, k, &run);
        for (uint64_t j = 0; j < length; j++) {
            const ArrivalEntry e = run[j];
            if (w->slot != 0 && arrival_entry_slot(e) != w->slot)
                continue;
            const int64_t t = arrival_entry_t(w->log, e);
            if (t > w->to)
                return;
            const bool visible = t >= w->from && have_previous;
            const int64_t gap = t - previous;
            have_previous = true;
            previous = t;
            if (!visible)
                continue;
            move_to_column_of(w, t);
            add_interval(w, arrival_entry_class(e), gap);
        }
        k += length;
    }
}

// The visible 99.9th percentile, to the 10-us bin above it.
static double visible_p999_us(const uint32_t* histogram, uint64_t accepted) {
    uint64_t rank = nearest_rank(999, accepted), seen = 0;
    for (int b = 0; b < HISTOGRAM_BINS && rank > 0; b++) {
        seen += histogram[b];
        if (seen >= rank)
            return (b + 1) * 10.0;
    }
    return 0;
}

// The visible range in seconds (bounded) and in ticks; false when the record has no report.
static bool set_range(PlotModel* m, Walk* w, double t0_s, double t1_s, bool whole) {
    int64_t first = 0, last = 0;
    m->t0_s = 0;
    m->t1_s = 1;
    if (!(w->freq > 0) || !record_span(w->log, w->slot, &first, &last))
        return false;
    m->span_s = (double)(last - first) / w->freq;
    if (whole || !plot_bound_view(m->span_s, &t0_s, &t1_s)) {
        t0_s = 0;
        t1_s = m->span_s > 0 ? m->span_s : 1;
    }
    m->t0_s = t0_s;
    m->t1_s = t1_s;
    w->from = first + (int64_t)floor(t0_s * w->freq);
    w->to = first + (int64_t)ceil(t1_s * w->freq);
    w->columns_per_tick = (double)m->columns / ((t1_s - t0_s) * w->freq);
    w->ticks_per_column = 1.0 / w->columns_per_tick;
    w->next_column_t = w->from + (int64_t)ceil(w->ticks_per_column);
    return true;
}

void plot_model_build(PlotModel* m, const ArrivalLog* log, int slot, double freq, int columns,
                      double t0_s, double t1_s, bool whole, double record_p999_us) {
    static uint32_t histogram[HISTOGRAM_BINS];
    columns = columns < 1 ? 1 : columns > PLOT_MAX_COLUMNS ? PLOT_MAX_COLUMNS : columns;
    m->columns = columns;
    memset(m->col, 0, sizeof(PlotColumn) * (size_t)columns);
    m->shown = 0;
    m->span_s = 0;
    m->top_ms = 1;
    Walk w = {};
    w.m = m;
    w.log = log;
    w.slot = slot;
    w.freq = freq;
    if (!set_range(m, &w, t0_s, t1_s, whole))
        return;
    w.accepted = gap_ticks_for(freq);
    w.known_top = whole && record_p999_us > 0;
    w.histogram = histogram;
    memset(histogram, 0, sizeof histogram);
    walk_reports(&w);
    flush_column(&w);
    for (int c = 0; c < columns; c++)
        m->shown += m->col[c].count;
    const double p999_us = w.known_top ? record_p999_us : visible_p999_us(histogram, w.histogram_n);
    m->top_ms = plot_nice_top_ms(p999_us / 1000.0);
}
