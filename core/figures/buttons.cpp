// Buttons and wheel: presses paired with their releases per button, the
// wheel's deltas turned into notches, and the bins that give the median hold
// in a block of fixed size. Runs on the reader thread under the record's
// lock, but only for the rare report that carries a button or the wheel.
#include "core/figures/buttons.h"

#include <math.h>
#include <string.h>

#include "core/heap.h"

const char* const kButtonName[BUTTONS] = {"left", "right", "middle", "back", "forward"};

static const int kTenthsPerSecond = 10000;
static const int64_t kTenthsFine = BUTTON_HELD_FINE_BINS;         // 1 s
static const int64_t kTenthsPerCoarseBin = 1000;                 // 100 ms
static const int64_t kTenthsLast = kTenthsFine + kTenthsPerCoarseBin * BUTTON_HELD_COARSE_BINS;  // 60 s

void button_tally_init(ButtonTally* t, double freq) {
    memset((void*)t, 0, sizeof *t);
    t->freq = freq;
    t->reversal_ticks = kWheelReversalWindowMs * freq / 1000.0;
    button_tally_set_chatter_ms(t, kChatterDefaultMs);
}

void button_tally_set_chatter_ms(ButtonTally* t, double ms) {
    t->chatter_ms = ms;
    t->chatter_ticks = ms * t->freq / 1000.0;
}

static void forget_wheel_state(WheelTally* w) {
    w->residual = 0;
    w->before_dir = w->last_dir = 0;
    w->before_t = w->last_t = 0;
}

void button_tally_pause(ButtonTally* t) {
    for (ButtonTimes& b : t->button)
        b.down_t = b.up_t = 0;
    forget_wheel_state(&t->wheel);
    forget_wheel_state(&t->hwheel);
}

void button_tally_clear(ButtonTally* t) {
    for (ButtonTimes& b : t->button) {
        ButtonHeldBins* held = b.held;
        b = ButtonTimes{};
        if (held)
            memset(held, 0, sizeof *held);
        b.held = held;
    }
    t->wheel = WheelTally{};
    t->hwheel = WheelTally{};
}

void button_tally_free(ButtonTally* t) {
    for (ButtonTimes& b : t->button) {
        heap_free(b.held);
        b.held = nullptr;
    }
}

// The bin of a hold of `tenths` tenths of a millisecond.
static int held_bin(int64_t tenths) {
    if (tenths < kTenthsFine)
        return (int)tenths;
    if (tenths < kTenthsLast)
        return BUTTON_HELD_FINE_BINS + (int)((tenths - kTenthsFine) / kTenthsPerCoarseBin);
    return BUTTON_HELD_BINS - 1;
}

// What a bin stands for, in milliseconds.
static double held_of_bin(int bin) {
    if (bin < BUTTON_HELD_FINE_BINS)
        return bin / 10.0;
    if (bin < BUTTON_HELD_BINS - 1)
        return (double)(kTenthsFine + (bin - BUTTON_HELD_FINE_BINS) * kTenthsPerCoarseBin +
                        kTenthsPerCoarseBin / 2) / 10.0;
    return kTenthsLast / 10.0;
}

static void count_hold(ButtonTally* t, ButtonTimes* b, int64_t ticks) {
    if (b->held_n == 0 || ticks < b->held_min)
        b->held_min = ticks;
    b->held_n++;
    if (!b->held && !b->failed) {
        b->held = (ButtonHeldBins*)heap_alloc(sizeof(ButtonHeldBins));
        if (b->held)
            memset(b->held, 0, sizeof *b->held);
        b->failed = !b->held;
    }
    if (!b->held || !(t->freq > 0))
        return;
    const double tenths = ticks > 0 ? (double)ticks * kTenthsPerSecond / t->freq : 0;
    const int bin = held_bin(tenths < (double)kTenthsLast ? llround(tenths) : kTenthsLast);
    b->held->bins[bin]++;
    if (bin < BUTTON_HELD_FINE_BINS)
        b->held->group_n[bin / BUTTON_HELD_GROUP]++;
}

static void press(ButtonTally* t, ButtonTimes* b, int64_t at) {
    b->presses++;
    if (b->up_t) {
        const int64_t gap = at - b->up_t;
        if (b->gaps_n == 0 || gap < b->gap_min)
            b->gap_min = gap;
        b->gaps_n++;
        b->chatter += (double)gap < t->chatter_ticks;
    }
    b->up_t = 0;  // a press after a press (its release lost) times no gap
    b->down_t = at;
}

static void release(ButtonTally* t, ButtonTimes* b, int64_t at) {
    if (b->down_t)
        count_hold(t, b, at - b->down_t);
    b->down_t = 0;
    b->up_t = at;
}

// The notch before `dir` at `at` is judged now that its successor is known.
static void push_notch(const ButtonTally* t, WheelTally* w, int dir, int64_t at) {
    if (w->before_dir && w->last_dir && w->last_dir != w->before_dir && w->last_dir != dir &&
        (double)(w->last_t - w->before_t) <= t->reversal_ticks &&
        (double)(at - w->last_t) <= t->reversal_ticks)
        w->reversals++;
    w->before_dir = w->last_dir;
    w->before_t = w->last_t;
    w->last_dir = (int8_t)dir;
    w->last_t = at;
}

static void turn(const ButtonTally* t, WheelTally* w, int64_t at, int delta) {
    if (delta == 0)
        return;
    if ((w->residual > 0 && delta < 0) || (w->residual < 0 && delta > 0))
        w->residual = 0;  // a finer wheel turned back before a whole notch
    w->residual += delta;
    const int notches = w->residual / WHEEL_DELTA_PER_NOTCH;
    w->residual -= notches * WHEEL_DELTA_PER_NOTCH;
    if (notches == 0)
        return;
    const int dir = notches > 0 ? 1 : -1;
    const int count = notches * dir;
    (dir > 0 ? w->positive : w->negative) += (uint64_t)count;
    // The notches of one report share a direction and a stamp: after two of
    // them, more change nothing that a reversal is judged by.
    for (int k = 0; k < count && k < 2; k++)
        push_notch(t, w, dir, at);
}

void button_tally_report(ButtonTally* t, int64_t at, uint16_t flags, int16_t data) {
    // Only the buttons the report names: most name one, or none.
    for (int i = 0; i < BUTTONS && (flags >> (2 * i)) & BUTTON_FLAG_ALL_BUTTONS; i++) {
        if (!((flags >> (2 * i)) & 3))
            continue;
        const bool down = flags & button_down_flag(i), up = flags & button_up_flag(i);
        ButtonTimes* b = &t->button[i];
        // Both in one report: whichever ends the state the button was in comes first.
        const bool release_first = up && b->down_t;
        if (release_first)
            release(t, b, at);
        if (down)
            press(t, b, at);
        if (up && !release_first)
            release(t, b, at);
    }
    if (flags & BUTTON_FLAG_WHEEL)
        turn(t, &t->wheel, at, data);
    if (flags & BUTTON_FLAG_HWHEEL)
        turn(t, &t->hwheel, at, data);
}

static double ms_of(const ButtonTally* t, int64_t ticks) { return (double)ticks * 1000.0 / t->freq; }

// The nearest-rank median of the held times: the group, then the bin.
static double held_median(const ButtonHeldBins* h, uint64_t n) {
    const uint64_t rank = (n + 1) / 2;
    uint64_t below = 0;
    int bin = 0;
    for (int g = 0; g < BUTTON_HELD_FINE_BINS / BUTTON_HELD_GROUP; g++, bin += BUTTON_HELD_GROUP) {
        if (below + h->group_n[g] >= rank)
            break;
        below += h->group_n[g];
    }
    for (; bin < BUTTON_HELD_BINS - 1; bin++) {
        below += h->bins[bin];
        if (below >= rank)
            break;
    }
    return held_of_bin(bin);
}

static void figures_of(const ButtonTally* t, const ButtonTimes* b, ButtonFigures* out) {
    *out = ButtonFigures{};
    out->presses = b->presses;
    out->held_n = b->held_n;
    out->gaps_n = b->gaps_n;
    out->chatter = b->chatter;
    out->failed = b->failed;
    if (b->held_n) {
        out->held_min_ms = ms_of(t, b->held_min);
        out->held_p50_ms = b->held ? held_median(b->held, b->held_n) : 0;
    }
    if (b->gaps_n)
        out->release_to_press_min_ms = ms_of(t, b->gap_min);
}

static void wheel_of(const WheelTally* w, WheelFigures* out) {
    out->positive = w->positive;
    out->negative = w->negative;
    out->notches = w->positive + w->negative;
    out->reversals = w->reversals;
}

void button_snapshot_of(const ButtonTally* t, ButtonsSnapshot* out) {
    out->chatter_ms = t->chatter_ms;
    for (int i = 0; i < BUTTONS; i++)
        figures_of(t, &t->button[i], &out->button[i]);
    wheel_of(&t->wheel, &out->wheel);
    wheel_of(&t->hwheel, &out->hwheel);
}

bool buttons_used(const ButtonsSnapshot* s) {
    for (const ButtonFigures& b : s->button) {
        if (b.presses)
            return true;
    }
    return s->wheel.notches || s->hwheel.notches;
}
