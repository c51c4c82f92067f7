// Benchmark, run by hand: the distribution figures of a record fed report by
// report (read from its histogram) at 10, 10 million and 33.5 million reports,
// beside sorting an array of the same intervals. Prints its figures; asserts
// nothing. Usage: bench_distribution
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include <vector>

#include "core/figures/distribution.h"
#include "core/figures/gap_rule.h"
#include "core/runs/run.h"

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// A 1000 Hz mouse with 3 % jitter and a rare slow report, in ticks of a 10 MHz
// counter; the first report of every run has the slow one, so even ten
// reports spread over the same span of the histogram as millions do.
static int64_t interval_ticks(unsigned* seed, uint64_t i) {
    double jitter = ((double)(rand_r(seed) % 6001) - 3000.0) / 100.0;
    double us = i == 1 || rand_r(seed) % 10000 == 0 ? 4000.0 : 1000.0 + jitter;
    return (int64_t)(us * 10);
}

int main(void) {
    static Run run;
    run_init(&run, 1e7);
    for (uint64_t n : {10ull, 10000000ull, 33500000ull}) {
        run_clear(&run);
        DeviceStats* rec = &run.records[1];
        std::vector<double> v;
        v.reserve(n);
        unsigned seed = 7;
        int64_t t = 1;
        for (uint64_t i = 0; i <= n; i++) {
            int64_t ticks = i ? interval_ticks(&seed, i) : 0;
            t += ticks;
            record_arrival(rec, t);
            if (i)
                v.push_back(ticks_to_us(ticks, run.freq));
        }
        Distribution d, sorted;
        double start = now_ms();
        record_distribution(rec, &d);
        double record_ms = now_ms() - start;
        start = now_ms();
        distribution_of(v.data(), v.size(), &sorted);
        double array_ms = now_ms() - start;
        printf("%llu reports: record_distribution %.3f ms, distribution_of an array %.1f ms "
               "(p50 %.1f/%.1f us, p99.9 %.1f/%.1f us)\n",
               (unsigned long long)n, record_ms, array_ms, d.pct_us[PCT_50], sorted.pct_us[PCT_50],
               d.pct_us[PCT_99_9], sorted.pct_us[PCT_99_9]);
    }
    run_free(&run);
    return 0;
}
