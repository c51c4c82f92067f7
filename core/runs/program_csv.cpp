// The two columns' fields, from the one CSV tokenizer, checked as whole
// decimal integers; every other field is passed over by its index.
#include "core/runs/program_csv.h"

#include <stdarg.h>
#include <string.h>

#include "core/heap.h"
#include "core/views/texts.h"

void program_csv_init(ProgramCsv* c, int slot) {
    memset(c, 0, sizeof *c);
    c->slot = slot;
    c->utc_column = c->slot_column = -1;
}

void program_csv_free(ProgramCsv* c) {
    heap_free(c->times);
    c->times = NULL;
    c->count = c->capacity = 0;
}

static bool fail(ProgramCsv* c, uint64_t line, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    vsnprintf(c->error, sizeof c->error, fmt, args);
    va_end(args);
    c->error_line = line;
    c->failed = true;
    return false;
}

static void header_field(ProgramCsv* c, const CsvField* f) {
    const bool named = f->len <= CSV_FIELD_BYTES;
    if (named && strcmp(f->text, "utc_us") == 0 && c->utc_column < 0)
        c->utc_column = f->index;
    else if (named && strcmp(f->text, "slot") == 0 && c->slot_column < 0)
        c->slot_column = f->index;
}

static bool data_field(ProgramCsv* c, const CsvField* f) {
    int64_t v;
    char shown[CSV_SHOWN_BYTES];
    if (f->index == c->utc_column) {
        if (f->len == 0)
            return fail(c, f->line, "%s", tx(TX_CSV_UTC_EMPTY));
        if (!csv_whole_number(f->text, f->len, 0, INT64_MAX, &v))
            return fail(c, f->line, tx(TX_CSV_UTC_NOT_WHOLE), csv_shown(f->text, f->len, shown));
        c->row_utc = v;
        c->row_has_utc = true;
    } else if (f->index == c->slot_column) {
        if (!csv_whole_number(f->text, f->len, 0, PROGRAM_CSV_SLOTS - 1, &v))
            return fail(c, f->line, tx(TX_CSV_SLOT_RANGE), csv_shown(f->text, f->len, shown),
                        PROGRAM_CSV_SLOTS - 1);
        c->row_slot = (int)v;
        c->row_has_slot = true;
    }
    return true;
}

static bool end_header(ProgramCsv* c) {
    c->header_done = true;
    c->has_slot_column = c->slot_column >= 0;
    if (c->utc_column < 0)
        return fail(c, 0, "%s", tx(TX_CSV_NO_UTC_US));
    if (c->slot > 0 && c->slot_column < 0)
        return fail(c, 0, tx(TX_CSV_NO_SLOT_COLUMN), c->slot);
    return true;
}

// Past the bound the rows are still checked and counted, but not kept: the
// comparison takes the first ones, as the capture side keeps its first times.
static bool keep_time(ProgramCsv* c, int64_t t, uint64_t line) {
    if (c->count == c->capacity) {
        if (c->capacity >= PROGRAM_CSV_MAX_TIMES) {
            c->full = true;
            return true;
        }
        const size_t grown = c->capacity ? c->capacity * 2 : 4096;
        int64_t* block = (int64_t*)heap_realloc(c->times, grown * sizeof(int64_t));
        if (!block)
            return fail(c, line, "%s", tx(TX_CSV_OUT_OF_MEMORY));
        c->times = block;
        c->capacity = grown;
    }
    c->times[c->count++] = t;
    return true;
}

static bool end_data_row(ProgramCsv* c, uint64_t line) {
    if (!c->row_has_utc)
        return fail(c, line, tx(TX_CSV_ROW_SHORT), "utc_us", c->utc_column + 1);
    if (c->slot_column >= 0 && !c->row_has_slot)
        return fail(c, line, tx(TX_CSV_ROW_SHORT), "slot", c->slot_column + 1);
    c->rows++;
    if (c->row_has_slot)
        c->slots_seen |= (uint64_t)1 << c->row_slot;
    if (c->slot > 0 && c->row_slot != c->slot)
        return true;
    return keep_time(c, c->row_utc, line);
}

static bool on_field(void* reader, const CsvField* f) {
    ProgramCsv* c = (ProgramCsv*)reader;
    if (c->header_done)
        return data_field(c, f);
    header_field(c, f);
    return true;
}

static bool on_row(void* reader, int, uint64_t line) {
    ProgramCsv* c = (ProgramCsv*)reader;
    const bool ok = c->header_done ? end_data_row(c, line) : end_header(c);
    c->row_has_utc = c->row_has_slot = false;
    return ok;
}

static void on_fail(void* reader, uint64_t line, const char* why) {
    fail((ProgramCsv*)reader, line, "%s", why);
}

static const CsvSink kSink = {on_field, on_row, on_fail};

bool program_csv_feed(ProgramCsv* c, const char* bytes, size_t n) {
    return csv_feed(&c->csv, &kSink, c, bytes, n);
}

bool program_csv_finish(ProgramCsv* c) { return csv_finish(&c->csv, &kSink, c); }

bool program_csv_read(FILE* f, ProgramCsv* c) { return csv_read(f, &c->csv, &kSink, c); }
