// Start-up and teardown: counter frequency, the 65 record locks, mode choice,
// one front end run to its end, then locks deleted and the report buffer freed.
#include "app/startup.h"

#include <shellapi.h>
#include <stdio.h>
#include <wchar.h>

#include "app/console.h"
#include "engine/counter.h"
#include "engine/heap.h"
#include "engine/reception.h"

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
    if (!argv || argc < 2 || !is_console_switch(argv[1]))
        return;
    out->mode = LAUNCH_CONSOLE;
    if (argc > 2)
        out->device_index = _wtoi(argv[2]);
    if (argc > 3)
        out->run_seconds = parse_run_seconds(argv[3]);
}

static bool stdout_is_usable(void) {
    HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE);
    return h && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

// A program started with its output in a file or pipe keeps writing there; only
// without a usable standard output does it get a console of its own.
static void prepare_console_output(void) {
    if (stdout_is_usable()) {
        SetConsoleOutputCP(CP_UTF8);
        return;
    }
    if (!AllocConsole())
        return;
    freopen("CONOUT$", "w", stdout);
    freopen("CONIN$", "r", stdin);
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleTitleW(L"Quorvin v9 - 控制台");
}

static int run_window(void) {
    MessageBoxW(NULL, L"Window mode is not built yet; start with --console.", L"Quorvin v9",
                MB_OK);
    return 1;
}

static int run_front_end(const LaunchRequest* req) {
    if (req->mode == LAUNCH_CONSOLE) {
        prepare_console_output();
        return run_console(req->device_index, req->run_seconds);
    }
    return run_window();
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
