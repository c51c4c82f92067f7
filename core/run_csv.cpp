// Rows are collected into one line of bounded length and split at commas
// outside quotes; each row is then counted into the record with the same
// call the reader thread makes, on tick counts recovered from t_us, so every
// figure comes out as the run printed it.
#include "core/run_csv.h"

#include <math.h>
#include <stdarg.h>
#include <string.h>

#include "core/arrival_csv.h"
#include "core/gap_rule.h"

enum { MAX_FIELDS = 32 };

static const char* const kColumnName[RUN_COLUMNS] = {
    "t_us", "slot", "class", "background", "dx", "dy", "buttons", "wheel", "flags",
};

struct Field {
    const char* s;
    size_t n;
};

struct Row {
    int64_t t;  // tenths of a microsecond from the file's first row
    int slot;
    ArrivalClass cls;
    bool background, has_motion;
    ReportMotion motion;
};

void run_csv_init_keeping_freq(RunCsv* c, int slot) {
    // The record's one atomic (the measuring switch) is never used here; as
    // bytes its zero is 0.
    memset((void*)c, 0, sizeof *c);
    stats_lock_init(&c->rec.lock);
    report_clock_init(&c->clock);
    c->freq = g_qpc_freq;
    c->slot = slot;
    c->line = 1;
    for (int i = 0; i < RUN_COLUMNS; i++)
        c->column[i] = -1;
}

void run_csv_init(RunCsv* c, int slot) {
    g_qpc_freq = kRunCsvTicksPerSecond;
    run_csv_init_keeping_freq(c, slot);
}

void run_csv_free(RunCsv* c) {
    gap_histogram_free(&c->rec.gaps);
    motion_tally_free(&c->rec.motion);
    report_clock_free(&c->clock);
    stats_lock_delete(&c->rec.lock);
}

static bool fail(RunCsv* c, uint64_t line, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    vsnprintf(c->error, sizeof c->error, fmt, args);
    va_end(args);
    c->error_line = line;
    c->failed = true;
    return false;
}

// Splits at commas outside quotes; a quoted field loses its outer quotes.
// The number of fields, of which the first MAX_FIELDS are given.
static int split(const char* s, size_t len, Field* out) {
    int count = 0;
    size_t start = 0;
    bool quoted = false;
    for (size_t i = 0; i <= len; i++) {
        if (i < len && s[i] == '"')
            quoted = !quoted;
        if (i < len && (s[i] != ',' || quoted))
            continue;
        Field f = {s + start, i - start};
        if (f.n >= 2 && f.s[0] == '"' && f.s[f.n - 1] == '"')
            f = Field{f.s + 1, f.n - 2};
        if (count < MAX_FIELDS)
            out[count] = f;
        count++;
        start = i + 1;
    }
    return count;
}

static bool is(Field f, const char* text) { return f.n == strlen(text) && memcmp(f.s, text, f.n) == 0; }

static bool take_header(RunCsv* c, const Field* f, int count) {
    for (int i = 0; i < count && i < MAX_FIELDS; i++) {
        for (int k = 0; k < RUN_COLUMNS; k++) {
            if (c->column[k] < 0 && is(f[i], kColumnName[k]))
                c->column[k] = i;
        }
    }
    c->header_done = true;
    if (c->column[RUN_COL_T] < 0)
        return fail(c, 1, "it has no t_us column (write one with -c ... --csv)");
    if (c->slot > 0 && c->column[RUN_COL_SLOT] < 0)
        return fail(c, 1, "it has no slot column to choose slot %d by", c->slot);
    return true;
}

// A field as an error shows it: its first 40 bytes, never half a UTF-8
// character (the cut moves back to where one starts), control characters as
// '?', so that the error stays one line.
static const char* shown(Field f, char* buf, size_t cap) {
    size_t n = f.n < 40 ? f.n : 40;
    for (int back = 0; n < f.n && back < 3 && ((unsigned char)f.s[n] & 0xC0) == 0x80; back++)
        n--;
    snprintf(buf, cap, "%.*s%s", (int)n, f.s, n < f.n ? "..." : "");
    for (char* p = buf; *p; p++)
        *p = (unsigned char)*p < 0x20 || *p == 0x7f ? '?' : *p;
    return buf;
}

// A whole decimal number from lowest to highest, with a sign when lowest < 0.
static bool whole_number(Field f, int64_t lowest, int64_t highest, int64_t* out) {
    size_t i = f.n > 0 && f.s[0] == '-' && lowest < 0 ? 1 : 0;
    if (i == f.n || f.n > 12)
        return false;
    int64_t v = 0;
    for (; i < f.n; i++) {
        if (f.s[i] < '0' || f.s[i] > '9')
            return false;
        v = v * 10 + (f.s[i] - '0');
    }
    *out = f.s[0] == '-' ? -v : v;
    return *out >= lowest && *out <= highest;
}

// A time in microseconds, rounded to tenths: digits, then a point and
// decimals when it has them.
static bool tenths_of(Field f, int64_t* out) {
    size_t i = 0;
    int64_t whole = 0, thousandths = 0;
    for (; i < f.n && f.s[i] >= '0' && f.s[i] <= '9' && i < 15; i++)
        whole = whole * 10 + (f.s[i] - '0');
    if (i == 0 || (i < f.n && f.s[i] != '.') || (i + 1 == f.n && f.s[i] == '.'))
        return false;
    for (size_t k = i + 1, place = 100; k < f.n; k++, place /= 10) {
        if (f.s[k] < '0' || f.s[k] > '9')
            return false;
        thousandths += (f.s[k] - '0') * (int64_t)place;  // past the third: place 0
    }
    *out = (whole * 1000 + thousandths + 50) / 100;
    return true;
}

// The field of column k, or false when the file has no such column.
static bool field_of(const RunCsv* c, const Field* f, int k, Field* out) {
    if (c->column[k] < 0)
        return false;
    *out = f[c->column[k]];
    return true;
}

static bool number_field(RunCsv* c, const Field* f, int k, int64_t lowest, int64_t highest,
                         int64_t* out) {
    Field v;
    *out = 0;
    if (!field_of(c, f, k, &v) || whole_number(v, lowest, highest, out))
        return true;
    char text[48];
    return fail(c, c->line, "%s is \"%s\", not a whole number from %lld to %lld", kColumnName[k],
                shown(v, text, sizeof text), (long long)lowest, (long long)highest);
}

static bool class_field(RunCsv* c, const Field* f, ArrivalClass* out) {
    Field v;
    *out = ARRIVAL_ACCEPTED;
    if (!field_of(c, f, RUN_COL_CLASS, &v))
        return true;
    for (int k = 0; k < 4; k++) {
        if (is(v, g_arrival_class_name[k])) {
            *out = (ArrivalClass)k;
            return true;
        }
    }
    char text[48];
    return fail(c, c->line, "class is \"%s\", not first, accepted, coalesced or pause",
                shown(v, text, sizeof text));
}

static bool time_field(RunCsv* c, const Field* f, Row* r) {
    const Field v = f[c->column[RUN_COL_T]];
    char text[48];
    if (!tenths_of(v, &r->t))
        return fail(c, c->line, "t_us is \"%s\", not a time in microseconds",
                    shown(v, text, sizeof text));
    if (c->started && r->t < c->previous_row_t)
        return fail(c, c->line, "t_us is %s, before the row above's", shown(v, text, sizeof text));
    return true;
}

static bool motion_fields(RunCsv* c, const Field* f, Row* r) {
    int64_t dx, dy, buttons, wheel, flags;
    if (!number_field(c, f, RUN_COL_DX, INT32_MIN, INT32_MAX, &dx) ||
        !number_field(c, f, RUN_COL_DY, INT32_MIN, INT32_MAX, &dy) ||
        !number_field(c, f, RUN_COL_BUTTONS, 0, UINT16_MAX, &buttons) ||
        !number_field(c, f, RUN_COL_WHEEL, INT16_MIN, INT16_MAX, &wheel) ||
        !number_field(c, f, RUN_COL_FLAGS, 0, UINT16_MAX, &flags))
        return false;
    r->has_motion = c->column[RUN_COL_DX] >= 0 && c->column[RUN_COL_DY] >= 0;
    r->motion = ReportMotion{(int32_t)dx, (int32_t)dy, (uint16_t)buttons, (int16_t)wheel,
                             (uint16_t)flags};
    return true;
}

static bool parse_row(RunCsv* c, const Field* f, int count, Row* r) {
    for (int k = 0; k < RUN_COLUMNS; k++) {
        if (c->column[k] >= count)
            return fail(c, c->line, "the row ends before its %s field (field %d)", kColumnName[k],
                        c->column[k] + 1);
    }
    int64_t slot, background;
    if (!time_field(c, f, r) || !number_field(c, f, RUN_COL_SLOT, 0, RUN_CSV_SLOTS - 1, &slot) ||
        !number_field(c, f, RUN_COL_BACKGROUND, 0, 1, &background) || !class_field(c, f, &r->cls))
        return false;
    r->slot = (int)slot;
    r->background = background != 0;
    return motion_fields(c, f, r);
}

// The row into the record as the reader thread gave it. A row classed a pause
// although its interval was short tells that the run stopped listening
// before it (a report was lost): every record's next interval was a pause.
static void replay(RunCsv* c, const Row* r) {
    const double us = ticks_to_us(r->t - c->previous_row_t, kRunCsvTicksPerSecond);
    if (c->started && r->cls == ARRIVAL_PAUSE && gap_kind(us) != GAP_PAUSE)
        c->pause_pending = true;
    c->started = true;
    c->previous_row_t = r->t;
    c->rows++;
    if (c->slot > 0 && r->slot != c->slot)
        return;
    c->batch_position = c->taken > 0 && r->t == c->previous_t ? c->batch_position + 1 : 0;
    if (c->pause_pending)
        c->rec.pause_before_next = 1;
    c->pause_pending = false;
    // A counter value of 0 means "no report yet" to the record: the file's
    // times count from its first row, so they are moved on by one tick.
    const int64_t t = (c->freq == kRunCsvTicksPerSecond ? r->t
                       : llround((double)r->t * c->freq / kRunCsvTicksPerSecond)) + 1;
    const ReportMotion* motion = r->has_motion ? &r->motion : nullptr;
    const ArrivalClass cls = record_arrival(&c->rec, t, r->background, c->batch_position, motion);
    if (c->log)
        arrival_log_append(c->log, t, r->slot, r->background, cls, motion);
    report_clock_add(&c->clock, ticks_to_us(r->t, kRunCsvTicksPerSecond));
    if (c->ab)  // the record's class, and its counter value for the record's interval
        ab_run_add(c->ab, ticks_to_us(r->t, kRunCsvTicksPerSecond), cls, t, c->freq);
    c->previous_t = r->t;
    c->taken++;
}

static bool end_line(RunCsv* c) {
    size_t len = c->len;
    c->len = 0;
    if (c->too_long)
        return fail(c, c->line, "the line is longer than %d bytes", RUN_CSV_LINE_BYTES);
    if (len > 0 && c->text[len - 1] == '\r')
        len--;
    const char* s = c->text;
    if (c->line == 1 && len >= 3 && memcmp(s, "\xEF\xBB\xBF", 3) == 0) {
        s += 3;
        len -= 3;
    }
    if (len == 0 && c->header_done)
        return true;  // a blank line
    Field f[MAX_FIELDS];
    const int count = split(s, len, f);
    if (!c->header_done)
        return take_header(c, f, count);
    Row r;
    if (!parse_row(c, f, count, &r))
        return false;
    replay(c, &r);
    return true;
}

bool run_csv_feed(RunCsv* c, const char* bytes, size_t n) {
    for (size_t i = 0; i < n && !c->failed; i++) {
        if (bytes[i] != '\n') {
            if (c->len < RUN_CSV_LINE_BYTES)
                c->text[c->len++] = bytes[i];
            else
                c->too_long = true;
            continue;
        }
        if (end_line(c))
            c->line++;
    }
    return !c->failed;
}

bool run_csv_finish(RunCsv* c) {
    if (c->failed)
        return false;
    if (c->len > 0 || c->too_long) {
        if (!end_line(c))
            return false;
    }
    if (!c->header_done)
        return fail(c, 0, "it is empty");
    return true;
}

bool run_csv_read(FILE* f, RunCsv* c, const std::atomic<bool>* stop) {
    char chunk[1 << 16];  // on the stack: a saved run's window reads on a thread of its own
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (!run_csv_feed(c, chunk, got))
            return false;
        if (stop && stop->load())
            return false;
    }
    if (ferror(f))
        return fail(c, 0, "it cannot be read");
    return run_csv_finish(c);
}
