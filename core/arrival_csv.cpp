// CSV lines are formatted into one large buffer and written in big pieces: a
// run of an hour at 8000 Hz is 29 million lines.
#include "core/arrival_csv.h"

#include <inttypes.h>

const char* const g_arrival_class_name[4] = {"first", "accepted", "coalesced", "pause"};

enum { CSV_BUFFER_BYTES = 1 << 20, CSV_LINE_BYTES = 160 };

bool write_arrival_csv(FILE* f, const ArrivalLog* log, double freq, const ClockMap* clock) {
    static char buffer[CSV_BUFFER_BYTES];
    size_t used = (size_t)snprintf(buffer, sizeof buffer,
                                   "t_us,slot,interval_us,class,background,utc_us\n");
    const double us_per_tick = freq > 0 ? 1000000.0 / freq : 0;
    const uint64_t count = arrival_log_count(log);
    int64_t first = 0, previous = 0;
    for (uint64_t k = 0; k < count; k++) {
        Arrival a = arrival_log_at(log, k);
        if (k == 0)
            first = a.t;
        char interval[32] = "";
        if (k > 0)
            snprintf(interval, sizeof interval, "%.3f", (double)(a.t - previous) * us_per_tick);
        used += (size_t)snprintf(buffer + used, CSV_LINE_BYTES, "%.3f,%d,%s,%s,%d,%" PRId64 "\n",
                                 (double)(a.t - first) * us_per_tick, a.slot, interval,
                                 g_arrival_class_name[a.cls], a.background ? 1 : 0,
                                 clock_map_utc(clock, a.t));
        previous = a.t;
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
