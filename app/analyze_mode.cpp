// --analyze: the CSV replayed into a record in core/ and the block formatted
// by the console's own functions, so the two cannot drift apart.
#include "app/analyze_mode.h"

#include <errno.h>

#include "app/console_text.h"
#include "app/json_out.h"
#include "app/text_out.h"
#include "core/runs/run_csv.h"
#include "core/views/texts.h"
#include "core/views/wide_text.h"
#include "platform/c_library.h"

// The record, its motion bins and the clock: too large for the stack.
static RunCsv s_run;

bool read_run_csv(const wchar_t* path, int slot, RunCsv* run) {
    FILE* f = file_open_read(path);
    if (!f) {
        print_open_failure(path, errno, NULL);
        return false;
    }
    const bool read = run_csv_read(f, run);
    fclose(f);
    // The reason is UTF-8 in the chosen language: widened for the wide format.
    wchar_t why[sizeof run->error];
    utf8_to_wide(run->error, why, sizeof why / sizeof why[0]);
    if (!read && run->error_line)
        print_error(txw(TX_CSV_ERROR_AT), path, (unsigned long long)run->error_line, why);
    else if (!read)
        print_error(txw(TX_CSV_UNREADABLE), path, why);
    else if (run->rows == 0)
        print_error(txw(TX_CSV_NO_REPORTS), path);
    else if (run->taken == 0)
        print_error(txw(TX_CSV_NO_SLOT), path, slot);
    return read && run->taken > 0;
}

// The block's figures for --json; the CSV tells how the reports came, not on
// what machine (its counter is read in tenths of a microsecond).
static void report_json(JsonOutput* json, const char* name, const StatsReadings* r,
                        const Distribution* d, const ReportClockFigures* clock,
                        const MotionFigures* m, const ButtonsSnapshot* b) {
    const JsonConditions c = {NULL, NULL, 0, r};
    JsonReport* j = json_output_report(json, "analyze", &c);
    const JsonSummaryLog whole = {-1, false, 0};
    if (j)
        json_report_summary(j, name, r, d, clock, m, &whole, b);
}

static void print_block(const wchar_t* path, FILE* out, JsonOutput* json) {
    StatsReadings r;
    stats_read(s_run.rec, &r);
    Distribution d;
    record_distribution(s_run.rec, &d);
    MotionFigures m;
    record_motion(s_run.rec, &m);
    ButtonsSnapshot b;
    record_buttons(s_run.rec, &b);
    ReportClockFigures clock;
    report_clock_finish(&s_run.clock, &clock);
    char name[PATH_UTF8_BYTES];
    path_utf8(path, name, sizeof name);
    static char text[4096];
    format_summary(text, sizeof text, name, &r, &d, &clock, &m, NULL, 0, &b);
    write_utf8(out, text);
    MotionHints h;
    motion_hints_of(&m, &clock, &h);
    format_motion_hints(text, sizeof text, &h, &m);
    write_utf8(out, text);
    format_button_hints(text, sizeof text, &b);
    write_utf8(out, text);
    if (r.report_count == 0 && !buttons_used(&b))  // as the run ended
        write_line(out, TX_NO_REPORTS);
    report_json(json, name, &r, &d, &clock, &m, &b);
}

int run_analyze(const wchar_t* csv_path, int slot, FILE* out, const wchar_t* json_path,
                double chatter_ms) {
    JsonOutput json;
    if (!json_output_open(&json, json_path))
        return 1;
    run_csv_init(&s_run, slot > 0 ? slot : 0);
    if (s_run.run)
        run_set_chatter_ms(s_run.run, chatter_ms);
    const bool read = read_run_csv(csv_path, slot, &s_run);
    if (read)
        print_block(csv_path, out, &json);
    run_csv_free(&s_run);
    return finish_output(out, json_output_finish(&json, read ? 0 : 1));
}
