// Classing reports by what they carried, and the motion-gated figures and
// hints of a record, counted as the reports come.
#include "core/figures/motion.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "core/figures/distribution.h"

static int32_t held(int32_t v) { return v > 32767 ? 32767 : v < -32767 ? -32767 : v; }

void motion_hold(ReportMotion* m) {
    if (!(m->flags & MOTION_FLAG_ABSOLUTE)) {
        m->dx = held(m->dx);
        m->dy = held(m->dy);
    }
}

bool motion_is_moving(const ReportMotion* m) {
    return !(m->flags & MOTION_FLAG_ABSOLUTE) && (m->dx != 0 || m->dy != 0);
}

bool motion_is_idle(const ReportMotion* m) {
    return !(m->flags & MOTION_FLAG_ABSOLUTE) && m->dx == 0 && m->dy == 0 && m->buttons == 0 &&
           m->wheel == 0;
}

static bool at_8bit_limit(int32_t v) { return v == 127 || v == -127 || v == 128 || v == -128; }

bool motion_is_saturated(const ReportMotion* m) {
    return motion_is_moving(m) && (at_8bit_limit(m->dx) || at_8bit_limit(m->dy));
}

bool motion_is_beyond_8bit(const ReportMotion* m) {
    return motion_is_moving(m) && (m->dx > 128 || m->dx < -128 || m->dy > 128 || m->dy < -128);
}

double motion_speed(const ReportMotion* m, double interval_us) {
    if (!motion_is_moving(m) || !(interval_us > 0))
        return 0;
    return sqrt((double)m->dx * m->dx + (double)m->dy * m->dy) * 1e6 / interval_us;
}

int motion_speed_bin(double square) {
    if (!(square >= (double)(1 << MOTION_SPEED_LOWEST_OCTAVE)))
        return 0;
    // The double's exponent is the octave and its top 6 mantissa bits the
    // 64th of it: a bin without a logarithm on the reader thread.
    uint64_t bits;
    memcpy(&bits, &square, sizeof bits);
    const int octave = (int)((bits >> 52) & 0x7ff) - 1023 - MOTION_SPEED_LOWEST_OCTAVE;
    if (octave >= MOTION_SPEED_OCTAVES)
        return MOTION_SPEED_BINS - 1;
    return octave * MOTION_SPEED_BINS_PER_OCTAVE + (int)((bits >> 46) & 63);
}

double motion_speed_of_bin(int bin) {
    const int within = bin % MOTION_SPEED_BINS_PER_OCTAVE;
    return sqrt(ldexp(1.0 + (within + 0.5) / MOTION_SPEED_BINS_PER_OCTAVE,
                      bin / MOTION_SPEED_BINS_PER_OCTAVE + MOTION_SPEED_LOWEST_OCTAVE));
}

// The bin of the open delivery's speed: the square of its counts over its
// interval, one division and no root per delivery on the reader thread.
static int delivery_bin(const MotionTally* t) {
    const double counts = (double)t->delivery_dx * t->delivery_dx + (double)t->delivery_dy * t->delivery_dy;
    const double per_tick = t->delivery_ticks_per_second / (double)t->delivery_ticks;
    return motion_speed_bin(counts * per_tick * per_tick);
}

// The open delivery's speed goes to its bin when it moved.
static void close_delivery(MotionTally* t) {
    if (t->delivery_ticks > 0 && (t->delivery_dx != 0 || t->delivery_dy != 0)) {
        const int bin = delivery_bin(t);
        t->speed_n++;
        t->speed_bins[bin]++;
        t->speed_octave_n[bin / MOTION_SPEED_BINS_PER_OCTAVE]++;
    }
    t->delivery_ticks = 0;
}

void motion_tally_add(MotionTally* t, const ReportMotion* m, int gap, int64_t ticks,
                      double ticks_per_second) {
    t->reports++;
    const bool moving = motion_is_moving(m);
    if (moving) {
        t->moving++;
        t->saturated += motion_is_saturated(m);
        t->beyond += motion_is_beyond_8bit(m);
        t->single += (uint32_t)m->dx + 1u <= 2u && (uint32_t)m->dy + 1u <= 2u;  // -1, 0 or 1
    } else {
        t->idle += motion_is_idle(m);
    }
    // Each axis's counts are summed by size: reports that go back and forth
    // within a delivery moved as far as each says, not their sum. Opening a
    // delivery sets its counts outright: nearly every delivery is one report,
    // and adding to counts just cleared would wait on those stores each time.
    const int64_t dx = moving ? llabs(m->dx) : 0, dy = moving ? llabs(m->dy) : 0;
    if (gap == MOTION_GAP_COALESCED) {
        t->delivery_dx += dx;
        t->delivery_dy += dy;
    } else {
        close_delivery(t);
        if (gap == MOTION_GAP_ACCEPTED) {
            t->delivery_ticks = ticks;
            t->delivery_ticks_per_second = ticks_per_second;
            t->delivery_dx = dx;
            t->delivery_dy = dy;
        }
    }
    if (gap == MOTION_GAP_ACCEPTED && moving && t->previous_moving) {
        GapHistogram* h = &t->moving_gaps;
        if (h->units_per_second != ticks_per_second || h->whole_us)
            gap_histogram_init_ticks(h, ticks_per_second);
        gap_histogram_add(h, ticks);
    }
    t->previous_moving = moving;
}

void motion_tally_clear(MotionTally* t) {
    t->reports = t->moving = t->idle = t->saturated = t->single = t->beyond = t->speed_n = 0;
    memset(t->speed_bins, 0, sizeof t->speed_bins);
    memset(t->speed_octave_n, 0, sizeof t->speed_octave_n);
    gap_histogram_clear(&t->moving_gaps);
    t->previous_moving = false;
    t->delivery_dx = t->delivery_dy = t->delivery_ticks = 0;
}

void motion_tally_free(MotionTally* t) { gap_histogram_free(&t->moving_gaps); }

// The delivery still open counts as if closed now.
static double median_speed(const MotionTally* t) {
    const bool open = t->delivery_ticks > 0 && (t->delivery_dx != 0 || t->delivery_dy != 0);
    const int open_bin = open ? delivery_bin(t) : -1;
    const int open_octave = open ? open_bin / MOTION_SPEED_BINS_PER_OCTAVE : -1;
    uint64_t rank = nearest_rank(500, t->speed_n + open);
    for (int o = 0; o < MOTION_SPEED_OCTAVES && rank > 0; o++) {
        const uint64_t in_octave = t->speed_octave_n[o] + (o == open_octave);
        if (in_octave < rank) {
            rank -= in_octave;
            continue;
        }
        for (int b = o * MOTION_SPEED_BINS_PER_OCTAVE;; b++) {
            const uint64_t in_bin = t->speed_bins[b] + (b == open_bin);
            if (in_bin >= rank)
                return motion_speed_of_bin(b);
            rank -= in_bin;
        }
    }
    return 0;
}

void motion_figures_of(const MotionTally* t, MotionFigures* out) {
    out->reports = t->reports;
    out->moving = t->moving;
    out->idle = t->idle;
    out->saturated = t->saturated;
    out->single = t->single;
    out->beyond = t->beyond;
    out->median_speed = median_speed(t);
    // Only three ranks, each a walk of the pages' totals: front ends read
    // these under the record's lock, and a slow hand spreads the intervals
    // over the whole accepted range.
    const GapHistogram* h = &t->moving_gaps;
    out->failed = h->failed;
    out->moving_n = h->failed ? 0 : h->n;
    const auto rate_of = [h, out](int pct) {
        return rate_at(gap_histogram_at_rank(h, nearest_rank(g_percentile_tenths[pct], out->moving_n)));
    };
    out->moving_median_hz = rate_of(PCT_50);
    out->moving_p1_hz = rate_of(PCT_99);  // the slow end
    out->moving_p99_hz = rate_of(PCT_1);
}

// A hand that gives every poll a count moves at least a count a period, so
// the median speed of its deliveries is near the mouse's rate; one that
// leaves most polls empty sends single counts at half of it or less. Three
// quarters lies between.
static const double kHandLimitedShare = 0.75;
// A clock whose slots are this full carried a report at nearly every poll:
// whatever the speeds say, the hand did not hold the rate back.
static const double kFilledPct = 90;

void motion_hints_of(const MotionFigures* f, const ReportClockFigures* clock, MotionHints* out) {
    memset(out, 0, sizeof *out);
    // The mouse's rate is its clock's: the fast end of the intervals is the
    // delivery's jitter, well above the rate on a steady stream (a 1000 Hz
    // mouse whose reports Windows reads late and then at once shows several
    // thousand). Without a clock the median rate while moving stands in:
    // against it only a hand far slower than the reports it sent shows.
    const bool clocked = clock && clock->refusal == REPORT_CLOCK_OK && clock->rate_hz > 0;
    const double rate = clocked ? clock->rate_hz : f->moving_median_hz;
    const bool filled = clocked && clock->filled_pct >= kFilledPct;
    out->hand_limited = !filled && f->median_speed > 0 && f->single * 2 > f->moving &&
                        f->median_speed < kHandLimitedShare * rate;
    if (out->hand_limited) {
        out->faster_by = rate / f->median_speed;
        out->needed_speed = rate;
    }
    // A mouse that sends wider deltas reaches 127 and 128 on its way past
    // them: the limit says something only where the deltas pile up at it.
    out->saturation = f->saturated * 100 > f->moving && f->beyond * 10 <= f->saturated;
    out->saturated_pct = f->moving ? 100.0 * (double)f->saturated / (double)f->moving : 0;
    out->idle = f->idle * 20 > f->reports;
    out->idle_pct = f->reports ? 100.0 * (double)f->idle / (double)f->reports : 0;
}
