// The rate line's figures: a report clock fed from the arrival log in bounded
// steps, looked at (a copy finished) only when there is something new to say.
#include "gui/panel_rate.h"

#include <string.h>

#include "core/figures/distribution.h"
#include "core/views/texts.h"

// Figures while measuring are at most this old (seconds).
static const double kLookEvery = 0.5;

void panel_rate_free(PanelRate* p) {
    record_clock_free(&p->clock);
    memset(p, 0, sizeof *p);
}

// Feeds at most PANEL_RATE_FEED reports; whether the clock has every report
// the view holds.
static bool feed(PanelRate* p, ArrivalView* v, int slot, double freq) {
    RecordClock* c = &p->clock;
    if (!c->started || c->feed.slot != slot || c->generation != v->generation) {
        record_clock_free(c);
        report_clock_init(&c->clock);
        arrival_clock_feed_init(&c->feed, slot);
        c->generation = v->generation;
        c->started = true;
        p->have = false;
        p->final = false;
    }
    const uint64_t end = v->next;
    const uint64_t from = c->feed.next > v->first ? c->feed.next : v->first;
    if (end > from + PANEL_RATE_FEED)
        v->next = from + PANEL_RATE_FEED;  // the walk stops there; the rest waits for the next tick
    arrival_clock_feed(&c->clock, &c->feed, v, freq);
    v->next = end;
    return c->feed.next >= end;
}

void panel_rate_refresh(PanelRate* p, Run* run, int slot, int64_t now) {
    ArrivalView v;
    arrival_view_take(&v, &run->log, ARRIVAL_READER_FRONT);
    const bool caught_up = feed(p, &v, slot, run->freq);
    arrival_view_release(&v);
    const bool measuring = run_measuring(run);
    if (!caught_up || (p->have && !measuring && p->final))
        return;
    if (p->have && measuring && (double)(now - p->looked_t) < kLookEvery * run->freq)
        return;
    report_clock_peek(&p->clock.clock, &p->figures);
    p->median_hz = 0;
    if (p->figures.refusal != REPORT_CLOCK_OK) {
        Distribution d;
        record_distribution(&run->records[slot], &d);
        p->median_hz = d.n ? rate_at(d.pct_us[PCT_50]) : 0;
    }
    p->have = true;
    p->final = !measuring;
    p->looked_t = now;
}

void panel_rate_text(const PanelRate* p, wchar_t* large, size_t large_cap, wchar_t* small,
                     size_t small_cap) {
    small[0] = 0;
    if (!p || !p->have) {
        swprintf(large, large_cap, L"%ls", txw(TX_PANEL_CLOCK_PENDING));
        return;
    }
    const ReportClockFigures* f = &p->figures;
    if (f->refusal == REPORT_CLOCK_OK) {
        swprintf(large, large_cap, txw(TX_PANEL_CLOCK), f->rate_hz, f->filled_pct);
        return;
    }
    wchar_t rate[32];
    if (p->median_hz > 0)
        swprintf(rate, 32, L"%.1f Hz", p->median_hz);
    else
        wcscpy(rate, L"—");
    swprintf(large, large_cap, txw(TX_PANEL_MEDIAN), rate);
    if (f->refusal == REPORT_CLOCK_LATE_READS) {  // its words carry its figures
        wchar_t why[REPORT_CLOCK_REFUSAL_BYTES];
        report_clock_refusal_text_w(f, why, REPORT_CLOCK_REFUSAL_BYTES);
        swprintf(small, small_cap, txw(TX_PANEL_NO_CLOCK), why);
        return;
    }
    const TextId why = f->refusal == REPORT_CLOCK_TOO_FEW     ? TX_PANEL_NO_CLOCK_FEW
                       : f->refusal == REPORT_CLOCK_NO_PERIOD ? TX_PANEL_NO_CLOCK_PERIOD
                                                              : TX_PANEL_NO_CLOCK_MEMORY;
    swprintf(small, small_cap, txw(TX_PANEL_NO_CLOCK), txw(why));
}
