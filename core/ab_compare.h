// Two runs compared with honest statistics: each run's figures, and 95 %
// intervals for B - A from a block bootstrap, because a mouse's intervals are
// not independent (bursts, pauses, drift) and no test that assumes they are
// would hold.
//
// A run is fed its report times in order, one at a time, and kept as one
// summary per 1-second block (blocks counted by time from the run's first
// report; a block is kept when a report fell in it). A summary holds the
// block's accepted intervals (core/gap_rule.h) as counts on a fine grid, its
// n, sum and sum of squares, and the report clock's fit points that entered
// during it. A resample draws as many blocks as the run has, with
// replacement, and merges their summaries; it never looks at an interval.
//
// The grid: a double's exponent and its top 16 mantissa bits, 2^16 bins an
// octave, each at most 1/65536 of its values wide. A bin is shown as the
// middle of the lowest and highest interval that fell in it, so a percentile
// is within 1/131072 of its value of the exact nearest-rank figure (0.004 us
// at 1000 us, 0.03 Hz at 8000 Hz), and exact when every bin holds one value,
// as with times from a 10 MHz counter below 8 ms. Stability can differ from
// the exact share only by the intervals that share a bin with its edges.
//
// Memory: per run the grid's pages (24 KB per 1024 bins, made on first use:
// a few for a steady mouse, 15 MB if intervals spread over every octave), 4
// bytes per bin a block touches (at most one per accepted interval; about
// 1000 a second for a jittery 8 kHz mouse), and 120 bytes per block. A run
// keeps at most AB_MAX_BLOCKS blocks (4 hours); later reports are left out
// and the run says so.
//
// Percentiles, as everywhere: nearest rank; median rate is the rate at the
// median interval, P1 rate the rate at the 99th-percentile interval.
// The report-clock period's interval comes from the same resamples: the
// clock's least-squares points are counted in the block where they were made,
// and each resample refits the line through its blocks' points.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "core/report_clock.h"

enum {
    AB_BLOCK_US = 1000000,
    AB_MAX_BLOCKS = 4 * 3600,
    AB_MIN_BLOCKS = 10,  // fewer in either run: figures and intervals, no verdict
    AB_RESAMPLES = 2000,
    AB_BIN_PAGE = 1024,
    AB_BLOCK_MAX_INTERVALS = 10240,  // a second holds at most 10001 accepted intervals
};
// The bootstrap's fixed seed (splitmix64), so every comparison prints the same.
constexpr uint64_t kAbSeed = 0x5eed2022ab000001ull;

// Which figure a difference is of.
enum AbFigure {
    AB_MEDIAN_HZ,
    AB_P1_HZ,
    AB_P99_US,
    AB_SD_US,
    AB_STABILITY,  // percent; its difference in points
    AB_CLOCK_US,   // the report clock's period, when both runs have one
    AB_FIGURES,
};
// Each figure's key in the text and the JSON report, in AbFigure order.
extern const char* const kAbFigureKey[AB_FIGURES];

// The figures of one run (or of one resample).
struct AbFigures {
    uint64_t n;  // accepted intervals
    double v[AB_FIGURES];
    bool has_clock;
};

// The windows of a run: about the median, the 99th percentile, and the two
// edges of the band stability counts.
enum {
    AB_WINDOW_MEDIAN,
    AB_WINDOW_P99,
    AB_WINDOW_BAND_LOW,
    AB_WINDOW_BAND_HIGH,
    AB_WINDOWS,
};

// Fit points of the report clock (ReportClockSums) and the interval sums of one block.
struct AbBlock {
    uint32_t first, count;  // its entries
    uint32_t n;             // accepted intervals
    double sum, squares;    // of (interval - the run's shift)
    ReportClockSums clock;
    uint32_t below[AB_WINDOWS];            // per window: intervals under its first slot
    uint32_t from[AB_WINDOWS], to[AB_WINDOWS];  // per window: its entries inside it
};

// Slots [lo, hi) of a run's sorted bins, about a figure's edge, where a
// resample's figure nearly always falls; one outside falls back to a full merge.
struct AbWindow {
    uint32_t lo, hi;
};

// Per bin of the grid, while the run streams in.
struct AbBin {
    double lo, hi;     // lowest and highest interval seen in it
    uint32_t stamp;    // 1 + the block it was last counted in
    uint32_t count;    // in that block
};

struct AbRun {
    // Streaming.
    uint64_t reports, coalesced, pauses;
    bool started, open, shifted, truncated, failed;
    double first_t, last_t;
    double shift;  // the run's first accepted interval: sums are of intervals less it
    int64_t block_index;  // of the block being filled
    AbBlock current;
    uint32_t touched[AB_BLOCK_MAX_INTERVALS];
    uint32_t touched_n;
    AbBin** pages;  // the grid, a page of AB_BIN_PAGE bins made on first use; null after finish
    ReportClock clock;
    ReportClockSums clock_mark;
    // Kept.
    AbBlock* blocks;
    uint32_t block_n, block_cap;
    uint32_t* entries;  // per block, rising: slot in the low 20 bits, count (1..4095) above
    size_t entry_n, entry_cap;
    // After ab_run_finish.
    uint32_t* bins;    // the used grid bins in rising order: slot s is bins[s]
    double* values;    // slot s is shown as values[s]
    uint64_t* counts;  // intervals in slot s over the whole run
    uint32_t slot_n;
    AbWindow window[AB_WINDOWS];
    ReportClockFigures clock_figures;
    AbFigures figures;
};

// The difference B - A of one figure and its 95 % percentile interval.
struct AbInterval {
    double diff, lo, hi;
};

enum AbNoVerdict {
    AB_VERDICT_GIVEN,
    AB_VERDICT_FEW_BLOCKS,    // a run has fewer than AB_MIN_BLOCKS blocks
    AB_VERDICT_NO_INTERVALS,  // a run has no accepted interval
    AB_VERDICT_NO_MEMORY,
};

// What the verdict says, as data: which figures differ, by how much.
struct AbVerdict {
    AbNoVerdict why;
    char short_run;  // 'A' or 'B', with AB_VERDICT_FEW_BLOCKS or _NO_INTERVALS
    uint32_t short_blocks;
    bool compared[AB_FIGURES];  // the figure has an interval (the clock only when both have one)
    bool differs[AB_FIGURES];   // interval excludes 0 and the change passes its threshold
    double change[AB_FIGURES];  // percent of A's figure; points for stability
};

struct AbComparison {
    AbFigures a, b;
    uint32_t blocks_a, blocks_b;
    AbInterval d[AB_FIGURES];
    uint32_t resamples;
    uint32_t full_merges;  // resamples whose figures fell outside the windows
    bool failed;           // no memory
    AbVerdict verdict;
};

// How to resample: the program always uses {AB_RESAMPLES, kAbSeed, false};
// full_merge skips the windows (the slow way, for checking them).
struct AbBootstrap {
    uint32_t resamples;
    uint64_t seed;
    bool full_merge;
};
extern const AbBootstrap kAbBootstrap;

// The run is large (the clock's first reports, the block's bins): keep it
// off the stack.
void ab_run_init(AbRun* r);
// The next report's time in microseconds.
void ab_run_add(AbRun* r, double t_us);
// Ends the stream: the run's figures in r->figures, and what resamples need.
// False when memory ran out (r->failed).
bool ab_run_finish(AbRun* r);
void ab_run_free(AbRun* r);

// Resamples both finished runs and gives the differences and the verdict.
// False when memory ran out.
bool ab_compare(const AbRun* a, const AbRun* b, const AbBootstrap* how, AbComparison* out);
// The verdict from the differences (ab_compare calls it).
void ab_verdict_of(AbComparison* c);
// "Verdict: ..." in English, one line without its line end; the length written.
size_t ab_verdict_text(const AbComparison* c, char* out, size_t cap);
