// The A/B verdict said in words: the figures that differ first, with their
// change, then those that do not, joined as a sentence of the chosen
// language from its table's pieces.
#include "core/views/ab_text.h"

#include <math.h>
#include <stdio.h>

#include "core/views/texts.h"

// One figure as the sentence names it: as the first change says it (with its
// verb), as a later one does, its words for a rise and a fall around the
// amount, and its name among those that do not differ; its change in points
// rather than per cent.
struct Said {
    TextId first, subject, up, down, same;
    bool points;
};
enum { SAID_MEDIAN, SAID_SLOW_END, SAID_SPREAD, SAID_STABILITY, SAID_CLOCK, SAIDS };
static const Said kSaid[SAIDS] = {
    {TX_AB_MEDIAN_FIRST, TX_AB_MEDIAN, TX_AB_MEDIAN_UP, TX_AB_MEDIAN_DOWN, TX_AB_MEDIAN_SAME, false},
    {TX_AB_SLOW_FIRST, TX_AB_SLOW, TX_AB_SLOW_UP, TX_AB_SLOW_DOWN, TX_AB_SLOW_SAME, false},
    {TX_AB_SPREAD_FIRST, TX_AB_SPREAD, TX_AB_SPREAD_UP, TX_AB_SPREAD_DOWN, TX_AB_SPREAD_SAME, false},
    {TX_AB_STABILITY_FIRST, TX_AB_STABILITY, TX_AB_STABILITY_UP, TX_AB_STABILITY_DOWN,
     TX_AB_STABILITY_SAME, true},
    {TX_AB_CLOCK_FIRST, TX_AB_CLOCK, TX_AB_CLOCK_UP, TX_AB_CLOCK_DOWN, TX_AB_CLOCK_SAME, false},
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
static void put_change(Lang lang, const AbVerdict* v, int i, bool first, char* out, size_t cap,
                       size_t* at) {
    const Said* s = &kSaid[i];
    const double change = v->change[kSaidFigure[i]];
    char amount[48] = "";
    if (isfinite(change))
        snprintf(amount, sizeof amount, tx_in(lang, s->points ? TX_AB_AMOUNT_POINTS : TX_AB_AMOUNT_PCT),
                 fabs(change) < 10 || i == SAID_STABILITY ? 1 : 0, fabs(change));
    char word[96];
    snprintf(word, sizeof word, tx_in(lang, change > 0 ? s->up : s->down), amount);
    char text[192];
    snprintf(text, sizeof text, tx_in(lang, first ? TX_AB_FIRST_CHANGE : TX_AB_NEXT_CHANGE),
             tx_in(lang, first ? s->first : s->subject), word);
    put(out, cap, at, text);
}

// Joins n items: "a", "a and b", "a, b and c" (join, last: the words between).
static void put_joint(Lang lang, int k, int n, TextId join, TextId last, char* out, size_t cap,
                      size_t* at) {
    if (k > 0)
        put(out, cap, at, tx_in(lang, k == n - 1 ? last : join));
}

static size_t no_verdict_text(Lang lang, const AbVerdict* v, char* out, size_t cap) {
    char text[192];
    if (v->why == AB_VERDICT_FEW_BLOCKS)
        snprintf(text, sizeof text, tx_in(lang, TX_AB_FEW_BLOCKS), v->short_run, v->short_blocks,
                 (int)AB_MIN_BLOCKS);
    else if (v->why == AB_VERDICT_NO_INTERVALS)
        snprintf(text, sizeof text, tx_in(lang, TX_AB_NO_INTERVALS), v->short_run);
    else
        snprintf(text, sizeof text, "%s", tx_in(lang, TX_AB_NO_MEMORY_VERDICT));
    size_t at = 0;
    put(out, cap, &at, "Verdict: none: ");
    put(out, cap, &at, text);
    return at;
}

size_t ab_verdict_text(const AbComparison* c, char* out, size_t cap) {
    return ab_verdict_text_in(texts_lang(), c, out, cap);
}

size_t ab_verdict_text_in(Lang lang, const AbComparison* c, char* out, size_t cap) {
    const AbVerdict* v = &c->verdict;
    if (v->why != AB_VERDICT_GIVEN)
        return no_verdict_text(lang, v, out, cap);
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
            put_joint(lang, k, differ, TX_AB_CHANGE_JOIN, TX_AB_CHANGE_JOIN_LAST, out, cap, &at);
            put_change(lang, v, i, k++ == 0, out, cap, &at);
        }
    }
    put(out, cap, &at, differ && same ? tx_in(lang, TX_AB_BOTH) : "");
    k = 0;
    for (int i = 0; i < SAIDS; i++) {
        if (!said_differs(v, i) && (i != SAID_CLOCK || v->compared[AB_CLOCK_US])) {
            put_joint(lang, k++, same, TX_AB_SAME_JOIN, TX_AB_SAME_JOIN_LAST, out, cap, &at);
            put(out, cap, &at, tx_in(lang, kSaid[i].same));
        }
    }
    put(out, cap, &at,
        tx_in(lang, same == 0 ? TX_AB_END_ALL_DIFFER : same == 1 ? TX_AB_END_ONE_SAME : TX_AB_END_SAME));
    return at;
}
