// Start-up and teardown: counter frequency, the 65 record locks, mode choice,
// one front end run to its end, then locks deleted and the report buffer freed.
#include "app/startup.h"

#include <shellapi.h>
#include <stdio.h>
#include <wchar.h>

#include "app/compare_mode.h"
#include "app/console.h"
#include "app/pcap_mode.h"
#include "app/text_out.h"
#include "core/heap.h"
#include "core/version.h"
#include "engine/reception.h"
#include "gui/main_window.h"
#include "platform/counter.h"
#include "platform/message_box.h"

static const wchar_t kVersionLine[] = L"Quorvin " QUORVIN_VERSION_WIDE;

#define USAGE_HEAD(EXE)                                                                   \
    L"Quorvin " QUORVIN_VERSION_WIDE L" - mouse polling-rate tester\n\n"                      \
    L"Usage: " EXE L" [OPTION]\n"
#define USAGE_OPTIONS                                                                     \
    L"  -c, --console [INDEX [SECONDS]]  measure mouse INDEX (0 = all mice) until Ctrl+C"      \
    L" or for SECONDS\n"                                                                  \
    L"  --pcap FILE                      analyse a saved USBPcap capture (pcap or pcapng)\n" \
    L"  --csv FILE                       after -c or --pcap: also write every report to FILE\n"   \
    L"  --usb, --usb-save FILE           after -c: also capture USB (USBPcap, administrator) and\n" \
    L"                                   compare it with what Windows delivered; FILE: the pcap\n"  \
    L"  --compare CAPTURE CSV [ENDPOINT] compare a USBPcap capture with a -c run's CSV\n"        \
    L"  --help, -h, /?                   show this help\n"                                  \
    L"  --version                        show the version\n"

static const wchar_t kWindowUsage[] =
    USAGE_HEAD(L"quorvin.exe")
    L"  (no option)                      open the window\n"
    USAGE_OPTIONS
    L"\nExample: quorvin.exe -c 0 10   measures all mice for 10 seconds.\n"
    L"In a terminal, use quorvin-cli.exe: it prints there and the shell waits for it.\n";
static const wchar_t kCliUsage[] =
    USAGE_HEAD(L"quorvin-cli.exe")
    USAGE_OPTIONS
    L"\nExample: quorvin-cli.exe -c 0 10 --csv run.csv   measures all mice for 10 seconds\n"
    L"         and writes every report to run.csv.\n"
    L"quorvin.exe (without options) opens the window.\n";

const wchar_t* usage_text(LaunchProgram program) {
    return program == PROGRAM_CLI ? kCliUsage : kWindowUsage;
}

static bool is_console_switch(const wchar_t* arg) {
    return wcscmp(arg, L"--console") == 0 || wcscmp(arg, L"-c") == 0;
}

static bool is_help_switch(const wchar_t* arg) {
    return wcscmp(arg, L"--help") == 0 || wcscmp(arg, L"-h") == 0 || wcscmp(arg, L"/?") == 0;
}

// A positive number of seconds, read like strtod (trailing text ignored);
// anything else means no limit.
static double parse_run_seconds(const wchar_t* arg) {
    wchar_t* end = NULL;
    double v = wcstod(arg, &end);
    if (end == arg || !(v > 0))
        return 0;
    return v;
}

void parse_launch(int argc, wchar_t** argv, LaunchRequest* out, LaunchProgram program) {
    // A console program that opened the window would leave its console behind.
    out->mode = program == PROGRAM_CLI ? LAUNCH_HELP : LAUNCH_WINDOW;
    out->device_index = -1;
    out->run_seconds = 0;
    out->pcap_path = NULL;
    out->compare_csv = NULL;
    out->compare_endpoint = NULL;
    out->unknown = NULL;
    out->csv_path = NULL;
    out->csv_missing = false;
    out->usb = false;
    out->usb_save_path = NULL;
    if (!argv || argc < 2)
        return;
    // "--csv FILE" may follow the mode's own arguments; the rest keep their places.
    wchar_t* rest[4] = {NULL, NULL, NULL, NULL};
    int kept = 0;
    for (int i = 2; i < argc; i++) {
        if (wcscmp(argv[i], L"--csv") == 0 || wcscmp(argv[i], L"--usb-save") == 0) {
            const bool csv = argv[i][2] == L'c';
            const wchar_t* file = i + 1 < argc ? argv[++i] : NULL;
            (csv ? out->csv_path : out->usb_save_path) = file;
            out->csv_missing = out->csv_missing || file == NULL;
        } else if (wcscmp(argv[i], L"--usb") == 0) {
            out->usb = true;
        } else if (kept < 4) {
            rest[kept++] = argv[i];
        }
    }
    const wchar_t* first = argv[1];
    if (is_help_switch(first)) {
        out->mode = LAUNCH_HELP;
    } else if (wcscmp(first, L"--version") == 0) {
        out->mode = LAUNCH_VERSION;
    } else if (wcscmp(first, L"--pcap") == 0) {
        out->mode = LAUNCH_PCAP;
        out->pcap_path = rest[0];
    } else if (wcscmp(first, L"--compare") == 0) {
        out->mode = LAUNCH_COMPARE;
        out->pcap_path = rest[0];
        out->compare_csv = rest[1];
        out->compare_endpoint = rest[2];
    } else if (is_console_switch(first)) {
        out->mode = LAUNCH_CONSOLE;
        if (rest[0])
            out->device_index = _wtoi(rest[0]);
        if (rest[1])
            out->run_seconds = parse_run_seconds(rest[1]);
    } else if (program == PROGRAM_CLI) {
        out->mode = LAUNCH_UNKNOWN;
        out->unknown = first;
    }
    // quorvin.exe: any other first argument starts the window.
}

// Help and version: on standard output from quorvin-cli.exe, in a box from
// quorvin.exe, which has no terminal to print to.
static int show_text(LaunchProgram program, const wchar_t* text) {
    if (program == PROGRAM_CLI) {
        print_wide_utf8(stdout, text);
        return 0;
    }
    message_box(NULL, text, QUORVIN_SHORT_NAME, MB_ICONINFORMATION);
    return 0;
}

static int run_front_end(const LaunchRequest* req, LaunchProgram program) {
    switch (req->mode) {
    case LAUNCH_HELP:
        return show_text(program, usage_text(program));
    case LAUNCH_VERSION: {
        wchar_t line[64];
        swprintf(line, 64, program == PROGRAM_CLI ? L"%ls\n" : L"%ls", kVersionLine);
        return show_text(program, line);
    }
    case LAUNCH_UNKNOWN: {
        wchar_t line[600];
        swprintf(line, 600, L"Error: unknown option %.500ls\n\n", req->unknown);
        print_wide_utf8(stdout, line);
        print_wide_utf8(stdout, usage_text(program));
        return 1;
    }
    case LAUNCH_COMPARE:
        return run_compare(req->pcap_path, req->compare_csv, req->compare_endpoint, stdout);
    case LAUNCH_PCAP:
    case LAUNCH_CONSOLE:
        if (req->csv_missing) {
            print_wide_utf8(stdout, L"Error: --csv and --usb-save need the name of the file to write.\n");
            return 1;
        }
        if (req->mode == LAUNCH_CONSOLE) {
            ConsoleRun run = {req->device_index, req->run_seconds, req->csv_path, req->usb,
                              req->usb_save_path};
            return run_console_with(&run);
        }
        if (!req->pcap_path) {
            print_wide_utf8(stdout, L"Error: --pcap needs the name of a capture file.\n");
            return 1;
        }
        return run_pcap(req->pcap_path, stdout, req->csv_path);
    case LAUNCH_WINDOW:
        break;
    }
    return run_main_window();
}

int quorvin_main(const wchar_t* command_line, LaunchProgram program) {
    g_qpc_freq = (double)counter_frequency();
    stats_init_locks();

    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(command_line, &argc);
    LaunchRequest req;
    parse_launch(argc, argv, &req, program);
    bool prints = req.mode != LAUNCH_WINDOW &&
                  !(program == PROGRAM_WINDOW && (req.mode == LAUNCH_HELP || req.mode == LAUNCH_VERSION));
    if (prints)
        prepare_console_output();
    int result = run_front_end(&req, program);
    if (prints)
        restore_console_output();
    if (argv)
        LocalFree(argv);

    stats_free_all();
    stats_delete_locks();
    heap_free(g_ri_buf);
    g_ri_buf = NULL;
    g_ri_cap = 0;
    return result;
}
