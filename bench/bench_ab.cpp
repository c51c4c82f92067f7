// Benchmark, run by hand: two 30-minute runs of an 8000 Hz mouse (14.4
// million reports each, delays up to 60 us, a 10 MHz counter) streamed into
// their block summaries, then the 2000 resamples of the comparison. Prints
// the times, the summaries' size and the intervals; asserts nothing.
// Usage: bench_ab [seconds]
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "core/figures/ab_compare.h"
#include "core/figures/gap_rule.h"

static double now_s(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + t.tv_nsec / 1e9;
}

static uint64_t next_random(uint64_t* state) {  // splitmix64
    uint64_t z = (*state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

// A lattice of period_us with one-sided delays, stamped to 0.1 us, each
// interval classed as a record classes it.
static void feed(AbRun* r, double period_us, double seconds, uint64_t seed) {
    int64_t previous = 0;
    for (int64_t j = 0; j * period_us < seconds * 1e6; j++) {
        const double delay = (double)(next_random(&seed) >> 11) / 9007199254740992.0 * 60.0;
        const int64_t ticks = llround((j * period_us + delay) * 10);
        const GapKind kind = gap_kind(ticks_to_us(ticks - previous, 1e7));
        const ArrivalClass cls = j == 0                 ? ARRIVAL_FIRST
                                 : kind == GAP_ACCEPTED  ? ARRIVAL_ACCEPTED
                                 : kind == GAP_COALESCED ? ARRIVAL_COALESCED
                                                         : ARRIVAL_PAUSE;
        ab_run_add(r, ticks_to_us(ticks, 1e7), cls, ticks, 1e7);
        previous = ticks;
    }
}

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? atof(argv[1]) : 1800;
    static AbRun a, b;
    ab_run_init(&a);
    ab_run_init(&b);
    double start = now_s();
    feed(&a, 125.0, seconds, 1);
    feed(&b, 125.1, seconds, 2);
    ab_run_finish(&a);
    ab_run_finish(&b);
    const double fed = now_s() - start;
    start = now_s();
    AbComparison c;
    ab_compare(&a, &b, &kAbBootstrap, &c);
    const double compared = now_s() - start;
    printf("two runs of %.0f s at 8000 Hz (%llu + %llu reports): streamed in %.2f s\n", seconds,
           (unsigned long long)a.reports, (unsigned long long)b.reports, fed);
    printf("summaries: %u + %u blocks, %zu + %zu entries (%.1f MB), %u + %u slots\n", a.block_n, b.block_n,
           a.entry_n, b.entry_n, (double)(a.entry_n + b.entry_n) * 4 / 1e6, a.slot_n, b.slot_n);
    printf("%u resamples: %.2f s (%u merged in full); median_hz %+.2f [%+.2f,%+.2f] clock_us %+.6f [%+.6f,%+.6f]\n",
           c.resamples, compared, c.full_merges, c.d[AB_MEDIAN_HZ].diff, c.d[AB_MEDIAN_HZ].lo,
           c.d[AB_MEDIAN_HZ].hi, c.d[AB_CLOCK_US].diff, c.d[AB_CLOCK_US].lo, c.d[AB_CLOCK_US].hi);
    ab_run_free(&a);
    ab_run_free(&b);
    return 0;
}
