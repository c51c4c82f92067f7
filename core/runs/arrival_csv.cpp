// CSV lines are formatted into one large buffer and written in big pieces: a
// run of an hour at 8000 Hz is 29 million lines. A cursor lets the console
// write them as the run goes, so an interrupted run keeps what it measured.
#include "core/runs/arrival_csv.h"

#include <inttypes.h>

#include "core/figures/gap_rule.h"

const char* const g_arrival_class_name[4] = {"first", "accepted", "coalesced", "pause"};

enum { CSV_BUFFER_BYTES = 1 << 20, CSV_LINE_BYTES = 160 };

static const char kHeader[] =
    "t_us,slot,interval_us,class,background,utc_us,dx,dy,buttons,wheel,flags\n";

bool write_arrival_csv_header(FILE* f) { return fputs(kHeader, f) >= 0; }

// One line into buf (at least CSV_LINE_BYTES); its length.
// Microseconds by the one conversion every figure uses, so a row's interval
// is the one the summary counted.
static double us_of(int64_t ticks, double freq) { return freq > 0 ? ticks_to_us(ticks, freq) : 0; }

static size_t format_row(char* buf, const ArrivalCsvCursor* c, Arrival a, bool has_interval,
                         double freq, int64_t utc) {
    char interval[32] = "";
    if (has_interval)
        snprintf(interval, sizeof interval, "%.3f", us_of(a.t - c->previous_t, freq));
    const ReportMotion* m = &a.motion;
    int n = snprintf(buf, CSV_LINE_BYTES, "%.3f,%d,%s,%s,%d,%" PRId64 ",%d,%d,%u,%d,%u\n",
                     us_of(a.t - c->first_t, freq), a.slot, interval,
                     g_arrival_class_name[a.cls], a.background ? 1 : 0, utc,
                     (int)m->dx, (int)m->dy, (unsigned)m->buttons, (int)m->wheel,
                     (unsigned)m->flags);
    return n > 0 ? (size_t)n : 0;
}

bool write_arrival_csv_rows(FILE* f, ArrivalCsvCursor* c, ArrivalView* v, double freq,
                            const ClockMap* clock) {
    return write_arrival_csv_slice(f, c, v, freq, clock, UINT64_MAX);
}

bool write_arrival_csv_slice(FILE* f, ArrivalCsvCursor* c, ArrivalView* v, double freq,
                             const ClockMap* clock, uint64_t max_rows) {
    static thread_local char buffer[CSV_BUFFER_BYTES];
    size_t used = 0;
    // Entries the log dropped before they were written leave a gap: no interval across it.
    bool gap = c->next < v->first;
    if (gap)
        c->next = v->first;
    const uint64_t left = c->next < v->next ? v->next - c->next : 0;
    const uint64_t end = c->next + (left < max_rows ? left : max_rows);
    for (; c->next < end; c->next++) {
        Arrival a = arrival_view_at(v, c->next - v->first);
        if (v->lost)
            break;  // given up since the view was taken: the next call starts after the gap
        if (c->rows == 0)
            c->first_t = a.t;
        const int64_t utc = clock_map_utc(clock, a.t);
        c->written_utc = utc > c->written_utc ? utc : c->written_utc;
        used += format_row(buffer + used, c, a, c->rows > 0 && !gap, freq, c->written_utc);
        gap = false;
        c->previous_t = a.t;
        c->rows++;
        if (used > sizeof buffer - CSV_LINE_BYTES) {
            if (fwrite(buffer, 1, used, f) != used)
                return false;
            used = 0;
        }
    }
    if (used && fwrite(buffer, 1, used, f) != used)
        return false;
    return fflush(f) == 0;
}

bool write_arrival_csv(FILE* f, ArrivalView* v, double freq, const ClockMap* clock) {
    ArrivalCsvCursor c = {v->first, 0, 0, 0};
    return write_arrival_csv_header(f) && write_arrival_csv_rows(f, &c, v, freq, clock);
}
