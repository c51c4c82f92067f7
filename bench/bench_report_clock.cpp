// Benchmark, run by hand: the report clock over 10 million reports of an
// 8000 Hz mouse (+40 ppm, 60 us base delay, exponential jitter of mean 20 us;
// a fixed seed), the times made first so that only the estimate is timed.
// Two streams: reads of 1..8 reports stamped at the last one's arrival (a
// reader on time), and reads by a reader that wakes up to 2 periods after a
// report arrives and takes up to 16 (a reader late, as Windows' is at 8 kHz).
// Prints each one's time and figures; asserts nothing. Usage: bench_report_clock
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <time.h>

#include <vector>

#include "core/figures/report_clock.h"

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static double uniform(uint64_t* state) {
    *state = *state * 6364136223846793005ull + 1442695040888963407ull;
    return (double)(*state >> 11) / 9007199254740992.0;
}

// Arrival times of n reports, in order.
static std::vector<double> arrivals(size_t n, uint64_t* seed) {
    std::vector<double> t(n);
    double last = 0;
    for (size_t i = 0; i < n; i++) {
        const double sent = 17 + 125.005 * (double)i;
        last = fmax(last, sent + 60 - 20 * log(1 - uniform(seed)));
        t[i] = last;
    }
    return t;
}

static std::vector<double> reads_on_time(size_t n) {
    uint64_t seed = 42;
    std::vector<double> t = arrivals(n, &seed);
    for (size_t i = 0; i < n;) {
        size_t stop = i + 1 + (size_t)(uniform(&seed) * 8);
        stop = stop < n ? stop : n;
        for (size_t k = i; k < stop; k++)
            t[k] = round(t[stop - 1] * 10) / 10;
        i = stop;
    }
    return t;
}

static std::vector<double> reads_late(size_t n) {
    uint64_t seed = 43;
    const std::vector<double> a = arrivals(n, &seed);
    std::vector<double> t(n);
    double wake = 0;
    for (size_t i = 0; i < n;) {
        wake = fmax(wake, a[i] + uniform(&seed) * 2 * 125);
        size_t k = i;
        while (k < n && k < i + 16 && a[k] <= wake)
            t[k++] = round(wake * 10) / 10;
        i = k;
    }
    return t;
}

static void run(const char* name, const std::vector<double>& t) {
    static ReportClock clock;
    ReportClockFigures f;
    const double start = now_ms();
    report_clock_init(&clock);
    for (double x : t)
        report_clock_add(&clock, x);
    const bool ok = report_clock_finish(&clock, &f);
    const double ms = now_ms() - start;
    report_clock_free(&clock);
    char why[160];
    report_clock_refusal_text(&f, why, sizeof why);
    printf("%zu reports, %s: report clock %.0f ms (%.1f ns a report), %s period_us=%.3f drift_ppm=%+.1f "
           "filled=%.2f%% jitter_p50_us=%.1f jitter_p99_us=%.1f\n",
           t.size(), name, ms, ms * 1e6 / (double)t.size(), ok ? "clock" : why, f.period_us, f.drift_ppm,
           f.filled_pct, f.jitter_p50_us, f.jitter_p99_us);
}

int main(void) {
    const size_t n = 10000000;
    run("reads on time", reads_on_time(n));
    run("reads late", reads_late(n));
    return 0;
}
