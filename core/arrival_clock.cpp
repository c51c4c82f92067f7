// Walks the arrival log in its runs of adjacent entries: a status line's worth
// of reports costs a few microseconds on the front end's thread.
#include "core/arrival_clock.h"

#include "core/gap_rule.h"

void arrival_clock_feed_init(ArrivalClockFeed* f, int slot) {
    f->slot = slot;
    f->next = 0;
    f->dropped = 0;
}

void arrival_clock_feed(ReportClock* c, ArrivalClockFeed* f, ArrivalView* v, double freq) {
    if (!(freq > 0))
        return;
    if (f->next < v->first) {
        f->dropped += v->first - f->next;
        f->next = v->first;
    }
    while (f->next < v->next) {
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
