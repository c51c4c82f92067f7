// --ab: each CSV replayed by --analyze's reader, which hands every report of
// the chosen record, as the record classed it, to an A/B run as well; the
// figures, intervals and verdict come from core/figures/ab_compare (the verdict's
// words from core/views/ab_text), and are only formatted here.
#include "app/ab_mode.h"

#include <math.h>
#include <string.h>

#include "app/analyze_mode.h"
#include "app/json_out.h"
#include "app/text_out.h"
#include "core/figures/ab_compare.h"
#include "core/views/ab_text.h"
#include "core/runs/run_csv.h"
#include "core/views/text_buf.h"
#include "core/views/texts.h"

// Each holds a block's worth of bins and the clock's first reports: off the stack.
static RunCsv s_csv;
static AbRun s_runs[2];
static AbComparison s_comparison;

static const char* const* const kKey = kAbFigureKey;
// The decimals of each figure, in the order printed.
static const int kDecimals[AB_FIGURES] = {1, 1, 1, 1, 1, 3};

// Rounded before printing so that a change too small to show is "+0.0", never "-0.0".
static double shown(double v, int decimals) {
    const double scale = pow(10, decimals);
    const double r = round(v * scale) / scale;
    return r == 0 ? 0 : r;
}

// A figure: format takes its decimals, then it.
static void append(TextBuf* t, const char* format, double v, int decimals) {
    text_appendf(t, format, decimals, shown(v, decimals));
}

static void run_line(char* out, size_t cap, char name, const wchar_t* path, const AbFigures* f) {
    char file[PATH_UTF8_BYTES];
    path_utf8(path, file, sizeof file);
    TextBuf t = text_buf(out, cap);
    text_appendf(&t, "%c: file=%s n=%llu", name, file, (unsigned long long)f->n);
    for (int k = 0; k < AB_CLOCK_US; k++) {
        text_appendf(&t, " %s", kKey[k]);
        if (f->n == 0)
            text_appendf(&t, "=none");
        else
            append(&t, k == AB_STABILITY ? "=%.*f%%" : "=%.*f", f->v[k], kDecimals[k]);
    }
    if (f->has_clock)
        append(&t, " clock_us=%.*f", f->v[AB_CLOCK_US], 3);
    else
        text_appendf(&t, " clock_us=none");
    text_appendf(&t, "\n");
}

// B - A of every figure both runs have, with its interval; stability in points.
static void difference_line(char* out, size_t cap, const AbComparison* c) {
    TextBuf t = text_buf(out, cap);
    text_appendf(&t, "B-A (95%% CI, 1 s blocks):");
    for (int k = 0; k < AB_FIGURES; k++) {
        if (!c->verdict.compared[k])
            continue;
        const AbInterval* d = &c->d[k];
        text_appendf(&t, " %s", kKey[k]);
        append(&t, "=%+.*f", d->diff, kDecimals[k]);
        append(&t, " [%+.*f", d->lo, kDecimals[k]);
        append(&t, ",%+.*f]", d->hi, kDecimals[k]);
    }
    text_appendf(&t, "\n");
}

// One run read and streamed into run; false after its error line.
static bool read_run(const wchar_t* path, int slot, AbRun* run) {
    run_csv_init(&s_csv, slot > 0 ? slot : 0);
    s_csv.ab = run;
    const bool read = read_run_csv(path, slot, &s_csv);
    run_csv_free(&s_csv);
    if (!read)
        return false;
    if (!ab_run_finish(run)) {
        print_error(txw(TX_AB_NO_MEMORY), path);
        return false;
    }
    if (run->truncated)
        print_note(txw(TX_AB_TRUNCATED), path, (int)AB_MAX_BLOCKS, (int)AB_MAX_BLOCKS);
    return true;
}

// The lines' figures for --json; the CSVs say nothing of the machines.
static void report_json(JsonOutput* json, const wchar_t* a_path, const wchar_t* b_path) {
    const JsonConditions unknown = {};
    JsonReport* j = json_output_report(json, "ab", &unknown);
    static char a[PATH_UTF8_BYTES], b[PATH_UTF8_BYTES];
    path_utf8(a_path, a, sizeof a);
    path_utf8(b_path, b, sizeof b);
    if (j)
        json_report_ab(j, a, b, &s_comparison);
}

static void print_comparison(const wchar_t* a_path, const wchar_t* b_path, FILE* out,
                             JsonOutput* json) {
    static char text[1024];
    const AbComparison* c = &s_comparison;
    run_line(text, sizeof text, 'A', a_path, &c->a);
    write_utf8(out, text);
    run_line(text, sizeof text, 'B', b_path, &c->b);
    write_utf8(out, text);
    if (c->verdict.compared[AB_MEDIAN_HZ]) {
        difference_line(text, sizeof text, c);
        write_utf8(out, text);
    }
    const size_t n = ab_verdict_text(c, text, sizeof text - 1);
    report_json(json, a_path, b_path);
    text[n] = '\n';
    text[n + 1] = 0;
    write_utf8(out, text);
}

int run_ab(const wchar_t* a_path, const wchar_t* b_path, int slot, FILE* out,
           const wchar_t* json_path) {
    JsonOutput json;
    if (!json_output_open(&json, json_path))
        return 1;
    ab_run_init(&s_runs[0]);
    ab_run_init(&s_runs[1]);
    bool ok = read_run(a_path, slot, &s_runs[0]) && read_run(b_path, slot, &s_runs[1]);
    if (ok) {
        ab_compare(&s_runs[0], &s_runs[1], &kAbBootstrap, &s_comparison);
        print_comparison(a_path, b_path, out, &json);
        ok = !s_comparison.failed;
    }
    ab_run_free(&s_runs[0]);
    ab_run_free(&s_runs[1]);
    return finish_output(out, json_output_finish(&json, ok ? 0 : 1));
}
