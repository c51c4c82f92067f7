// Start-up: the command line read, the mode chosen, and one front end run to
// its end; each front end makes and frees the run it measures. The modes that
// read files run here on every system; the live ones (the window, the console,
// the list of mice) are in startup_win32.cpp, or refused by startup_posix.cpp.
#include "app/startup.h"

#include <limits.h>
#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>

#include "app/ab_mode.h"
#include "app/analyze_mode.h"
#include "app/compare_mode.h"
#include "app/pcap_mode.h"
#include "app/text_out.h"
#include "core/figures/buttons.h"
#include "core/heap.h"
#include "core/version.h"
#include "core/views/texts.h"
#include "platform/c_library.h"
#include "platform/ui_language.h"

static const wchar_t kVersionLine[] = L"Quorvin " QUORVIN_VERSION_WIDE;

void append_text(wchar_t* out, size_t cap, size_t* len, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const int n = vswprintf(out + *len, cap - *len, format, args);
    va_end(args);
    if (n > 0)
        *len += (size_t)n;
    out[cap - 1] = 0;
}

const wchar_t* usage_text(LaunchProgram program) {
    static wchar_t text[6144];  // the usage is about 2000 units in either language
    const size_t cap = sizeof text / sizeof text[0];
    const bool cli = program == PROGRAM_CLI;
    size_t len = 0;
    text[0] = 0;
    append_text(text, cap, &len, txw(TX_USAGE_HEAD), QUORVIN_VERSION_WIDE,
                cli ? L"quorvin-cli.exe" : L"quorvin.exe");
    if (!cli)
        append_text(text, cap, &len, txw(TX_USAGE_NO_OPTION));
    // --chatter-ms goes with the other options that follow a mode, before
    // --lang; the options' text is one block in each language, so it is
    // split there (a line start, never inside a "%%").
    const wchar_t* options = txw(TX_USAGE_OPTIONS);
    const wchar_t* lang = wcsstr(options, L"\n  --lang ");
    const size_t head = lang ? (size_t)(lang + 1 - options) : wcslen(options);
    wchar_t first[2048];
    const size_t kept = head < 2047 ? head : 2047;
    wmemcpy(first, options, kept);
    first[kept] = 0;
    append_text(text, cap, &len, first);
    append_text(text, cap, &len, txw(TX_USAGE_CHATTER));
    append_text(text, cap, &len, options + kept);
    append_text(text, cap, &len, txw(cli ? TX_USAGE_CLI_EXAMPLE : TX_USAGE_WINDOW_EXAMPLE));
    return text;
}

static bool is_console_switch(const wchar_t* arg) {
    return wcscmp(arg, L"--console") == 0 || wcscmp(arg, L"-c") == 0;
}

static bool is_help_switch(const wchar_t* arg) {
    return wcscmp(arg, L"--help") == 0 || wcscmp(arg, L"-h") == 0 || wcscmp(arg, L"/?") == 0;
}

// SECONDS: the whole argument a positive, finite number (2.5 too); -1 for anything else.
static double parse_run_seconds(const wchar_t* arg) {
    wchar_t* end = NULL;
    double v = wcstod(arg, &end);
    if (end == arg || *end != 0 || !(v > 0) || !isfinite(v))
        return -1;
    return v;
}

// INDEX: a whole number. One that names no mouse is taken: the console says
// so and measures all mice.
static bool parse_index(const wchar_t* arg, int* index) {
    wchar_t* end = NULL;
    const long v = wcstol(arg, &end, 10);
    if (end == arg || *end != 0)
        return false;
    *index = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : (int)v;
    return true;
}

// --chatter-ms N: milliseconds from 0.5 to 100 (both taken); -1 for anything else.
static double parse_chatter_ms(const wchar_t* arg) {
    wchar_t* end = NULL;
    const double v = wcstod(arg, &end);
    return end != arg && *end == 0 && v >= kChatterLowestMs && v <= kChatterHighestMs ? v : -1;
}

// A slot number from 0 to 63; -1 for anything else.
static int parse_slot(const wchar_t* arg) {
    wchar_t* end = NULL;
    long v = arg ? wcstol(arg, &end, 10) : -1;
    return arg && end != arg && *end == 0 && v >= 0 && v <= 63 ? (int)v : -1;
}

// "-x" or "--x", but not a negative number (an INDEX or SECONDS).
static bool looks_like_option(const wchar_t* arg) {
    return arg[0] == L'-' && arg[1] != 0 && !iswdigit(arg[1]) && arg[1] != L'.';
}

static void init_request(LaunchRequest* out, LaunchProgram program) {
    memset(out, 0, sizeof *out);
    out->chatter_ms = kChatterDefaultMs;
    // A console program that opened the window would leave its console behind.
    out->mode = program == PROGRAM_CLI ? LAUNCH_HELP : LAUNCH_WINDOW;
    out->device_index = -1;
    out->compare_slot = -1;
}

// The first reason is the one told; an unknown option goes before any.
static void refuse(LaunchRequest* out, const wchar_t* format, ...) {
    if (out->error[0] || out->unknown)
        return;
    va_list args;
    va_start(args, format);
    if (vswprintf(out->error, sizeof out->error / sizeof out->error[0], format, args) < 0)
        wcscpy(out->error, txw(TX_ARGS_CANNOT_RUN));
    va_end(args);
}

// What the options after the mode's switch gave besides the request's fields.
struct OptionScan {
    const wchar_t* rest[4];  // the mode's own arguments, in order (and one too many)
    int kept;
    bool slot_given;
};

// "--csv FILE", "--json FILE" or "--usb-save FILE"; the name may not be missing or empty.
static void take_file_option(LaunchRequest* out, const wchar_t* option, const wchar_t* file) {
    const wchar_t kind = option[2];
    if (!file || !file[0])
        refuse(out, txw(TX_FILE_OPTION_NEEDS_NAME), option, option,
               kind == L'c' ? L"run.csv" : kind == L'j' ? L"report.json" : L"usb.pcap");
    (kind == L'c' ? out->csv_path : kind == L'j' ? out->json_path : out->usb_save_path) = file;
}

static bool is_file_option(const wchar_t* arg) {
    return wcscmp(arg, L"--csv") == 0 || wcscmp(arg, L"--json") == 0 ||
           wcscmp(arg, L"--usb-save") == 0;
}

// "--csv FILE", "--json FILE", "--usb-save FILE", "--usb" and "--slot N" may follow the
// mode's own arguments or stand between them.
static void take_options(int argc, wchar_t** argv, LaunchRequest* out, OptionScan* scan) {
    for (int i = 2; i < argc; i++) {
        const wchar_t* a = argv[i];
        if (is_file_option(a)) {
            take_file_option(out, a, i + 1 < argc ? argv[++i] : NULL);
        } else if (wcscmp(a, L"--slot") == 0) {
            const wchar_t* n = i + 1 < argc ? argv[++i] : L"";
            out->compare_slot = parse_slot(n);
            scan->slot_given = true;
            if (out->compare_slot < 0)
                refuse(out, txw(TX_SLOT_REFUSED), n);
        } else if (wcscmp(a, L"--chatter-ms") == 0) {
            const wchar_t* n = i + 1 < argc ? argv[++i] : L"";
            out->chatter_given = true;
            out->chatter_ms = parse_chatter_ms(n);
            if (out->chatter_ms < 0)
                refuse(out, txw(TX_CHATTER_MS_REFUSED), n);
        } else if (wcscmp(a, L"--usb") == 0) {
            out->usb = true;
        } else if (looks_like_option(a)) {
            if (!out->unknown)
                out->unknown = a;
        } else if (scan->kept < 4) {
            scan->rest[scan->kept++] = a;
        }
    }
}

static bool is_mode_option(const wchar_t* arg) {
    return is_file_option(arg) || wcscmp(arg, L"--usb") == 0 || wcscmp(arg, L"--slot") == 0 ||
           wcscmp(arg, L"--chatter-ms") == 0;
}

static bool is_mode_switch(const wchar_t* arg) {
    return is_console_switch(arg) || wcscmp(arg, L"--pcap") == 0 || wcscmp(arg, L"--compare") == 0 ||
           wcscmp(arg, L"--analyze") == 0 || wcscmp(arg, L"--ab") == 0;
}

// The mode's own arguments: how many it takes and what they are.
static void take_mode_arguments(const wchar_t* first, const OptionScan* scan, LaunchRequest* out) {
    const wchar_t* const* rest = scan->rest;
    int takes = 2;
    TextId what = TX_TAKES_INDEX_AND_SECONDS;
    if (wcscmp(first, L"--pcap") == 0) {
        out->mode = LAUNCH_PCAP;
        out->pcap_path = rest[0];
        takes = 1;
        what = TX_TAKES_CAPTURE;
    } else if (wcscmp(first, L"--compare") == 0) {
        out->mode = LAUNCH_COMPARE;
        out->pcap_path = rest[0];
        out->compare_csv = rest[1];
        out->compare_endpoint = rest[2];
        takes = 3;
        what = TX_TAKES_COMPARE;
    } else if (wcscmp(first, L"--analyze") == 0 || wcscmp(first, L"--ab") == 0) {
        const bool ab = first[3] == L'b';
        out->mode = ab ? LAUNCH_AB : LAUNCH_ANALYZE;
        out->compare_csv = rest[0];
        out->ab_csv_b = ab ? rest[1] : NULL;
        takes = ab ? 2 : 1;
        what = ab ? TX_TAKES_TWO_CSV : TX_TAKES_ONE_CSV;
    } else {
        out->mode = LAUNCH_CONSOLE;
        out->device_arg = rest[0];
        if (rest[0] && !parse_index(rest[0], &out->device_index))
            refuse(out, txw(TX_INDEX_REFUSED), rest[0]);
        if (rest[1])
            out->run_seconds = parse_run_seconds(rest[1]);
    }
    if (scan->kept > takes)
        refuse(out, txw(TX_UNEXPECTED_ARGUMENT), rest[takes], first, txw(what));
}

// Two names of one file (Windows ignores case): an output must not replace
// another output or the capture being read.
static bool same_file(const wchar_t* a, const wchar_t* b) {
    return a && b && file_names_same(a, b);
}

static void check_outputs(LaunchRequest* out) {
    if (same_file(out->csv_path, out->usb_save_path))
        refuse(out, txw(TX_CSV_IS_USB_SAVE), out->csv_path);
    if (out->mode == LAUNCH_PCAP && same_file(out->csv_path, out->pcap_path))
        refuse(out, txw(TX_CSV_IS_CAPTURE), out->csv_path);
    const wchar_t* json = out->json_path;
    if (same_file(json, out->csv_path) || same_file(json, out->usb_save_path))
        refuse(out, txw(TX_JSON_IS_OUTPUT),
               same_file(json, out->csv_path) ? L"--csv" : L"--usb-save", json);
    if (same_file(json, out->pcap_path))
        refuse(out, txw(TX_JSON_IS_CAPTURE), json);
    if (same_file(json, out->compare_csv) || same_file(json, out->ab_csv_b))
        refuse(out, txw(TX_JSON_IS_CSV_READ), json);
}

// Each mode's missing arguments, and the options that mean nothing to it.
static void check_mode(const wchar_t* first, const OptionScan* scan, LaunchRequest* out) {
    const bool console = out->mode == LAUNCH_CONSOLE;
    if (console && out->run_seconds < 0)
        refuse(out, txw(TX_SECONDS_REFUSED), scan->rest[1]);
    if (out->mode == LAUNCH_PCAP && !out->pcap_path)
        refuse(out, txw(TX_PCAP_NEEDS_FILE));
    if (out->mode == LAUNCH_COMPARE && !out->compare_csv)
        refuse(out, txw(TX_COMPARE_NEEDS_FILES));
    if (!console && (out->usb || out->usb_save_path))
        refuse(out, txw(TX_USB_ONLY_AFTER_CONSOLE), out->usb_save_path ? L"--usb-save" : L"--usb",
               first);
    if (out->mode == LAUNCH_ANALYZE && !out->compare_csv)
        refuse(out, txw(TX_ANALYZE_NEEDS_CSV));
    if (out->mode == LAUNCH_AB && !out->ab_csv_b)
        refuse(out, txw(TX_AB_NEEDS_CSVS));
    const bool reads_runs = out->mode == LAUNCH_COMPARE || out->mode == LAUNCH_ANALYZE ||
                            out->mode == LAUNCH_AB;
    if (reads_runs && out->csv_path)
        refuse(out, txw(TX_CSV_WITH_READER), first);
    if (out->chatter_given && !console && out->mode != LAUNCH_ANALYZE)
        refuse(out, txw(TX_CHATTER_MS_ONLY), first);
    if (!reads_runs && scan->slot_given)
        refuse(out, txw(TX_SLOT_ONLY_READERS), first,
               txw(console ? TX_SLOT_CONSOLE_WHY : TX_SLOT_PCAP_WHY));
    check_outputs(out);
}

static bool help_anywhere(int argc, wchar_t** argv) {
    for (int i = 2; i < argc; i++) {
        if (is_help_switch(argv[i]))
            return true;
    }
    return false;
}

static void choose_mode(int argc, wchar_t** argv, LaunchRequest* out, LaunchProgram program) {
    const wchar_t* first = argv[1];
    if (is_help_switch(first) || ((is_mode_switch(first) || program == PROGRAM_CLI) &&
                                  help_anywhere(argc, argv))) {
        out->mode = LAUNCH_HELP;
    } else if (wcscmp(first, L"--version") == 0) {
        out->mode = LAUNCH_VERSION;
    } else if (wcscmp(first, L"--list") == 0) {
        out->mode = LAUNCH_LIST;
    } else if (is_mode_switch(first)) {
        OptionScan scan = {};
        take_options(argc, argv, out, &scan);
        take_mode_arguments(first, &scan, out);
        check_mode(first, &scan, out);
    } else if (program == PROGRAM_CLI && is_mode_option(first)) {
        refuse(out, txw(TX_OPTION_BEFORE_MODE), first);
    } else if (program == PROGRAM_CLI) {
        out->unknown = first;
    }
    // quorvin.exe: any other first argument starts the window.
    if (out->unknown)
        out->mode = LAUNCH_UNKNOWN;
    else if (out->error[0])
        out->mode = LAUNCH_REFUSED;
}

// "--lang en|zh" may stand anywhere: it is taken out before the mode is read,
// and the language set at once, so every later message is in it.
static int take_language(int argc, wchar_t** argv, wchar_t** kept, LaunchRequest* out) {
    int n = 0;
    const wchar_t* bad = NULL;
    for (int i = 0; i < argc; i++) {
        if (i > 0 && wcscmp(argv[i], L"--lang") == 0) {
            const wchar_t* name = i + 1 < argc ? argv[++i] : L"";
            if (texts_lang_from_name(name, &out->lang))
                out->lang_given = true;
            else if (!bad)
                bad = name;
        } else {
            kept[n++] = argv[i];
        }
    }
    texts_set_lang(out->lang_given ? out->lang : ui_language_is_chinese() ? LANG_ZH : LANG_EN);
    if (bad)
        refuse(out, txw(TX_LANG_REFUSED), bad);
    return n;
}

void parse_launch(int argc, wchar_t** argv, LaunchRequest* out, LaunchProgram program) {
    init_request(out, program);
    wchar_t** kept = argv && argc > 0 ? (wchar_t**)heap_alloc((size_t)argc * sizeof *kept) : NULL;
    if (!kept) {
        texts_set_lang(ui_language_is_chinese() ? LANG_ZH : LANG_EN);
        return;
    }
    const int n = take_language(argc, argv, kept, out);
    if (n >= 2)
        choose_mode(n, kept, out, program);
    if (out->error[0] && !out->unknown)
        out->mode = LAUNCH_REFUSED;
    heap_free(kept);
}

// Help and version: on standard output from quorvin-cli.exe, in a box from
// quorvin.exe, which has no terminal to print to.
int show_program_text(LaunchProgram program, const wchar_t* text, bool aligned) {
    if (program == PROGRAM_CLI) {
        print_wide_utf8(stdout, text);
        return finish_output(stdout, 0);
    }
    return show_text_in_window(text, aligned);
}

// The modes that read files: --compare, --analyze, --ab and --pcap.
static int run_file_mode(const LaunchRequest* req) {
    if (req->mode == LAUNCH_AB)
        return run_ab(req->compare_csv, req->ab_csv_b, req->compare_slot, stdout, req->json_path);
    if (req->mode == LAUNCH_ANALYZE)
        return run_analyze(req->compare_csv, req->compare_slot, stdout, req->json_path,
                           req->chatter_ms);
    if (req->mode == LAUNCH_COMPARE)
        return run_compare(req->pcap_path, req->compare_csv, req->compare_endpoint,
                           req->compare_slot, stdout, req->json_path);
    return run_pcap(req->pcap_path, stdout, req->csv_path, req->json_path);
}

static int run_front_end(const LaunchRequest* req, LaunchProgram program) {
    switch (req->mode) {
    case LAUNCH_HELP:
        return show_program_text(program, usage_text(program), true);
    case LAUNCH_VERSION: {
        wchar_t line[64];
        swprintf(line, 64, program == PROGRAM_CLI ? L"%ls\n" : L"%ls", kVersionLine);
        return show_program_text(program, line, false);
    }
    case LAUNCH_UNKNOWN:
        print_error(txw(TX_UNKNOWN_OPTION), req->unknown);
        print_wide_utf8(error_stream(), usage_text(program));
        return 1;
    case LAUNCH_REFUSED:
        return print_error(L"%ls", req->error);
    case LAUNCH_COMPARE:
    case LAUNCH_ANALYZE:
    case LAUNCH_AB:
    case LAUNCH_PCAP:
        return run_file_mode(req);
    case LAUNCH_LIST:
    case LAUNCH_CONSOLE:
    case LAUNCH_WINDOW:
        break;
    }
    return run_live_mode(req, program);
}

int quorvin_run(int argc, wchar_t** argv, LaunchProgram program) {
    LaunchRequest req;
    parse_launch(argc, argv, &req, program);
    bool prints = req.mode != LAUNCH_WINDOW &&
                  !(program == PROGRAM_WINDOW && (req.mode == LAUNCH_HELP || req.mode == LAUNCH_VERSION ||
                                                   req.mode == LAUNCH_LIST));
    if (prints)
        prepare_console_output();
    // quorvin.exe has no standard error of its own: its errors stay with its text.
    FILE* const error_out = g_error_out;
    if (program == PROGRAM_WINDOW)
        g_error_out = stdout;
    int result = run_front_end(&req, program);
    g_error_out = error_out;
    if (prints)
        restore_console_output();
    return result;
}
