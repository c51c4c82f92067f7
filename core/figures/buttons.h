// Buttons and wheel: every press of the five buttons timed from the reports'
// stamps, and the wheel's notches, for the faults users bring to a mouse
// tester after a rate that will not hold: a worn switch that bounces (it is
// pressed again a few milliseconds after its release, and so double-clicks
// by itself) and a wheel that jumps back a notch while scrolling.
//
// Each statistics record keeps one ButtonTally (DeviceStats::buttons), fed by
// run_take_report under the record's lock, so a live run, its CSV read back
// and every front end count the same. Read it with record_buttons
// (core/figures/stats.h): a ButtonsSnapshot, taken under the record's lock
// like record_motion's figures, is all a front end needs to show them.
//
// What counts:
// - A press is a report with the button's DOWN flag; its hold runs to the
//   next report with its UP flag. A release seen without its press (the run
//   started while it was held) times nothing but starts the next gap.
// - Release to press: from a button's release to its next press. A press
//   less than the chatter threshold (10 ms unless set, --chatter-ms) after
//   the same button's release is chatter; one at exactly the threshold is not.
// - A pause that run_pause_all marks (a report was lost) forgets the held
//   presses and the last releases: the lost report may have been one of
//   them. A hold with no report in it for a while (the hand still) is timed
//   as any other.
// - The wheel: usButtonData / 120 notches with RI_MOUSE_WHEEL, signed
//   (positive: rotated away from the user, "up"); RI_MOUSE_HWHEEL the same
//   for the horizontal wheel (positive: right). A report of several notches
//   counts each; a finer wheel's deltas add up to whole notches. A reversal
//   is a notch whose direction differs from both the notch before and the
//   notch after, each within 100 ms (both ends included): a lone notch
//   against a scroll, where a deliberate change of direction has two or more
//   notches each way.
//
// Memory does not grow with the run: each button's held times are counted in
// a block of bins made at its first timed hold (41 KiB): 0.1 ms wide below
// 1 s, so a median below a second is exact to 0.1 ms (holds are rounded to
// the nearest 0.1 ms), 100 ms wide from 1 s to 60 s (a median there is shown
// at its bin's middle, within 50 ms), and one bin for 60 s and more (shown
// as 60000 ms). Minimum hold and gap are exact.
#pragma once

#include <stdint.h>

#include "core/figures/motion.h"

// usButtonFlags bits (Windows' RI_MOUSE_* values): DOWN of button b is bit
// 2b, UP bit 2b + 1, for the five buttons in ButtonId order.
enum {
    BUTTON_FLAG_WHEEL = 0x0400,   // RI_MOUSE_WHEEL: usButtonData is the wheel's delta
    BUTTON_FLAG_HWHEEL = 0x0800,  // RI_MOUSE_HWHEEL: the horizontal wheel's
    BUTTON_FLAG_ALL_BUTTONS = 0x03FF,
};
inline uint16_t button_down_flag(int b) { return (uint16_t)(1u << (2 * b)); }
inline uint16_t button_up_flag(int b) { return (uint16_t)(2u << (2 * b)); }

enum ButtonId {
    BUTTON_LEFT,     // RI_MOUSE_BUTTON_1 (LEFT_BUTTON)
    BUTTON_RIGHT,    // RI_MOUSE_BUTTON_2
    BUTTON_MIDDLE,   // RI_MOUSE_BUTTON_3
    BUTTON_BACK,     // RI_MOUSE_BUTTON_4 (X button 1)
    BUTTON_FORWARD,  // RI_MOUSE_BUTTON_5 (X button 2)
    BUTTONS,
};
// "left", "right", "middle", "back", "forward": the console's keys and the JSON's.
extern const char* const kButtonName[BUTTONS];

enum {
    WHEEL_DELTA_PER_NOTCH = 120,
    BUTTON_HELD_FINE_BINS = 10000,   // 0.1 ms each, below 1 s
    BUTTON_HELD_COARSE_BINS = 590,   // 100 ms each, 1 s to 60 s
    BUTTON_HELD_GROUP = 100,         // fine bins summed per group, so a median is found in few steps
    BUTTON_HELD_BINS = BUTTON_HELD_FINE_BINS + BUTTON_HELD_COARSE_BINS + 1,
};
constexpr double kChatterDefaultMs = 10.0;
constexpr double kChatterLowestMs = 0.5;
constexpr double kChatterHighestMs = 100.0;
constexpr double kWheelReversalWindowMs = 100.0;

// One button's held times, made at its first timed hold.
struct ButtonHeldBins {
    uint32_t bins[BUTTON_HELD_BINS];
    uint32_t group_n[BUTTON_HELD_FINE_BINS / BUTTON_HELD_GROUP];
};

struct ButtonTimes {
    uint64_t presses;
    uint64_t held_n;        // holds timed (press to its release)
    int64_t held_min;       // ticks; meaningful with held_n
    uint64_t gaps_n;        // release-to-press gaps timed
    int64_t gap_min;        // ticks; meaningful with gaps_n
    uint64_t chatter;
    int64_t down_t;         // the held press's stamp; 0: not held, or not known
    int64_t up_t;           // the latest release's stamp; 0: none known
    ButtonHeldBins* held;   // null until the first timed hold, or when memory ran out
    bool failed;            // no memory for the bins: holds counted, no median
};

struct WheelTally {
    uint64_t positive, negative;  // notches each way (wheel: up, down; horizontal: right, left)
    uint64_t reversals;
    int32_t residual;             // a finer wheel's delta not yet a whole notch
    // The two latest notches (direction +1 or -1, 0: none; stamp), the later
    // one still waiting for the notch after it.
    int8_t before_dir, last_dir;
    int64_t before_t, last_t;
};

struct ButtonTally {
    double freq;             // counter ticks per second
    double chatter_ms;       // a gap shorter than this is chatter
    double chatter_ticks;    // the same in ticks
    double reversal_ticks;   // 100 ms
    ButtonTimes button[BUTTONS];
    WheelTally wheel, hwheel;
};

// A tally counting at freq ticks a second with the default threshold.
void button_tally_init(ButtonTally* t, double freq);
// Forgets every count and state; keeps the blocks of bins.
void button_tally_clear(ButtonTally* t);
void button_tally_free(ButtonTally* t);
// Chatter is a press less than ms after the same button's release.
void button_tally_set_chatter_ms(ButtonTally* t, double ms);
// A report was lost: its presses, releases or notches are not known.
void button_tally_pause(ButtonTally* t);
// One report stamped t (ticks). Most reports carry no button or wheel: they
// cost one test.
void button_tally_report(ButtonTally* t, int64_t t_ticks, uint16_t flags, int16_t data);
inline void button_tally_add(ButtonTally* t, int64_t t_ticks, const ReportMotion* m) {
    if (m && (m->buttons & (BUTTON_FLAG_ALL_BUTTONS | BUTTON_FLAG_WHEEL | BUTTON_FLAG_HWHEEL)))
        button_tally_report(t, t_ticks, m->buttons, m->wheel);
}

// What every front end shows, read under the record's lock (record_buttons).
struct ButtonFigures {
    uint64_t presses;
    uint64_t held_n;                 // 0: no hold timed, the two held figures say nothing
    double held_p50_ms;              // nearest rank, as the bins give it (see above)
    double held_min_ms;
    uint64_t gaps_n;                 // 0: no release-to-press gap, its figure says nothing
    double release_to_press_min_ms;
    uint64_t chatter;
    bool failed;                     // no memory for the held times' bins: no median
};
struct WheelFigures {
    uint64_t notches;
    uint64_t positive, negative;     // wheel: up, down; horizontal: right, left
    uint64_t reversals;
};
struct ButtonsSnapshot {
    double chatter_ms;               // the threshold the chatter was counted by
    ButtonFigures button[BUTTONS];   // presses 0: not pressed, no line shown
    WheelFigures wheel, hwheel;      // notches 0: not turned, no line shown
};
void button_snapshot_of(const ButtonTally* t, ButtonsSnapshot* out);

// Whether any button was pressed or any wheel turned: a run of clicks alone
// has reports, though perhaps no interval short enough to count.
bool buttons_used(const ButtonsSnapshot* s);

// The hints: a button that chattered at all (a bouncing switch), and a wheel
// of which over 2 % of the notches were reversals.
inline bool button_chattered(const ButtonFigures* b) { return b->chatter > 0; }
inline bool wheel_reverses(const WheelFigures* w) { return w->reversals * 50 > w->notches; }
inline double wheel_reversal_pct(const WheelFigures* w) {
    return w->notches ? 100.0 * (double)w->reversals / (double)w->notches : 0;
}
