// Samples are kept in counter order; a look-up finds its segment by bisection.
#include "core/runs/clock_map.h"

#include <math.h>


void clock_map_clear(ClockMap* m, double freq) {
    m->count = 0;
    m->freq = freq;
}

void clock_map_add(ClockMap* m, int64_t counter, int64_t utc_us) {
    if (m->count > 0 && counter <= m->samples[m->count - 1].counter)
        return;  // one sample per counter value, in order
    if (m->count == CLOCK_MAP_SAMPLES) {
        int kept = 0;
        for (int i = 0; i < m->count; i += 2)
            m->samples[kept++] = m->samples[i];
        m->count = kept;
    }
    m->samples[m->count++] = ClockSample{counter, utc_us};
}

static int64_t along(const ClockSample* a, double us_per_tick, int64_t counter) {
    return a->utc_us + (int64_t)floor((double)(counter - a->counter) * us_per_tick);
}

int64_t clock_map_utc(const ClockMap* m, int64_t counter) {
    if (m->count == 0)
        return 0;
    const double own_rate = m->freq > 0 ? 1000000.0 / m->freq : 0;
    if (m->count == 1 || counter <= m->samples[0].counter)
        return along(&m->samples[0], own_rate, counter);
    const ClockSample* last = &m->samples[m->count - 1];
    if (counter >= last->counter)
        return along(last, own_rate, counter);
    int lo = 0, hi = m->count - 1;  // samples[lo].counter <= counter < samples[hi].counter
    while (hi - lo > 1) {
        int mid = (lo + hi) / 2;
        if (m->samples[mid].counter <= counter)
            lo = mid;
        else
            hi = mid;
    }
    const ClockSample* a = &m->samples[lo];
    const ClockSample* b = &m->samples[hi];
    double slope = (double)(b->utc_us - a->utc_us) / (double)(b->counter - a->counter);
    return along(a, slope, counter);
}
