// Which gaps between reports count: the one rule for every figure, live or
// from a capture. A gap of 100 us to 50 ms (both ends included) is accepted;
// a shorter one is a delivery the system merged into the previous one
// (coalesced); a longer one, or one that is not a number, is a pause (the hand
// stopped, or the program was not listening).
//
// The USB diagnostic's tally (its Chinese report, and the summary of --pcap)
// has always excluded both ends; it keeps that window through
// tally_counts_gap, so its average and lowest rate read as they always have.
#pragma once

#include <stdint.h>

enum GapKind {
    GAP_ACCEPTED,
    GAP_COALESCED,
    GAP_PAUSE,
};

constexpr double kGapShortestUs = 100.0;
constexpr double kGapLongestUs = 50000.0;
constexpr int64_t kGapShortestWholeUs = 100;
constexpr int64_t kGapLongestWholeUs = 50000;

inline GapKind gap_kind(double us) {
    if (!(us <= kGapLongestUs))
        return GAP_PAUSE;
    return us >= kGapShortestUs ? GAP_ACCEPTED : GAP_COALESCED;
}

// What became of a report's interval in its record.
enum ArrivalClass {
    ARRIVAL_FIRST,      // no interval: the first report since reset
    ARRIVAL_ACCEPTED,   // 100..50000 us: counted in the figures
    ARRIVAL_COALESCED,  // under 100 us: a delivery the system merged
    ARRIVAL_PAUSE,      // over 50 ms, or after the program stopped listening
};

// Whole microseconds, as captures stamp them; a negative gap (a clock that
// went back) counts as coalesced, never as accepted.
inline GapKind gap_kind_whole_us(int64_t us) {
    if (us > kGapLongestWholeUs)
        return GAP_PAUSE;
    return us >= kGapShortestWholeUs ? GAP_ACCEPTED : GAP_COALESCED;
}

// The diagnostic tally's window: 100 < gap < 50000, both ends excluded.
inline bool tally_counts_gap(int64_t us) { return us > kGapShortestWholeUs && us < kGapLongestWholeUs; }

// A counter difference in microseconds. Every live path converts with this one
// expression, so a gap has one value wherever it is shown.
inline double ticks_to_us(int64_t ticks, double ticks_per_second) {
    return (double)ticks / ticks_per_second * 1000000.0;
}

// The accepted range in counter ticks: gap_kind(ticks_to_us(t, f)) is
// GAP_ACCEPTED exactly when shortest <= t <= longest.
struct GapTicks {
    int64_t shortest;
    int64_t longest;
};
GapTicks gap_ticks_for(double ticks_per_second);
