// Counting gaps by value: pages of counters made on first use, the
// distribution read back in two walks over the span that holds counts, and
// the reader's copy that follows a histogram counted on another thread.
#include "core/figures/gap_histogram.h"

#include <math.h>
#include <string.h>

#include "core/figures/gap_rule.h"
#include "core/heap.h"

static const uint32_t kPageBins = 1u << GAP_HISTOGRAM_PAGE_SHIFT;

GapTicks gap_ticks_for(double f) {
    GapTicks t = {1, 0};  // empty: no counter, no accepted gap
    if (!(f > 0) || !(f < 1e15))
        return t;
    // Start from the arithmetic estimate, then settle on the exact edges of
    // the double-valued rule, which rounding may shift by a tick.
    t.shortest = (int64_t)ceil(kGapShortestUs * f / 1000000.0);
    while (t.shortest > 0 && gap_kind(ticks_to_us(t.shortest - 1, f)) == GAP_ACCEPTED)
        t.shortest--;
    // A counter so slow that one tick is already a pause accepts no gap.
    for (GapKind k; (k = gap_kind(ticks_to_us(t.shortest, f))) != GAP_ACCEPTED; t.shortest++) {
        if (k == GAP_PAUSE)
            return GapTicks{1, 0};
    }
    t.longest = (int64_t)floor(kGapLongestUs * f / 1000000.0);
    while (gap_kind(ticks_to_us(t.longest + 1, f)) == GAP_ACCEPTED)
        t.longest++;
    while (t.longest >= t.shortest && gap_kind(ticks_to_us(t.longest, f)) != GAP_ACCEPTED)
        t.longest--;
    return t;
}

static void free_pages(GapHistogram* h) {
    for (uint32_t p = 0; h->pages && p < h->page_count; p++)
        heap_free(h->pages[p]);
    heap_free(h->pages);
}

// What a reader reads from: the copy, and the notes taken under the lock.
struct GapHistogramCopy {
    GapHistogram h;
    bool exact;  // h is the followed histogram as it was at h.n: its notes since bring it level
    uint32_t taken[GAP_HISTOGRAM_NOTES];
};

void gap_histogram_free(GapHistogram* h) {
    free_pages(h);
    if (h->reader_copy) {
        gap_histogram_free(&h->reader_copy->h);
        heap_free(h->reader_copy);
    }
    heap_free(h->notes);
    memset(h, 0, sizeof *h);
}

void gap_histogram_init(GapHistogram* h, int64_t shortest, int64_t longest, double units_per_second) {
    // The reader's copy and the notes stay: the reader may be reading them
    // now, and the new generation tells it to start over.
    free_pages(h);
    GapHistogramCopy* const copy = h->reader_copy;
    uint32_t* const notes = h->notes;
    const uint64_t generation = h->generation + 1;
    memset(h, 0, sizeof *h);
    h->reader_copy = copy;
    h->notes = notes;
    h->generation = generation;
    h->shortest = shortest;
    h->units_per_second = units_per_second;
    h->units_per_bin = 1;
    if (longest < shortest)
        return;  // no bins: every gap is ignored
    const int64_t values = longest - shortest + 1;
    if (values > GAP_HISTOGRAM_MAX_BINS)
        h->units_per_bin = (values + GAP_HISTOGRAM_MAX_BINS - 1) / GAP_HISTOGRAM_MAX_BINS;
    h->bins = (uint32_t)((values + h->units_per_bin - 1) / h->units_per_bin);
    h->page_count = (h->bins + kPageBins - 1) / kPageBins;
}

void gap_histogram_init_us_range(GapHistogram* h, int64_t shortest, int64_t longest) {
    gap_histogram_init(h, shortest, longest, 1000000.0);
    h->whole_us = true;
}

void gap_histogram_init_us(GapHistogram* h) {
    gap_histogram_init_us_range(h, kGapShortestWholeUs, kGapLongestWholeUs);
}

void gap_histogram_init_ticks(GapHistogram* h, double ticks_per_second) {
    GapTicks t = gap_ticks_for(ticks_per_second);
    gap_histogram_init(h, t.shortest, t.longest, ticks_per_second);
}

// The pages' table and their totals, in one block.
static bool make_table(GapHistogram* h) {
    if (h->pages)
        return true;
    const size_t bytes = (sizeof(uint64_t*) + sizeof(uint64_t)) * h->page_count;
    h->pages = (uint64_t**)heap_alloc(bytes);
    if (!h->pages)
        return false;
    memset(h->pages, 0, bytes);
    h->page_n = (uint64_t*)(h->pages + h->page_count);
    return true;
}

static uint64_t* page_for(GapHistogram* h, uint32_t page) {
    if (!make_table(h))
        return NULL;
    if (!h->pages[page]) {
        h->pages[page] = (uint64_t*)heap_alloc(sizeof(uint64_t) * kPageBins);
        if (h->pages[page])
            memset(h->pages[page], 0, sizeof(uint64_t) * kPageBins);
    }
    return h->pages[page];
}

void gap_histogram_add_any(GapHistogram* h, int64_t units) { gap_histogram_add_count(h, units, 1); }

void gap_histogram_add_count(GapHistogram* h, int64_t units, uint64_t count) {
    if (count == 0 || units < h->shortest || h->bins == 0 || h->failed)
        return;
    const int64_t offset = h->units_per_bin == 1 ? units - h->shortest
                                                 : (units - h->shortest) / h->units_per_bin;
    if (offset >= (int64_t)h->bins)
        return;
    const uint32_t bin = (uint32_t)offset;
    uint64_t* page = page_for(h, bin >> GAP_HISTOGRAM_PAGE_SHIFT);
    if (!page) {
        h->failed = true;
        return;
    }
    page[bin & (kPageBins - 1)] += count;
    h->page_n[bin >> GAP_HISTOGRAM_PAGE_SHIFT] += count;
    // More than the notes keep sends a reader's copy to the pages.
    for (uint64_t i = 0; h->notes && i < count && i < GAP_HISTOGRAM_NOTES; i++)
        h->notes[(h->n + i) & (GAP_HISTOGRAM_NOTES - 1)] = bin;
    if (h->n == 0 || bin < h->lowest_bin)
        h->lowest_bin = bin;
    if (h->n == 0 || bin > h->highest_bin)
        h->highest_bin = bin;
    h->n += count;
}

bool gap_histogram_copy(GapHistogram* to, const GapHistogram* from) {
    gap_histogram_free(to);
    *to = *from;
    to->pages = NULL;
    to->page_n = NULL;
    to->notes = NULL;
    to->reader_copy = NULL;
    if (!from->pages)
        return true;
    for (uint32_t p = 0; p < from->page_count; p++) {
        if (!from->pages[p])
            continue;
        uint64_t* page = page_for(to, p);
        if (!page) {
            to->failed = true;
            return false;
        }
        memcpy(page, from->pages[p], sizeof(uint64_t) * kPageBins);
        to->page_n[p] = from->page_n[p];
    }
    return true;
}

void gap_histogram_clear(GapHistogram* h) {
    for (uint32_t p = 0; h->pages && p < h->page_count; p++) {
        if (h->pages[p])
            memset(h->pages[p], 0, sizeof(uint64_t) * kPageBins);
        h->page_n[p] = 0;
    }
    h->n = 0;
    h->failed = false;
    h->generation++;
}

double gap_histogram_value_us(const GapHistogram* h, int64_t units) {
    // Ticks of a 1 MHz counter go through the same conversion as every live
    // gap, so a tick histogram shows exactly what the live figures show.
    if (h->whole_us)
        return (double)units;
    return ticks_to_us(units, h->units_per_second);
}

static double bin_value_us(const GapHistogram* h, uint32_t bin) {
    const int64_t units = h->shortest + (int64_t)bin * h->units_per_bin + (h->units_per_bin - 1) / 2;
    return gap_histogram_value_us(h, units);
}

// Calls visit(value_us, count) for every bin with counts, in rising order.
template <typename Visit>
static void for_each_bin(const GapHistogram* h, Visit visit) {
    uint32_t bin = h->lowest_bin;
    while (bin <= h->highest_bin) {
        const uint64_t* page = h->pages[bin >> GAP_HISTOGRAM_PAGE_SHIFT];
        const uint32_t page_end = (bin | (kPageBins - 1)) + 1;
        const uint32_t end = page_end <= h->highest_bin ? page_end : h->highest_bin + 1;
        for (; page && bin < end; bin++) {
            if (page[bin & (kPageBins - 1)])
                visit(bin_value_us(h, bin), page[bin & (kPageBins - 1)]);
        }
        bin = end;
    }
}

double gap_histogram_at_rank(const GapHistogram* h, uint64_t rank) {
    if (h->failed || rank == 0 || rank > h->n)
        return 0;
    uint32_t p = h->lowest_bin >> GAP_HISTOGRAM_PAGE_SHIFT;
    for (; h->page_n[p] < rank; p++)
        rank -= h->page_n[p];
    const uint64_t* page = h->pages[p];
    uint32_t within = 0;
    for (; page[within] < rank; within++)
        rank -= page[within];
    return bin_value_us(h, (p << GAP_HISTOGRAM_PAGE_SHIFT) + within);
}

void distribution_of_histogram(const GapHistogram* h, Distribution* out) {
    out->n = h->failed ? 0 : h->n;
    out->mean_us = out->sd_us = out->min_us = out->max_us = out->stability_pct = 0;
    for (int i = 0; i < PCT_COUNT; i++)
        out->pct_us[i] = 0;
    out->failed = h->failed;
    if (out->n == 0)
        return;
    uint64_t rank[PCT_COUNT];
    for (int i = 0; i < PCT_COUNT; i++)
        rank[i] = nearest_rank(g_percentile_tenths[i], h->n);
    double sum = 0;
    uint64_t seen = 0;
    int next = 0;
    bool first = true;
    for_each_bin(h, [&](double v, uint64_t count) {
        if (first)
            out->min_us = v;
        first = false;
        out->max_us = v;
        sum += v * count;
        seen += count;
        for (; next < PCT_COUNT && seen >= rank[next]; next++)
            out->pct_us[next] = v;
    });
    const double mean = sum / (double)h->n, median = out->pct_us[PCT_50];
    double squares = 0;
    uint64_t stable = 0;
    for_each_bin(h, [&](double v, uint64_t count) {
        squares += (v - mean) * (v - mean) * count;
        stable += fabs(v - median) <= 0.1 * median ? count : 0;
    });
    out->mean_us = mean;
    out->sd_us = sqrt(squares / (double)h->n);
    out->stability_pct = 100.0 * (double)stable / (double)h->n;
}

// A copy's page total while the page is to be copied again: no page counts that many.
static const uint64_t kStalePage = UINT64_MAX;
// Pages, and counts from the notes, that a check under the lock takes there
// rather than leaving them for after it: a few.
static const uint32_t kPagesUnderLock = 4;
static const uint64_t kCountsUnderLock = 16;
// Rounds after which a check takes whatever changed, however much: only a
// writer far faster than any mouse could keep changing more.
static const int kPatientRounds = 8;

static void enter(const GapHistogramLock* l) { l->enter(l->owner); }
static void leave(const GapHistogramLock* l) { l->leave(l->owner); }

static void copy_page(GapHistogram* c, const GapHistogram* h, uint32_t p) {
    const uint64_t* from = h->pages ? h->pages[p] : NULL;
    if (from)
        memcpy(c->pages[p], from, sizeof(uint64_t) * kPageBins);
    else
        memset(c->pages[p], 0, sizeof(uint64_t) * kPageBins);
    c->page_n[p] = from ? h->page_n[p] : 0;
}

// Under the lock, the copy of h's generation: when the pages whose totals
// differ are at most `most` and all made, copies them and the span, and the
// copy equals h; otherwise marks them to be copied one at a time. Within a
// generation counts only grow, so a page of the same total is the same page.
static bool pages_level_under_lock(GapHistogram* c, const GapHistogram* h, uint32_t most) {
    const uint32_t first = h->lowest_bin >> GAP_HISTOGRAM_PAGE_SHIFT;
    const uint32_t last = h->highest_bin >> GAP_HISTOGRAM_PAGE_SHIFT;
    uint32_t differ = 0;
    bool made = true;
    for (uint32_t p = first; h->n > 0 && p <= last; p++) {
        if (c->page_n[p] != h->page_n[p]) {
            differ++;
            made = made && c->pages[p];
        }
    }
    for (uint32_t p = first; h->n > 0 && p <= last; p++) {
        if (c->page_n[p] == h->page_n[p])
            continue;
        if (differ <= most && made)
            copy_page(c, h, p);
        else
            c->page_n[p] = kStalePage;
    }
    if (differ > most || !made)
        return false;
    c->n = h->n;
    c->lowest_bin = h->lowest_bin;
    c->highest_bin = h->highest_bin;
    return true;
}

// Copies every page marked stale, each under the lock on its own, each made
// before the lock is taken.
static bool copy_stale_pages(GapHistogram* c, const GapHistogram* h, const GapHistogramLock* l) {
    for (uint32_t p = 0; p < c->page_count; p++) {
        if (c->page_n[p] != kStalePage)
            continue;
        if (!page_for(c, p))
            return false;
        enter(l);
        if (h->generation == c->generation)
            copy_page(c, h, p);
        leave(l);
    }
    return true;
}

// One count of a bin, as gap_histogram_add_count counts it, on a page the
// copy has.
static void count_bin(GapHistogram* c, uint32_t bin) {
    c->pages[bin >> GAP_HISTOGRAM_PAGE_SHIFT][bin & (kPageBins - 1)]++;
    c->page_n[bin >> GAP_HISTOGRAM_PAGE_SHIFT]++;
    if (c->n == 0 || bin < c->lowest_bin)
        c->lowest_bin = bin;
    if (c->n == 0 || bin > c->highest_bin)
        c->highest_bin = bin;
    c->n++;
}

static uint32_t note_at(const GapHistogram* h, uint64_t n) { return h->notes[n & (GAP_HISTOGRAM_NOTES - 1)]; }

// Under the lock, the copy exact and `behind` counts behind h, all noted:
// when they are at most `most` and on pages the copy has, counts them, and
// the copy equals h; otherwise takes their notes out to count after the lock.
static bool notes_level_under_lock(GapHistogramCopy* c, const GapHistogram* h, uint64_t behind, uint64_t most) {
    bool made = behind <= most;
    for (uint64_t i = 0; made && i < behind; i++)
        made = c->h.pages[note_at(h, c->h.n + i) >> GAP_HISTOGRAM_PAGE_SHIFT] != NULL;
    if (made) {
        const uint64_t from = c->h.n;
        for (uint64_t i = 0; i < behind; i++)
            count_bin(&c->h, note_at(h, from + i));
        return true;
    }
    for (uint64_t i = 0; i < behind; i++)
        c->taken[i] = note_at(h, c->h.n + i);
    return false;
}

// Counts the notes taken, making their pages; the copy stays exact at every
// count, so a page that cannot be made only stops it there.
static bool count_taken(GapHistogramCopy* c, uint64_t count) {
    for (uint64_t i = 0; i < count; i++) {
        if (!page_for(&c->h, c->taken[i] >> GAP_HISTOGRAM_PAGE_SHIFT))
            return false;
        count_bin(&c->h, c->taken[i]);
    }
    return true;
}

// Takes the range (and generation) of h, read under the lock into `range`,
// with no counts: the pages that h counted in before are found by their totals.
static bool adopt_range(GapHistogramCopy* copy, const GapHistogram* range) {
    GapHistogram* c = &copy->h;
    copy->exact = false;
    if (c->page_count != range->page_count) {
        free_pages(c);
        c->pages = NULL;
        c->page_n = NULL;
    } else {
        gap_histogram_clear(c);
    }
    c->shortest = range->shortest;
    c->units_per_bin = range->units_per_bin;
    c->bins = range->bins;
    c->page_count = range->page_count;
    c->units_per_second = range->units_per_second;
    c->whole_us = range->whole_us;
    c->n = 0;
    c->failed = false;
    if (c->page_count > 0 && !make_table(c))
        return false;
    c->generation = range->generation;
    return true;
}

// Returns with the lock held. The notes are kept from here on, so the copy
// first catches up on pages.
static GapHistogramCopy* reader_copy_of(GapHistogram* h, const GapHistogramLock* l) {
    enter(l);
    if (h->reader_copy)
        return h->reader_copy;
    leave(l);
    GapHistogramCopy* c = (GapHistogramCopy*)heap_alloc(sizeof *c);
    uint32_t* notes = c ? (uint32_t*)heap_alloc(sizeof(uint32_t) * GAP_HISTOGRAM_NOTES) : NULL;
    if (c && !notes) {
        heap_free(c);
        c = NULL;
    }
    enter(l);
    if (c) {
        memset(&c->h, 0, sizeof c->h);
        c->exact = false;
        c->h.generation = h->generation - 1;  // one h has left behind: not level
        h->reader_copy = c;
        h->notes = notes;
    }
    return c;
}

const GapHistogram* gap_histogram_follow(GapHistogram* h, const GapHistogramLock* l) {
    GapHistogramCopy* const c = reader_copy_of(h, l);
    for (int round = 0; c; round++) {
        if (round > 0)
            enter(l);
        const bool patient = round < kPatientRounds;
        if (c->h.generation != h->generation) {
            const GapHistogram range = *h;
            leave(l);
            if (!adopt_range(c, &range))
                break;
            continue;
        }
        if (h->failed) {
            c->h.failed = true;
            return &c->h;
        }
        const uint64_t behind = h->n - c->h.n;
        if (c->exact && behind <= GAP_HISTOGRAM_NOTES) {
            if (notes_level_under_lock(c, h, behind, patient ? kCountsUnderLock : (uint64_t)GAP_HISTOGRAM_NOTES))
                return &c->h;
            leave(l);
            if (!count_taken(c, behind))
                break;
            continue;
        }
        c->exact = pages_level_under_lock(&c->h, h, patient ? kPagesUnderLock : UINT32_MAX);
        if (c->exact)
            return &c->h;
        leave(l);
        if (!copy_stale_pages(&c->h, h, l))
            break;
    }
    if (c)
        enter(l);
    return NULL;
}
