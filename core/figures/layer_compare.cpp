// Both lists are walked together: for each program report the latest USB
// report at or before it (its match and delay) and the USB reports since the
// previous program report (how many one delivery carried). Gaps and delays
// are counted in histograms of whole us, never kept one by one.
#include "core/figures/layer_compare.h"

#include <stdio.h>
#include <string.h>

#include "core/figures/gap_histogram.h"
#include "core/figures/gap_rule.h"
#include "core/heap.h"
#include "core/views/text_buf.h"

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

// How many USB reports one delivery carried: k USB reports since the previous one.
static void count_delivery(LayerComparison* out, uint64_t k) {
    if (k == 0) {
        out->k0++;
    } else if (k == 1) {
        out->k1++;
    } else {
        out->k2plus++;
        out->merged += k - 1;
    }
}

// Each program report of p[from, to) against the latest USB report at or
// before it: matches, delays (in a histogram of whole us) and deliveries.
// False when out of memory.
static bool walk_deliveries(const int64_t* u, size_t u_count, const int64_t* p, size_t from,
                            size_t to, LayerComparison* out) {
    GapHistogram delays = {};
    gap_histogram_init_us_range(&delays, 0, COMPARE_MATCH_US);
    size_t j = 0;  // first u > p
    for (size_t i = from; i < to; i++) {
        const size_t before = j;
        while (j < u_count && u[j] <= p[i])
            j++;
        if (j > 0 && p[i] - u[j - 1] <= COMPARE_MATCH_US) {
            const int64_t delay = p[i] - u[j - 1];
            gap_histogram_add(&delays, delay);
            if ((double)delay > out->delay_max_us)
                out->delay_max_us = (double)delay;
            out->matched++;
        }
        if (i > from)  // USB reports in (p[i-1], p[i]]: those the walk passed for this report
            count_delivery(out, j - before);
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

// " clock_us=125.002" and the line's end; "clock_us=none" when refused.
static void add_clock(TextBuf* o, const ReportClockFigures* clock) {
    if (clock->refusal == REPORT_CLOCK_OK)
        text_appendf(o, " clock_us=%.3f\n", clock->period_us);
    else
        text_appendf(o, "%s", " clock_us=none\n");
}

static void add_figures(TextBuf* o, const char* endpoint, const LayerComparison* c) {
    const double* ug = c->usb_gaps.pct_us;
    const double* pg = c->program_gaps.pct_us;
    text_appendf(o, "USB layer: endpoint=%s reports=%llu median_hz=%.1f p1_hz=%.1f p99_hz=%.1f",
                 endpoint, (unsigned long long)c->usb_reports, rate_at(ug[PCT_50]),
                 rate_at(ug[PCT_99]), rate_at(ug[PCT_1]));
    add_clock(o, &c->usb_clock);
    text_appendf(o, "Program layer: reports=%llu median_hz=%.1f p1_hz=%.1f p99_hz=%.1f",
                 (unsigned long long)c->program_reports, rate_at(pg[PCT_50]), rate_at(pg[PCT_99]),
                 rate_at(pg[PCT_1]));
    add_clock(o, &c->program_clock);
    if (c->coarse)
        text_appendf(o, "Delivery: matched=%llu\n", (unsigned long long)c->matched);
    else
        text_appendf(
            o, "Delivery: matched=%llu delay_p50_us=%.1f delay_p99_us=%.1f delay_max_us=%.1f\n",
            (unsigned long long)c->matched, c->delay_p50_us, c->delay_p99_us, c->delay_max_us);
    text_appendf(o, "Per delivery: k0=%llu k1=%llu k2plus=%llu merged=%llu\n",
                 (unsigned long long)c->k0, (unsigned long long)c->k1,
                 (unsigned long long)c->k2plus, (unsigned long long)c->merged);
    if (c->coarse)
        text_appendf(
            o,
            "The capture's clock is too coarse for delays: over %d%% of its gaps are exactly 0 "
            "(an old USBPcap driver stamps in steps of about 15.6 ms).\n",
            (int)COMPARE_COARSE_PERCENT);
}

// Who set the rate: the mouse's clock where the USB times show one, else the
// median of its gaps. "The mouse's clock is 125 us (8000 Hz)".
static void add_mouse(TextBuf* o, const LayerComparison* c, const char* about) {
    const ReportClockFigures* k = &c->usb_clock;
    if (k->refusal == REPORT_CLOCK_OK)
        text_appendf(o, "The mouse's clock is %.0f us (%.0f Hz)", k->period_us, k->rate_hz);
    else
        text_appendf(o, "The mouse sent %s%.0f Hz", about, rate_at(c->usb_gaps.pct_us[PCT_50]));
}

// The one sentence that reads the figures.
static void add_reading(TextBuf* o, const LayerComparison* c) {
    const uint64_t deliveries = c->k0 + c->k1 + c->k2plus;
    if (c->usb_reports == 0 || deliveries == 0) {
        text_appendf(o, "%s", "Too few reports in the common span to compare the two layers.\n");
    } else if (c->merged * 2 > c->usb_reports) {
        double per = (double)(c->usb_reports) / (double)(c->usb_reports - c->merged);
        add_mouse(o, c, "");
        text_appendf(
            o,
            ", but Windows delivered in bursts of %.0f: it merged %.0f of every %.0f reports "
            "into one delivery, as its background throttle does.\n",
            per, per - 1, per);
    } else if (c->k0 * 100 > deliveries) {
        text_appendf(
            o,
            "The program received %llu reports with no new USB report behind them: they did not "
            "come from this endpoint, or the capture missed some.\n",
            (unsigned long long)c->k0);
    } else if (c->merged * 100 > c->usb_reports) {
        add_mouse(o, c, "");
        text_appendf(o,
                     "; Windows delivered most reports one by one but merged %llu into other "
                     "deliveries.\n",
                     (unsigned long long)c->merged);
    } else if (c->coarse) {
        add_mouse(o, c, "about ");
        text_appendf(o, "%s", " and Windows delivered every report one by one.\n");
    } else {
        add_mouse(o, c, "");
        text_appendf(o, " and Windows delivered every report one by one, about %.1f ms later.\n",
                     c->delay_p50_us / 1000.0);
    }
}

void format_comparison(char* out, size_t cap, const char* endpoint, const LayerComparison* c) {
    if (cap == 0)
        return;
    TextBuf o = text_buf(out, cap, strlen(out));
    add_figures(&o, endpoint, c);
    add_reading(&o, c);
}
