// One walk over the visible reports fills the columns and, for intervals, a
// 1-us histogram of accepted intervals, from whose 0.1st and 99.9th
// percentiles the y axis comes. The counts' and the speeds' axes come from
// the columns' extremes after the walk: the 99th percentile of the columns,
// so that one spike among many columns is an arrow, not a squashed plot.
#include "core/views/plot_model.h"

#include <math.h>
#include <string.h>

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/figures/distribution.h"
#include "core/figures/gap_rule.h"
#include "core/version.h"
#include "core/views/text_buf.h"
#include "core/views/texts.h"

enum { HISTOGRAM_BINS = 50001 };  // 1 us each up to 50 ms, then one for the rest

double plot_nice_top_ms(double p999_ms) {
    static const double steps[] = {1, 1.5, 2, 2.5, 3, 4, 5, 6, 8};
    if (!(p999_ms > 0))
        return 1;
    double decade = pow(10.0, floor(log10(p999_ms)));
    for (int round = 0; round < 2; round++, decade *= 10) {
        for (double s : steps) {
            if (s * decade > p999_ms * 1.0000001)
                return s * decade;
        }
    }
    return 10 * decade;
}

// The first of 1, 2, 2.5, 5 times a power of ten at or above x (x > 0).
static double nice_step(double x) {
    static const double steps[] = {1, 2, 2.5, 5, 10};
    const double decade = pow(10.0, floor(log10(x)));
    for (double s : steps) {
        if (s * decade >= x * 0.9999999)
            return s * decade;
    }
    return 10 * decade;
}

PlotAxis plot_axis_of_range(double lo_ms, double hi_ms) {
    if (!(hi_ms > lo_ms) || !isfinite(lo_ms) || !isfinite(hi_ms)) {
        lo_ms = 0;
        hi_ms = 1;
    }
    PlotAxis a = {lo_ms, hi_ms, nice_step((hi_ms - lo_ms) / 5), 0};
    for (double scaled = a.step_ms; a.decimals < 6; a.decimals++, scaled *= 10) {
        if (fabs(scaled - floor(scaled + 0.5)) < 1e-6)
            break;
    }
    return a;
}

PlotAxis plot_axis_from_percentiles(double p001_us, double p999_us) {
    if (!(p999_us > 0) || !isfinite(p999_us))
        return plot_axis_of_range(0, 1);
    double lo = p001_us > 0 ? p001_us / 1000 : 0, hi = p999_us / 1000;
    // Intervals that reach down towards zero keep zero in sight; a tight band
    // high above it gets the height, so its spread can be seen.
    if (lo < 0.5 * hi)
        return plot_axis_of_range(0, plot_nice_top_ms(hi));
    const double margin = fmax(0.1 * (hi - lo), 0.02 * hi);
    lo -= margin;
    hi += margin;
    const double step = nice_step((hi - lo) / 5);
    // Within rounding of a tick is on it: 0.98 / 0.01 is 97.99999...
    return plot_axis_of_range(floor(lo / step + 1e-9) * step, ceil(hi / step - 1e-9) * step);
}

PlotAxis plot_axis_of_counts(double largest) {
    const double top = largest > 1 ? plot_nice_top_ms(largest) : 2;
    return plot_axis_of_range(-top, top);
}

PlotAxis plot_axis_of_speeds(double fastest) { return plot_axis_of_range(0, plot_nice_top_ms(fastest)); }

PlotAxis plot_zoom_axis(const PlotAxis* axis, int kind, double at, double scale) {
    // Per kind: the narrowest range, and the lowest and highest value shown.
    static const double kBounds[PLOT_KINDS][3] = {{0.01, 0, 60}, {2, -32768, 32768}, {10, 0, 1e10}, {1, 0, 1}};
    const double* b = kBounds[kind >= 0 && kind < PLOT_KINDS ? kind : 0];
    const double widest = b[2] - b[1];
    const double width = axis->hi_ms - axis->lo_ms;
    double share = width > 0 ? (at - axis->lo_ms) / width : 0.5;
    share = share > 0 ? (share < 1 ? share : 1) : 0;  // also NaN
    double zoomed = width * scale;
    zoomed = zoomed > b[0] ? (zoomed < widest ? zoomed : widest) : b[0];
    double lo = axis->lo_ms + share * width - share * zoomed;
    lo = lo > b[1] ? (lo < b[2] - zoomed ? lo : b[2] - zoomed) : b[1];
    return plot_axis_of_range(lo, lo + zoomed);
}

int plot_row_of(const PlotAxis* axis, double us, int top, int bottom) {
    return plot_row_of_value(axis, us / 1000.0, top, bottom);
}

int plot_row_of_value(const PlotAxis* axis, double v, int top, int bottom) {
    const double share = (v - axis->lo_ms) / (axis->hi_ms - axis->lo_ms);
    double r = (double)bottom - share * (double)(bottom - top);
    r = r > -1e6 ? (r < 1e6 ? r : 1e6) : -1e6;  // far off the axis, still an int
    return (int)floor(r + 0.5);
}

void plot_place_labels(const int* want, int n, int height, int top, int bottom, int* out) {
    // Down from the top, each at least a height below the one before; then
    // up from the bottom, so the last fits; then the first within the top again.
    for (int i = 0; i < n; i++) {
        out[i] = i > 0 && want[i] < out[i - 1] + height ? out[i - 1] + height : want[i];
    }
    for (int i = n - 1; i >= 0; i--) {
        const int limit = i == n - 1 ? bottom - height : out[i + 1] - height;
        out[i] = out[i] > limit ? limit : out[i];
    }
    for (int i = 0; i < n; i++) {
        const int limit = i == 0 ? top : out[i - 1] + height;
        out[i] = out[i] < limit ? limit : out[i];
    }
}

// Index of the first kept entry at or after counter value t (entries rise in time).
static uint64_t first_at_or_after(ArrivalView* log, int64_t t) {
    uint64_t lo = 0, hi = arrival_view_count(log);
    while (lo < hi) {
        uint64_t mid = lo + (hi - lo) / 2;
        if (arrival_view_at(log, mid).t < t)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// The record's first logged report and the run's end: its last report, or
// end_t when that is later. False when it has none.
static bool record_span(ArrivalView* log, int slot, int64_t end_t, int64_t* first,
                        int64_t* last) {
    const uint64_t n = arrival_view_count(log);
    uint64_t k = 0;
    for (; k < n && slot != 0 && arrival_view_at(log, k).slot != slot; k++) {
    }
    if (k == n)
        return false;
    *first = arrival_view_at(log, k).t;
    uint64_t j = n;
    while (j-- > k && slot != 0 && arrival_view_at(log, j).slot != slot) {
    }
    *last = arrival_view_at(log, j).t;
    *last = end_t > *last ? end_t : *last;
    return true;
}

double plot_record_span_s(ArrivalView* log, int slot, double freq, int64_t end_t) {
    int64_t first = 0, last = 0;
    if (!(freq > 0) || !record_span(log, slot, end_t, &first, &last) || last == first)
        return 1;
    return (double)(last - first) / freq;
}

bool plot_bound_view(double span_s, double* t0_s, double* t1_s) {
    const double span = span_s > 0 ? span_s : 1;
    const double t0 = *t0_s, t1 = *t1_s;
    if (!(t1 > t0) || !isfinite(t0) || !isfinite(t1))
        return false;
    // At most three spans wide, centred on the run: the view always meets the
    // data, and every stamp and column stays far inside its integer type.
    const double width = t1 - t0 < 3 * span ? t1 - t0 : 3 * span;
    double centre = t0 / 2 + t1 / 2;
    centre = centre < 0 ? 0 : centre > span ? span : centre;
    *t0_s = centre - width / 2;
    *t1_s = centre + width / 2;
    return *t1_s > *t0_s;
}

namespace {

// One walk over the visible reports: where it stands and what it has counted.
struct Walk {
    PlotModel* m;
    ArrivalView* log;
    int slot;
    int kind;
    double freq;
    double us_per_tick;         // a multiplication per report instead of a division
    int64_t from, to;           // the visible range in counter ticks
    int64_t first_t, end_t;     // the record's first report and the run's end
    double columns_per_tick;
    double ticks_per_column;
    GapTicks accepted;          // the accepted-gap rule in ticks, for one mouse's own gaps
    const std::atomic<bool>* stop;
    bool known_axis;            // the axis is given: no histogram
    int c;                      // the current column
    int64_t next_column_t;      // the first stamp that may lie in a later column
    PlotColumn cur;             // the current column's figures, kept in locals
    uint32_t* histogram;
    uint64_t histogram_n;
    // Speed: the delivery still open (gap 0: none), its counts summed by
    // size and how many of its reports are relative.
    int64_t delivery_gap;
    int64_t delivery_dx, delivery_dy;
    uint32_t delivery_relative;
};

}  // namespace

// Each column is written once: the walk leaves a column only for a later one.
static void flush_column(Walk* w) {
    w->m->col[w->c] = w->cur;
    w->cur = PlotColumn{};
}

// The stamp where column c ends (the first stamp of the next). Every walk
// sorts stamps into columns by these edges alone, so a stamp is in the same
// column whether it is reached report by report or by a search for an edge.
static int64_t column_edge(const Walk* w, int c) {
    return w->from + (int64_t)ceil((c + 1) * w->ticks_per_column);
}

// Reports rise in time, so the column only moves right: a stamp is compared
// with the current column's edge, and the column is worked out only past it,
// from the multiplication and then settled on the edges.
static void move_to_column_of(Walk* w, int64_t t) {
    if (t < w->next_column_t)
        return;
    flush_column(w);
    const int last = w->m->columns - 1;
    int c = (int)((double)(t - w->from) * w->columns_per_tick);
    c = c <= w->c ? w->c + 1 : c > last ? last : c;
    while (c > w->c + 1 && t < column_edge(w, c - 1))
        c--;
    while (c < last && t >= column_edge(w, c))
        c++;
    w->c = c;
    w->next_column_t = c < last ? column_edge(w, c) : INT64_MAX;
}

// Whether a gap was merged into one delivery, or is a pause (not an accepted interval).
static void class_gap(const Walk* w, ArrivalClass cls, int64_t gap, bool* coalesced, bool* pause) {
    if (w->slot == 0) {  // the all-mice record's classes are in the log
        *coalesced = cls == ARRIVAL_COALESCED;
        *pause = cls == ARRIVAL_PAUSE || cls == ARRIVAL_FIRST;
    } else {
        *coalesced = gap < w->accepted.shortest;
        *pause = cls == ARRIVAL_PAUSE || gap > w->accepted.longest;
    }
}

// One more value in a column of the interval or speed view: its span and,
// while it has few, each value.
static void add_value(PlotColumn* cur, float v, float* min, float* max, float* few) {
    if (cur->count < PLOT_FEW)
        few[cur->count] = v;
    if (cur->count == 0 || v < *min)
        *min = v;
    if (cur->count == 0 || v > *max)
        *max = v;
    cur->count++;
}

static void add_interval(Walk* w, ArrivalClass cls, int64_t gap) {
    bool coalesced, pause;
    class_gap(w, cls, gap, &coalesced, &pause);
    PlotColumn* cur = &w->cur;
    if (coalesced) {
        cur->coalesced++;
        return;
    }
    const double us = (double)gap * w->us_per_tick;
    add_value(cur, (float)us, &cur->min_us, &cur->max_us, cur->few_us);
    if (!pause && !w->known_axis) {
        int bin = (int)us;
        w->histogram[bin < HISTOGRAM_BINS ? bin : HISTOGRAM_BINS - 1]++;
        w->histogram_n++;
    }
}

// Whether a motion word is a position, not counts: those are only counted.
static bool motion_is_position(uint64_t motion) { return (motion >> 60) & MOTION_FLAG_ABSOLUTE; }

static void add_count(PlotCounts* s, int16_t v, bool first) {
    // The column's least and most are among few[] while it keeps every
    // value, and change nothing once it does not: the common case ends here.
    if (!first && (v == s->min || v == s->max))
        return;
    if (first || v < s->min)
        s->min = v;
    if (first || v > s->max)
        s->max = v;
    if (s->distinct > PLOT_FEW)
        return;
    for (int i = 0; i < s->distinct; i++) {
        if (s->few[i] == v)
            return;
    }
    if (s->distinct < PLOT_FEW)
        s->few[s->distinct] = v;
    s->distinct++;
}

// dx and dy of a moving report, read straight from the entry's bits (their
// layout is in core/runs/arrival_log.h): the walk spends most of its time here.
// A report without motion is counted apart.
static void add_counts(PlotColumn* cur, uint64_t motion) {
    const int16_t dx = (int16_t)(uint16_t)motion, dy = (int16_t)(uint16_t)(motion >> 16);
    if (dx == 0 && dy == 0) {
        cur->still++;
        return;
    }
    add_count(&cur->dx, dx, cur->count == 0);
    add_count(&cur->dy, dy, cur->count == 0);
    cur->count++;
}

// Speeds are of deliveries, as in the figures: a report with an accepted
// interval and the reports coalesced after it, whose counts are summed by
// size over that interval. The delivery is drawn in its first report's
// column; one without motion is counted apart, as in the counts, so that it
// is no stroke down to 0 through the moving reports of its column.
static void close_delivery(Walk* w) {
    const bool drawn = w->delivery_gap > 0 && w->delivery_relative > 0;
    const int64_t gap = w->delivery_gap;
    w->delivery_gap = 0;
    if (!drawn)
        return;
    PlotColumn* cur = &w->cur;
    if (w->delivery_dx == 0 && w->delivery_dy == 0) {
        cur->still++;
        return;
    }
    const double dx = (double)w->delivery_dx, dy = (double)w->delivery_dy;
    const float v = (float)(sqrt(dx * dx + dy * dy) * w->freq / (double)gap);
    add_value(cur, v, &cur->speed_min, &cur->speed_max, cur->speed_few);
}

// A report in the speed view: it opens a delivery, or adds to the open one.
// Opening sets the counts outright: nearly every delivery is one report, and
// adding to the counts just cleared would wait on those stores each time.
static void add_speed_report(Walk* w, ArrivalClass cls, uint64_t motion, int64_t gap, int64_t t) {
    bool coalesced, pause;
    class_gap(w, cls, gap, &coalesced, &pause);
    const bool position = motion_is_position(motion);
    const int64_t dx = position ? 0 : abs((int16_t)(uint16_t)motion);
    const int64_t dy = position ? 0 : abs((int16_t)(uint16_t)(motion >> 16));
    w->m->absolute += position;
    if (coalesced) {
        w->delivery_dx += dx;
        w->delivery_dy += dy;
        w->delivery_relative += !position;
        return;
    }
    close_delivery(w);
    move_to_column_of(w, t);
    w->delivery_gap = pause ? 0 : gap;
    w->delivery_dx = dx;
    w->delivery_dy = dy;
    w->delivery_relative = !position;
}

// The index to start from: one report of the record before the range, so the
// first visible one has its interval.
static uint64_t walk_start(const Walk* w) {
    uint64_t k = first_at_or_after(w->log, w->from);
    while (k > 0) {
        k--;
        if (w->slot == 0 || arrival_view_at(w->log, k).slot == w->slot)
            break;
    }
    return k;
}

static void walk_reports(Walk* w) {
    const uint64_t n = arrival_view_count(w->log);
    bool have_previous = false;
    int64_t previous = 0;
    for (uint64_t k = walk_start(w); k < n;) {
        const ArrivalEntry* run;
        const uint64_t length = arrival_view_run(w->log, k, &run);
        if (length == 0 || (w->stop && w->stop->load(std::memory_order_relaxed)))
            return;  // given up since the view was taken, or no longer wanted
        for (uint64_t j = 0; j < length; j++) {
            const ArrivalEntry e = run[j];
            if (w->slot != 0 && arrival_entry_slot(e) != w->slot)
                continue;
            const int64_t t = arrival_view_entry_t(w->log, e);
            if (t > w->to)
                return;
            // A report's counts need no interval: the record's first is drawn too.
            const bool visible = t >= w->from && (have_previous || w->kind == PLOT_COUNTS);
            const int64_t gap = t - previous;
            have_previous = true;
            previous = t;
            if (!visible)
                continue;
            if (w->kind == PLOT_SPEED) {
                add_speed_report(w, arrival_entry_class(e), arrival_entry_motion_bits(w->log, run + j), gap, t);
                continue;
            }
            move_to_column_of(w, t);
            add_interval(w, arrival_entry_class(e), gap);
        }
        k += length;
    }
}

// The first of entries[0..n) stamped at or after t (stamps rise), n when none is.
static uint64_t first_stamp_at_or_after(const ArrivalView* log, const ArrivalEntry* entries,
                                        uint64_t n, int64_t t) {
    uint64_t lo = 0, hi = n;
    while (lo < hi) {
        const uint64_t mid = lo + (hi - lo) / 2;
        if (arrival_view_entry_t(log, entries[mid]) < t)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

#if defined(__SSE2__)
// Whether two reports (two motion words) change nothing but the column's
// count: both move and settle in both axes, as count_settled says, eight
// 16-bit lanes at a time. The lanes are dx, dy, wheel and buttons/flags of
// each word; only dx and dy are judged. A value settles when it is the
// axis's least or most, or lies between them once the axis keeps no distinct
// values. A column without a report has 0 for both and no distinct value, so
// a report that moves never settles in it.
struct SettledLanes {
    __m128i lo, hi, many, judged;
};

static SettledLanes settled_lanes(const PlotCounts* x, const PlotCounts* y) {
    const short xm = x->distinct > PLOT_FEW ? -1 : 0, ym = y->distinct > PLOT_FEW ? -1 : 0;
    return {_mm_setr_epi16(x->min, y->min, 0, 0, x->min, y->min, 0, 0),
            _mm_setr_epi16(x->max, y->max, 0, 0, x->max, y->max, 0, 0),
            _mm_setr_epi16(xm, ym, 0, 0, xm, ym, 0, 0), _mm_setr_epi16(-1, -1, 0, 0, -1, -1, 0, 0)};
}

static bool two_settled(const SettledLanes* l, const ArrivalEntry* words) {
    const __m128i v = _mm_loadu_si128((const __m128i*)words);
    const __m128i between = _mm_and_si128(_mm_cmpgt_epi16(v, l->lo), _mm_cmpgt_epi16(l->hi, v));
    const __m128i settled = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, l->lo), _mm_cmpeq_epi16(v, l->hi)),
                                         _mm_and_si128(l->many, between));
    const int unsettled = _mm_movemask_epi8(_mm_andnot_si128(settled, l->judged));
    const int zero = _mm_movemask_epi8(_mm_cmpeq_epi16(v, _mm_setzero_si128()));
    const bool still = (zero & 0x000f) == 0x000f || (zero & 0x0f00) == 0x0f00;
    const uint64_t position = (uint64_t)MOTION_FLAG_ABSOLUTE << 60;
    return unsettled == 0 && !still && !((words[0].packed | words[1].packed) & position);
}
#endif

// One report's counts, when it is of the record shown.
static void add_report_counts(Walk* w, ArrivalEntry entry, uint64_t motion) {
    if (w->slot != 0 && arrival_entry_slot(entry) != w->slot)
        return;
    if (motion_is_position(motion))
        w->m->absolute++;
    else
        add_counts(&w->cur, motion);
}

// The counts of entries[0..n), all in the current column: only their motion
// words are read (and their stamps' slots when one mouse is shown). Nearly
// every report changes nothing but the column's count: where the processor
// can, two reports are judged at once; every other goes through add_counts.
static void add_counts_of(Walk* w, const ArrivalEntry* entries, uint64_t n) {
    const ArrivalEntry* words = entries + ((size_t)1 << w->log->log->block_shift);
    uint64_t i = 0;
#if defined(__SSE2__)
    const int slot = w->slot;
    PlotColumn* cur = &w->cur;
    SettledLanes lanes = settled_lanes(&cur->dx, &cur->dy);
    for (; i + 2 <= n; i += 2) {
        const bool mine = slot == 0 || (arrival_entry_slot(entries[i]) == slot &&
                                        arrival_entry_slot(entries[i + 1]) == slot);
        if (mine && two_settled(&lanes, words + i)) {
            cur->count += 2;
            continue;
        }
        add_report_counts(w, entries[i], words[i].packed);
        add_report_counts(w, entries[i + 1], words[i + 1].packed);
        lanes = settled_lanes(&cur->dx, &cur->dy);
    }
#endif
    for (; i < n; i++)
        add_report_counts(w, entries[i], words[i].packed);
}

// Counts need no interval, so the walk searches the stamps for each column's
// edge and reads the motion words in between: half the memory of a walk that
// reads every stamp, which is what bounds a whole run of millions of reports.
static void walk_counts(Walk* w) {
    const uint64_t n = arrival_view_count(w->log);
    for (uint64_t k = first_at_or_after(w->log, w->from); k < n;) {
        const ArrivalEntry* run;
        const uint64_t length = arrival_view_run(w->log, k, &run);
        if (length == 0 || (w->stop && w->stop->load(std::memory_order_relaxed)))
            return;
        for (uint64_t j = 0; j < length;) {
            const int64_t limit = w->next_column_t <= w->to ? w->next_column_t : w->to + 1;
            const uint64_t end = j + first_stamp_at_or_after(w->log, run + j, length - j, limit);
            add_counts_of(w, run + j, end - j);
            if (end == length)
                break;
            const int64_t t = arrival_view_entry_t(w->log, run[end]);
            if (t > w->to)
                return;
            move_to_column_of(w, t);
            j = end;
        }
        k += length;
    }
}

// The visible percentile at tenths (of a percent), to the 1-us bin's lower
// edge, or its upper edge when upper.
static double visible_percentile_us(const uint32_t* histogram, uint64_t accepted, int tenths,
                                    bool upper) {
    uint64_t rank = nearest_rank(tenths, accepted), seen = 0;
    for (int b = 0; b < HISTOGRAM_BINS && rank > 0; b++) {
        seen += histogram[b];
        if (seen >= rank)
            return upper ? b + 1.0 : (double)b;
    }
    return 0;
}

// The visible range in seconds (bounded) and in ticks; false when the record has no report.
static bool set_range(PlotModel* m, Walk* w, const PlotRequest* r) {
    int64_t first = 0, last = 0;
    m->t0_s = 0;
    m->t1_s = 1;
    if (!(w->freq > 0) || !record_span(w->log, w->slot, r->end_t, &first, &last))
        return false;
    m->span_s = (double)(last - first) / w->freq;
    double t0_s = r->t0_s, t1_s = r->t1_s;
    if (r->whole || !plot_bound_view(m->span_s, &t0_s, &t1_s)) {
        t0_s = 0;
        t1_s = m->span_s > 0 ? m->span_s : 1;
    }
    m->t0_s = t0_s;
    m->t1_s = t1_s;
    w->first_t = first;
    w->end_t = last;
    w->from = first + (int64_t)floor(t0_s * w->freq);
    w->to = first + (int64_t)ceil(t1_s * w->freq);
    w->columns_per_tick = (double)m->columns / ((t1_s - t0_s) * w->freq);
    w->ticks_per_column = 1.0 / w->columns_per_tick;
    w->next_column_t = m->columns > 1 ? column_edge(w, 0) : INT64_MAX;
    return true;
}

// The 99th percentile (nearest rank) of the columns' largest values, for the
// columns that have any; 0 when none has.
static double columns_p99(const PlotModel* m) {
    static thread_local float largest[PLOT_MAX_COLUMNS];
    int n = 0;
    for (int c = 0; c < m->columns; c++) {
        const PlotColumn* col = &m->col[c];
        if (col->count == 0)
            continue;
        const int counts = std::max({-(int)col->dx.min, (int)col->dx.max, -(int)col->dy.min, (int)col->dy.max});
        largest[n++] = m->kind == PLOT_COUNTS ? (float)counts : col->speed_max;
    }
    if (n == 0)
        return 0;
    const int k = (int)nearest_rank(990, (uint64_t)n) - 1;
    std::nth_element(largest, largest + k, largest + n);
    return largest[k];
}

// --- The buttons view: presses and notches ----------------------------------

// The flags' bits of a motion word: a report with none of them (nearly every
// one) costs the walk one test.
static const uint64_t kButtonWordBits = (uint64_t)(BUTTON_FLAG_ALL_BUTTONS | BUTTON_FLAG_WHEEL | BUTTON_FLAG_HWHEEL)
                                        << 48;

namespace {

// Each button's and wheel's state as the walk goes, as core/figures/buttons
// keeps it, so a press chatters here when the record counted it so.
struct ButtonWalk {
    Walk* w;
    double chatter_ticks, reversal_ticks;
    bool held[BUTTONS];
    int64_t down_t[BUTTONS];  // the held press; INT64_MIN: pressed before the log shows
    bool down_chatter[BUTTONS];
    int64_t up_t[BUTTONS];    // the latest release; 0: none known
    struct {
        int32_t residual;
        int8_t before_dir, last_dir;
        int64_t before_t, last_t;
    } wheel[2];
    unsigned seen;            // rows with anything in the log
};

}  // namespace

// The column that holds stamp t (from <= t <= to), by the walks' edges.
static int column_at(const Walk* w, int64_t t) {
    const int last = w->m->columns - 1;
    int c = (int)((double)(t - w->from) * w->columns_per_tick);
    c = c < 0 ? 0 : c > last ? last : c;
    while (c > 0 && t < column_edge(w, c - 1))
        c--;
    while (c < last && t >= column_edge(w, c))
        c++;
    return c;
}

// A press from down to up (INT64_MIN: from before the log's first report;
// INT64_MAX: still held) over the columns it covers, within the record's
// reports and the run's end.
static void draw_hold(ButtonWalk* bw, int b, int64_t down, int64_t up, bool chatter) {
    const Walk* w = bw->w;
    int64_t lo = down > w->from ? down : w->from;
    lo = lo > w->first_t ? lo : w->first_t;
    int64_t hi = up < w->to ? up : w->to;
    hi = hi < w->end_t ? hi : w->end_t;
    if (hi < lo)
        return;
    const uint8_t mark = chatter ? PLOT_HELD_CHATTER : PLOT_HELD;
    const int c1 = column_at(w, hi);
    for (int c = column_at(w, lo); c <= c1; c++)
        w->m->buttons[c].button[b] |= mark;
}

static bool visible(const Walk* w, int64_t t) { return t >= w->from && t <= w->to; }

static void press_at(ButtonWalk* bw, int b, int64_t t) {
    if (bw->held[b])  // its release was lost: the press before ends here
        draw_hold(bw, b, bw->down_t[b], t, bw->down_chatter[b]);
    bw->down_chatter[b] = bw->up_t[b] && (double)(t - bw->up_t[b]) < bw->chatter_ticks;
    bw->up_t[b] = 0;
    bw->held[b] = true;
    bw->down_t[b] = t;
    if (visible(bw->w, t)) {
        bw->w->m->buttons[column_at(bw->w, t)].button[b] |= PLOT_PRESSED;
        bw->w->m->shown++;
    }
}

// A release without its press (held since before the log's first report) is
// drawn from there.
static void release_at(ButtonWalk* bw, int b, int64_t t) {
    draw_hold(bw, b, bw->held[b] ? bw->down_t[b] : INT64_MIN, t, bw->held[b] && bw->down_chatter[b]);
    bw->held[b] = false;
    bw->up_t[b] = t;
}

// A notch of wheel k at t, judged as core/figures/buttons judges it: the notch
// before is a reversal when it went against both its neighbours, each within
// 100 ms.
static void push_notch(ButtonWalk* bw, int k, int dir, int64_t t) {
    auto* s = &bw->wheel[k];
    if (s->before_dir && s->last_dir && s->last_dir != s->before_dir && s->last_dir != dir &&
        (double)(s->last_t - s->before_t) <= bw->reversal_ticks && (double)(t - s->last_t) <= bw->reversal_ticks &&
        visible(bw->w, s->last_t))
        bw->w->m->buttons[column_at(bw->w, s->last_t)].reversed |= (uint8_t)(1 << k);
    s->before_dir = s->last_dir;
    s->before_t = s->last_t;
    s->last_dir = (int8_t)dir;
    s->last_t = t;
}

static void turn_at(ButtonWalk* bw, int k, int64_t t, int delta) {
    auto* s = &bw->wheel[k];
    if (delta == 0)
        return;
    if ((s->residual > 0 && delta < 0) || (s->residual < 0 && delta > 0))
        s->residual = 0;
    s->residual += delta;
    const int notches = s->residual / WHEEL_DELTA_PER_NOTCH;
    s->residual -= notches * WHEEL_DELTA_PER_NOTCH;
    if (notches == 0)
        return;
    bw->seen |= 1u << (PLOT_ROW_WHEEL + k);
    const int dir = notches > 0 ? 1 : -1, count = notches * dir;
    if (visible(bw->w, t)) {
        PlotButtonColumn* col = &bw->w->m->buttons[column_at(bw->w, t)];
        uint8_t* n = dir > 0 ? &col->up[k] : &col->down[k];
        *n = (uint8_t)(*n + count < 255 ? *n + count : 255);
        bw->w->m->shown += (uint64_t)count;
    }
    for (int i = 0; i < count && i < 2; i++)
        push_notch(bw, k, dir, t);
}

static void button_report(ButtonWalk* bw, int64_t t, unsigned flags, int16_t data) {
    for (int b = 0; b < BUTTONS; b++) {
        const bool down = flags & button_down_flag(b), up = flags & button_up_flag(b);
        if (!down && !up)
            continue;
        bw->seen |= 1u << b;
        // Both in one report: whichever ends the state the button was in comes first.
        const bool release_first = up && bw->held[b];
        if (release_first)
            release_at(bw, b, t);
        if (down)
            press_at(bw, b, t);
        if (up && !release_first)
            release_at(bw, b, t);
    }
    if (flags & BUTTON_FLAG_WHEEL)
        turn_at(bw, 0, t, data);
    if (flags & BUTTON_FLAG_HWHEEL)
        turn_at(bw, 1, t, data);
}

// A press is drawn in the colour of its chatter, which its button's release
// before it decides, however long ago; and a press held into the range may
// have begun long before it. So the walk follows the record's buttons from
// the log's first report to 100 ms past the range (where the range's last
// notch is judged), testing each report's word for a button or the wheel:
// the view costs about what the counts view does over that span.
static void walk_buttons(Walk* w, const PlotRequest* r) {
    ButtonWalk bw = {};
    bw.w = w;
    const double chatter_ms = r->chatter_ms > 0 ? r->chatter_ms : kChatterDefaultMs;
    bw.chatter_ticks = chatter_ms * w->freq / 1000.0;
    bw.reversal_ticks = kWheelReversalWindowMs * w->freq / 1000.0;
    const int64_t until = w->to + (int64_t)ceil(bw.reversal_ticks);
    const uint64_t n = arrival_view_count(w->log);
    bool done = false;
    for (uint64_t k = 0; k < n && !done;) {
        const ArrivalEntry* run;
        const uint64_t length = arrival_view_run(w->log, k, &run);
        // A run of the log that begins past the last notch's judgement has nothing for the view.
        if (length == 0 || (w->stop && w->stop->load(std::memory_order_relaxed)) ||
            arrival_view_entry_t(w->log, run[0]) > until)
            break;
        const ArrivalEntry* words = run + ((size_t)1 << w->log->log->block_shift);
        for (uint64_t j = 0; j < length; j++) {
            const uint64_t bits = words[j].packed;
            if (!(bits & kButtonWordBits) || (w->slot != 0 && arrival_entry_slot(run[j]) != w->slot))
                continue;
            const int64_t t = arrival_view_entry_t(w->log, run[j]);
            if (t > until) {
                done = true;
                break;
            }
            button_report(&bw, t, (unsigned)(bits >> 48) & 0xFFF, (int16_t)(uint16_t)(bits >> 32));
        }
        k += length;
    }
    for (int b = 0; b < BUTTONS; b++) {
        if (bw.held[b])  // held at the end of what was read: to the end
            draw_hold(&bw, b, bw.down_t[b], INT64_MAX, bw.down_chatter[b]);
    }
    w->m->button_rows |= bw.seen;
}

static PlotAxis axis_of(const PlotRequest* r, const Walk* w) {
    if (w->kind == PLOT_BUTTONS)
        return plot_axis_of_range(0, 1);
    if (r->y_fixed)
        return plot_axis_of_range(r->y_lo_ms, r->y_hi_ms);
    if (w->kind == PLOT_COUNTS)
        return plot_axis_of_counts(columns_p99(w->m));
    if (w->kind == PLOT_SPEED)
        return plot_axis_of_speeds(columns_p99(w->m));
    if (w->known_axis)
        return plot_axis_from_percentiles(r->record_p001_us, r->record_p999_us);
    return plot_axis_from_percentiles(visible_percentile_us(w->histogram, w->histogram_n, 1, false),
                                      visible_percentile_us(w->histogram, w->histogram_n, 999, true));
}

void plot_model_build(PlotModel* m, ArrivalView* log, const PlotRequest* r) {
    static thread_local uint32_t histogram[HISTOGRAM_BINS];  // the plot's worker and a test's own
    const int columns = r->columns < 1 ? 1 : r->columns > PLOT_MAX_COLUMNS ? PLOT_MAX_COLUMNS : r->columns;
    m->columns = columns;
    m->kind = r->kind >= 0 && r->kind < PLOT_KINDS ? r->kind : PLOT_INTERVALS;
    memset(m->col, 0, sizeof(PlotColumn) * (size_t)columns);
    m->shown = 0;
    m->absolute = 0;
    m->span_s = 0;
    m->button_rows = r->button_rows & ((1u << PLOT_BUTTON_ROWS) - 1);
    if (m->kind == PLOT_BUTTONS)
        memset(m->buttons, 0, sizeof(PlotButtonColumn) * (size_t)columns);
    Walk w = {};
    w.m = m;
    w.log = log;
    w.slot = r->slot;
    w.kind = m->kind;
    w.freq = r->freq;
    w.us_per_tick = r->freq > 0 ? 1e6 / r->freq : 0;
    w.histogram = histogram;
    w.stop = r->stop;
    // Only intervals have a histogram; the other views' axes come from the columns.
    w.known_axis = r->y_fixed || (r->whole && r->record_p999_us > 0) || m->kind != PLOT_INTERVALS;
    const bool any = set_range(m, &w, r);
    if (any && !w.known_axis)
        memset(histogram, 0, sizeof histogram);
    if (any) {
        w.accepted = gap_ticks_for(r->freq);
        if (w.kind == PLOT_BUTTONS)
            walk_buttons(&w, r);
        else if (w.kind == PLOT_COUNTS)
            walk_counts(&w);
        else
            walk_reports(&w);
        close_delivery(&w);
        flush_column(&w);
    }
    for (int c = 0; c < columns; c++)
        m->shown += m->col[c].count;
    m->axis = any ? axis_of(r, &w) : plot_axis_of_range(0, 1);
}

unsigned plot_button_rows_of(const ButtonsSnapshot* s) {
    unsigned rows = 0;
    for (int b = 0; b < BUTTONS; b++)
        rows |= s->button[b].presses ? 1u << b : 0;
    rows |= s->wheel.notches ? 1u << PLOT_ROW_WHEEL : 0;
    rows |= s->hwheel.notches ? 1u << PLOT_ROW_HWHEEL : 0;
    return rows;
}

int plot_button_row_list(unsigned rows, int out[PLOT_BUTTON_ROWS]) {
    int n = 0;
    for (int row = 0; row < PLOT_BUTTON_ROWS; row++) {
        if (rows & (1u << row))
            out[n++] = row;
    }
    return n;
}

// Equal bands down the area; a bar takes three fifths of its band, and the
// wheel's ticks two fifths of it each way, each at most `most`.
PlotBand plot_button_band(int i, int n, int top, int bottom, int most) {
    n = n > 0 ? n : 1;
    PlotBand band;
    const int height = bottom - top;
    band.top = top + (int)((int64_t)height * i / n);
    band.bottom = top + (int)((int64_t)height * (i + 1) / n);
    band.mid = (band.top + band.bottom) / 2;
    int bar = (band.bottom - band.top) * 3 / 5;
    bar = bar < most ? bar : most;
    bar = bar > 2 ? bar : 2;
    band.bar_top = band.mid - bar / 2;
    band.bar_bottom = band.bar_top + bar;
    const int reach = (band.bottom - band.top) * 2 / 5;
    band.reach = reach < most ? (reach > 1 ? reach : 1) : most;
    return band;
}

int plot_notch_reach(int notches, int reach) {
    if (notches <= 0)
        return 0;
    const int half = (reach + 1) / 2;
    const int more = half + (notches - 1) * ((reach + 3) / 4);
    return more < reach ? more : reach;
}

// --- The words around the plot ---------------------------------------------

// Chinese characters, their punctuation and the full-width forms: a line may
// break between two of them.
static bool wide_script(wchar_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF);
}

// Punctuation that closes or separates: no line starts with it.
static bool closing(wchar_t c) { return wcschr(L"，。、：；！？）」』》〉％", c) != NULL && c != 0; }

// Punctuation that opens, and the legend's key: no line ends with it.
static bool opening(wchar_t c) { return wcschr(L"（「『《〈\u3000", c) != NULL && c != 0; }

// Whether a line may break between text[i - 1] and text[i].
static bool break_before(const wchar_t* text, int i) {
    const wchar_t a = text[i - 1], b = text[i];
    if (b == L' ' || closing(b) || opening(a))
        return false;
    return a == L' ' || a == L'\\' || a == L'/' || closing(a) || (wide_script(a) && wide_script(b));
}

static bool gap_at(const wchar_t* text, int i) { return wcsncmp(text + i, PLOT_GAP, PLOT_GAP_LEN) == 0; }

// Where the piece that holds position i ends: the next gap, or the text's end.
static int piece_end(const wchar_t* text, int i, int len) {
    while (i < len && !gap_at(text, i))
        i++;
    return i;
}

static int skip_spaces(const wchar_t* text, int i, int len) {
    while (i < len && text[i] == L' ')
        i++;
    return i;
}

static int measure(const PlotMeasure* m, const wchar_t* text, int from, int to) {
    return to > from ? m->width(m->ctx, text + from, to - from) : 0;
}

// The end of a line from `from` broken inside its piece (which ends at end):
// the last break that fits in width, or the first break when none does.
static int break_inside(const wchar_t* text, int from, int end, int width, const PlotMeasure* m) {
    int fits = 0, first = 0;
    for (int i = from + 1; i < end; i++) {
        if (!break_before(text, i))
            continue;
        first = first ? first : i;
        if (measure(m, text, from, i) > width)
            break;
        fits = i;
    }
    return fits ? fits : first ? first : end;
}

int plot_wrap(const wchar_t* text, const int* widths, int n, const PlotMeasure* m, PlotTextLine* out,
              int most) {
    const int len = (int)wcslen(text);
    int widest = 0;
    for (int k = 0; k < n; k++)
        widest = widths[k] > widest ? widths[k] : widest;
    int lines = 0;
    for (int pos = skip_spaces(text, 0, len); pos < len && lines < most; lines++) {
        const int width = widths[lines < n ? lines : n - 1];
        int end = pos;
        for (int next = piece_end(text, pos, len); measure(m, text, pos, next) <= width;) {
            end = next;
            if (next == len)
                break;
            next = piece_end(text, skip_spaces(text, next, len), len);
        }
        if (end == pos && width < widest) {
            out[lines] = PlotTextLine{pos, 0};  // too narrow for the next piece: left empty
            continue;
        }
        if (end == pos)
            end = break_inside(text, pos, piece_end(text, pos, len), width, m);
        int last = end;
        while (last > pos && text[last - 1] == L' ')
            last--;
        out[lines] = PlotTextLine{pos, last - pos};
        pos = skip_spaces(text, end, len);
    }
    return lines;
}

void plot_foot_layout(const wchar_t* status, const wchar_t* hints, int width, int last, int gap,
                      const PlotMeasure* m, PlotFoot* out) {
    enum { MOST = PLOT_TEXT_LINES / 2 };
    out->status_n = plot_wrap(status, &last, 1, m, out->status, MOST);
    if (out->status_n == 0)
        out->status[out->status_n++] = PlotTextLine{0, 0};
    const PlotTextLine* bottom = &out->status[out->status_n - 1];
    const int used = bottom->len ? m->width(m->ctx, status + bottom->start, bottom->len) + gap : 0;
    const int whole = (int)wcslen(hints);
    out->beside = whole > 0 && m->width(m->ctx, hints, whole) <= last - used;
    out->hint_n = out->beside ? 0 : plot_wrap(hints, &width, 1, m, out->hints, MOST);
}

// One piece after those before it, with the gap between.
static void piece(WideBuf* t, const wchar_t* fmt, ...) {
    if (t->len > 0)
        text_append(t, PLOT_GAP, PLOT_GAP_LEN);
    va_list args;
    va_start(args, fmt);
    text_vappendf(t, fmt, args);
    va_end(args);
}

int plot_summary_text(wchar_t* out, size_t cap, const Distribution* d, const ReportClockFigures* clock,
                      bool wrapped, double span_s, bool failed) {
    WideBuf t = text_buf(out, cap);
    piece(&t, txw(TX_PLOT_SUM_N), (unsigned long long)d->n);
    if (d->n > 0) {
        piece(&t, txw(TX_PLOT_SUM_SLOW), rate_at(d->pct_us[PCT_99]));
        piece(&t, txw(TX_PLOT_SUM_MEDIAN), rate_at(d->pct_us[PCT_50]));
        piece(&t, txw(TX_PLOT_SUM_FAST), rate_at(d->pct_us[PCT_1]));
        piece(&t, txw(TX_PLOT_SUM_SD), d->sd_us);
        piece(&t, txw(TX_PLOT_SUM_STABILITY), d->stability_pct);
    }
    if (d->n > 0 && clock && clock->refusal == REPORT_CLOCK_OK) {
        piece(&t, txw(TX_PLOT_SUM_CLOCK), clock->period_us);
    } else if (d->n > 0 && clock) {
        wchar_t why[REPORT_CLOCK_REFUSAL_BYTES];
        report_clock_refusal_text_w(clock, why, REPORT_CLOCK_REFUSAL_BYTES);
        piece(&t, txw(TX_PLOT_SUM_NO_CLOCK), why);
    }
    if (wrapped)
        piece(&t, txw(TX_PLOT_SUM_WRAPPED), span_s);
    if (failed)
        piece(&t, txw(TX_PLOT_SUM_FAILED));
    return (int)t.len;
}

int plot_picture_info(wchar_t* out, size_t cap, const wchar_t* device, bool saved_run, const PlotStamp* when) {
    WideBuf t = text_buf(out, cap);
    piece(&t, L"Quorvin %ls", QUORVIN_VERSION_WIDE);
    piece(&t, L"%ls", device);
    if (!when->known) {
        piece(&t, L"%ls", txw(TX_PLOT_INFO_NO_DATE));
        return (int)t.len;
    }
    const int offset = when->utc_offset_min < 0 ? -when->utc_offset_min : when->utc_offset_min;
    wchar_t date[64];
    swprintf(date, 64, L"%04d-%02d-%02d %02d:%02d:%02d UTC%ls%02d:%02d", when->year, when->month, when->day,
             when->hour, when->minute, when->second, when->utc_offset_min < 0 ? L"-" : L"+", offset / 60,
             offset % 60);
    piece(&t, txw(saved_run ? TX_PLOT_INFO_MEASURED : TX_PLOT_INFO_SAVED), date);
    return (int)t.len;
}
