// Two runs compared with honest statistics: each run's figures, and 95 %
// intervals for B - A from a block bootstrap, because a mouse's intervals are
// not independent (bursts, pauses, drift) and no test that assumes they are
// would hold.
//
// A run is fed the reports of one statistics record in order, each with what
// the record made of its interval (core/figures/stats.h) and its counter value, from
// which the interval is taken as the record takes it: the run counts the
// record's intervals, never classifies one itself. Its own figures come from
// a histogram of those tick counts read by the record's function, so they are
// the record's (--analyze's) to the last bit.
//
// For the resamples it is kept as one summary per 1-second block (blocks
// counted by time from the run's first report; a block is kept when a report
// fell in it). A summary holds the block's accepted intervals as counts on a
// fine grid, its n, sum and sum of squares, and the lower hull of the report
// clock's fit points made during it. A resample draws as many blocks as the
// run has, with replacement, and merges their summaries; it never looks at an
// interval.
//
// The grid: 1/16 us bins from 100 us to 50 ms. A bin is shown as the middle
// of the lowest and highest interval that fell in it, so it is exact when
// every bin holds one value, as with any counter of 16 MHz or slower (a
// CSV's tenths of a microsecond), and within 1/32 us otherwise.
//
// The clock: the period printed is the clock's own (core/figures/report_clock.h), the
// edge of the lower hull of its fit points over their mean slot, and each
// resample takes the same edge of the drawn blocks' points (the lower hull of
// their blocks' hulls; a block drawn twice counts twice in the mean slot).
// A restart of the clock drops the points it made before, from every block.
// A period that is no such edge (the first reports' line, before the clock
// has REPORT_CLOCK_FIT_POINTS points; or a chord, once a wandering period
// made its hull drop corners) is printed without an interval.
//
// Memory: per run the grid's pages (24 KB per 1024 bins, made on first use:
// a few for a steady mouse, 19 MB if intervals spread over the whole range),
// the histogram's (8 KB per 1024 tick counts), 4 bytes per bin a block
// touches (at most one per accepted interval; about 1000 a second for a
// jittery 8 kHz mouse), 16 bytes per corner of a block's hull (a few), and
// 104 bytes per block. A run keeps at most AB_MAX_BLOCKS blocks (4 hours);
// later reports are left out and the run says so.
//
// Percentiles, as everywhere: nearest rank; median rate is the rate at the
// median interval, P1 rate the rate at the 99th-percentile interval.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "core/figures/distribution.h"
#include "core/figures/gap_histogram.h"
#include "core/figures/report_clock.h"
#include "core/figures/stats.h"

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
    bool clock_unsampled;  // its period is one no resample takes: printed, without an interval
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

// A corner of the lower hull of report-clock points: a slot and a residual.
struct AbCorner {
    double x, y;
};

// The interval sums of one block and the clock's points made in it.
struct AbBlock {
    uint32_t first, count;  // its entries
    uint32_t n;             // accepted intervals
    double sum, squares;    // of (interval - the run's shift)
    uint32_t corner_first, corners;  // the lower hull of its clock points
    uint32_t points;                 // clock points
    double slot_sum;                 // of their slots (whole numbers, so exact)
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
    int64_t last_ticks;  // the record's counter value of the last report
    double shift;  // the run's first accepted interval: sums are of intervals less it
    int64_t block_index;  // of the block being filled
    AbBlock current;
    uint32_t touched[AB_BLOCK_MAX_INTERVALS];
    uint32_t touched_n;
    AbBin** pages;  // the grid, a page of AB_BIN_PAGE bins made on first use; null after finish
    ReportClock clock;
    GapHistogram gaps;  // the accepted intervals in ticks, as the record counts them
    // Kept.
    AbBlock* blocks;
    uint32_t block_n, block_cap;
    AbCorner* corners;  // per block, in block order
    size_t corner_n, corner_cap;
    uint32_t* entries;  // per block, rising: slot in the low 20 bits, count (1..4095) above
    size_t entry_n, entry_cap;
    // After ab_run_finish.
    uint32_t* bins;    // the used grid bins in rising order: slot s is bins[s]
    double* values;    // slot s is shown as values[s]
    uint64_t* counts;  // intervals in slot s over the whole run
    uint32_t slot_n;
    AbWindow window[AB_WINDOWS];
    ReportClockFigures clock_figures;
    Distribution distribution;  // the record's, from gaps
    AbFigures figures;
    bool clock_resampled;  // resamples take the period printed (no dropped corner)
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
    bool compared[AB_FIGURES];  // the figure has an interval (the clock: both runs' clocks resampled)
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
// The record's next report: its time in microseconds (for the blocks and the
// clock), what the record made of its interval, and the counter value the
// record was given, at ticks_per_second.
void ab_run_add(AbRun* r, double t_us, ArrivalClass cls, int64_t ticks, double ticks_per_second);
// Ends the stream: the run's figures in r->figures, and what resamples need.
// False when memory ran out (r->failed).
bool ab_run_finish(AbRun* r);
void ab_run_free(AbRun* r);

// Resamples both finished runs and gives the differences and the verdict.
// False when memory ran out.
bool ab_compare(const AbRun* a, const AbRun* b, const AbBootstrap* how, AbComparison* out);
// The verdict from the differences (ab_compare calls it); core/views/ab_text.h says it.
void ab_verdict_of(AbComparison* c);
