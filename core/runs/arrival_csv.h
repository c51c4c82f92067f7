// The arrival log as CSV, the same for the console's --csv and the window's
// export: t_us,slot,interval_us,class,background,utc_us,dx,dy,buttons,wheel,flags,
// one line per report (the last five: what the report carried, as integers;
// flags is RAWMOUSE's usFlags).
#pragma once

#include <stdio.h>

#include "core/runs/arrival_log.h"
#include "core/runs/clock_map.h"

extern const char* const g_arrival_class_name[4];  // first, accepted, coalesced, pause

// Where a CSV written while measuring stands in the log; zero before its first row.
struct ArrivalCsvCursor {
    uint64_t next;       // absolute log index (counting from the run's start) of the next row
    uint64_t rows;       // rows written so far
    int64_t first_t;     // counter value of the file's first row: t_us counts from it
    int64_t previous_t;  // counter value of the last row written
    // utc_us of the last row written. A row past the clock map's last sample
    // is placed at the counter's own rate; a sample taken before the next
    // write may place the next row a hair before it: it is held at this.
    int64_t written_utc = 0;
};

bool write_arrival_csv_header(FILE* f);
// Writes the reports of the view since the cursor and flushes. Rows already
// written stay as they are; reports the log gave up (its bound) before they
// were written are missing, and the row after them has no interval. A view
// that lost entries while writing ends the rows there (v->lost). False when a
// write failed.
bool write_arrival_csv_rows(FILE* f, ArrivalCsvCursor* c, ArrivalView* v, double freq,
                            const ClockMap* clock);
// As write_arrival_csv_rows, at most max_rows of them: a long export in
// slices, so it can show its progress and stop between them.
bool write_arrival_csv_slice(FILE* f, ArrivalCsvCursor* c, ArrivalView* v, double freq,
                             const ClockMap* clock, uint64_t max_rows);
// The header and every report of the view; false when a write failed.
bool write_arrival_csv(FILE* f, ArrivalView* v, double freq, const ClockMap* clock);
