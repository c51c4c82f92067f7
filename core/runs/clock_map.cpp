// Samples are kept in counter order; a look-up finds its segment by bisection.
// Every sample carries the floor of its segment, so a look-up needs no walk
// back over earlier segments.
#include "core/runs/clock_map.h"

#include <math.h>


void clock_map_clear(ClockMap* m, double freq) {
    m->count = 0;
    m->freq = freq;
}

bool clock_sample_tight(int64_t before, int64_t after, double freq) {
    return (double)(after - before) <= CLOCK_SAMPLE_SPREAD_US * freq / 1e6;
}

static double own_rate(const ClockMap* m) { return m->freq > 0 ? 1000000.0 / m->freq : 0; }

static int64_t along(const ClockSample* a, double us_per_tick, int64_t counter) {
    return a->utc_us + (int64_t)floor((double)(counter - a->counter) * us_per_tick);
}

static int64_t at_least(int64_t v, int64_t floor_us) { return v > floor_us ? v : floor_us; }

void clock_map_add(ClockMap* m, int64_t counter, int64_t utc_us) {
    if (m->count > 0 && counter <= m->samples[m->count - 1].counter)
        return;  // one sample per counter value, in order
    int64_t floor_us = INT64_MIN;
    if (m->count > 0) {
        const ClockSample* last = &m->samples[m->count - 1];
        floor_us = last->floor_us;
        if (utc_us < last->utc_us)
            floor_us = at_least(along(last, own_rate(m), counter), floor_us);
    }
    if (m->count == CLOCK_MAP_SAMPLES) {
        int kept = 0;
        for (int i = 0; i < m->count; i += 2)
            m->samples[kept++] = m->samples[i];
        m->count = kept;
    }
    m->samples[m->count++] = ClockSample{counter, utc_us, floor_us};
}

int64_t clock_map_utc(const ClockMap* m, int64_t counter) {
    if (m->count == 0)
        return 0;
    const double own = own_rate(m);
    if (m->count == 1 || counter <= m->samples[0].counter)
        return along(&m->samples[0], own, counter);
    const ClockSample* last = &m->samples[m->count - 1];
    if (counter >= last->counter)
        return at_least(along(last, own, counter), last->floor_us);
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
    if (b->utc_us < a->utc_us) {
        // A step back lies between: the counter's own rate up to b's floor,
        // which is at least all a's segment reached.
        const int64_t v = along(a, own, counter);
        return at_least(v < b->floor_us ? v : b->floor_us, a->floor_us);
    }
    double slope = (double)(b->utc_us - a->utc_us) / (double)(b->counter - a->counter);
    return at_least(along(a, slope, counter), a->floor_us);
}
