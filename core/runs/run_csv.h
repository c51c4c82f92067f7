// A run's CSV read back (--analyze, each side of --ab, the window's saved
// run): each row replayed into a run of its own through run_take_report, as
// the reader thread counted it, and the chosen record's times into its report
// clock, so the end-of-run block can be printed again from the file alone.
// The header's columns are found by name; t_us is needed, slot to choose one mouse, and
// class, background, dx, dy, buttons, wheel and flags are taken when present.
// Streamed (core/runs/csv_tokenizer): memory holds one row's fields of those
// columns, whatever the file's length.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <atomic>

#include "core/figures/ab_compare.h"
#include "core/runs/csv_tokenizer.h"
#include "core/figures/report_clock.h"
#include "core/runs/run.h"

enum {
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
    int slot;               // the chosen record: 0 all rows, n > 0 that mouse's
    Run* run;               // the saved run, counting in kRunCsvTicksPerSecond ticks
    DeviceStats* rec;       // its chosen record
    ReportClock clock;      // the chosen record's report clock
    AbRun* ab;              // set after run_csv_init: also given the record's reports as it classed them (--ab)
    uint64_t rows, taken;   // data rows, and those of the record
    bool failed;
    uint64_t error_line;    // the line of the error; 0: the file as a whole
    char error[RUN_CSV_ERROR_BYTES];
    // The walk's state.
    CsvTokenizer csv;
    uint64_t line;          // the line of the row being read, from 1
    char cell[RUN_COLUMNS][CSV_FIELD_BYTES + 1];  // the row's field of each column
    size_t cell_len[RUN_COLUMNS];
    bool header_done, started;
    int column[RUN_COLUMNS];  // field index of each, -1 when absent
    int64_t previous_row_t;   // ticks of the last row of any slot
    uint64_t positions[STATS_RECORDS];  // per record, its reports of the current read so far
};

// A new saved run for the file; keep_log keeps its arrival log (a plot needs
// it). Without memory for the run, the reading fails at once and says so.
void run_csv_init(RunCsv* c, int slot, bool keep_log = false);
bool run_csv_feed(RunCsv* c, const char* bytes, size_t n);
// The end of the file (a last line without its line end counts); false when failed.
bool run_csv_finish(RunCsv* c);
// The whole file, in chunks, then finished; false when failed (a read error
// too). When stop is given and becomes true, it ends at the next chunk,
// unfinished, and gives false without failing.
bool run_csv_read(FILE* f, RunCsv* c, const std::atomic<bool>* stop = nullptr);
// Gives back the run and the clock's pages.
void run_csv_free(RunCsv* c);
