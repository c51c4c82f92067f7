// The exact distribution of accepted gaps in memory that does not grow with
// the run: one counter per possible gap value. Gaps are whole units, either
// microseconds (captures stamp whole us) or performance-counter ticks (live),
// and the accepted range holds a bounded number of them, so counting each
// value gives the same nearest-rank percentiles, extremes, mean, deviation and
// stability as sorting every gap would, at a cost that depends only on the
// range, never on how many gaps were counted.
//
// Counters (64-bit: a capture of 125 us gaps never wraps one) live in pages of
// 1024 values made on first use, so a mouse that keeps to a narrow band of
// intervals costs a few kilobytes.
//
// A counter faster than GAP_HISTOGRAM_MAX_BINS values over the range (above
// about 84 MHz; Windows 10 and later run it at 10 MHz) groups neighbouring
// tick counts into one bin, shown at the bin's middle tick: within half a bin,
// under 0.012 us, of the exact figure.
//
// A histogram that one thread counts into under a lock can be read by
// another from a copy that follows it (gap_histogram_follow), so that the
// counting thread never waits for a walk over the whole span.
#pragma once

#include <stdint.h>

#include "core/figures/distribution.h"

enum {
    GAP_HISTOGRAM_PAGE_SHIFT = 10,
    GAP_HISTOGRAM_MAX_BINS = 1 << 22,
    GAP_HISTOGRAM_NOTES = 4096,  // counts a reader's copy catches up on one by one
};

struct GapHistogramCopy;

struct GapHistogram {
    uint64_t** pages;      // null until the first gap
    uint64_t* page_n;      // each page's total, beside the pages' table: percentiles skip whole pages
    uint32_t page_count;
    int64_t shortest;      // the smallest accepted gap, in units
    int64_t units_per_bin;
    uint32_t bins;
    double units_per_second;
    bool whole_us;         // units are whole microseconds (captures), not counter ticks
    uint64_t n;
    uint32_t lowest_bin, highest_bin;  // the span holding counts, while n > 0
    bool failed;           // a page could not be made: the figures are not shown
    uint64_t generation;   // counts clears and new ranges: a copy of an earlier one starts over
    // While a reader's copy follows: the bin of each of the latest
    // GAP_HISTOGRAM_NOTES counts, at n modulo that, so that the copy catches
    // up on the counts since it last looked rather than on whole pages.
    uint32_t* notes;
    // The copy gap_histogram_follow reads from, made at its first call and
    // given back with the histogram; nothing else touches it.
    GapHistogramCopy* reader_copy;
};

// Sets the range: accepted gaps are shortest..longest units, at units_per_second.
// Gives back any pages of an earlier range.
void gap_histogram_init(GapHistogram* h, int64_t shortest, int64_t longest, double units_per_second);
// For whole-microsecond gaps under the accepted-gap rule.
void gap_histogram_init_us(GapHistogram* h);
// For whole microseconds in shortest..longest (delays, say).
void gap_histogram_init_us_range(GapHistogram* h, int64_t shortest, int64_t longest);
// For counter ticks under the accepted-gap rule.
void gap_histogram_init_ticks(GapHistogram* h, double ticks_per_second);
// Counts one gap; gaps outside the range are ignored (the caller classifies).
void gap_histogram_add_any(GapHistogram* h, int64_t units);
// Counts the same gap count times.
void gap_histogram_add_count(GapHistogram* h, int64_t units, uint64_t count);
// The same, inline for nearly every gap of a steady endpoint: one unit to a
// bin, inside the span already counted, on a page already made.
inline void gap_histogram_add(GapHistogram* h, int64_t units) {
    const uint64_t bin = (uint64_t)units - (uint64_t)h->shortest;
    if (h->units_per_bin == 1 && h->n != 0 && !h->failed && bin >= h->lowest_bin &&
        bin <= h->highest_bin) {
        uint64_t* page = h->pages[bin >> GAP_HISTOGRAM_PAGE_SHIFT];
        if (page) {
            page[bin & ((1u << GAP_HISTOGRAM_PAGE_SHIFT) - 1)]++;
            h->page_n[bin >> GAP_HISTOGRAM_PAGE_SHIFT]++;
            if (h->notes)
                h->notes[h->n & (GAP_HISTOGRAM_NOTES - 1)] = (uint32_t)bin;
            h->n++;
            return;
        }
    }
    gap_histogram_add_any(h, units);
}
// Makes to a copy of from with pages of its own (to's earlier pages given
// back); false, with to failed, when they could not be made.
bool gap_histogram_copy(GapHistogram* to, const GapHistogram* from);
// Forgets every count; keeps the pages for the next run.
void gap_histogram_clear(GapHistogram* h);
// Gives back the pages, the notes and the reader's copy.
void gap_histogram_free(GapHistogram* h);

// How a reader takes and gives back the lock that a histogram is counted under.
struct GapHistogramLock {
    void (*enter)(void* owner);
    void (*leave)(void* owner);
    void* owner;
};

// Brings h's reader copy level with h, which another thread counts into
// under l, and returns it with the lock held: what the lock guards beside h
// can be read at the same moment. Under the lock it takes only the notes of
// the counts since the last call, and counts them into the copy after; when
// those are more than the notes keep (the first call, after a clear, or a
// reader that fell far behind) it copies the pages whose totals changed, one
// 8 KiB page per hold. The copy is level once a check under the lock finds a
// few counts or pages still to take, which it takes there. One caller at a
// time; null (lock held as well) when the copy could not be made.
const GapHistogram* gap_histogram_follow(GapHistogram* h, const GapHistogramLock* l);
// The value of a gap of this many units, in microseconds, as every path shows it.
double gap_histogram_value_us(const GapHistogram* h, int64_t units);

// The value in microseconds of the gap of nearest rank (1-based) among the
// counted ones; 0 for none. It walks the pages' totals, then one page: a few
// microseconds however widely the gaps spread, so a front end can read it
// under the record's lock without holding up the reader thread.
double gap_histogram_at_rank(const GapHistogram* h, uint64_t rank);

// n, mean, sd, extremes, percentiles and stability of the counted gaps; the
// counts of out (coalesced, pauses, background) are left alone. failed is set
// when a page could not be made.
void distribution_of_histogram(const GapHistogram* h, Distribution* out);
