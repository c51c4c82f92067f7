// A byte-at-a-time walk that keeps only the current field's first bytes: a
// field longer than any name or number the readers take is known by its
// length alone. What could change a number without a word (a carriage return
// inside a line, text after a closing quote, an unclosed quote) is an error.
#include "core/runs/csv_tokenizer.h"

#include <string.h>

#include "core/views/texts.h"

static const unsigned char kBom[3] = {0xEF, 0xBB, 0xBF};

static uint64_t line_of(const CsvTokenizer* t) { return t->lines_done + 1; }

// why null: the reader failed and said so itself.
static bool stop(CsvTokenizer* t, const CsvSink* s, void* reader, uint64_t line, const char* why) {
    if (why)
        s->fail(reader, line, why);
    t->stopped = true;
    return false;
}

static const size_t kKept = CSV_FIELD_BYTES;

static void add_char(CsvTokenizer* t, char ch) {
    if (t->text_len < kKept)
        t->text[t->text_len] = ch;
    t->text_len++;
}

// The count stops at CSV_ROW_FIELDS, so no row, however long, can carry it
// past what an int holds.
static bool end_field(CsvTokenizer* t, const CsvSink* s, void* reader) {
    t->text[t->text_len < kKept ? t->text_len : kKept] = 0;
    const CsvField f = {t->text, t->text_len, t->field, line_of(t)};
    const bool handed = t->field < CSV_ROW_FIELDS;
    if (handed)
        t->field++;
    t->text_len = 0;
    t->field_quoted = t->after_quote = false;
    return !handed || s->field(reader, &f) || stop(t, s, reader, 0, NULL);
}

// A line end outside quotes; a line with nothing on it is passed over.
static bool end_row(CsvTokenizer* t, const CsvSink* s, void* reader) {
    if (t->field == 0 && t->text_len == 0 && !t->field_quoted)
        return true;
    if (!end_field(t, s, reader))
        return false;
    const int fields = t->field;
    t->field = 0;
    t->rows++;
    return s->row(reader, fields, line_of(t)) || stop(t, s, reader, 0, NULL);
}

static bool plain_char(CsvTokenizer* t, const CsvSink* s, void* reader, char ch) {
    if (t->cr_pending && ch != '\n')
        return stop(t, s, reader, line_of(t), tx(TX_CSV_CR_INSIDE));
    t->cr_pending = false;
    if (ch == ',')
        return end_field(t, s, reader);
    if (ch == '\n')
        return end_row(t, s, reader);
    if (ch == '\r') {
        t->cr_pending = true;
        return true;
    }
    if (t->after_quote)
        return stop(t, s, reader, line_of(t), tx(TX_CSV_AFTER_QUOTE));
    if (ch == '"' && t->text_len == 0 && !t->field_quoted) {
        t->in_quotes = t->field_quoted = true;
        t->quote_line = line_of(t);
        return true;
    }
    add_char(t, ch);
    return true;
}

static bool take_char(CsvTokenizer* t, const CsvSink* s, void* reader, char ch) {
    if (!t->in_quotes)
        return plain_char(t, s, reader, ch);
    if (t->quote_pending) {
        t->quote_pending = false;
        if (ch == '"') {
            add_char(t, '"');  // a doubled quote stands for one
            return true;
        }
        t->in_quotes = false;
        t->after_quote = true;
        return plain_char(t, s, reader, ch);
    }
    if (ch == '"')
        t->quote_pending = true;
    else
        add_char(t, ch);
    return true;
}

// The start of the file: true for a byte of the byte order mark, passed over;
// the bytes of one that breaks off are text.
static bool take_bom(CsvTokenizer* t, int ch) {
    if (ch == kBom[t->bom_matched]) {
        t->bom_matched++;
        return true;
    }
    for (int i = 0; i < t->bom_matched; i++)
        add_char(t, (char)kBom[i]);
    t->line_bytes += (size_t)t->bom_matched;
    t->bom_matched = 3;
    return false;
}

bool csv_feed(CsvTokenizer* t, const CsvSink* s, void* reader, const char* bytes, size_t n) {
    for (size_t i = 0; i < n && !t->stopped; i++) {
        const char ch = bytes[i];
        if (t->bom_matched < 3 && take_bom(t, (unsigned char)ch))
            continue;
        if (ch != '\n' && ++t->line_bytes > CSV_LINE_BYTES) {
            char why[64];
            snprintf(why, sizeof why, tx(TX_CSV_LINE_TOO_LONG), CSV_LINE_BYTES);
            return stop(t, s, reader, line_of(t), why);
        }
        if (take_char(t, s, reader, ch) && ch == '\n') {
            t->lines_done++;
            t->line_bytes = 0;
        }
    }
    return !t->stopped;
}

bool csv_finish(CsvTokenizer* t, const CsvSink* s, void* reader) {
    if (t->stopped)
        return false;
    if (t->bom_matched < 3)
        take_bom(t, -1);
    if (t->in_quotes && !t->quote_pending)
        return stop(t, s, reader, t->quote_line, tx(TX_CSV_QUOTE_OPEN));
    t->in_quotes = t->quote_pending = t->cr_pending = false;
    if (!end_row(t, s, reader))
        return false;
    if (t->rows == 0)
        return stop(t, s, reader, 0, tx(TX_CSV_EMPTY));
    return true;
}

bool csv_read(FILE* f, CsvTokenizer* t, const CsvSink* s, void* reader,
              const std::atomic<bool>* stop_asked) {
    char chunk[1 << 16];  // on the stack: a saved run's window reads on a thread of its own
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (!csv_feed(t, s, reader, chunk, got))
            return false;
        if (stop_asked && stop_asked->load())
            return false;
    }
    if (ferror(f))
        return stop(t, s, reader, 0, tx(TX_CSV_READ_FAILED));
    return csv_finish(t, s, reader);
}

// n bytes of s, less a character cut at their end: a lead byte among the
// last three whose sequence runs past n goes with its continuation bytes.
static size_t whole_characters(const char* s, size_t n) {
    for (size_t back = 1; back <= 3 && back <= n; back++) {
        const unsigned char b = (unsigned char)s[n - back];
        if ((b & 0xC0) == 0x80)
            continue;
        const size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return length > back ? n - back : n;
    }
    return n;
}

const char* csv_shown(const char* text, size_t len, char* buf) {
    size_t n = len < kKept ? len : kKept;
    if (n < len)
        n = whole_characters(text, n);
    for (size_t i = 0; i < n; i++)
        buf[i] = (unsigned char)text[i] < 0x20 || text[i] == 0x7f ? '?' : text[i];
    strcpy(buf + n, n < len ? "..." : "");
    return buf;
}

bool csv_whole_number(const char* text, size_t len, int64_t lowest, int64_t highest, int64_t* out) {
    const bool negative = len > 0 && text[0] == '-' && lowest < 0;
    size_t i = negative ? 1 : 0;
    if (i == len || len > CSV_FIELD_BYTES)
        return false;
    int64_t v = 0;  // the magnitude, never past INT64_MAX
    for (; i < len; i++) {
        const int digit = text[i] - '0';
        if (digit < 0 || digit > 9 || v > (INT64_MAX - digit) / 10)
            return false;
        v = v * 10 + digit;
    }
    *out = negative ? -v : v;
    return *out >= lowest && *out <= highest;
}
