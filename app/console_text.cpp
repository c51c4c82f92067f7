// The console's text: the status line, the device and throttle lines, the
// end-of-run summary and its hints, formatted from figures that core/
// computed. Each line's key stays English for the scripts that read it; the
// words after it come from the language's table. The console run and
// --analyze print them alike.
#include "app/console_text.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "core/views/text_buf.h"
#include "core/views/texts.h"
#include "core/views/wide_text.h"


int format_status_line(char* buf, size_t cap, const StatsReadings* r) {
    return snprintf(buf, cap,
                    "\rAvg=%8.1f Hz  MinInst=%8.1f Hz  MaxInst=%8.1f Hz  CurMin=%8.1f Hz  "
                    "Count=%llu  Time=%.1fs",
                    r->average_hz, r->lowest_instant_hz, r->highest_instant_hz,
                    r->last_second_lowest_hz, (unsigned long long)r->report_count,
                    r->elapsed_s);
}

// One line: its key, English in every language for the scripts that read
// it, then the words of the chosen language (words formats the arguments).
// Appended whole or, when it does not fit, not at all.
static void add_line(TextBuf* t, const char* key, TextId words, ...) {
    char line[1024];
    va_list args;
    va_start(args, words);
    vsnprintf(line, sizeof line, tx(words), args);
    va_end(args);
    text_appendf(t, "%s%s\n", key, line);
}

static void add_interval_lines(TextBuf* t, const char* name, const StatsReadings* r,
                               const Distribution* d) {
    const double* p = d->pct_us;
    text_appendf(t, "Summary: %s, %.1f s\n", name, r->elapsed_s);
    text_appendf(t, "Intervals (us): n=%llu mean=%.1f sd=%.1f min=%.1f max=%.1f\n",
                 (unsigned long long)d->n, d->mean_us, d->sd_us, d->min_us, d->max_us);
    text_appendf(t, "Percentiles (us): p0.1=%.1f p1=%.1f p50=%.1f p99=%.1f p99.9=%.1f\n",
                 p[PCT_0_1], p[PCT_1], p[PCT_50], p[PCT_99], p[PCT_99_9]);
    // p1 of the rates is the rate at the 99th-percentile interval: the slow end.
    text_appendf(t, "Rates (Hz): median=%.2f p1=%.2f p99=%.2f\n", rate_at(p[PCT_50]),
                 rate_at(p[PCT_99]), rate_at(p[PCT_1]));
    add_line(t, "Stability: ", TX_STABILITY_WITHIN, d->stability_pct);
    text_appendf(t, "Coalesced: %llu  Pauses: %llu  Background: %llu\n",
                 (unsigned long long)d->coalesced, (unsigned long long)d->pauses,
                 (unsigned long long)d->background);
    text_appendf(t, "Reading: batches=%llu max_batch=%llu batched_reports=%llu\n",
                 (unsigned long long)r->batch_count, (unsigned long long)r->max_batch,
                 (unsigned long long)r->batched_reports);
}

void format_clock_line(char* buf, size_t cap, const ReportClockFigures* c) {
    if (c->refusal != REPORT_CLOCK_OK) {
        char why[160];
        report_clock_refusal_text(c, why, sizeof why);
        snprintf(buf, cap, "Report clock: none (%s)\n", why);
    } else
        snprintf(buf, cap,
                 "Report clock: period_us=%.3f rate_hz=%.1f drift_ppm=%+.0f filled=%.1f%% "
                 "jitter_p50_us=%.1f jitter_p99_us=%.1f\n",
                 c->period_us, c->rate_hz, c->drift_ppm, c->filled_pct, c->jitter_p50_us,
                 c->jitter_p99_us);
}

static void add_motion_lines(TextBuf* t, const MotionFigures* m) {
    text_appendf(t, "Motion: moving=%llu idle=%llu saturated=%llu median_speed=%.1f counts/s\n",
                 (unsigned long long)m->moving, (unsigned long long)m->idle,
                 (unsigned long long)m->saturated, m->median_speed);
    text_appendf(t, "While moving: n=%llu median_hz=%.1f p1_hz=%.1f p99_hz=%.1f %s\n",
                 (unsigned long long)m->moving_n, m->moving_median_hz, m->moving_p1_hz,
                 m->moving_p99_hz, tx(TX_WHILE_MOVING_NOTE));
}

// A figure that was never timed reads "none", as a refused clock does.
static void add_ms(TextBuf* t, const char* key, bool known, double ms) {
    if (known)
        text_appendf(t, " %s=%.1f", key, ms);
    else
        text_appendf(t, " %s=none", key);
}

static void add_wheel_line(TextBuf* t, const char* key, const char* negative, const char* positive,
                           const WheelFigures* w) {
    if (w->notches)
        text_appendf(t, "%s: notches=%llu %s=%llu %s=%llu reversals=%llu\n", key,
                     (unsigned long long)w->notches, negative, (unsigned long long)w->negative,
                     positive, (unsigned long long)w->positive, (unsigned long long)w->reversals);
}

// Each line is built whole in a piece of its own, so that it is appended
// whole or not at all.
static void add_button_lines(TextBuf* t, const ButtonsSnapshot* s) {
    for (int i = 0; i < BUTTONS; i++) {
        const ButtonFigures* b = &s->button[i];
        if (!b->presses)
            continue;
        char line[256];
        TextBuf l = text_buf(line, sizeof line);
        text_appendf(&l, "Button %s: presses=%llu", kButtonName[i], (unsigned long long)b->presses);
        add_ms(&l, "held_p50_ms", b->held_n && !b->failed, b->held_p50_ms);
        add_ms(&l, "held_min_ms", b->held_n != 0, b->held_min_ms);
        add_ms(&l, "release_to_press_min_ms", b->gaps_n != 0, b->release_to_press_min_ms);
        text_appendf(&l, " chatter=%llu\n", (unsigned long long)b->chatter);
        text_appendf(t, "%s", line);
    }
    add_wheel_line(t, "Wheel", "down", "up", &s->wheel);
    add_wheel_line(t, "HWheel", "left", "right", &s->hwheel);
}

// The figures above cover the whole run, and so does the CSV, written as the
// run goes; the log in memory, which the USB comparison reads, may hold only
// the latest part.
static void add_log_notes(TextBuf* t, const Distribution* d, ArrivalView* log, double freq) {
    uint64_t count = log ? arrival_view_count(log) : 0;
    const double span = log ? arrival_view_held_s(log, freq) : -1;
    if (span >= 0)
        add_line(t, "Log: ", TX_LOG_HELD, span);
    if (log && log->failed)
        add_line(t, "Log: ", TX_LOG_OUT_OF_MEMORY, (unsigned long long)count);
    if (d->failed)
        add_line(t, "Log: ", TX_LOG_NO_INTERVALS);
}

void format_summary(char* buf, size_t cap, const char* name, const StatsReadings* r,
                    const Distribution* d, const ReportClockFigures* clock, const MotionFigures* m,
                    ArrivalView* log, double freq, const ButtonsSnapshot* b) {
    TextBuf t = text_buf(buf, cap);
    add_interval_lines(&t, name, r, d);
    char line[192];
    format_clock_line(line, sizeof line, clock);
    text_appendf(&t, "%s", line);
    add_motion_lines(&t, m);
    if (b)
        add_button_lines(&t, b);
    add_log_notes(&t, d, log, freq);
}

static const TextId kButtonWords[BUTTONS] = {TX_BUTTON_LEFT, TX_BUTTON_RIGHT, TX_BUTTON_MIDDLE,
                                             TX_BUTTON_BACK, TX_BUTTON_FORWARD};

void format_button_hints(char* buf, size_t cap, const ButtonsSnapshot* s) {
    TextBuf t = text_buf(buf, cap);
    for (int i = 0; i < BUTTONS; i++) {
        const ButtonFigures* b = &s->button[i];
        if (button_chattered(b))
            add_line(&t, "Hint: ", TX_HINT_CHATTER, tx(kButtonWords[i]),
                     (unsigned long long)b->chatter, (unsigned long long)b->presses, s->chatter_ms,
                     b->release_to_press_min_ms);
    }
    const WheelFigures* wheels[2] = {&s->wheel, &s->hwheel};
    const TextId names[2] = {TX_WHEEL_VERTICAL, TX_WHEEL_HORIZONTAL};
    for (int k = 0; k < 2; k++) {
        const WheelFigures* w = wheels[k];
        if (wheel_reverses(w))
            add_line(&t, "Hint: ", TX_HINT_WHEEL_REVERSALS, wheel_reversal_pct(w), tx(names[k]),
                     (unsigned long long)w->reversals, (unsigned long long)w->notches);
    }
}

void format_motion_hints(char* buf, size_t cap, const MotionHints* h, const MotionFigures* m) {
    TextBuf t = text_buf(buf, cap);
    if (h->hand_limited)
        add_line(&t, "Hint: ", TX_HINT_HAND, m->median_speed, h->needed_speed, h->faster_by,
                 h->needed_speed);
    if (h->saturation)
        add_line(&t, "Hint: ", TX_HINT_SATURATED, h->saturated_pct);
    if (h->idle)
        add_line(&t, "Hint: ", TX_HINT_IDLE, h->idle_pct);
}

void format_throttle_warning(char* buf, size_t cap, const ThrottleSettings* s,
                             const ThrottleDecision* d) {
    char cause[96];
    format_throttle_cause(cause, sizeof cause, s, d);
    TextBuf t = text_buf(buf, cap);
    add_line(&t, "Warning: ", TX_THROTTLE_WARNING, throttle_rate_hz(d->duration_ms), cause);
}

void format_background_line(char* buf, size_t cap, const StatsReadings* r, double throttle_period_us) {
    TextBuf t = text_buf(buf, cap);
    text_appendf(&t, "Background reports: %llu of %llu", (unsigned long long)r->background_count,
                 (unsigned long long)r->arrival_count);
    if (r->throttle_signature)
        text_appendf(&t, tx(TX_BACKGROUND_THROTTLED), throttle_period_us / 1000.0);
    text_append(&t, "\n", 1);
}
