// Benchmark, run by hand under Wine: the plot window open on 33 million logged
// reports while measuring, driven for a few seconds by zooms, pans,
// double-clicks, Shift+wheel and the 100 ms refresh, then beside a CSV export
// that is cancelled. Every message the window's thread handles is timed (each
// DispatchMessage, and each refresh tick); prints the longest, and what the
// builder thread took per model. Asserts nothing.
#include <stdio.h>
#include <windows.h>

#include "bench/bench_log.h"
#include "gui/panel.h"
#include "gui/plot_builder.h"
#include "gui/plot_export.h"
#include "gui/plot_window.h"
#include "tests/fakes/fake_counter.h"
#include "tests/fakes/fake_file_dialog.h"

enum { REPORTS = 33000000, ACTION_MS = 40, REFRESH_MS = 100 };

static double host_ms(void) {
    LARGE_INTEGER v, f;
    QueryPerformanceCounter(&v);
    QueryPerformanceFrequency(&f);
    return (double)v.QuadPart * 1000.0 / (double)f.QuadPart;
}

// The longest a message kept the window's thread, and which.
struct Longest {
    double ms;
    UINT msg;
    int handled;
};

static void note(Longest* l, double ms, UINT msg) {
    l->handled++;
    if (ms > l->ms) {
        l->ms = ms;
        l->msg = msg;
    }
}

// The k-th of a round of user actions, posted as the mouse would send them.
static void post_action(int k) {
    RECT r;
    GetClientRect(plot_live_window(), &r);
    POINT at = {r.right / 2 + (k % 7) * 20 - 60, r.bottom / 2};
    POINT screen = at;
    ClientToScreen(plot_live_window(), &screen);
    const LPARAM client = MAKELPARAM(at.x, at.y), pointer = MAKELPARAM(screen.x, screen.y);
    switch (k % 6) {
    case 0:
    case 1:
        PostMessageW(plot_live_window(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), pointer);
        break;
    case 2:
        PostMessageW(plot_live_window(), WM_LBUTTONDOWN, MK_LBUTTON, client);
        PostMessageW(plot_live_window(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x - 80, at.y));
        PostMessageW(plot_live_window(), WM_LBUTTONUP, 0, MAKELPARAM(at.x - 80, at.y));
        break;
    case 3:
        PostMessageW(plot_live_window(), WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, WHEEL_DELTA), pointer);
        break;
    case 4:
        PostMessageW(plot_live_window(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), pointer);
        break;
    default:
        PostMessageW(plot_live_window(), WM_LBUTTONDBLCLK, MK_LBUTTON, client);
        break;
    }
}

// Handles the window's messages for ms, posting an action every ACTION_MS
// and ticking the refresh every REFRESH_MS, as the main window's timer does.
static void drive(int ms, Longest* l) {
    const double end = host_ms() + ms;
    double next_action = host_ms(), next_refresh = next_action;
    for (int k = 0; host_ms() < end && plot_live_window();) {
        const double now = host_ms();
        if (now >= next_action) {
            post_action(k++);
            next_action += ACTION_MS;
        }
        if (now >= next_refresh) {
            plot_refresh();
            note(l, host_ms() - now, WM_TIMER);
            next_refresh += REFRESH_MS;
        }
        MSG m;
        while (PeekMessageW(&m, NULL, 0, 0, PM_REMOVE)) {
            const double start = host_ms();
            DispatchMessageW(&m);
            note(l, host_ms() - start, m.message);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 2, QS_ALLINPUT);
    }
}

static void print(const char* what, const Longest* l) {
    printf("%s: %d messages, the longest %.1f ms (message 0x%04x)\n", what, l->handled, l->ms, l->msg);
}

int main(void) {
    static Run run;
    run_init(&run, 1e7);
    gui_create_bar_brushes();
    double start = host_ms();
    g_fake_counter_now = bench_fill_log(&run, REPORTS);  // measuring: the run ends now
    printf("%d reports logged in %.1f s\n", REPORTS, (host_ms() - start) / 1000);
    run_set_measuring(&run, true);
    run.chosen_slot = 0;
    start = host_ms();
    plot_open(NULL, &run);
    printf("opening the plot (creation and first paint): %.1f ms\n", host_ms() - start);
    Longest zooms = {}, exporting = {};
    drive(5000, &zooms);
    print("5 s of zooms, pans and refreshes", &zooms);
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    swprintf(path, MAX_PATH, L"%lsquorvin-bench-export.csv", dir);
    g_fake_save_path = path;
    SendMessageW(plot_live_window(), WM_COMMAND, ID_PLOT_EXPORT, 0);
    drive(2000, &exporting);
    SendMessageW(plot_live_window(), WM_COMMAND, ID_PLOT_EXPORT, 0);  // cancels
    drive(500, &exporting);
    print("2.5 s beside an export, then its cancel", &exporting);
    const PlotBuildFigures f = plot_builder_figures(plot_live_builder());
    printf("builder thread: %u models, the last %.1f ms, the longest %.1f ms\n", f.builds, f.last_ms,
           f.longest_ms);
    start = host_ms();
    DestroyWindow(plot_live_window());
    printf("closing the plot: %.1f ms; export left running: %s\n", host_ms() - start,
           plot_export_running() ? "yes" : "no");
    return 0;
}
