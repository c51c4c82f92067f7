// A byte-at-a-time walk over the CSV (quotes as spreadsheets write them, CRLF
// or LF line ends, an optional UTF-8 byte order mark) that keeps only the
// current field's text, and only while it is short enough to be a name or a
// number; the two columns' fields are checked as whole decimal integers.
#include "core/program_csv.h"

#include <stdarg.h>
#include <string.h>

#include "core/heap.h"

static const unsigned char kBom[3] = {0xEF, 0xBB, 0xBF};

void program_csv_init(ProgramCsv* c, int slot) {
    memset(c, 0, sizeof *c);
    c->slot = slot;
    c->line = 1;
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

// A whole decimal number of at most `largest`: digits only, nothing else.
static bool whole_number(const ProgramCsv* c, int64_t largest, int64_t* out) {
    if (c->text_len == 0 || c->text_long)
        return false;
    int64_t v = 0;
    for (size_t i = 0; i < c->text_len; i++) {
        const char ch = c->text[i];
        if (ch < '0' || ch > '9' || v > (largest - (ch - '0')) / 10)
            return false;
        v = v * 10 + (ch - '0');
    }
    *out = v;
    return true;
}

// The field's text for a message: cut short, with "..." when it was longer.
static const char* shown(const ProgramCsv* c) { return c->text_long ? "..." : ""; }

static bool end_header_field(ProgramCsv* c) {
    const bool named = !c->text_long;
    if (named && strcmp(c->text, "utc_us") == 0 && c->utc_column < 0)
        c->utc_column = c->field;
    else if (named && strcmp(c->text, "slot") == 0 && c->slot_column < 0)
        c->slot_column = c->field;
    return true;
}

static bool end_data_field(ProgramCsv* c) {
    int64_t v;
    if (c->field == c->utc_column) {
        if (c->text_len == 0 && !c->text_long)
            return fail(c, c->line, "utc_us is empty");
        if (!whole_number(c, INT64_MAX, &v))
            return fail(c, c->line, "utc_us is \"%s%s\", not a whole number of microseconds",
                        c->text, shown(c));
        c->row_utc = v;
        c->row_has_utc = true;
    } else if (c->field == c->slot_column) {
        if (!whole_number(c, PROGRAM_CSV_SLOTS - 1, &v))
            return fail(c, c->line, "slot is \"%s%s\", not a slot number from 0 to %d", c->text,
                        shown(c), PROGRAM_CSV_SLOTS - 1);
        c->row_slot = (int)v;
        c->row_has_slot = true;
    }
    return true;
}

static bool end_field(ProgramCsv* c) {
    c->text[c->text_len] = 0;
    const bool ok = c->header_done ? end_data_field(c) : end_header_field(c);
    c->field++;
    c->text_len = 0;
    c->text_long = c->field_quoted = c->after_quote = false;
    return ok;
}

static bool end_header(ProgramCsv* c) {
    c->header_done = true;
    c->has_slot_column = c->slot_column >= 0;
    if (c->utc_column < 0)
        return fail(c, 0, "it has no utc_us column (write one with -c ... --csv)");
    if (c->slot > 0 && c->slot_column < 0)
        return fail(c, 0, "it has no slot column to choose slot %d by", c->slot);
    return true;
}

// Past the bound the rows are still checked and counted, but not kept: the
// comparison takes the first ones, as the capture side keeps its first times.
static bool keep_time(ProgramCsv* c, int64_t t) {
    if (c->count == c->capacity) {
        if (c->capacity >= PROGRAM_CSV_MAX_TIMES) {
            c->full = true;
            return true;
        }
        const size_t grown = c->capacity ? c->capacity * 2 : 4096;
        int64_t* block = (int64_t*)heap_realloc(c->times, grown * sizeof(int64_t));
        if (!block)
            return fail(c, c->line, "out of memory");
        c->times = block;
        c->capacity = grown;
    }
    c->times[c->count++] = t;
    return true;
}

static bool end_data_row(ProgramCsv* c) {
    if (!c->row_has_utc)
        return fail(c, c->line, "the row ends before its utc_us field (field %d)", c->utc_column + 1);
    if (c->slot_column >= 0 && !c->row_has_slot)
        return fail(c, c->line, "the row ends before its slot field (field %d)", c->slot_column + 1);
    c->rows++;
    if (c->row_has_slot)
        c->slots_seen |= (uint64_t)1 << c->row_slot;
    if (c->slot > 0 && c->row_slot != c->slot)
        return true;
    return keep_time(c, c->row_utc);
}

// A line end outside quotes; a line with nothing on it is passed over.
static bool end_row(ProgramCsv* c) {
    const bool blank = c->field == 0 && c->text_len == 0 && !c->text_long && !c->field_quoted;
    bool ok = true;
    if (!blank || !c->header_done) {
        ok = end_field(c) && (c->header_done ? end_data_row(c) : end_header(c));
    }
    c->field = 0;
    c->row_has_utc = c->row_has_slot = false;
    return ok;
}

static void add_char(ProgramCsv* c, char ch) {
    if (c->text_len < PROGRAM_CSV_FIELD_BYTES)
        c->text[c->text_len++] = ch;
    else
        c->text_long = true;
}

// One character outside quotes. A carriage return belongs only before a line
// feed, and nothing but a comma or a line end after a closing quote: anything
// else would change a number without a word.
static bool plain_char(ProgramCsv* c, char ch) {
    if (c->cr_pending && ch != '\n')
        return fail(c, c->line, "a carriage return in the middle of a line");
    c->cr_pending = false;
    if (ch == ',')
        return end_field(c);
    if (ch == '\n')
        return end_row(c);
    if (ch == '\r') {
        c->cr_pending = true;
        return true;
    }
    if (c->after_quote)
        return fail(c, c->line, "text after a quoted field's closing quote");
    if (ch == '"' && c->text_len == 0 && !c->field_quoted) {
        c->in_quotes = c->field_quoted = true;
        c->quote_line = c->line;
        return true;
    }
    add_char(c, ch);
    return true;
}

static bool take_char(ProgramCsv* c, char ch) {
    if (c->in_quotes) {
        if (c->quote_pending) {
            c->quote_pending = false;
            if (ch == '"') {
                add_char(c, '"');  // a doubled quote stands for one
                return true;
            }
            c->in_quotes = false;
            c->after_quote = true;
            return plain_char(c, ch);
        }
        if (ch == '"')
            c->quote_pending = true;
        else
            add_char(c, ch);
        return true;
    }
    return plain_char(c, ch);
}

// The start of the file: a byte order mark is passed over; a partial one is text.
static bool take_start(ProgramCsv* c, unsigned char ch) {
    if (ch == kBom[c->bom_matched]) {
        c->bom_matched++;
        return true;
    }
    for (int i = 0; i < c->bom_matched; i++)
        add_char(c, (char)kBom[i]);
    c->bom_matched = 3;
    return take_char(c, (char)ch);
}

bool program_csv_feed(ProgramCsv* c, const char* bytes, size_t n) {
    for (size_t i = 0; i < n && !c->failed; i++) {
        const char ch = bytes[i];
        const bool ok = c->bom_matched < 3 ? take_start(c, (unsigned char)ch) : take_char(c, ch);
        if (ok && ch == '\n')
            c->line++;
    }
    return !c->failed;
}

bool program_csv_finish(ProgramCsv* c) {
    if (c->failed)
        return false;
    if (c->in_quotes && !c->quote_pending)
        return fail(c, c->quote_line, "a quoted field that starts here is not closed");
    c->in_quotes = false;
    c->cr_pending = false;
    const bool pending = c->field > 0 || c->text_len > 0 || c->text_long || c->field_quoted;
    if (!c->header_done && !pending && c->line == 1)
        return fail(c, 0, "it is empty");
    if ((pending || !c->header_done) && !end_row(c))
        return false;
    return true;
}

bool program_csv_read(FILE* f, ProgramCsv* c) {
    static char chunk[1 << 16];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (!program_csv_feed(c, chunk, got))
            return false;
    }
    if (ferror(f))
        return fail(c, 0, "it cannot be read");
    return program_csv_finish(c);
}
