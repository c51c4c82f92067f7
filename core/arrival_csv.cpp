// CSV lines are formatted into one large buffer and written in big pieces: a
// run of an hour at 8000 Hz is 29 million lines. A cursor lets the console
// write them as the run goes, so an interrupted run keeps what it measured.
#include "core/arrival_csv.h"

#include <inttypes.h>

const char* const g_arrival_class_name[4] = {"first", "accepted", "coalesced", "pause"};

enum { CSV_BUFFER_BYTES = 1 << 20, CSV_LINE_BYTES = 160 };

static const char kHeader[] = "t_us,slot,interval_us,class,background,utc_us\n";

bool write_arrival_csv_header(FILE* f) { return fputs(kHeader, f) >= 0; }

// One line into buf (at least CSV_LINE_BYTES); its length.
static size_t format_row(char* buf, const ArrivalCsvCursor* c, Arrival a, bool has_interval,
                         double us_per_tick, const ClockMap* clock) {
    char interval[32] = "";
    if (has_interval)
        snprintf(interval, sizeof interval, "%.3f", (double)(a.t - c->previous_t) * us_per_tick);
    int n = snprintf(buf, CSV_LINE_BYTES, "%.3f,%d,%s,%s,%d,%" PRId64 "\n",
                     (double)(a.t - c->first_t) * us_per_tick, a.slot, interval,
                     g_arrival_class_name[a.cls], a.background ? 1 : 0, clock_map_utc(clock, a.t));
    return n > 0 ? (size_t)n : 0;
}

bool write_arrival_csv_rows(FILE* f, ArrivalCsvCursor* c, const ArrivalLog* log, double freq,
                            const ClockMap* clock) {
    static char buffer[CSV_BUFFER_BYTES];
    size_t used = 0;
    const double us_per_tick = freq > 0 ? 1000000.0 / freq : 0;
    // Entries the log dropped before they were written leave a gap: no interval across it.
    bool gap = c->next < log->first;
    if (gap)
        c->next = log->first;
    for (; c->next < log->next; c->next++) {
        Arrival a = arrival_log_at(log, c->next - log->first);
        if (c->rows == 0)
            c->first_t = a.t;
        used += format_row(buffer + used, c, a, c->rows > 0 && !gap, us_per_tick, clock);
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

bool write_arrival_csv(FILE* f, const ArrivalLog* log, double freq, const ClockMap* clock) {
    ArrivalCsvCursor c = {log->first, 0, 0, 0};
    return write_arrival_csv_header(f) && write_arrival_csv_rows(f, &c, log, freq, clock);
}
