// Start-up and teardown: counter frequency, the 65 record locks, mode choice,
// one front end run to its end, then locks deleted and the report buffer freed.
#include "app/startup.h"

#include <shellapi.h>
#include <stdio.h>
#include <wchar.h>

#include "app/console.h"
#include "app/pcap_mode.h"
#include "app/text_out.h"
#include "platform/counter.h"
#include "core/heap.h"
#include "engine/reception.h"
#include "gui/main_window.h"

static bool is_console_switch(const wchar_t* arg) {
    return wcscmp(arg, L"--console") == 0 || wcscmp(arg, L"-c") == 0;
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

void parse_launch(int argc, wchar_t** argv, LaunchRequest* out) {
    out->mode = LAUNCH_WINDOW;
    out->device_index = -1;
    out->run_seconds = 0;
    out->pcap_path = NULL;
    if (!argv || argc < 2)
        return;
    if (wcscmp(argv[1], L"--pcap") == 0) {
        out->mode = LAUNCH_PCAP;
        out->pcap_path = argc > 2 ? argv[2] : NULL;
        return;
    }
    if (!is_console_switch(argv[1]))
        return;
    out->mode = LAUNCH_CONSOLE;
    if (argc > 2)
        out->device_index = _wtoi(argv[2]);
    if (argc > 3)
        out->run_seconds = parse_run_seconds(argv[3]);
}

static int run_front_end(const LaunchRequest* req) {
    if (req->mode == LAUNCH_PCAP) {
        prepare_console_output();
        if (!req->pcap_path) {
            print_wide_utf8(stdout, L"Error: --pcap needs the name of a capture file.\n");
            return 1;
        }
        return run_pcap(req->pcap_path, stdout);
    }
    if (req->mode == LAUNCH_CONSOLE) {
        prepare_console_output();
        return run_console(req->device_index, req->run_seconds);
    }
    return run_main_window();
}

int quorvin_main(const wchar_t* command_line) {
    g_qpc_freq = (double)counter_frequency();
    stats_init_locks();

    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(command_line, &argc);
    LaunchRequest req;
    parse_launch(argc, argv, &req);
    int result = run_front_end(&req);
    if (argv)
        LocalFree(argv);

    stats_delete_locks();
    heap_free(g_ri_buf);
    g_ri_buf = NULL;
    g_ri_cap = 0;
    return result;
}
