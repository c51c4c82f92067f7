// The report clock: the mouse's own period, how many of its slots carried a
// report, its drift and the delivery jitter, recovered from report times that
// reach us late by varying amounts and often several at once.
//
// Model: report j is sent at phase + s_j * period (whole slots s_j, strictly
// rising, some skipped) and stamped at t_j = that + d_j with d_j >= 0. Delays
// are one-sided, so the lattice is the lower envelope of the times, not their
// mean; and they come in spells (a loaded host delays many reports at once)
// with now and then a report well below the rest. The method:
// - The first REPORT_CLOCK_FIRST reports are kept. For every nominal period
//   a lattice is fitted to them (below) and scored by the mean distance of
//   its reports above it (each capped at one period): delays of a quarter
//   period score about 0.25, times that follow no lattice about 0.5. The
//   largest nominal period that scores under the limit (or passes the test
//   of late reads, below) wins. A divisor of the true period fits too, but
//   leaves nearly all reports on one slot in m: when m times the period is
//   nominal and at least 9 in 10 of the first reports share a slot modulo m,
//   the lattice m times as coarse through that class is fitted instead (and
//   so slots, fill and jitter are its own).
// - Slots: a report can be no later than the slot its time falls in, so
//   t gives an upper bound c_j; the latest slots that keep them rising are
//   s_j = j + min over k >= j of (c_k - k). Streamed, that minimum looks
//   REPORT_CLOCK_LOOKAHEAD reports ahead, enough for a batch or a stall.
// - Fit: the last report of each time (the one read soonest after it was
//   sent) is an anchor; each run of REPORT_CLOCK_BIN anchors gives its second
//   lowest residual (one early outlier cannot pull it down). The line is the
//   edge of the lower convex hull of those points over their mean slot: of
//   all lines under every point, the highest there. Spells of long delays
//   raise points the hull never touches, where a mean of them would tilt.
//   The hull is kept as a monotone chain of at most REPORT_CLOCK_HULL
//   corners, so memory stays fixed however long the stream. The line is
//   lowered by the residual 2 % of the first reports' anchors lie below it
//   (the envelope itself, not the bins' second lowest); the first reports'
//   line serves until REPORT_CLOCK_FIT_POINTS points replace it. Each
//   point also goes to the clock's sink, when it has one (the A/B
//   comparison keeps them by the second they were made in).
// - A period that changes slowly walks the phase away from any one line (the
//   points curve up from the edge over their mean slot, or the hull is one
//   chord through the newest): slots, scores and jitter are taken against
//   the overall line raised to the lowest of the REPORT_CLOCK_RECENT newest
//   points once they lie half a tolerance above it. The period given is the
//   overall one: the edge over the mean slot, or, once a curved stream has
//   made the chain drop corners, the chord from the first fit at the first
//   slot to the newest line at the last.
// - A bad start: when the first reports fit no lattice, or the first
//   REPORT_CLOCK_FIRST anchors streamed score as none (a start that fitted
//   by chance), everything so far is dropped and the next reports are tried
//   afresh; fill and jitter are then over the reports from that start on.
//   A start that passed stays: a clock that later fails both tests is refused.
// - Jitter: residuals of reports alone at their time above the fitted line,
//   the envelope itself, counted in whole microseconds. Not above the single
//   lowest residual: where slots are skipped, a report delayed by nearly a
//   period looks a little early on the next slot, and would set that minimum.
// - Late reads: a reader that wakes a period or more after a report came
//   (4-8 kHz mice read 1 to 16 reports at a time) stamps its reads anywhere
//   in the period, and every lattice scores as none above. How late reads
//   came is counted from how many reports they brought: a read of m came at
//   least m - 1 periods after its first was sent; the 99th percentile read
//   sets it, so a stall's few reads do not. Where that is 1 to 8 periods and
//   a nominal period fails the score, a second test is tried on it: a stamp
//   bounds the sends of its read's reports from above, and with every slot
//   filled report k is on slot k, so the start is the lower envelope of the
//   times over their count (points of REPORT_CLOCK_BIN anchors; an empty
//   slot lifts the points after it by a period, a step told from their
//   median slope and taken out). Reports are then placed as above but with
//   no dips (a report alone at its time is the one read soonest, not one
//   stamped early) and points of 4 x REPORT_CLOCK_BIN anchors, whose low
//   residuals scatter over a whole period. It passes when its anchors lie
//   less than a period above the line (the last report of a read was read
//   before the next came; a longer period leaves them further up: the mean
//   excess over a period stays under 0.1) and at most 4 slots plus 1 in
//   1000 are empty. The placing line never follows the newest points (a step in
//   them is an empty slot, not a walk), and the last read of the stream takes
//   the slots right after the one before it (nothing after it pins them).
// - Where late reads stop working: a slot left empty among reads a period
//   late cannot be placed, and a shorter period fits as well by leaving one
//   empty every so often. So where reads came a period or more late, times
//   that pass neither test (more empty slots than that, reads over 8 periods
//   late: a timer's ticks rather than a reader woken by the mouse, or a
//   coarse clock's stamps) are refused as read too late, not as following no
//   period. Near the limit of empty slots a few placed wrong cost tens of
//   ppm on a short run at 1 kHz. Nor is a
//   changing period followed: its mean is given while the phase stays near
//   one line (20 to 21 ppm over 10 min at 8 kHz, 20 to 25 at 1 kHz); further
//   off it is refused, or misread by tens of ppm.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

#include "core/figures/gap_histogram.h"
#include "core/views/texts.h"

enum {
    REPORT_CLOCK_MIN_REPORTS = 1000,
    REPORT_CLOCK_FIRST = 4096,     // reports kept to find the period
    REPORT_CLOCK_PENDING = 2048,   // reports waiting for their slot
    REPORT_CLOCK_LOOKAHEAD = 512,  // of those, how many a slot looks ahead
    REPORT_CLOCK_BIN = 32,         // anchors per point of the fit
    REPORT_CLOCK_RANK = 4,         // of those, the rank of the residual taken
    REPORT_CLOCK_HULL = 64,        // corners of the hull kept
    REPORT_CLOCK_FIT_POINTS = 32,  // points before they replace the first reports' line
    REPORT_CLOCK_RECENT = 4,       // newest points the line that places slots follows
    REPORT_CLOCK_NEAR = 2048,      // jitter values counted in place, from just below the line up
    REPORT_CLOCK_READ_SIZES = 64,  // reads counted by how many reports they brought, up to this
};

// Why there is no clock.
enum ReportClockRefusal {
    REPORT_CLOCK_OK,
    REPORT_CLOCK_TOO_FEW,     // "fewer than 1000 reports"
    REPORT_CLOCK_NO_PERIOD,   // "the times follow no fixed period"
    REPORT_CLOCK_NO_MEMORY,   // "no memory for the jitter figures"
    REPORT_CLOCK_LATE_READS,  // "reads came up to N periods late, too late to place reports on one lattice"
};

struct ReportClockFigures {
    double period_us;
    double rate_hz;
    double drift_ppm;    // against nominal_us
    double nominal_us;   // the nearest of 125 * 2^k (k = 0..6) and 1000 * m (m = 1..8)
    double filled_pct;   // reports over lattice slots from the first report's to the last's
    double jitter_p50_us, jitter_p99_us;  // over reports alone at their time
    uint64_t reports, unbatched;
    ReportClockRefusal refusal;
    int late_periods;  // how late the reads came, in periods (late reads, above); also with a clock
};

// A lattice: slot s at phase_us + s * period_us.
struct ReportClockLine {
    double phase_us, period_us;
};

// The REPORT_CLOCK_RANK lowest residuals of a run of anchors, lowest first,
// with their slots; the last is the run's point.
struct LowRank {
    double y[REPORT_CLOCK_RANK];
    int64_t slot[REPORT_CLOCK_RANK];
};

// Where the fit's points go besides the hull (x a slot, y a residual against
// the first reports' line), in the order made, x rising. A restart drops
// every point made before it; the sink stays.
struct ReportClockSink {
    void (*point)(void* to, double x, double y);
    void* to;
};

// The lower convex hull of the fit's points (x a slot, y a residual against
// the first reports' line), oldest corner first, and their mean slot.
struct ReportClockHull {
    double x[REPORT_CLOCK_HULL], y[REPORT_CLOCK_HULL];
    int n;
    double x_sum, points;
    bool dropped;  // a corner went: the chain no longer reaches the mean slot
};

struct ReportClock {
    uint64_t n;
    double last_t;
    ReportClockRefusal refusal;  // REPORT_CLOCK_NO_PERIOD once the first reports fit nothing
    bool locked;                 // the first reports gave a lattice
    bool late;                   // ... by the test of late reads
    uint32_t dips_from;          // pending reports before dips are looked for (never when late)
    double first[REPORT_CLOCK_FIRST];
    uint32_t first_n;  // reports in first; a batch that fits nothing makes way for the next
    ReportClockLine base;  // from the first reports; the sums are against it
    ReportClockLine line;  // the fit so far, following the newest points; slots are placed against it
    double line_per_us;    // 1 / line.period_us: every report is placed against it
    ReportClockLine overall;  // the fit over the whole stream; the period reported
    ReportClockLine start;    // the first fit of the stream's own points
    bool fitted;              // start is set
    double tolerance_us;   // how far below the line a report may seem to lie
    // Reports waiting for their slot: time and slot upper bound.
    double pending_t[REPORT_CLOCK_PENDING];
    int64_t pending_c[REPORT_CLOCK_PENDING];
    uint32_t pending_n;
    uint64_t pending_index;  // stream index of pending_t[0]
    bool placed_any;
    int64_t first_slot, last_slot;
    double previous_t;  // time of the last placed report
    uint32_t bin_n;  // anchors in the current run
    LowRank bin;
    ReportClockSink sink;  // set after report_clock_init; null: none
    ReportClockHull hull;
    double recent_x[REPORT_CLOCK_RECENT], recent_y[REPORT_CLOCK_RECENT];  // the newest points
    uint32_t recent_n;
    double floor_us;       // from the hull's edge down to the envelope
    double score_sum;  // capped residuals of anchors, in periods
    double excess_sum;  // capped residuals of anchors past one period, in periods
    bool relock;           // the first REPORT_CLOCK_FIRST anchors scored as no lattice
    uint64_t anchors, unbatched;
    uint64_t read_sizes[REPORT_CLOCK_READ_SIZES];  // placed reads of i + 1 reports; the last, of that or more
    uint32_t read_n;                                // reports placed of the read under way
    int window_late;  // how late the reads of the last reports searched for a lattice came
    GapHistogram jitter;  // unbatched residuals, whole us
    // The jitter of nearly every report, counted here first: a steady
    // stream's residuals lie within a few milliseconds above the line, and a
    // plain counter costs a capture's walk less than the histogram's pages.
    // Moved into jitter when the figures are read.
    int64_t jitter_near_lo_us;
    uint64_t jitter_near[REPORT_CLOCK_NEAR];
};

void report_clock_init(ReportClock* c);
// The next report's time in microseconds; times never go back (an earlier
// one is taken as the previous time). A NaN or infinite time is ignored.
void report_clock_add(ReportClock* c, double t_us);
// The same for count reports in turn: one call for a run of them keeps the
// clock's state at hand between them (a capture's feed hands millions).
void report_clock_add_times(ReportClock* c, const double* times, size_t count);
// Ends the stream and gives the figures; false with out->refusal set when
// there is no clock. No more reports may be added.
bool report_clock_finish(ReportClock* c, ReportClockFigures* out);
// Gives back the jitter histogram's pages.
void report_clock_free(ReportClock* c);
// The refusal in plain words, in the chosen language ("" for none); UTF-8
// and wide.
const char* report_clock_reason(ReportClockRefusal r);
const wchar_t* report_clock_reason_w(ReportClockRefusal r);
// The refusal of f in plain words, with its figures where it has some (late
// reads), in the language chosen (or the one given: --json's are English);
// as snprintf.
int report_clock_refusal_text(const ReportClockFigures* f, char* out, size_t cap);
int report_clock_refusal_text_in(Lang lang, const ReportClockFigures* f, char* out, size_t cap);
// The same, wide (cut to cap units) for the window's and the plot's wide formats.
void report_clock_refusal_text_w(const ReportClockFigures* f, wchar_t* out, size_t cap);
enum { REPORT_CLOCK_REFUSAL_BYTES = 256 };  // room for any refusal in either language
// The nearest nominal period to period_us.
double report_clock_nominal_us(double period_us);
