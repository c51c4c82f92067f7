// The program's report times read back from a run's CSV for --compare: the
// header's columns found by name (utc_us, and slot to choose one mouse's
// rows), every field of those two columns checked, and the rest of each row
// passed over. Read as a stream in chunks (core/runs/csv_tokenizer): memory holds
// only the times taken.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "core/runs/csv_tokenizer.h"

enum {
    PROGRAM_CSV_MAX_TIMES = 1 << 25,  // as many reports as a run's log keeps
    PROGRAM_CSV_SLOTS = 64,           // registry slots 0..63
    PROGRAM_CSV_ERROR_BYTES = 160,
};

struct ProgramCsv {
    int slot;              // rows taken: this slot's; 0 or less: every row
    int64_t* times;        // utc_us of the rows taken, in file order
    size_t count, capacity;
    uint64_t rows;         // data rows of every slot
    uint64_t slots_seen;   // bit s: a row of slot s
    bool has_slot_column;
    bool full;             // more rows than PROGRAM_CSV_MAX_TIMES: the first ones were taken
    bool failed;
    uint64_t error_line;   // the line of a bad field; 0: the file as a whole
    char error[PROGRAM_CSV_ERROR_BYTES];
    // The walk's state.
    CsvTokenizer csv;
    bool header_done;
    int utc_column, slot_column;  // -1 until the header names them
    int64_t row_utc;
    int row_slot;
    bool row_has_utc, row_has_slot;
};

// slot: the rows to take (0 or less: all, as slot 0 is all mice).
void program_csv_init(ProgramCsv* c, int slot);
// Reads the next bytes of the file; false once failed is set.
bool program_csv_feed(ProgramCsv* c, const char* bytes, size_t n);
// The end of the file (a last line without its line end counts); false when failed.
bool program_csv_finish(ProgramCsv* c);
// The whole file, fed in chunks and finished; false when failed (a read
// error is one too).
bool program_csv_read(FILE* f, ProgramCsv* c);
void program_csv_free(ProgramCsv* c);
