// Benchmark, run by hand: the distribution figures over 1 and 10 million
// intervals, straight from an array and from the arrival log. Prints its
// figures; asserts nothing. Usage: bench_distribution
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include <vector>

#include "core/distribution.h"

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// A 1000 Hz mouse with 3 % jitter and a rare slow report.
static double interval_us(unsigned* seed) {
    double jitter = ((double)(rand_r(seed) % 6001) - 3000.0) / 100.0;
    return rand_r(seed) % 10000 == 0 ? 4000.0 : 1000.0 + jitter;
}

int main(void) {
    for (uint64_t n : {1000000ull, 10000000ull}) {
        unsigned seed = 7;
        std::vector<double> v(n);
        for (double& x : v)
            x = interval_us(&seed);
        Distribution d;
        double start = now_ms();
        distribution_of(v.data(), n, &d);
        double array_ms = now_ms() - start;

        arrival_log_clear(&g_arrival_log);
        int64_t t = 1;
        seed = 7;
        for (uint64_t i = 0; i <= n; i++) {
            t += (int64_t)(interval_us(&seed) * 10);  // 10 MHz counter
            arrival_log_append(&g_arrival_log, t, 1, false, i ? ARRIVAL_ACCEPTED : ARRIVAL_FIRST);
        }
        start = now_ms();
        log_distribution(&g_arrival_log, 0, 1e7, &d);
        double log_ms = now_ms() - start;
        printf("%llu intervals: distribution_of %.1f ms, from the arrival log %.1f ms "
               "(p50 %.1f us, p99.9 %.1f us)\n",
               (unsigned long long)n, array_ms, log_ms, d.pct_us[PCT_50], d.pct_us[PCT_99_9]);
    }
    arrival_log_free(&g_arrival_log);
    return 0;
}
