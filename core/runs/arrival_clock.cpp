// Walks the arrival log in its runs of adjacent entries: a status line's worth
// of reports costs a few microseconds on the front end's thread.
#include "core/runs/arrival_clock.h"

#include <string.h>

#include "core/figures/gap_rule.h"
#include "core/heap.h"

void arrival_clock_feed_init(ArrivalClockFeed* f, int slot) {
    f->slot = slot;
    f->next = 0;
    f->dropped = 0;
}

void arrival_clock_feed(ReportClock* c, ArrivalClockFeed* f, ArrivalView* v, double freq,
                        const std::atomic<bool>* stop) {
    if (!(freq > 0))
        return;
    if (f->next < v->first) {
        f->dropped += v->first - f->next;
        f->next = v->first;
    }
    while (f->next < v->next && !(stop && stop->load(std::memory_order_relaxed))) {
        const ArrivalEntry* e;
        const uint64_t n = arrival_view_run(v, f->next - v->first, &e);
        if (n == 0)
            return;  // given up since the view was taken: the next call skips the gap
        for (uint64_t i = 0; i < n; i++) {
            if (f->slot == 0 || arrival_entry_slot(e[i]) == f->slot)
                report_clock_add(c, ticks_to_us((int64_t)(e[i].packed >> 9), freq));
        }
        f->next += n;
    }
}

bool report_clock_peek(const ReportClock* c, ReportClockFigures* out) {
    ReportClock* copy = (ReportClock*)heap_alloc(sizeof *copy);
    if (!copy) {
        memset(out, 0, sizeof *out);
        out->reports = c->n;
        out->refusal = REPORT_CLOCK_NO_MEMORY;
        return false;
    }
    memcpy(copy, c, sizeof *copy);
    memset(&copy->jitter, 0, sizeof copy->jitter);
    memset(out, 0, sizeof *out);
    out->reports = c->n;
    out->refusal = REPORT_CLOCK_NO_MEMORY;  // unless the copy is finished
    const bool ok = gap_histogram_copy(&copy->jitter, &c->jitter) && report_clock_finish(copy, out);
    report_clock_free(copy);
    heap_free(copy);
    return ok;
}

void record_clock_look(RecordClock* r, ArrivalView* v, int slot, double freq, ReportClockFigures* out,
                       const std::atomic<bool>* stop) {
    if (!r->started || r->feed.slot != slot || r->generation != v->generation) {
        report_clock_free(&r->clock);
        report_clock_init(&r->clock);
        arrival_clock_feed_init(&r->feed, slot);
        r->generation = v->generation;
        r->started = true;
    }
    arrival_clock_feed(&r->clock, &r->feed, v, freq, stop);
    report_clock_peek(&r->clock, out);
}

void record_clock_free(RecordClock* r) {
    if (r->started)
        report_clock_free(&r->clock);
    memset(r, 0, sizeof *r);
}
