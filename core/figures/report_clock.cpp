// The report clock: finding the lattice in the first reports, then placing
// every report on a slot and fitting the lattice's lower envelope as the
// stream goes, in memory that does not grow with it.
#include "core/figures/report_clock.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "core/views/texts.h"
#include "core/views/wide_text.h"

static const double kNominalUs[] = {125, 250, 500, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000};
static const int kNominals = (int)(sizeof kNominalUs / sizeof kNominalUs[0]);

// A lattice whose reports sit further above it than this, in periods on
// average, is no lattice: a quarter-period delay scores about 0.25, times
// that ignore the lattice about 0.5. A score must stay below it by a margin:
// stamps quantised to a coarse tick (15.625 ms) fall on exactly a quarter of
// every lattice whose period divides the tick four ways, and score 3/8.
static const double kMaxScore = 0.375, kScoreMargin = 1.0 / 256;
// How far the period may settle from its nominal value.
static const double kMaxDrift = 0.01;
// While the first reports are fitted the line may still be off by some
// microseconds; once streaming it is good to well under that. A report seen
// this far (in periods) below the line still counts as on its slot.
static const double kFirstTolerance = 0.3, kStreamTolerance = 0.1;
// How far (in tolerances) the newest points may lie above the overall line
// before the line that places slots is raised to them: below that, noise.
static const double kWalk = 0.5;
// Reads a period or more late leave the times nothing of the lattice modulo
// its period, and the reports are placed by counting instead. The lattice
// then passes when nearly all its anchors lie less than a period above it
// (the last report of a read was read before the next one came, or the next
// would have been read with it: a longer period leaves many further up), and
// when it leaves next to no slot empty: where a slot went empty cannot be told
// from times read late, and a shorter period fits as well by leaving one
// empty every so often.
static const double kMaxExcess = 0.1;
static const double kLateEmpties = 4, kLateEmptyShare = 1e-3;
// Reads later than this, in periods, are refused: they no longer come from a
// reader that wakes for the reports but from a timer of its own (or stamps of
// a coarse clock), whose ticks the envelope follows as much as the mouse's.
static const int kLatestRead = 8;
enum {
    FIRST_WINDOW = 256,   // reports in the first fitted window, doubled until all
    FIRST_UNPINNED = 16,  // with late reads, the last 1 in this of a window is not fitted
};
// Residuals kept for the jitter: up to a second late.
static const int64_t kJitterLongestUs = 1000000;

static TextId reason_id(ReportClockRefusal r) {
    switch (r) {
    case REPORT_CLOCK_OK: break;
    case REPORT_CLOCK_TOO_FEW: return TX_CLOCK_TOO_FEW;
    case REPORT_CLOCK_NO_PERIOD: return TX_CLOCK_NO_PERIOD;
    case REPORT_CLOCK_NO_MEMORY: return TX_CLOCK_NO_MEMORY;
    case REPORT_CLOCK_LATE_READS: break;  // its words need its figures: report_clock_refusal_text
    }
    return TEXT_COUNT;  // no text: ""
}

const char* report_clock_reason(ReportClockRefusal r) { return tx(reason_id(r)); }
const wchar_t* report_clock_reason_w(ReportClockRefusal r) { return txw(reason_id(r)); }

int report_clock_refusal_text_in(Lang lang, const ReportClockFigures* f, char* out, size_t cap) {
    if (f->refusal == REPORT_CLOCK_LATE_READS && f->late_periods == 1)
        return snprintf(out, cap, "%s", tx_in(lang, TX_CLOCK_LATE_READ_ONE));
    if (f->refusal == REPORT_CLOCK_LATE_READS)
        return snprintf(out, cap, tx_in(lang, TX_CLOCK_LATE_READS), f->late_periods);
    return snprintf(out, cap, "%s", tx_in(lang, reason_id(f->refusal)));
}

int report_clock_refusal_text(const ReportClockFigures* f, char* out, size_t cap) {
    return report_clock_refusal_text_in(texts_lang(), f, out, cap);
}

void report_clock_refusal_text_w(const ReportClockFigures* f, wchar_t* out, size_t cap) {
    char why[REPORT_CLOCK_REFUSAL_BYTES];
    report_clock_refusal_text(f, why, sizeof why);
    utf8_to_wide(why, out, cap);
}

double report_clock_nominal_us(double period_us) {
    double best = kNominalUs[0];
    for (int i = 1; i < kNominals; i++) {
        if (fabs(log(period_us / kNominalUs[i])) < fabs(log(period_us / best)))
            best = kNominalUs[i];
    }
    return best;
}

// floor, llround and a clamp to 0..1 written out: every report of a capture
// passes through them, and the library's are calls (for NaN and errno's
// sake; report_clock_add lets no NaN or infinity in). Exact for any value
// under 2^52.
static inline int64_t floor_int(double v) {
    const int64_t i = (int64_t)v;
    return v < (double)i ? i - 1 : i;
}
static inline int64_t round_int(double v) {
    const int64_t i = (int64_t)v;
    const double f = v - (double)i;
    return f >= 0.5 ? i + 1 : f <= -0.5 ? i - 1 : i;
}
static inline double clamp01(double v) { return v > 0 ? (v < 1 ? v : 1) : 0; }

// The latest slot a report at t can belong to.
static int64_t upper_slot(double t, ReportClockLine l, double tolerance_us) {
    return floor_int((t - l.phase_us + tolerance_us) / l.period_us);
}

static double residual(double t, int64_t slot, ReportClockLine l) {
    return t - l.phase_us - (double)slot * l.period_us;
}

// Anchors per point of the fit. Read late, each run's low residuals lie
// further up and scatter wider (an anchor is anywhere up to a period late):
// runs four times as long bring them back near the envelope.
static inline int bin_size(bool late) { return late ? 4 * REPORT_CLOCK_BIN : REPORT_CLOCK_BIN; }

static void hull_reset(ReportClockHull* h) {
    h->n = 0;
    h->x_sum = h->points = 0;
    h->dropped = false;
}

// Adds a point right of every other. A corner on or above the chord from its
// left neighbour to the new point is no longer a corner; the oldest corner
// goes when the chain is full (never on a stream near a line, whose hull
// keeps a handful).
static void hull_add(ReportClockHull* h, double x, double y) {
    h->x_sum += x;
    h->points += 1;
    int n = h->n;
    while (n >= 2 && (h->y[n - 1] - h->y[n - 2]) * (x - h->x[n - 2]) >=
                         (y - h->y[n - 2]) * (h->x[n - 1] - h->x[n - 2]))
        n--;
    if (n == REPORT_CLOCK_HULL) {
        h->dropped = true;
        memmove(h->x, h->x + 1, (n - 1) * sizeof h->x[0]);
        memmove(h->y, h->y + 1, (n - 1) * sizeof h->y[0]);
        n--;
    }
    h->x[n] = x;
    h->y[n] = y;
    h->n = n + 1;
}

// The hull's edge over the points' mean slot, as a correction to the line
// the points were taken against.
static bool hull_fit(const ReportClockHull* h, ReportClockLine against, ReportClockLine* out) {
    if (h->n < 2)
        return false;
    const double xm = h->x_sum / h->points;
    int i = 0;
    while (i + 2 < h->n && h->x[i + 1] < xm)
        i++;
    const double b = (h->y[i + 1] - h->y[i]) / (h->x[i + 1] - h->x[i]);
    out->period_us = against.period_us + b;
    out->phase_us = against.phase_us + h->y[i] - b * h->x[i];
    return true;
}

// --- The first reports ---------------------------------------------------------

// A report alone at its time whose bound, less its index, dips below its
// neighbours', which agree (they leave it one slot between them), was
// stamped early: taking the dip as the truth would move every report before
// it back a slot, as a batch does. It is left out of the minimum, so its
// neighbours keep their slots and it lies below the line.
static inline bool is_dip(int64_t e_before, int64_t e, int64_t e_after, bool alone) {
    return alone && e < e_before && e_before == e_after;
}

// is_dip for the first reports' t[k]. While the line is still rough one
// neighbour's word is not enough: the report before that must agree too.
static bool first_dip(const double* t, int n, int k, ReportClockLine l, int64_t e_before, int64_t e,
                      int64_t e_after) {
    const bool alone = (k == 0 || t[k - 1] != t[k]) && (k == n - 1 || t[k + 1] != t[k]);
    return is_dip(e_before, e, k < n - 1 ? e_after : e, alone) && k > 1 &&
           upper_slot(t[k - 2], l, kFirstTolerance * l.period_us) - (k - 2) == e_before;
}

// Slots for t[0..n): each the latest that keeps them rising under its upper
// bound. With late reads (late) a report alone at its time is the one read
// soonest, not one stamped early: no dips.
static void first_slots(const double* t, int n, ReportClockLine l, int64_t* slot, bool late) {
    const double tolerance = kFirstTolerance * l.period_us;
    int64_t run = INT64_MAX, e_after = 0;
    int64_t e = n > 0 ? upper_slot(t[n - 1], l, tolerance) - (n - 1) : 0;
    for (int k = n - 1; k >= 0; k--) {
        const int64_t e_before = k > 0 ? upper_slot(t[k - 1], l, tolerance) - (k - 1) : e;
        if (e < run && (late || !first_dip(t, n, k, l, e_before, e, e_after)))
            run = e;
        slot[k] = k + run;
        e_after = e;
        e = e_before;
    }
}

static bool is_anchor(const double* t, int n, int k) { return k == n - 1 || t[k + 1] != t[k]; }

static int compare_doubles(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

// The phase whose lattice leaves the anchors of t[0..n) least late on
// average, each delay taken modulo the period: just below the densest edge.
static double first_phase(const double* t, int n, double period) {
    double phase[FIRST_WINDOW];
    int m = 0;
    for (int k = 0; k < n && m < FIRST_WINDOW; k++) {
        if (is_anchor(t, n, k))
            phase[m++] = fmod(t[k] - t[0], period);
    }
    qsort(phase, (size_t)m, sizeof phase[0], compare_doubles);
    // Mean lateness with the edge at phase[i]: (sum - m * phase[i] + i * period) / m.
    int best = 0;
    for (int i = 1; i < m; i++) {
        if (i * period - m * phase[i] < best * period - m * phase[best])
            best = i;
    }
    return t[0] + phase[best];
}

static void low_rank_reset(LowRank* p) {
    for (int i = 0; i < REPORT_CLOCK_RANK; i++) {
        p->y[i] = INFINITY;
        p->slot[i] = 0;
    }
}

static inline void low_rank_add(LowRank* p, double y, int64_t slot) {
    if (!(y < p->y[REPORT_CLOCK_RANK - 1]))
        return;
    int i = REPORT_CLOCK_RANK - 1;
    for (; i > 0 && y < p->y[i - 1]; i--) {
        p->y[i] = p->y[i - 1];
        p->slot[i] = p->slot[i - 1];
    }
    p->y[i] = y;
    p->slot[i] = slot;
}

static void hull_add_rank(ReportClockHull* h, const LowRank* p) {
    hull_add(h, (double)p->slot[REPORT_CLOCK_RANK - 1], p->y[REPORT_CLOCK_RANK - 1]);
}

// How well reports fit a lattice: their anchors' mean lateness in periods,
// capped at one (score); the mean of how far past one period they lie, capped
// at one more (excess); and the slots the reports span.
struct FirstScores {
    double score, excess, slots;
};

// Slots for t[0..n) against l, then the hull of the REPORT_CLOCK_RANK-th
// lowest residual of every REPORT_CLOCK_BIN anchors. With late reads the
// last reports' slots are open (the reports that would pin them are past the
// window): they are scored but not fitted.
static FirstScores first_pass(const double* t, int n, ReportClockLine l, int64_t* slot,
                              ReportClockHull* hull, bool late) {
    first_slots(t, n, l, slot, late);
    hull_reset(hull);
    LowRank bin;
    low_rank_reset(&bin);
    double score = 0, excess = 0;
    int anchors = 0, binned = 0;
    const int fitted = late ? n - n / FIRST_UNPINNED : n;
    for (int k = 0; k < n; k++) {
        if (!is_anchor(t, n, k))
            continue;
        const double r = residual(t[k], slot[k], l);
        score += clamp01(r / l.period_us);
        excess += clamp01(r / l.period_us - 1);
        anchors++;
        if (k >= fitted)
            continue;
        low_rank_add(&bin, r, slot[k]);
        if (++binned % bin_size(late) == 0) {
            hull_add_rank(hull, &bin);
            low_rank_reset(&bin);
        }
    }
    if (binned % bin_size(late) >= REPORT_CLOCK_RANK)
        hull_add_rank(hull, &bin);
    if (!anchors)
        return FirstScores{1.0, 1.0, 0.0};
    return FirstScores{score / anchors, excess / anchors, (double)(slot[n - 1] - slot[0] + 1)};
}

// The lattice of period near nominal that t[0..n) fits, starting from l,
// and its scores; scores of 1 when the period wanders off.
static FirstScores first_fit(const double* t, int n, double nominal, ReportClockLine l,
                             ReportClockLine* out) {
    int64_t slot[REPORT_CLOCK_FIRST];
    ReportClockHull hull;
    // A window too short for two points of the hull (reads of many reports
    // leave few anchors) waits for the next, twice as long.
    for (int w = FIRST_WINDOW;; w *= 2) {
        const int m = w < n ? w : n;
        first_pass(t, m, l, slot, &hull, false);
        const bool fitted = hull_fit(&hull, l, &l);
        if ((!fitted && m == n) || fabs(l.period_us / nominal - 1) > kMaxDrift)
            return FirstScores{1.0, 1.0, 0.0};
        if (m == n)
            break;
    }
    *out = l;
    return first_pass(t, n, l, slot, &hull, false);
}

// The lattice of period near nominal that t[0..n) fits when read late, and
// its scores. Such a lattice has a report in nearly every slot, or it passes
// no test; so the start takes report k to be on slot k: no placing of
// reports, which a start still far from the period would get wrong. Each run
// of REPORT_CLOCK_BIN anchors gives its REPORT_CLOCK_RANK-th lowest time less
// its count's; those points rise by the period after an empty slot, a rise
// told from their slope (the median step between neighbours) and taken out
// before their lower envelope is fitted. Then the reports are placed on that
// line and the fit taken again, twice.
static FirstScores first_fit_late(const double* t, int n, double nominal, ReportClockLine* out) {
    enum { POINTS = REPORT_CLOCK_FIRST / REPORT_CLOCK_BIN };
    double x[POINTS], y[POINTS], slope[POINTS];
    ReportClockLine l = {t[0], nominal};
    LowRank bin;
    low_rank_reset(&bin);
    int m = 0, binned = 0;
    for (int k = 0; k < n; k++) {
        if (!is_anchor(t, n, k))
            continue;
        low_rank_add(&bin, residual(t[k], k, l), k);
        if (++binned % REPORT_CLOCK_BIN == 0 || k == n - 1) {
            if (binned % REPORT_CLOCK_BIN == 0 || binned % REPORT_CLOCK_BIN >= REPORT_CLOCK_RANK) {
                x[m] = (double)bin.slot[REPORT_CLOCK_RANK - 1];
                y[m] = bin.y[REPORT_CLOCK_RANK - 1];
                m++;
            }
            low_rank_reset(&bin);
        }
    }
    if (m < 3)
        return FirstScores{1.0, 1.0, 0.0};
    for (int i = 0; i + 1 < m; i++)
        slope[i] = (y[i + 1] - y[i]) / (x[i + 1] - x[i]);
    std::nth_element(slope, slope + (m - 1) / 2, slope + m - 1);
    const double tilt = slope[(m - 1) / 2];
    ReportClockHull hull;
    hull_reset(&hull);
    double lift = 0;
    for (int i = 0; i < m; i++) {
        if (i > 0 && (y[i] - y[i - 1]) - tilt * (x[i] - x[i - 1]) > nominal / 2)
            lift += round((y[i] - y[i - 1] - tilt * (x[i] - x[i - 1])) / nominal) * nominal;
        hull_add(&hull, x[i], y[i] - lift);
    }
    if (!hull_fit(&hull, l, &l) || fabs(l.period_us / nominal - 1) > kMaxDrift)
        return FirstScores{1.0, 1.0, 0.0};
    int64_t slot[REPORT_CLOCK_FIRST];
    for (int pass = 0; pass < 2; pass++) {
        first_pass(t, n, l, slot, &hull, true);
        if (!hull_fit(&hull, l, &l) || fabs(l.period_us / nominal - 1) > kMaxDrift)
            return FirstScores{1.0, 1.0, 0.0};
    }
    *out = l;
    return first_pass(t, n, l, slot, &hull, true);
}

// The fit's line runs through low residuals, not the lowest, so it lies a
// little above the envelope: how far down the residual lies that 2 % of
// the anchors lie below (a few may be on a slot too late).
static double first_floor(const double* t, int n, ReportClockLine l, bool late) {
    int64_t slot[REPORT_CLOCK_FIRST];
    double r[REPORT_CLOCK_FIRST];
    first_slots(t, n, l, slot, late);
    int m = 0;
    for (int k = 0; k < n; k++) {
        if (is_anchor(t, n, k))
            r[m++] = residual(t[k], slot[k], l);
    }
    qsort(r, (size_t)m, sizeof r[0], compare_doubles);
    return r[m / 50];
}

static bool is_nominal(double period) {
    for (int i = 0; i < kNominals; i++) {
        if (kNominalUs[i] == period)
            return true;
    }
    return false;
}

// The class of slots modulo m that holds at least 9 in 10 of the first
// reports under l, or -1.
static int dominant_class(const double* t, int n, ReportClockLine l, int m) {
    int64_t slot[REPORT_CLOCK_FIRST];
    int count[8] = {0};
    first_slots(t, n, l, slot, false);
    for (int k = 0; k < n; k++)
        count[((slot[k] % m) + m) % m]++;
    for (int r = 0; r < m; r++) {
        if (10 * count[r] >= 9 * n)
            return r;
    }
    return -1;
}

// A lattice of nominal period p that the first reports fit may be a divisor
// of theirs: gives the coarsest multiple whose one class of slots holds them.
// Its line is the fine one's through that class: the fine fit already
// followed the envelope of these very reports.
static void coarsen(const double* t, int n, double p, ReportClockLine* l) {
    for (int m = 8; m >= 2; m--) {
        const int r = is_nominal(m * p) ? dominant_class(t, n, *l, m) : -1;
        if (r >= 0) {
            *l = ReportClockLine{l->phase_us + r * l->period_us, m * l->period_us};
            return;
        }
    }
}

// Whether reports placed on slots left next to none of them empty (kLateEmpties).
static bool few_empties(double reports, double slots) {
    return slots - reports <= kLateEmpties + kLateEmptyShare * slots;
}

// How late reads came, in periods, from the counts of reads by how many
// reports they brought (sizes[i]: reads of i + 1): a read of m reports came
// at least m - 1 periods after the first of them was sent. Taken at the 99th
// percentile read, so that a stall's few reads do not set it.
static int late_periods(const uint64_t* sizes) {
    uint64_t reads = 0, seen = 0;
    for (int i = 0; i < REPORT_CLOCK_READ_SIZES; i++)
        reads += sizes[i];
    for (int i = 0; i < REPORT_CLOCK_READ_SIZES; i++) {
        seen += sizes[i];
        if (100 * seen >= 99 * reads)
            return i;
    }
    return REPORT_CLOCK_READ_SIZES - 1;
}

static inline void count_read(uint64_t* sizes, uint32_t reports) {
    sizes[reports < REPORT_CLOCK_READ_SIZES ? reports - 1 : REPORT_CLOCK_READ_SIZES - 1]++;
}

static int first_late_periods(const double* t, int n) {
    uint64_t sizes[REPORT_CLOCK_READ_SIZES] = {0};
    for (int k = 0, m = 1; k < n; k++, m++) {
        if (is_anchor(t, n, k)) {
            count_read(sizes, (uint32_t)m);
            m = 0;
        }
    }
    return late_periods(sizes);
}

// The largest nominal period whose lattice the first reports fit, and how
// far below its line the envelope lies; late tells which test it passed.
// The test of late reads is tried only where reads came late, so that
// streams read on time keep the clock they had.
static bool first_lattice(const double* t, int n, int lateness, ReportClockLine* out,
                          double* floor_us, bool* late) {
    const bool read_late = lateness >= 1 && lateness <= kLatestRead;
    for (int i = kNominals - 1; i >= 0; i--) {
        const double p = kNominalUs[i];
        if (p * (n - 1) > 2 * (t[n - 1] - t[0]))
            continue;  // not room for half the reports
        const ReportClockLine start = {first_phase(t, n < FIRST_WINDOW ? n : FIRST_WINDOW, p), p};
        *late = false;
        if (first_fit(t, n, p, start, out).score < kMaxScore - kScoreMargin) {
            coarsen(t, n, p, out);
        } else if (read_late && p * (n - 2 - kLatestRead) <= t[n - 1] - t[0]) {
            const FirstScores f = first_fit_late(t, n, p, out);
            if (!(f.excess < kMaxExcess && few_empties(n, f.slots)))
                continue;
            *late = true;
        } else {
            continue;
        }
        *floor_us = first_floor(t, n, *out, *late);
        out->phase_us += *floor_us;
        return true;
    }
    return false;
}

// --- Streaming -----------------------------------------------------------------

// How far the newest points lie above the line l (a correction to the
// line the points were taken against): the lowest of them, for one point
// may be low.
static double recent_offset(const ReportClock* c, ReportClockLine l) {
    double lowest = INFINITY;
    for (int i = 0; i < REPORT_CLOCK_RECENT; i++) {
        const double y = c->recent_y[i] - (l.phase_us - c->base.phase_us) -
                         c->recent_x[i] * (l.period_us - c->base.period_us);
        lowest = y < lowest ? y : lowest;
    }
    return lowest;
}

// The streamed lines, the hull's edge lowered to the envelope, once it has
// enough points: the overall one, and the one that places slots, raised to
// the newest points when a changing period has walked them off it.
static void stream_fit(ReportClock* c) {
    ReportClockLine l;
    // As many anchors as REPORT_CLOCK_FIT_POINTS points of the usual size.
    if (c->hull.points * bin_size(c->late) < REPORT_CLOCK_FIT_POINTS * REPORT_CLOCK_BIN ||
        !hull_fit(&c->hull, c->base, &l))
        return;
    const double walk = recent_offset(c, l);
    l.phase_us += c->floor_us;
    c->overall = l;
    if (walk > kWalk * c->tolerance_us && !c->late)
        l.phase_us += walk;
    if (!c->fitted)
        c->start = l;
    c->fitted = true;
    c->line = l;
    c->line_per_us = 1 / l.period_us;
}

// The period over the whole stream.
static double overall_period(const ReportClock* c) {
    if (!c->hull.dropped || c->last_slot <= c->first_slot)
        return c->overall.period_us;
    const double x0 = (double)c->first_slot, x1 = (double)c->last_slot;
    const double y0 = c->start.phase_us + x0 * c->start.period_us;
    const double y1 = c->line.phase_us + x1 * c->line.period_us;
    return (y1 - y0) / (x1 - x0);
}

static void bin_point(ReportClock* c) {
    const int k = REPORT_CLOCK_RANK - 1;
    if (c->sink.point)
        c->sink.point(c->sink.to, (double)c->bin.slot[k], c->bin.y[k]);
    hull_add(&c->hull, (double)c->bin.slot[k], c->bin.y[k]);
    const uint32_t i = c->recent_n++ % REPORT_CLOCK_RECENT;
    c->recent_x[i] = (double)c->bin.slot[k];
    c->recent_y[i] = c->bin.y[k];
}

static void bin_add(ReportClock* c, int64_t slot, double t) {
    low_rank_add(&c->bin, residual(t, slot, c->base), slot);
    if (++c->bin_n < (uint32_t)bin_size(c->late))
        return;
    bin_point(c);
    c->bin_n = 0;
    low_rank_reset(&c->bin);
    stream_fit(c);
}

// One report on its slot.
static void place_one(ReportClock* c, double t, int64_t slot, bool anchor, bool batched) {
    if (!c->placed_any) {
        c->first_slot = slot;
        c->placed_any = true;
    }
    c->last_slot = slot;
    c->previous_t = t;
    if (!anchor)
        return;  // read with later reports: neither scored, fitted nor in the jitter
    const double r = residual(t, slot, c->line);
    const bool below = r < -c->tolerance_us;
    const double periods = r * c->line_per_us;
    c->score_sum += below ? 1.0 : clamp01(periods);
    c->excess_sum += below ? 1.0 : clamp01(periods - 1);
    c->anchors++;
    if (c->anchors == REPORT_CLOCK_FIRST)  // a start that fitted by chance
        c->relock = c->late ? !(c->excess_sum / REPORT_CLOCK_FIRST < kMaxExcess)
                            : !(c->score_sum / REPORT_CLOCK_FIRST < kMaxScore - kScoreMargin);
    if (!below)
        bin_add(c, slot, t);
    if (!batched && !below) {
        c->unbatched++;
        const double longest = (double)kJitterLongestUs;
        const int64_t us = round_int(r < longest ? r : longest);
        const uint64_t i = (uint64_t)(us - c->jitter_near_lo_us);
        if (i < REPORT_CLOCK_NEAR)
            c->jitter_near[i]++;
        else
            gap_histogram_add(&c->jitter, us);
    }
}

// Places the first count pending reports, each on the latest slot that
// keeps every pending report under its upper bound (an early one's lifted
// by lift_dip). A report forced more
// than the tolerance below the line (stamped early, or pushed on by a read
// that held more reports than its time leaves slots for) tells nothing of
// the envelope: it is neither fitted nor counted in the jitter, and scores
// as far off as a report can (so a lattice the times do not follow cannot
// pass by forcing them below it). Reports from tail on take the slots right
// after the one before them.
static void place_pending(ReportClock* c, uint32_t count, uint32_t tail) {
    int64_t run = INT64_MAX;
    for (uint32_t k = c->pending_n; k-- > 0;) {
        const int64_t index = (int64_t)(c->pending_index + k);
        const int64_t e = c->pending_c[k] - index;
        run = e < run ? e : run;
        if (k < count)
            c->pending_c[k] = index + run;
    }
    for (uint32_t k = tail; k < count; k++) {
        if (k > 0 || c->placed_any)
            c->pending_c[k] = INT64_MIN;  // below any slot: the next one
    }
    uint32_t read_n = c->read_n;
    for (uint32_t k = 0; k < count; k++) {
        int64_t slot = c->pending_c[k];
        if (c->placed_any && slot <= c->last_slot)
            slot = c->last_slot + 1;
        const double t = c->pending_t[k];
        const bool has_next = k + 1 < c->pending_n;
        const bool anchor = !has_next || c->pending_t[k + 1] != t;
        const bool batched = !anchor || (c->placed_any && c->previous_t == t);
        place_one(c, t, slot, anchor, batched);
        read_n++;
        if (anchor) {
            count_read(c->read_sizes, read_n);
            read_n = 0;
        }
    }
    c->read_n = read_n;
    c->pending_n -= count;
    memmove(c->pending_t, c->pending_t + count, c->pending_n * sizeof c->pending_t[0]);
    memmove(c->pending_c, c->pending_c + count, c->pending_n * sizeof c->pending_c[0]);
    c->pending_index += count;
}

// How many pending reports to place when they fill up: as many as the
// lookahead leaves, but none of a batch still coming in (the newest reports
// within a slot of the last one's bound: one read, or a stall's reads a few
// microseconds apart), whose reports need all of it in view to be placed.
// A batch longer than all that is pending is placed as it comes.
static uint32_t settled(const ReportClock* c) {
    const int64_t last = c->pending_c[REPORT_CLOCK_PENDING - 1];
    uint32_t b = REPORT_CLOCK_PENDING - 1;
    while (b > 0 && c->pending_c[b - 1] >= last - 1)
        b--;
    return b > 0 && b < REPORT_CLOCK_PENDING - REPORT_CLOCK_LOOKAHEAD
               ? b
               : REPORT_CLOCK_PENDING - REPORT_CLOCK_LOOKAHEAD;
}

// The pending report k, now that the one after it is in, if it is a dip
// (is_dip) gets the bound its neighbours leave it.
static inline void lift_dip(ReportClock* c, uint32_t k) {
    const int64_t* b = c->pending_c + k;
    const double* t = c->pending_t + k;
    // One branch, rarely taken: the tests' outcomes are a coin toss in batches.
    const bool dip = (b[0] <= b[-1]) & (b[1] == b[-1] + 2) & (t[0] != t[-1]) & (t[0] != t[1]);
    if (dip)
        c->pending_c[k] = b[-1] + 1;
}

// True when the pending reports filled up: the caller places them (out of
// line, so that this stays small enough to inline into the report loop).
[[nodiscard]] static inline bool push_pending(ReportClock* c, double t) {
    c->pending_t[c->pending_n] = t;
    // upper_slot, multiplying by the inverse: a slot's edge a rounding off is
    // well inside the tolerance.
    c->pending_c[c->pending_n] = floor_int((t - c->line.phase_us + c->tolerance_us) * c->line_per_us);
    if (c->pending_n >= c->dips_from)
        lift_dip(c, c->pending_n - 1);
    return ++c->pending_n == REPORT_CLOCK_PENDING;
}

static void place_settled(ReportClock* c) {
    const uint32_t count = settled(c);
    place_pending(c, count, count);
}

// Where the last read begins among the pending reports. With late reads no
// report after it pins its slots, and the latest its time allows would leave
// as many slots empty as the read came late: it takes the next slots instead.
static uint32_t last_read(const ReportClock* c) {
    uint32_t k = c->pending_n;
    while (k > 1 && c->pending_t[k - 2] == c->pending_t[c->pending_n - 1])
        k--;
    return k > 0 ? k - 1 : 0;
}

// Finds the lattice in the first n reports and streams them.
static void lock(ReportClock* c, int n) {
    c->window_late = first_late_periods(c->first, n);
    if (!first_lattice(c->first, n, c->window_late, &c->base, &c->floor_us, &c->late)) {
        c->refusal = REPORT_CLOCK_NO_PERIOD;
        return;
    }
    c->locked = true;
    c->dips_from = c->late ? UINT32_MAX : 2;  // late, a report alone is the one read soonest
    c->line = c->overall = c->start = c->base;
    c->line_per_us = 1 / c->base.period_us;
    c->tolerance_us = kStreamTolerance * c->base.period_us;
    gap_histogram_init_us_range(&c->jitter, -(int64_t)(2 * c->base.period_us) - 1, kJitterLongestUs);
    c->jitter_near_lo_us = -(int64_t)c->tolerance_us - 1;  // reports further below are not in the jitter
    for (int k = 0; k < n; k++)
        if (push_pending(c, c->first[k]))
            place_settled(c);
}

void report_clock_init(ReportClock* c) {
    memset(c, 0, sizeof *c);
    low_rank_reset(&c->bin);
}

void report_clock_free(ReportClock* c) { gap_histogram_free(&c->jitter); }

// Drops a start that turned out to fit no lattice; the next reports are
// tried afresh.
static void restart(ReportClock* c) {
    const uint64_t n = c->n;
    const double last_t = c->last_t;
    const ReportClockSink sink = c->sink;
    const int window_late = c->window_late;
    report_clock_free(c);
    report_clock_init(c);
    c->n = n;
    c->last_t = last_t;
    c->sink = sink;
    c->window_late = window_late;
    c->refusal = REPORT_CLOCK_NO_PERIOD;
}

// Until a lattice is found the reports are kept, and the first
// REPORT_CLOCK_FIRST of them are searched for one.
static void add_first(ReportClock* c, double t_us) {
    c->first[c->first_n++] = t_us;
    if (c->first_n == REPORT_CLOCK_FIRST) {
        lock(c, REPORT_CLOCK_FIRST);
        c->first_n = 0;  // a bad start is tried again on the next reports, afresh
    }
}

void report_clock_add_times(ReportClock* c, const double* times, size_t count) {
    for (size_t i = 0; i < count; i++) {
        double t_us = times[i];
        if (!isfinite(t_us))
            continue;  // a broken stamp says nothing about the lattice
        if (c->n > 0 && !(t_us >= c->last_t))
            t_us = c->last_t;
        c->last_t = t_us;
        c->n++;
        if (!c->locked) {
            add_first(c, t_us);
            continue;
        }
        if (push_pending(c, t_us))
            place_settled(c);
        if (c->relock)
            restart(c);
    }
}

void report_clock_add(ReportClock* c, double t_us) { report_clock_add_times(c, &t_us, 1); }

static bool refuse(ReportClockFigures* out, ReportClockRefusal r) {
    out->refusal = r;
    return false;
}

bool report_clock_finish(ReportClock* c, ReportClockFigures* out) {
    memset(out, 0, sizeof *out);
    out->reports = c->n;
    if (c->n < REPORT_CLOCK_MIN_REPORTS)
        return refuse(out, REPORT_CLOCK_TOO_FEW);
    if (!c->locked && c->first_n >= REPORT_CLOCK_MIN_REPORTS)
        lock(c, (int)c->first_n);
    // Times that fit no lattice while reads came late may yet follow one: the
    // late reads are the reason given. How late: over the reports placed, or
    // with none, over the last reports searched for a lattice.
    out->late_periods = c->window_late;
    if (!c->locked)
        return refuse(out, c->window_late >= 1 ? REPORT_CLOCK_LATE_READS : c->refusal);
    place_pending(c, c->pending_n, c->late ? last_read(c) : c->pending_n);
    const int late = late_periods(c->read_sizes);
    out->late_periods = late;
    const ReportClockRefusal none = late >= 1 ? REPORT_CLOCK_LATE_READS : REPORT_CLOCK_NO_PERIOD;
    if (c->bin_n >= REPORT_CLOCK_RANK)
        bin_point(c);
    stream_fit(c);
    const double period = overall_period(c);
    const double anchors = (double)c->anchors;
    const double fill = (double)c->pending_index / (double)(c->last_slot - c->first_slot + 1);
    const bool on_time = c->score_sum / anchors < kMaxScore - kScoreMargin;
    const bool read_late = late >= 1 && late <= kLatestRead && c->excess_sum / anchors < kMaxExcess &&
                           few_empties((double)c->pending_index, (double)(c->last_slot - c->first_slot + 1));
    if (fabs(period / c->base.period_us - 1) > kMaxDrift)
        return refuse(out, REPORT_CLOCK_NO_PERIOD);
    if (!on_time && !read_late)
        return refuse(out, none);
    for (int i = 0; i < REPORT_CLOCK_NEAR; i++) {
        gap_histogram_add_count(&c->jitter, c->jitter_near_lo_us + i, c->jitter_near[i]);
        c->jitter_near[i] = 0;
    }
    Distribution d;
    distribution_of_histogram(&c->jitter, &d);
    if (d.failed)
        return refuse(out, REPORT_CLOCK_NO_MEMORY);
    out->period_us = period;
    out->rate_hz = 1e6 / out->period_us;
    out->nominal_us = report_clock_nominal_us(out->period_us);
    out->drift_ppm = (out->period_us / out->nominal_us - 1) * 1e6;
    // Reports before the first that fitted a lattice are on no slot.
    out->filled_pct = 100.0 * fill;
    out->unbatched = c->unbatched;
    if (d.n > 0) {
        out->jitter_p50_us = fmax(d.pct_us[PCT_50], 0.0);
        out->jitter_p99_us = fmax(d.pct_us[PCT_99], 0.0);
    }
    return true;
}
