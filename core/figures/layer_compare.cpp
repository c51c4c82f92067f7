// Both lists are walked together, read by read: the USB reports since the
// previous read (how many one delivery carried, and each report's match and
// delay). Gaps and delays are counted in histograms of whole us, never kept
// one by one.
#include "core/figures/layer_compare.h"

#include <stdint.h>
#include <string.h>

#include "core/figures/gap_histogram.h"
#include "core/figures/gap_rule.h"
#include "core/heap.h"

static size_t lower_bound(const int64_t* v, size_t n, int64_t x) {
    size_t lo = 0, hi = n;
    while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        if (v[mid] < x)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

static size_t upper_bound(const int64_t* v, size_t n, int64_t x) {
    size_t lo = 0, hi = n;
    while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        if (v[mid] <= x)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// Distribution of the accepted gaps of v[from, to), counted in a histogram of
// whole us; false when out of memory.
static bool gap_distribution(const int64_t* v, size_t from, size_t to, Distribution* d) {
    memset(d, 0, sizeof *d);
    GapHistogram h = {};
    gap_histogram_init_us(&h);
    for (size_t i = from + 1; i < to; i++) {
        const int64_t g = v[i] - v[i - 1];
        const GapKind kind = gap_kind_whole_us(g);
        if (kind == GAP_ACCEPTED)
            gap_histogram_add(&h, g);
        d->coalesced += kind == GAP_COALESCED;
        d->pauses += kind == GAP_PAUSE;
    }
    distribution_of_histogram(&h, d);
    gap_histogram_free(&h);
    return !d->failed;
}

uint64_t endpoint_score(const int64_t* u, size_t u_count, const int64_t* p, size_t p_count) {
    uint64_t score = 0;
    size_t j = 0;  // first u >= p - window
    for (size_t i = 0; i < p_count; i++) {
        while (j < u_count && u[j] < p[i] - COMPARE_SCORE_WINDOW_US)
            j++;
        score += j < u_count && u[j] <= p[i];
    }
    return score;
}

// Exactly zero gaps: an old driver's 15.6 ms clock, too coarse for delays.
static bool too_coarse(const int64_t* u, size_t from, size_t to) {
    uint64_t zero = 0;
    for (size_t i = from + 1; i < to; i++)
        zero += u[i] == u[i - 1];
    return to - from > 1 && zero * 100 > (uint64_t)(to - from - 1) * COMPARE_COARSE_PERCENT;
}

// One read of s reports with k new USB reports behind it: k beyond s were
// merged into its reports, s beyond k have no USB report of their own.
static void count_read(LayerComparison* out, uint64_t k, uint64_t s) {
    if (k == 0)
        out->k0++;
    else if (k == 1)
        out->k1++;
    else
        out->k2plus++;
    out->merged += k > s ? k - s : 0;
    out->unsourced += s > k ? s - k : 0;
    out->reads_of_several += s > 1;
    out->read_reports += s;
    if (out->read_min == 0 || s < out->read_min)
        out->read_min = s;
    if (s > out->read_max)
        out->read_max = s;
}

// The USB report that report r of a read of s stands for: of the k new ones
// before the read (u[j - k, j)), the r-th, and when k > s the r-th of the
// latest s, since a merged report carries its latest USB report. A report
// with none of its own is held against the latest USB report at or before
// the read, as a read of one report always was. SIZE_MAX: none at all.
static size_t source_of(size_t r, size_t s, size_t k, size_t j) {
    if (k >= s)
        return j - s + r;
    if (r < k)
        return j - k + r;
    return j > 0 ? j - 1 : SIZE_MAX;
}

// Each read of p[from, to) (a run of equal times) against the USB reports
// since the read before: matches, delays (in a histogram of whole us) and
// deliveries. The first read is matched but not counted as a delivery: what
// came before the span is unknown. False when out of memory.
static bool walk_deliveries(const int64_t* u, size_t u_count, const int64_t* p, size_t from,
                            size_t to, LayerComparison* out) {
    GapHistogram delays = {};
    gap_histogram_init_us_range(&delays, 0, COMPARE_MATCH_US);
    size_t j = 0;  // first u > p
    for (size_t i = from, end; i < to; i = end) {
        for (end = i + 1; end < to && p[end] == p[i];)
            end++;
        const size_t before = j;
        while (j < u_count && u[j] <= p[i])
            j++;
        const size_t s = end - i, k = j - before;
        for (size_t r = 0; r < s; r++) {
            const size_t m = source_of(r, s, k, j);
            if (m == SIZE_MAX || p[i] - u[m] > COMPARE_MATCH_US)
                continue;
            const int64_t delay = p[i] - u[m];
            gap_histogram_add(&delays, delay);
            if ((double)delay > out->delay_max_us)
                out->delay_max_us = (double)delay;
            out->matched++;
        }
        if (i > from)  // USB reports in (previous read, this read]
            count_read(out, k, s);
    }
    Distribution d;
    distribution_of_histogram(&delays, &d);
    out->delay_p50_us = d.pct_us[PCT_50];
    out->delay_p99_us = d.pct_us[PCT_99];
    gap_histogram_free(&delays);
    return !d.failed;
}

// Times from the span's start: microseconds since 1970 as doubles would
// keep only quarters. The clock (some 58 KB) lives only while it runs.
static void clock_of(const int64_t* t, size_t n, int64_t t0, ReportClockFigures* out) {
    *out = ReportClockFigures{};
    ReportClock* c = (ReportClock*)heap_alloc(sizeof(ReportClock));
    if (!c) {
        out->refusal = REPORT_CLOCK_NO_MEMORY;
        return;
    }
    report_clock_init(c);
    for (size_t i = 0; i < n; i++)
        report_clock_add(c, (double)(t[i] - t0));
    report_clock_finish(c, out);
    report_clock_free(c);
    heap_free(c);
}

void compare_layers(const int64_t* u, size_t u_count, const int64_t* p, size_t p_count,
                    LayerComparison* out) {
    memset(out, 0, sizeof *out);
    if (u_count == 0 || p_count == 0)
        return;
    out->t0_us = u[0] > p[0] ? u[0] : p[0];
    out->t1_us = u[u_count - 1] < p[p_count - 1] ? u[u_count - 1] : p[p_count - 1];
    if (out->t0_us > out->t1_us)
        return;
    out->overlap = true;
    const size_t u_from = lower_bound(u, u_count, out->t0_us), u_to = upper_bound(u, u_count, out->t1_us);
    const size_t p_from = lower_bound(p, p_count, out->t0_us), p_to = upper_bound(p, p_count, out->t1_us);
    out->usb_reports = u_to - u_from;
    out->program_reports = p_to - p_from;
    bool ok = gap_distribution(u, u_from, u_to, &out->usb_gaps);
    ok = gap_distribution(p, p_from, p_to, &out->program_gaps) && ok;
    out->coarse = too_coarse(u, u_from, u_to);
    ok = walk_deliveries(u, u_count, p, p_from, p_to, out) && ok;
    out->failed = !ok;
    clock_of(u + u_from, u_to - u_from, out->t0_us, &out->usb_clock);
    clock_of(p + p_from, p_to - p_from, out->t0_us, &out->program_clock);
}

void compare_layers_apart(const int64_t* u, size_t u_count, const int64_t* p, size_t p_count,
                          LayerComparison* out) {
    memset(out, 0, sizeof *out);
    out->usb_reports = u_count;
    out->program_reports = p_count;
    bool ok = gap_distribution(u, 0, u_count, &out->usb_gaps);
    ok = gap_distribution(p, 0, p_count, &out->program_gaps) && ok;
    out->coarse = too_coarse(u, 0, u_count);
    out->failed = !ok;
    clock_of(u, u_count, u_count ? u[0] : 0, &out->usb_clock);
    clock_of(p, p_count, p_count ? p[0] : 0, &out->program_clock);
}
