// A run's CSV read back (--analyze): each row replayed into one statistics
// record and the report clock, exactly as the run counted it, so the
// end-of-run block can be printed again from the file alone. The header's
// columns are found by name; t_us is needed, slot to choose one mouse, and
// class, background, dx, dy, buttons, wheel and flags are taken when present.
// Streamed line by line: memory holds one line, whatever the file's length.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <atomic>

#include "core/ab_compare.h"
#include "core/arrival_log.h"
#include "core/report_clock.h"
#include "core/stats.h"

enum {
    RUN_CSV_LINE_BYTES = 512,  // a row of the program's is under 160
    RUN_CSV_ERROR_BYTES = 160,
    RUN_CSV_SLOTS = 64,
};

// The counter's unit on Windows 10 and later: a t_us of three decimals read
// back in tenths of a microsecond gives the run's own tick counts.
constexpr double kRunCsvTicksPerSecond = 1e7;

enum RunCsvColumn {
    RUN_COL_T, RUN_COL_SLOT, RUN_COL_CLASS, RUN_COL_BACKGROUND,
    RUN_COL_DX, RUN_COL_DY, RUN_COL_BUTTONS, RUN_COL_WHEEL, RUN_COL_FLAGS,
    RUN_COLUMNS,
};

struct RunCsv {
    int slot;               // the record: 0 every row, n > 0 that mouse's
    DeviceStats rec;        // the record replayed
    ReportClock clock;      // its report clock
    AbRun* ab;              // set after run_csv_init: also given the record's reports as it classed them (--ab)
    ArrivalLog* log;        // set after run_csv_init: also given the record's reports (a saved run's plot)
    double freq;            // the record's counter ticks per second
    uint64_t rows, taken;   // data rows, and those of the record
    bool failed;
    uint64_t error_line;    // the line of the error; 0: the file as a whole
    char error[RUN_CSV_ERROR_BYTES];
    // The walk's state.
    uint64_t line;          // the current line, from 1
    char text[RUN_CSV_LINE_BYTES + 1];
    size_t len;
    bool too_long, header_done, started;
    int column[RUN_COLUMNS];  // field index of each, -1 when absent
    int64_t previous_row_t;   // ticks of the last row of any slot
    int64_t previous_t;       // ticks of the record's last row
    uint64_t batch_position;  // the record's reports with that time before this one
    bool pause_pending;       // the run stopped listening: the record's next interval is a pause
};

// Sets g_qpc_freq to kRunCsvTicksPerSecond: the record counts in those ticks.
void run_csv_init(RunCsv* c, int slot);
// The same in ticks of g_qpc_freq as it stands, left alone: the window reads
// a saved run while its own reader thread counts with that frequency. On a 10
// MHz counter (Windows 10 and later) the ticks are the same.
void run_csv_init_keeping_freq(RunCsv* c, int slot);
bool run_csv_feed(RunCsv* c, const char* bytes, size_t n);
// The end of the file (a last line without its line end counts); false when failed.
bool run_csv_finish(RunCsv* c);
// The whole file, in chunks, then finished; false when failed (a read error
// too). When stop is given and becomes true, it ends at the next chunk,
// unfinished, and gives false without failing.
bool run_csv_read(FILE* f, RunCsv* c, const std::atomic<bool>* stop = nullptr);
// Gives back the record's and the clock's pages.
void run_csv_free(RunCsv* c);
