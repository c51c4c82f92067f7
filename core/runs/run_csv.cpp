// The one CSV tokenizer hands over each field; those of the columns read are
// kept until the row ends. Each row is then counted into the record with the
// same call the reader thread makes, on tick counts recovered from t_us, so
// every figure comes out as the run printed it.
#include "core/runs/run_csv.h"

#include <math.h>
#include <stdarg.h>
#include <string.h>

#include "core/runs/arrival_csv.h"
#include "core/figures/gap_rule.h"
#include "core/views/texts.h"

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

static bool fail(RunCsv* c, uint64_t line, const char* fmt, ...);

void run_csv_init(RunCsv* c, int slot, bool keep_log) {
    memset((void*)c, 0, sizeof *c);
    report_clock_init(&c->clock);
    c->slot = slot;
    c->line = 1;
    for (int i = 0; i < RUN_COLUMNS; i++)
        c->column[i] = -1;
    c->run = run_new(kRunCsvTicksPerSecond);
    if (!c->run) {
        fail(c, 0, "%s", tx(TX_CSV_NO_MEMORY));
        c->csv.stopped = true;  // no row may reach a run that is not there
        return;
    }
    c->run->keeps_log = keep_log;
    c->rec = &c->run->records[slot];
}

void run_csv_free(RunCsv* c) {
    run_delete(c->run);
    c->run = nullptr;
    c->rec = nullptr;
    report_clock_free(&c->clock);
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

static bool is(Field f, const char* text) { return f.n == strlen(text) && memcmp(f.s, text, f.n) == 0; }

static void header_field(RunCsv* c, const CsvField* f) {
    for (int k = 0; k < RUN_COLUMNS; k++) {
        if (c->column[k] < 0 && is(Field{f->text, f->len}, kColumnName[k]))
            c->column[k] = f->index;
    }
}

static bool end_header(RunCsv* c, uint64_t line) {
    c->header_done = true;
    if (c->column[RUN_COL_T] < 0)
        return fail(c, line, "%s", tx(TX_CSV_NO_T_US));
    if (c->slot > 0 && c->column[RUN_COL_SLOT] < 0)
        return fail(c, line, tx(TX_CSV_NO_SLOT_COLUMN), c->slot);
    return true;
}

static const char* shown(Field f, char* buf) { return csv_shown(f.s, f.n, buf); }

// A time in microseconds, rounded to tenths: digits, then a point and
// decimals when it has them.
static bool tenths_of(Field f, int64_t* out) {
    if (f.n > CSV_FIELD_BYTES)
        return false;  // only the field's first bytes are kept
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
    *out = f[k];
    return true;
}

static bool number_field(RunCsv* c, const Field* f, int k, int64_t lowest, int64_t highest,
                         int64_t* out) {
    Field v;
    *out = 0;
    if (!field_of(c, f, k, &v) || csv_whole_number(v.s, v.n, lowest, highest, out))
        return true;
    char text[CSV_SHOWN_BYTES];
    return fail(c, c->line, tx(TX_CSV_NOT_WHOLE), kColumnName[k], shown(v, text), (long long)lowest,
                (long long)highest);
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
    char text[CSV_SHOWN_BYTES];
    return fail(c, c->line, tx(TX_CSV_BAD_CLASS), shown(v, text));
}

static bool time_field(RunCsv* c, const Field* f, Row* r) {
    const Field v = f[RUN_COL_T];
    char text[CSV_SHOWN_BYTES];
    if (!tenths_of(v, &r->t))
        return fail(c, c->line, tx(TX_CSV_BAD_TIME), shown(v, text));
    if (c->started && r->t < c->previous_row_t)
        return fail(c, c->line, tx(TX_CSV_TIME_BACKWARDS), shown(v, text));
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
            return fail(c, c->line, tx(TX_CSV_ROW_SHORT), kColumnName[k], c->column[k] + 1);
    }
    int64_t slot, background;
    if (!time_field(c, f, r) || !number_field(c, f, RUN_COL_SLOT, 0, RUN_CSV_SLOTS - 1, &slot) ||
        !number_field(c, f, RUN_COL_BACKGROUND, 0, 1, &background) || !class_field(c, f, &r->cls))
        return false;
    r->slot = (int)slot;
    r->background = background != 0;
    return motion_fields(c, f, r);
}

// The row into the run as the reader thread gave it. A row classed a pause
// although its interval was short tells that the run stopped listening
// before it (a report was lost): every record's next interval was a pause.
static void replay(RunCsv* c, const Row* r) {
    const double us = ticks_to_us(r->t - c->previous_row_t, kRunCsvTicksPerSecond);
    if (c->started && r->cls == ARRIVAL_PAUSE && gap_kind(us) != GAP_PAUSE)
        run_pause_all(c->run);
    // The rows of one read share its stamp; each record counts its own
    // reports' places in the read.
    if (!c->started || r->t != c->previous_row_t)
        memset(c->positions, 0, sizeof c->positions);
    c->started = true;
    c->previous_row_t = r->t;
    c->rows++;
    // A counter value of 0 means "no report yet" to a record: the file's
    // times count from its first row, so they are moved on by one tick.
    const ReportMotion* motion = r->has_motion ? &r->motion : nullptr;
    const int64_t t = r->t + 1;
    ArrivalClass own;
    run_take_report(c->run, t, r->slot, r->background, c->positions, motion, &own);
    if (c->slot > 0 && r->slot != c->slot)
        return;
    report_clock_add(&c->clock, ticks_to_us(r->t, kRunCsvTicksPerSecond));
    if (c->ab)  // the record's class, and its counter value for the record's interval
        ab_run_add(c->ab, ticks_to_us(r->t, kRunCsvTicksPerSecond), own, t, c->run->freq);
    c->taken++;
}

// The fields of the columns read, kept until their row ends.
static bool on_field(void* reader, const CsvField* f) {
    RunCsv* c = (RunCsv*)reader;
    if (!c->header_done) {
        header_field(c, f);
        return true;
    }
    for (int k = 0; k < RUN_COLUMNS; k++) {
        if (c->column[k] == f->index) {
            memcpy(c->cell[k], f->text, strlen(f->text) + 1);
            c->cell_len[k] = f->len;
        }
    }
    return true;
}

static bool on_row(void* reader, int fields, uint64_t line) {
    RunCsv* c = (RunCsv*)reader;
    c->line = line;
    if (!c->header_done)
        return end_header(c, line);
    Field f[RUN_COLUMNS];
    for (int k = 0; k < RUN_COLUMNS; k++)
        f[k] = Field{c->cell[k], c->cell_len[k]};
    Row r;
    if (!parse_row(c, f, fields, &r))
        return false;
    replay(c, &r);
    return true;
}

static void on_fail(void* reader, uint64_t line, const char* why) {
    fail((RunCsv*)reader, line, "%s", why);
}

static const CsvSink kSink = {on_field, on_row, on_fail};

bool run_csv_feed(RunCsv* c, const char* bytes, size_t n) {
    return csv_feed(&c->csv, &kSink, c, bytes, n);
}

bool run_csv_finish(RunCsv* c) { return csv_finish(&c->csv, &kSink, c); }

bool run_csv_read(FILE* f, RunCsv* c, const std::atomic<bool>* stop) {
    return csv_read(f, &c->csv, &kSink, c, stop);
}
