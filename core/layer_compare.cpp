// Both lists are walked together: for each program report the latest USB
// report at or before it (its match and delay) and the USB reports since the
// previous program report (how many one delivery carried).
#include "core/layer_compare.h"

#include <stdio.h>
#include <string.h>

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

// Distribution of the accepted gaps of v[from, to); false when out of memory.
static bool gap_distribution(const int64_t* v, size_t from, size_t to, Distribution* d) {
    memset(d, 0, sizeof *d);
    size_t n = to > from + 1 ? to - from - 1 : 0;
    double* gaps = n ? (double*)heap_alloc(n * sizeof(double)) : NULL;
    if (n && !gaps)
        return false;
    size_t kept = 0;
    for (size_t i = from + 1; i < to; i++) {
        int64_t g = v[i] - v[i - 1];
        if (g >= 100 && g <= 50000)
            gaps[kept++] = (double)g;
        else if (g < 100)
            d->coalesced++;
        else
            d->pauses++;
    }
    distribution_of(gaps, kept, d);
    heap_free(gaps);
    return true;
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
    bool ok = gap_distribution(u, u_from, u_to, &out->usb_gaps) &&
              gap_distribution(p, p_from, p_to, &out->program_gaps);

    // Exactly zero gaps: an old driver's 15.6 ms clock, too coarse for delays.
    uint64_t zero = 0;
    for (size_t i = u_from + 1; i < u_to; i++)
        zero += u[i] == u[i - 1];
    out->coarse = u_to - u_from > 1 && zero * 100 > (uint64_t)(u_to - u_from - 1) * COMPARE_COARSE_PERCENT;

    double* delays = (double*)heap_alloc((out->program_reports ? out->program_reports : 1) * sizeof(double));
    ok = ok && delays;
    size_t j = 0;  // first u > p
    uint64_t matched = 0;
    for (size_t i = p_from; i < p_to; i++) {
        const size_t before = j;
        while (j < u_count && u[j] <= p[i])
            j++;
        if (j > 0 && p[i] - u[j - 1] <= COMPARE_MATCH_US) {
            double delay = (double)(p[i] - u[j - 1]);
            if (delays)
                delays[matched] = delay;
            if (delay > out->delay_max_us)
                out->delay_max_us = delay;
            matched++;
        }
        if (i == p_from)
            continue;
        // USB reports in (p[i-1], p[i]]: those the walk passed for this report.
        uint64_t k = j - before;
        if (k == 0)
            out->k0++;
        else if (k == 1)
            out->k1++;
        else {
            out->k2plus++;
            out->merged += k - 1;
        }
    }
    out->matched = matched;
    if (delays && matched) {
        Distribution d;
        distribution_of(delays, matched, &d);
        out->delay_p50_us = d.pct_us[PCT_50];
        out->delay_p99_us = d.pct_us[PCT_99];
    }
    heap_free(delays);
    out->failed = !ok;
}

void format_comparison(char* out, size_t cap, const char* endpoint, const LayerComparison* c) {
    const double* ug = c->usb_gaps.pct_us;
    const double* pg = c->program_gaps.pct_us;
    size_t used = strlen(out);
    auto add = [&](const char* fmt, auto... args) {
        if (used + 1 < cap) {
            int n = snprintf(out + used, cap - used, fmt, args...);
            used += n > 0 ? ((size_t)n < cap - used ? (size_t)n : cap - used - 1) : 0;
        }
    };
    add("USB layer: endpoint=%s reports=%llu median_hz=%.1f p1_hz=%.1f p99_hz=%.1f\n", endpoint,
        (unsigned long long)c->usb_reports, rate_at(ug[PCT_50]), rate_at(ug[PCT_99]), rate_at(ug[PCT_1]));
    add("Program layer: reports=%llu median_hz=%.1f p1_hz=%.1f p99_hz=%.1f\n",
        (unsigned long long)c->program_reports, rate_at(pg[PCT_50]), rate_at(pg[PCT_99]),
        rate_at(pg[PCT_1]));
    if (c->coarse)
        add("Delivery: matched=%llu\n", (unsigned long long)c->matched);
    else
        add("Delivery: matched=%llu delay_p50_us=%.1f delay_p99_us=%.1f delay_max_us=%.1f\n",
            (unsigned long long)c->matched, c->delay_p50_us, c->delay_p99_us, c->delay_max_us);
    add("Per delivery: k0=%llu k1=%llu k2plus=%llu merged=%llu\n", (unsigned long long)c->k0,
        (unsigned long long)c->k1, (unsigned long long)c->k2plus, (unsigned long long)c->merged);
    if (c->coarse)
        add("The capture's clock is too coarse for delays: over %d%% of its gaps are exactly 0 "
            "(an old USBPcap driver stamps in steps of about 15.6 ms).\n",
            (int)COMPARE_COARSE_PERCENT);

    const double usb_hz = rate_at(ug[PCT_50]);
    const uint64_t deliveries = c->k0 + c->k1 + c->k2plus;
    if (c->usb_reports == 0 || deliveries == 0) {
        add("%s", "Too few reports in the common span to compare the two layers.\n");
    } else if (c->merged * 2 > c->usb_reports) {
        double per = (double)(c->usb_reports) / (double)(c->usb_reports - c->merged);
        add("The mouse sent %.0f Hz, but Windows merged %.0f of every %.0f reports into one delivery, "
            "as its background throttle does.\n",
            usb_hz, per - 1, per);
    } else if (c->k0 * 100 > deliveries) {
        add("The program received %llu reports with no new USB report behind them: they did not come "
            "from this endpoint, or the capture missed some.\n",
            (unsigned long long)c->k0);
    } else if (c->merged * 100 > c->usb_reports) {
        add("The mouse sent %.0f Hz; Windows delivered most reports one by one but merged %llu into "
            "other deliveries.\n",
            usb_hz, (unsigned long long)c->merged);
    } else if (c->coarse) {
        add("The mouse sent about %.0f Hz and Windows delivered every report one by one.\n", usb_hz);
    } else {
        add("The mouse sent %.0f Hz and Windows delivered every report one by one, about %.1f ms later.\n",
            usb_hz, c->delay_p50_us / 1000.0);
    }
}
