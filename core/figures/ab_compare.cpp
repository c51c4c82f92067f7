// Two runs compared: each streamed into per-second summaries on a fine grid,
// then resampled block by block. A resample's figures are read from a few
// windows of slots about the full run's percentiles and band edges, where
// they nearly always fall, so a resample costs the blocks' entries inside the
// windows, not every entry; one that falls outside is merged in full.
#include "core/figures/ab_compare.h"

#include <math.h>
#include <string.h>

#include <algorithm>

#include "core/figures/distribution.h"
#include "core/figures/gap_rule.h"
#include "core/heap.h"

const AbBootstrap kAbBootstrap = {AB_RESAMPLES, kAbSeed, false};
const char* const kAbFigureKey[AB_FIGURES] = {"median_hz", "p1_hz", "p99_us", "sd_us", "stability",
                                              "clock_us"};

enum {
    GRID_PER_US = 16,
    GRID_FIRST = kGapShortestWholeUs * GRID_PER_US,
    GRID_BINS = (kGapLongestWholeUs - kGapShortestWholeUs) * GRID_PER_US + 1,
    GRID_PAGES = (GRID_BINS + AB_BIN_PAGE - 1) / AB_BIN_PAGE,
    ENTRY_SLOT_BITS = 20,
    ENTRY_MAX_COUNT = (1 << (32 - ENTRY_SLOT_BITS)) - 1,
};
static_assert(GRID_BINS <= (1 << ENTRY_SLOT_BITS), "a slot fits an entry");
// How many standard deviations of a resample's rank a window spans each side.
static const double kWindowSds = 6.0;

// An accepted interval's bin; GRID_BINS for a value the rule would not accept.
static uint32_t grid_bin(double us) {
    if (!(us >= kGapShortestUs && us <= kGapLongestUs))
        return GRID_BINS;
    return (uint32_t)(us * GRID_PER_US) - GRID_FIRST;
}

static uint32_t entry_slot(uint32_t e) { return e & ((1u << ENTRY_SLOT_BITS) - 1); }
static uint32_t entry_count(uint32_t e) { return e >> ENTRY_SLOT_BITS; }

static bool grow(void** p, size_t* cap, size_t need, size_t size) {
    if (need <= *cap)
        return true;
    size_t cap2 = *cap ? *cap : 256;
    while (cap2 < need)
        cap2 *= 2;
    void* q = heap_realloc(*p, cap2 * size);
    if (!q)
        return false;
    *p = q;
    *cap = cap2;
    return true;
}

// Whether the corner b (after a) stops being one when c follows: it lies on
// or above the chord from a to c. The clock's own hull asks the same.
static bool not_below(AbCorner a, AbCorner b, AbCorner c) {
    return (b.y - a.y) * (c.x - a.x) >= (c.y - a.y) * (b.x - a.x);
}

// --- Streaming -------------------------------------------------------------------

static void clock_point(void* to, double x, double y);

void ab_run_init(AbRun* r) {
    memset(r, 0, sizeof *r);
    report_clock_init(&r->clock);
    r->clock.sink = ReportClockSink{clock_point, r};
    r->pages = (AbBin**)heap_alloc(GRID_PAGES * sizeof(AbBin*));
    if (r->pages)
        memset(r->pages, 0, GRID_PAGES * sizeof(AbBin*));
    r->failed = !r->pages;
}

static AbBin* bin_at(AbRun* r, uint32_t bin) {
    if (bin >= GRID_BINS)
        return nullptr;
    AbBin** page = &r->pages[bin / AB_BIN_PAGE];
    if (!*page) {
        *page = (AbBin*)heap_alloc(AB_BIN_PAGE * sizeof(AbBin));
        if (!*page)
            return nullptr;
        for (int i = 0; i < AB_BIN_PAGE; i++)
            (*page)[i] = AbBin{INFINITY, -INFINITY, 0, 0};
    }
    return &(*page)[bin % AB_BIN_PAGE];
}

// A point of the clock's fit, to the block it was made in: the open one, or
// after the run was cut short the last kept (a finishing clock places its
// pending reports). The block's corners are the last in the list.
static void clock_point(void* to, double x, double y) {
    AbRun* r = (AbRun*)to;
    AbBlock* b = r->open || r->block_n == 0 ? &r->current : &r->blocks[r->block_n - 1];
    b->points++;
    b->slot_sum += x;
    const AbCorner p = {x, y};
    uint32_t n = b->corners;
    const AbCorner* c = r->corners + b->corner_first;
    while (n >= 2 && not_below(c[n - 2], c[n - 1], p))
        n--;
    if (!grow((void**)&r->corners, &r->corner_cap, b->corner_first + n + 1, sizeof(AbCorner))) {
        r->failed = true;
        return;
    }
    r->corners[b->corner_first + n] = p;
    b->corners = n + 1;
    r->corner_n = b->corner_first + b->corners;
}

// A restarted clock made its points so far against a line it dropped.
static void drop_clock_points(AbRun* r) {
    for (uint32_t k = 0; k < r->block_n; k++) {
        r->blocks[k].corner_first = r->blocks[k].corners = r->blocks[k].points = 0;
        r->blocks[k].slot_sum = 0;
    }
    r->current.corner_first = r->current.corners = r->current.points = 0;
    r->current.slot_sum = 0;
    r->corner_n = 0;
}

static void clock_add(AbRun* r, double t_us) {
    const bool locked = r->clock.locked;
    report_clock_add(&r->clock, t_us);
    if (locked && !r->clock.locked)
        drop_clock_points(r);
}

// Stores the open block: its touched bins in rising order, each with its
// count (split over entries when above what one holds).
static void close_block(AbRun* r) {
    AbBlock* blk = &r->current;
    std::sort(r->touched, r->touched + r->touched_n);
    blk->first = (uint32_t)r->entry_n;
    for (uint32_t i = 0; i < r->touched_n && !r->failed; i++) {
        const uint32_t bin = r->touched[i];
        for (uint32_t left = r->pages[bin / AB_BIN_PAGE][bin % AB_BIN_PAGE].count; left > 0;) {
            const uint32_t c = left < (uint32_t)ENTRY_MAX_COUNT ? left : (uint32_t)ENTRY_MAX_COUNT;
            if (!grow((void**)&r->entries, &r->entry_cap, r->entry_n + 1, sizeof(uint32_t))) {
                r->failed = true;
                break;
            }
            r->entries[r->entry_n++] = bin | c << ENTRY_SLOT_BITS;
            left -= c;
        }
    }
    blk->count = (uint32_t)(r->entry_n - blk->first);
    size_t cap = r->block_cap;
    if (!r->failed && grow((void**)&r->blocks, &cap, r->block_n + 1, sizeof(AbBlock)))
        r->blocks[r->block_n++] = *blk;
    else
        r->failed = true;
    r->block_cap = (uint32_t)cap;
    memset(blk, 0, sizeof *blk);
    blk->corner_first = (uint32_t)r->corner_n;
    r->touched_n = 0;
}

static void count_interval(AbRun* r, int64_t ticks, double us, double ticks_per_second) {
    if (r->gaps.units_per_second != ticks_per_second)
        gap_histogram_init_ticks(&r->gaps, ticks_per_second);
    gap_histogram_add(&r->gaps, ticks);
    if (!r->shifted) {
        r->shift = us;
        r->shifted = true;
    }
    const uint32_t bin = grid_bin(us);
    AbBin* b = bin_at(r, bin);
    if (!b) {
        r->failed = true;
        return;
    }
    if (b->stamp != r->block_n + 1) {
        b->stamp = r->block_n + 1;
        b->count = 0;
        r->touched[r->touched_n++] = bin;
    }
    b->count++;
    b->lo = us < b->lo ? us : b->lo;
    b->hi = us > b->hi ? us : b->hi;
    const double d = us - r->shift;
    r->current.n++;
    r->current.sum += d;
    r->current.squares += d * d;
}

// Moves to the block of time t; false when the run holds all it may.
static bool enter_block(AbRun* r, double t) {
    const int64_t index = (int64_t)floor((t - r->first_t) / AB_BLOCK_US);
    // A second of many distinct intervals cannot fill the list; if it ever
    // did, its block would close early and the second go on in another.
    if (index == r->block_index && r->touched_n < AB_BLOCK_MAX_INTERVALS)
        return true;
    close_block(r);
    r->block_index = index;
    if (r->block_n < AB_MAX_BLOCKS)
        return true;
    r->open = false;
    r->truncated = true;
    return false;
}

void ab_run_add(AbRun* r, double t_us, ArrivalClass cls, int64_t ticks, double ticks_per_second) {
    if (r->failed || r->truncated)
        return;
    if (!r->started) {
        r->started = r->open = true;
        r->first_t = r->last_t = t_us;
        r->last_ticks = ticks;
        r->reports = 1;
        clock_add(r, t_us);
        return;
    }
    if (!(t_us >= r->last_t))
        t_us = r->last_t;  // a block never goes back
    if (!enter_block(r, t_us))
        return;
    r->reports++;
    clock_add(r, t_us);
    const int64_t units = ticks - r->last_ticks;
    r->last_t = t_us;
    r->last_ticks = ticks;
    switch (cls) {
    case ARRIVAL_ACCEPTED:
        count_interval(r, units, ticks_to_us(units, ticks_per_second), ticks_per_second);
        break;
    case ARRIVAL_COALESCED: r->coalesced++; break;
    case ARRIVAL_PAUSE: r->pauses++; break;
    case ARRIVAL_FIRST: break;  // a record's first report comes first
    }
}

// --- Figures from counts ---------------------------------------------------------

// The first slot in [from, to) at which the count, starting from below, reaches rank; to if none.
static uint32_t slot_at_rank(const uint64_t* counts, uint32_t from, uint32_t to, uint64_t below,
                             uint64_t rank) {
    for (uint32_t s = from; s < to; s++) {
        below += counts[s - from];
        if (below >= rank)
            return s;
    }
    return to;
}

// The band stability counts: |v - m| <= 10 % of m, as distribution_of tests it.
static uint32_t band_first(const double* values, uint32_t n, double m) {
    return (uint32_t)(std::partition_point(values, values + n,
                                           [m](double v) { return v < m && fabs(v - m) > 0.1 * m; }) -
                      values);
}
static uint32_t band_end(const double* values, uint32_t n, double m) {
    return (uint32_t)(std::partition_point(values, values + n,
                                           [m](double v) { return !(v > m && fabs(v - m) > 0.1 * m); }) -
                      values);
}

static double sd_of(uint64_t n, double sum, double squares) {
    const double mean = sum / (double)n, var = squares / (double)n - mean * mean;
    return var > 0 ? sqrt(var) : 0;
}

static void fill_figures(const AbRun* r, uint32_t med, uint32_t p99, uint64_t stable, uint64_t n,
                         double sum, double squares, AbFigures* f) {
    f->n = n;
    f->v[AB_MEDIAN_HZ] = rate_at(r->values[med]);
    f->v[AB_P99_US] = r->values[p99];
    f->v[AB_P1_HZ] = rate_at(r->values[p99]);
    f->v[AB_SD_US] = sd_of(n, sum, squares);
    f->v[AB_STABILITY] = 100.0 * (double)stable / (double)n;
}

// Figures from a count per slot of the whole grid.
static void figures_of_counts(const AbRun* r, const uint64_t* counts, uint64_t n, double sum,
                              double squares, AbFigures* f) {
    const uint32_t med = slot_at_rank(counts, 0, r->slot_n, 0, nearest_rank(500, n));
    const uint32_t p99 = slot_at_rank(counts, 0, r->slot_n, 0, nearest_rank(990, n));
    const double m = r->values[med];
    uint64_t stable = 0;
    for (uint32_t s = band_first(r->values, r->slot_n, m); s < band_end(r->values, r->slot_n, m); s++)
        stable += counts[s];
    fill_figures(r, med, p99, stable, n, sum, squares, f);
}

// The clock's period from the blocks drawn (weight: how often each), as the
// clock takes it from all its points: the edge of their lower hull over their
// mean slot, against its base line. The hull is built in chain, the corners
// of every block drawn in turn (the lower hull of the blocks' hulls).
static bool clock_period(const AbRun* r, const uint32_t* weight, AbCorner* chain, double* period) {
    double slots = 0, points = 0;
    uint32_t n = 0;
    for (uint32_t k = 0; k < r->block_n; k++) {
        const AbBlock* b = &r->blocks[k];
        if (!weight[k])
            continue;
        slots += weight[k] * b->slot_sum;
        points += weight[k] * b->points;
        for (uint32_t i = 0; i < b->corners; i++) {
            const AbCorner p = r->corners[b->corner_first + i];
            while (n >= 2 && not_below(chain[n - 2], chain[n - 1], p))
                n--;
            chain[n++] = p;
        }
    }
    if (points < REPORT_CLOCK_FIT_POINTS || n < 2)
        return false;
    const double xm = slots / points;
    uint32_t i = 0;
    while (i + 2 < n && chain[i + 1].x < xm)
        i++;
    *period = r->clock.base.period_us + (chain[i + 1].y - chain[i].y) / (chain[i + 1].x - chain[i].x);
    return true;
}

// --- Finishing a run -------------------------------------------------------------

// The used bins in rising order become slots; each bin's stamp now names its
// slot, and every entry its slot instead of its bin.
static bool make_slots(AbRun* r) {
    uint32_t used = 0;
    for (uint32_t p = 0; p < GRID_PAGES; p++)
        for (uint32_t i = 0; r->pages[p] && i < AB_BIN_PAGE; i++)
            used += r->pages[p][i].lo <= r->pages[p][i].hi;
    r->bins = (uint32_t*)heap_alloc((used + 1) * sizeof(uint32_t));
    r->values = (double*)heap_alloc((used + 1) * sizeof(double));
    r->counts = (uint64_t*)heap_alloc((used + 1) * sizeof(uint64_t));
    if (!r->bins || !r->values || !r->counts)
        return false;
    r->slot_n = 0;
    for (uint32_t p = 0; p < GRID_PAGES; p++) {
        for (uint32_t i = 0; r->pages[p] && i < AB_BIN_PAGE; i++) {
            AbBin* b = &r->pages[p][i];
            if (b->lo > b->hi)
                continue;
            r->bins[r->slot_n] = p * AB_BIN_PAGE + i;
            r->values[r->slot_n] = b->lo + (b->hi - b->lo) / 2;
            r->counts[r->slot_n] = 0;
            b->stamp = r->slot_n++;
        }
    }
    for (size_t e = 0; e < r->entry_n; e++) {
        const uint32_t bin = entry_slot(r->entries[e]), c = entry_count(r->entries[e]);
        const uint32_t slot = r->pages[bin / AB_BIN_PAGE][bin % AB_BIN_PAGE].stamp;
        r->entries[e] = slot | c << ENTRY_SLOT_BITS;
        r->counts[slot] += c;
    }
    return true;
}

// Intervals of the block in slots under slot.
static uint32_t block_below(const AbRun* r, const AbBlock* b, uint32_t slot, uint32_t* at) {
    uint32_t below = 0, e = 0;
    for (; e < b->count && entry_slot(r->entries[b->first + e]) < slot; e++)
        below += entry_count(r->entries[b->first + e]);
    if (at)
        *at = e;
    return below;
}

// The slots about the percentile at tenths where a resample's percentile
// falls unless its rank strays kWindowSds deviations: the deviation from the
// spread, over blocks, of how many of a block's intervals lie under it.
static AbWindow percentile_window(const AbRun* r, int tenths) {
    const uint64_t n = r->figures.n, rank = nearest_rank(tenths, n);
    const uint32_t at = slot_at_rank(r->counts, 0, r->slot_n, 0, rank);
    double squares = 0;
    for (uint32_t k = 0; k < r->block_n; k++) {
        const AbBlock* b = &r->blocks[k];
        const double off = block_below(r, b, at, nullptr) - tenths / 1000.0 * b->n;
        squares += off * off;
    }
    const double half = kWindowSds * sqrt(squares) + 2;
    const uint64_t lo = (double)rank > half ? rank - (uint64_t)half : 1;
    const uint64_t hi = rank + (uint64_t)half < n ? rank + (uint64_t)half : n;
    return AbWindow{slot_at_rank(r->counts, 0, r->slot_n, 0, lo),
                    slot_at_rank(r->counts, 0, r->slot_n, 0, hi) + 1};
}

static void make_windows(AbRun* r) {
    AbWindow* w = r->window;
    w[AB_WINDOW_MEDIAN] = percentile_window(r, 500);
    w[AB_WINDOW_P99] = percentile_window(r, 990);
    const double m_lo = r->values[w[AB_WINDOW_MEDIAN].lo], m_hi = r->values[w[AB_WINDOW_MEDIAN].hi - 1];
    w[AB_WINDOW_BAND_LOW] = AbWindow{band_first(r->values, r->slot_n, m_lo),
                                     band_first(r->values, r->slot_n, m_hi)};
    w[AB_WINDOW_BAND_HIGH] = AbWindow{band_end(r->values, r->slot_n, m_lo),
                                      band_end(r->values, r->slot_n, m_hi)};
    for (uint32_t k = 0; k < r->block_n; k++) {
        AbBlock* b = &r->blocks[k];
        for (int i = 0; i < AB_WINDOWS; i++) {
            b->below[i] = block_below(r, b, w[i].lo, &b->from[i]);
            block_below(r, b, w[i].hi, &b->to[i]);
        }
    }
}

static void free_pages(AbRun* r) {
    if (!r->pages)
        return;
    for (uint32_t p = 0; p < GRID_PAGES; p++)
        heap_free(r->pages[p]);
    heap_free(r->pages);
    r->pages = nullptr;
}

// The run's own figures: the record's distribution and report clock.
static void run_figures(AbRun* r) {
    const Distribution* d = &r->distribution;
    AbFigures* f = &r->figures;
    f->n = d->n;
    if (f->n) {
        f->v[AB_MEDIAN_HZ] = rate_at(d->pct_us[PCT_50]);
        f->v[AB_P1_HZ] = rate_at(d->pct_us[PCT_99]);
        f->v[AB_P99_US] = d->pct_us[PCT_99];
        f->v[AB_SD_US] = d->sd_us;
        f->v[AB_STABILITY] = d->stability_pct;
    }
    f->has_clock = r->clock_figures.refusal == REPORT_CLOCK_OK;
    f->v[AB_CLOCK_US] = f->has_clock ? r->clock_figures.period_us : 0;
    // Until it has the points, the clock's period is its first reports' line;
    // a hull that dropped corners gives a chord.
    f->clock_unsampled = f->has_clock && (r->clock.hull.points < REPORT_CLOCK_FIT_POINTS ||
                                          r->clock.hull.dropped);
}

bool ab_run_finish(AbRun* r) {
    if (r->started) {
        report_clock_finish(&r->clock, &r->clock_figures);
        if (r->open)
            close_block(r);
        r->open = false;
    }
    distribution_of_histogram(&r->gaps, &r->distribution);
    gap_histogram_free(&r->gaps);
    if ((!r->failed && r->pages && !make_slots(r)) || r->distribution.failed)
        r->failed = true;
    free_pages(r);
    if (r->failed)
        return false;
    run_figures(r);
    if (r->figures.n)
        make_windows(r);
    return true;
}

void ab_run_free(AbRun* r) {
    free_pages(r);
    report_clock_free(&r->clock);
    gap_histogram_free(&r->gaps);
    heap_free(r->blocks);
    heap_free(r->corners);
    heap_free(r->entries);
    heap_free(r->bins);
    heap_free(r->values);
    heap_free(r->counts);
    r->blocks = nullptr;
    r->corners = nullptr;
    r->entries = r->bins = nullptr;
    r->values = nullptr;
    r->counts = nullptr;
}

// --- Resampling ------------------------------------------------------------------

// What one run's resamples work in.
struct Resampler {
    uint32_t* weight;               // draws of each block
    uint64_t* window[AB_WINDOWS];   // counts per slot of each window
    uint64_t* full;                 // counts per slot, for a full merge
    AbCorner* chain;                // the clock's hull of the drawn blocks
};

// A resample's blocks merged.
struct Merged {
    uint64_t n;
    double sum, squares;
    uint64_t below[AB_WINDOWS];
};

static uint64_t next_random(uint64_t* state) {  // splitmix64
    uint64_t z = (*state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

static bool resampler_make(const AbRun* r, Resampler* s) {
    memset(s, 0, sizeof *s);
    s->weight = (uint32_t*)heap_alloc(r->block_n * sizeof(uint32_t) + 1);
    s->full = (uint64_t*)heap_alloc(r->slot_n * sizeof(uint64_t) + 1);
    s->chain = (AbCorner*)heap_alloc(r->corner_n * sizeof(AbCorner) + 1);
    bool ok = s->weight && s->full && s->chain;
    for (int i = 0; i < AB_WINDOWS; i++) {
        s->window[i] = (uint64_t*)heap_alloc((r->window[i].hi - r->window[i].lo) * sizeof(uint64_t) + 1);
        ok = ok && s->window[i];
    }
    return ok;
}

static void resampler_free(Resampler* s) {
    heap_free(s->weight);
    heap_free(s->full);
    heap_free(s->chain);
    for (int i = 0; i < AB_WINDOWS; i++)
        heap_free(s->window[i]);
}

// Draws as many blocks as the run has, with replacement, and merges them:
// the sums always, the windows' counts when asked.
static void merge_draw(const AbRun* r, Resampler* s, uint64_t* rng, bool windows, Merged* m) {
    memset(m, 0, sizeof *m);
    memset(s->weight, 0, r->block_n * sizeof(uint32_t));
    for (uint32_t i = 0; i < r->block_n; i++)
        s->weight[(uint32_t)(((next_random(rng) >> 32) * r->block_n) >> 32)]++;
    for (int i = 0; windows && i < AB_WINDOWS; i++)
        memset(s->window[i], 0, (r->window[i].hi - r->window[i].lo) * sizeof(uint64_t));
    for (uint32_t k = 0; k < r->block_n; k++) {
        const uint32_t w = s->weight[k];
        const AbBlock* b = &r->blocks[k];
        if (!w)
            continue;
        m->n += (uint64_t)w * b->n;
        m->sum += w * b->sum;
        m->squares += w * b->squares;
        for (int i = 0; windows && i < AB_WINDOWS; i++) {
            m->below[i] += (uint64_t)w * b->below[i];
            for (uint32_t e = b->from[i]; e < b->to[i]; e++) {
                const uint32_t x = r->entries[b->first + e];
                s->window[i][entry_slot(x) - r->window[i].lo] += (uint64_t)w * entry_count(x);
            }
        }
    }
}

static bool window_rank(AbWindow w, const uint64_t* counts, uint64_t below, uint64_t rank,
                        uint32_t* slot) {
    if (rank <= below)
        return false;
    *slot = slot_at_rank(counts, w.lo, w.hi, below, rank);
    return *slot < w.hi;
}

// Intervals in slots under slot, when slot is at or inside the window's ends.
static bool window_count(AbWindow w, const uint64_t* counts, uint64_t below, uint32_t slot,
                         uint64_t* out) {
    if (slot < w.lo || slot > w.hi)
        return false;
    for (uint32_t s = w.lo; s < slot; s++)
        below += counts[s - w.lo];
    *out = below;
    return true;
}

// The resample's figures from its windows; false when one falls outside them.
static bool windowed_figures(const AbRun* r, const Resampler* s, const Merged* m, AbFigures* f) {
    const AbWindow* w = r->window;
    uint32_t med, p99;
    if (!window_rank(w[AB_WINDOW_MEDIAN], s->window[AB_WINDOW_MEDIAN], m->below[AB_WINDOW_MEDIAN],
                     nearest_rank(500, m->n), &med) ||
        !window_rank(w[AB_WINDOW_P99], s->window[AB_WINDOW_P99], m->below[AB_WINDOW_P99],
                     nearest_rank(990, m->n), &p99))
        return false;
    const double v = r->values[med];
    uint64_t under, within;
    if (!window_count(w[AB_WINDOW_BAND_LOW], s->window[AB_WINDOW_BAND_LOW],
                      m->below[AB_WINDOW_BAND_LOW], band_first(r->values, r->slot_n, v), &under) ||
        !window_count(w[AB_WINDOW_BAND_HIGH], s->window[AB_WINDOW_BAND_HIGH],
                      m->below[AB_WINDOW_BAND_HIGH], band_end(r->values, r->slot_n, v), &within))
        return false;
    fill_figures(r, med, p99, within - under, m->n, m->sum, m->squares, f);
    return true;
}

// The drawn blocks' every entry merged: the slow way, always right.
static void full_figures(const AbRun* r, Resampler* s, const Merged* m, AbFigures* f) {
    memset(s->full, 0, r->slot_n * sizeof(uint64_t));
    for (uint32_t k = 0; k < r->block_n; k++) {
        const AbBlock* b = &r->blocks[k];
        for (uint32_t e = 0; s->weight[k] && e < b->count; e++) {
            const uint32_t x = r->entries[b->first + e];
            s->full[entry_slot(x)] += (uint64_t)s->weight[k] * entry_count(x);
        }
    }
    figures_of_counts(r, s->full, m->n, m->sum, m->squares, f);
}

// One resample of a run; counts the resamples merged in full.
static void resample(const AbRun* r, Resampler* s, uint64_t* rng, bool full_merge, AbFigures* f,
                     uint32_t* full_merges) {
    Merged m;
    merge_draw(r, s, rng, !full_merge, &m);
    *f = r->figures;  // when no drawn block holds an interval
    if (m.n && (full_merge || !windowed_figures(r, s, &m, f))) {
        full_figures(r, s, &m, f);
        *full_merges += !full_merge;
    }
    double period;
    if (f->has_clock && !f->clock_unsampled && clock_period(r, s->weight, s->chain, &period))
        f->v[AB_CLOCK_US] = period;
}

// The 95 % percentile interval of the sorted differences, by nearest rank.
static void interval_of(double* d, uint32_t n, AbInterval* out) {
    std::sort(d, d + n);
    out->lo = d[nearest_rank(25, n) - 1];
    out->hi = d[nearest_rank(975, n) - 1];
}

static bool bootstrap(const AbRun* a, const AbRun* b, const AbBootstrap* how, AbComparison* out) {
    const uint32_t n = how->resamples;
    double* diffs = (double*)heap_alloc((size_t)AB_FIGURES * n * sizeof(double) + 1);
    Resampler ra, rb;
    const bool made_a = resampler_make(a, &ra), made_b = resampler_make(b, &rb);
    const bool made = made_a && made_b;
    if (made && diffs && n > 0) {
        uint64_t rng = how->seed;
        AbFigures fa, fb;
        for (uint32_t i = 0; i < n; i++) {
            resample(a, &ra, &rng, how->full_merge, &fa, &out->full_merges);
            resample(b, &rb, &rng, how->full_merge, &fb, &out->full_merges);
            for (int f = 0; f < AB_FIGURES; f++)
                diffs[f * n + i] = fb.v[f] - fa.v[f];
        }
        for (int f = 0; f < AB_FIGURES; f++)
            interval_of(diffs + f * n, n, &out->d[f]);
    }
    resampler_free(&ra);
    resampler_free(&rb);
    heap_free(diffs);
    return made && diffs;
}

// Both runs have a period that their resamples take.
static bool clocks_compared(const AbFigures* a, const AbFigures* b) {
    return a->has_clock && b->has_clock && !a->clock_unsampled && !b->clock_unsampled;
}

bool ab_compare(const AbRun* a, const AbRun* b, const AbBootstrap* how, AbComparison* out) {
    memset(out, 0, sizeof *out);
    out->a = a->figures;
    out->b = b->figures;
    out->blocks_a = a->block_n;
    out->blocks_b = b->block_n;
    out->resamples = how->resamples;
    for (int f = 0; f < AB_FIGURES; f++)
        out->d[f].diff = b->figures.v[f] - a->figures.v[f];
    out->failed = a->failed || b->failed;
    if (!out->failed && a->figures.n && b->figures.n)
        out->failed = !bootstrap(a, b, how, out);
    if (!clocks_compared(&a->figures, &b->figures))
        out->d[AB_CLOCK_US] = AbInterval{0, 0, 0};
    ab_verdict_of(out);
    return !out->failed;
}

// --- The verdict -----------------------------------------------------------------

// The smallest change named, per figure: rates and intervals 0.5 %, the
// deviation 10 %, stability 1 point (absolute).
static const double kThreshold[AB_FIGURES] = {0.5, 0.5, 0.5, 10, 1, 0.5};

static void verdict_runs(AbComparison* c, AbVerdict* v) {
    if (c->failed) {
        v->why = AB_VERDICT_NO_MEMORY;
    } else if (!c->a.n || !c->b.n) {
        v->why = AB_VERDICT_NO_INTERVALS;
        v->short_run = c->a.n ? 'B' : 'A';
    } else if (c->blocks_a < AB_MIN_BLOCKS || c->blocks_b < AB_MIN_BLOCKS) {
        v->why = AB_VERDICT_FEW_BLOCKS;
        v->short_run = c->blocks_a < AB_MIN_BLOCKS ? 'A' : 'B';
        v->short_blocks = c->blocks_a < AB_MIN_BLOCKS ? c->blocks_a : c->blocks_b;
    }
}

void ab_verdict_of(AbComparison* c) {
    AbVerdict* v = &c->verdict;
    memset(v, 0, sizeof *v);
    verdict_runs(c, v);
    const bool resampled = !c->failed && c->a.n && c->b.n;
    for (int f = 0; f < AB_FIGURES; f++) {
        const AbInterval* d = &c->d[f];
        const double a = c->a.v[f];
        v->compared[f] = resampled && (f != AB_CLOCK_US || clocks_compared(&c->a, &c->b));
        v->change[f] = f == AB_STABILITY ? d->diff
                       : a != 0          ? 100 * d->diff / a
                       : d->diff == 0    ? 0
                                         : copysign(INFINITY, d->diff);
        v->differs[f] = v->why == AB_VERDICT_GIVEN && v->compared[f] && (d->lo > 0 || d->hi < 0) &&
                        fabs(v->change[f]) > kThreshold[f];
    }
}
