// Motion in every report: what a mouse report carried besides its time (the
// Raw Input RAWMOUSE fields), how a report is classed by it, and the
// motion-gated figures and hints that every front end shows.
#pragma once

#include <stdint.h>

#include "core/figures/gap_histogram.h"
#include "core/figures/report_clock.h"

// RAWMOUSE's usFlags bits the program reads (values as Windows defines them).
enum {
    MOTION_FLAG_ABSOLUTE = 0x01,    // MOUSE_MOVE_ABSOLUTE: dx, dy are a position
    MOTION_FLAG_NOCOALESCE = 0x08,  // MOUSE_MOVE_NOCOALESCE
};

// One report's fields as kept: dx, dy (lLastX, lLastY; relative counts, or a
// position when flags has MOTION_FLAG_ABSOLUTE), buttons (usButtonFlags),
// wheel (usButtonData as the signed wheel delta), flags (usFlags).
struct ReportMotion {
    int32_t dx, dy;
    uint16_t buttons;
    int16_t wheel;
    uint16_t flags;
};

// Relative counts held at +-32767, as the arrival log keeps them, so that
// the figures of a run and of its CSV read back are the same. No mouse moves
// that far in one report; a position is left as it is.
void motion_hold(ReportMotion* m);

// Moving: relative motion, |dx| + |dy| > 0 (an absolute report never is).
bool motion_is_moving(const ReportMotion* m);
// Idle: a relative report with no motion and no button or wheel change (an
// absolute one says where the pointer is, not whether it moved: neither).
bool motion_is_idle(const ReportMotion* m);
// A moving report with |dx| or |dy| equal to 127 or 128.
bool motion_is_saturated(const ReportMotion* m);
// A moving report with |dx| or |dy| above 128: more than 8-bit deltas carry.
bool motion_is_beyond_8bit(const ReportMotion* m);
// Counts per second over an interval: sqrt(dx^2 + dy^2) / interval; 0 for a
// report that is not moving or an interval that is not positive.
double motion_speed(const ReportMotion* m, double interval_us);

// Speeds are counted by their squares, so that the reader thread takes no
// square root: bins 1/64 of an octave of the square wide (1/128 of an octave
// of the speed) from 16 counts/s (below any moving report's: one count over
// the longest accepted interval, 50 ms, is 20 counts/s) to 2^29 counts/s
// (above 32767 counts both ways in 100 us); faster ones go to the last bin.
// A bin is shown at the root of its middle, so a median speed is within 0.4 %
// of the exact one, in 25.6 KiB per record whatever the run's length.
enum {
    MOTION_SPEED_BINS_PER_OCTAVE = 64,  // octaves of the square
    MOTION_SPEED_LOWEST_OCTAVE = 8,     // 2^8 (counts/s)^2
    MOTION_SPEED_OCTAVES = 50,
    MOTION_SPEED_BINS = MOTION_SPEED_BINS_PER_OCTAVE * MOTION_SPEED_OCTAVES,
};

// How the gap rule classed a report's interval, as far as motion cares.
enum MotionGap {
    MOTION_GAP_OTHER,      // none: the first report, or a pause
    MOTION_GAP_ACCEPTED,   // an interval the figures count
    MOTION_GAP_COALESCED,  // read together with the report before
};

// The motion-gated figures of one record, over the whole run.
//
// Speeds are of deliveries: a report with an accepted interval and the
// reports coalesced after it (read at once, or within 100 us). Those moved
// over the same interval, and only the first has it, so their counts are
// summed; otherwise a batch of eight would show an eighth of the hand's speed.
struct MotionTally {
    uint64_t reports;  // reports given with their motion
    uint64_t moving, idle, saturated;
    uint64_t single;   // moving reports of one count at most on each axis
    uint64_t beyond;   // moving reports with a delta past the 8-bit limit
    uint64_t speed_n;  // deliveries that moved, with an accepted interval
    uint64_t speed_bins[MOTION_SPEED_BINS];
    // Each octave's total, so that the median is found in a few steps under
    // the record's lock rather than by a walk of every bin.
    uint64_t speed_octave_n[MOTION_SPEED_OCTAVES];
    // Accepted intervals whose both ends are moving reports, in counter ticks.
    GapHistogram moving_gaps;
    bool previous_moving;
    // The delivery still open: its summed counts and its interval (0: none).
    int64_t delivery_dx, delivery_dy, delivery_ticks;
    double delivery_ticks_per_second;
};

// One report. gap: how its interval was classed (a MotionGap), ticks long
// at ticks_per_second. Live records pass counter ticks; a CSV read back
// passes its intervals in tenths of a microsecond (the counter's unit on
// Windows 10 and later) and gives the same figures.
void motion_tally_add(MotionTally* t, const ReportMotion* m, int gap, int64_t ticks,
                      double ticks_per_second);
// Forgets every count; keeps the histogram's pages.
void motion_tally_clear(MotionTally* t);
void motion_tally_free(MotionTally* t);
// The bin of a speed given by its square, and the speed a bin stands for.
int motion_speed_bin(double square);
double motion_speed_of_bin(int bin);

// What the summaries show.
struct MotionFigures {
    uint64_t reports, moving, idle, saturated, single;
    double median_speed;  // counts/s of deliveries; 0 with none that moved
    uint64_t moving_n;    // intervals between consecutive moving reports
    double moving_median_hz, moving_p1_hz, moving_p99_hz;  // p1: at the 99th-percentile interval
    bool failed;          // no memory for the intervals' histogram
    uint64_t beyond;      // moving reports with a delta past the 8-bit limit
};
void motion_figures_of(const MotionTally* t, MotionFigures* out);

// The plain-language hints and their figures; every front end words these,
// so that they all say the same.
struct MotionHints {
    // Most moving reports carried a single count, and the hand's speed is
    // well below the rate the mouse sends at (its report clock's, or the
    // median rate while moving without one), while the clock's slots are
    // not nearly all filled: the hand, not the mouse, set the rate; moving
    // faster_by times faster (needed_speed counts/s) would give every
    // report a count to carry.
    bool hand_limited;
    double faster_by, needed_speed;
    bool saturation;  // over 1 % of moving reports at the 8-bit limit, and few past it
    double saturated_pct;
    bool idle;        // over 5 % of reports carried nothing
    double idle_pct;
};
// clock: the record's report clock; null, or refused, when there is none.
void motion_hints_of(const MotionFigures* f, const ReportClockFigures* clock, MotionHints* out);
