// Benchmark, run by hand: the report clock over 10 million reports of an
// 8000 Hz mouse (+40 ppm, 60 us base delay, exponential jitter of mean 20 us,
// reads of 1..8 reports stamped at the last one's arrival; a fixed seed),
// the times made first so that only the estimate is timed. Prints its
// figures; asserts nothing. Usage: bench_report_clock
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

static std::vector<double> make_times(size_t n) {
    std::vector<double> t(n);
    uint64_t seed = 42;
    double last = 0;
    for (size_t i = 0; i < n; i++) {
        const double sent = 17 + 125.005 * (double)i;
        last = fmax(last, sent + 60 - 20 * log(1 - uniform(&seed)));
        t[i] = last;
    }
    for (size_t i = 0; i < n;) {
        size_t stop = i + 1 + (size_t)(uniform(&seed) * 8);
        stop = stop < n ? stop : n;
        for (size_t k = i; k < stop; k++)
            t[k] = round(t[stop - 1] * 10) / 10;
        i = stop;
    }
    return t;
}

int main(void) {
    const size_t n = 10000000;
    const std::vector<double> t = make_times(n);
    static ReportClock clock;
    ReportClockFigures f;
    const double start = now_ms();
    report_clock_init(&clock);
    for (double x : t)
        report_clock_add(&clock, x);
    const bool ok = report_clock_finish(&clock, &f);
    const double ms = now_ms() - start;
    report_clock_free(&clock);
    printf("%zu reports: report clock %.0f ms (%.1f ns a report), %s period_us=%.3f drift_ppm=%+.1f "
           "filled=%.2f%% jitter_p50_us=%.1f jitter_p99_us=%.1f\n",
           n, ms, ms * 1e6 / (double)n, ok ? "clock" : report_clock_reason(f.refusal), f.period_us,
           f.drift_ppm, f.filled_pct, f.jitter_p50_us, f.jitter_p99_us);
    return 0;
}
