// The A/B verdict said in words: the figures that differ first, with their
// change, then those that do not, joined as a sentence.
#include "core/views/ab_text.h"

#include <math.h>
#include <stdio.h>

// One figure as the sentence names it: its subject, verb, and the words for
// a rise and a fall.
struct Said {
    const char *subject, *verb, *same, *up, *down, *unit;
};
enum { SAID_MEDIAN, SAID_SLOW_END, SAID_SPREAD, SAID_STABILITY, SAID_CLOCK, SAIDS };
static const Said kSaid[SAIDS] = {
    {"median rate", "is", "the median rate", "faster", "slower", "%"},
    {"slow end", "is", "the slow end", "faster", "slower", "%"},
    {"intervals", "are", "the spread", "more spread", "less spread", "%"},
    {"stability", "is", "the stability", "higher", "lower", " points"},
    {"report clock period", "is", "the report clock period", "longer", "shorter", "%"},
};
// The figure each phrase reads its change from.
static const AbFigure kSaidFigure[SAIDS] = {AB_MEDIAN_HZ, AB_P1_HZ, AB_SD_US, AB_STABILITY, AB_CLOCK_US};

static bool said_differs(const AbVerdict* v, int i) {
    return v->differs[kSaidFigure[i]] || (i == SAID_SLOW_END && v->differs[AB_P99_US]);
}

// Appends to out at *at, never past cap (a text cut short stays terminated).
static void put(char* out, size_t cap, size_t* at, const char* text) {
    for (; *text && *at + 1 < cap; text++)
        out[(*at)++] = *text;
    if (cap)
        out[*at < cap ? *at : cap - 1] = 0;
}

// "B's slow end is 2.6% slower" first, "its intervals 61% more spread" after.
static void put_change(const AbVerdict* v, int i, bool first, char* out, size_t cap, size_t* at) {
    const Said* s = &kSaid[i];
    const double change = v->change[kSaidFigure[i]];
    char amount[48] = "";
    if (isfinite(change))
        snprintf(amount, sizeof amount, fabs(change) < 10 || i == SAID_STABILITY ? "%.1f%s " : "%.0f%s ",
                 fabs(change), s->unit);
    char text[160];
    snprintf(text, sizeof text, "%s%s%s%s %s%s", first ? "B's " : "its ", s->subject, first ? " " : "",
             first ? s->verb : "", amount, change > 0 ? s->up : s->down);
    put(out, cap, at, text);
}

// Joins n items: "a", "a and b", "a, b and c".
static void put_joint(int k, int n, char* out, size_t cap, size_t* at) {
    if (k > 0)
        put(out, cap, at, k == n - 1 ? " and " : ", ");
}

static size_t no_verdict_text(const AbVerdict* v, char* out, size_t cap) {
    char text[160];
    if (v->why == AB_VERDICT_FEW_BLOCKS)
        snprintf(text, sizeof text,
                 "Verdict: none: run %c has %u blocks of 1 s; a verdict needs at least %d in each run.",
                 v->short_run, v->short_blocks, (int)AB_MIN_BLOCKS);
    else if (v->why == AB_VERDICT_NO_INTERVALS)
        snprintf(text, sizeof text, "Verdict: none: run %c has no accepted intervals.", v->short_run);
    else
        snprintf(text, sizeof text, "Verdict: none: no memory for the comparison.");
    size_t at = 0;
    put(out, cap, &at, text);
    return at;
}

size_t ab_verdict_text(const AbComparison* c, char* out, size_t cap) {
    const AbVerdict* v = &c->verdict;
    if (v->why != AB_VERDICT_GIVEN)
        return no_verdict_text(v, out, cap);
    int differ = 0, same = 0, k = 0;
    for (int i = 0; i < SAIDS; i++) {
        if (i == SAID_CLOCK && !v->compared[AB_CLOCK_US])
            continue;
        said_differs(v, i) ? differ++ : same++;
    }
    size_t at = 0;
    put(out, cap, &at, "Verdict: ");
    for (int i = 0; i < SAIDS; i++) {
        if (said_differs(v, i)) {
            put_joint(k, differ, out, cap, &at);
            put_change(v, i, k++ == 0, out, cap, &at);
        }
    }
    put(out, cap, &at, differ && same ? "; " : "");
    k = 0;
    for (int i = 0; i < SAIDS; i++) {
        if (!said_differs(v, i) && (i != SAID_CLOCK || v->compared[AB_CLOCK_US])) {
            put_joint(k++, same, out, cap, &at);
            put(out, cap, &at, kSaid[i].same);
        }
    }
    put(out, cap, &at, same == 0 ? "." : same == 1 ? " does not differ." : " do not differ.");
    return at;
}
