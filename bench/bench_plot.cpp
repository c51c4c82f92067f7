// Benchmark, run by hand under Wine: one model build and paint of the plot
// (900 x 480 at 96 DPI; intervals, counts and speed, each of the whole run and
// of a zoomed view) with 10 million logged reports, 1000 us apart with +-30 us
// of jitter and moving, both on this thread (plot_draw; the window builds on
// its builder thread and paints the result). Prints the first, then the
// fastest and the median of 21 of each view; asserts nothing.
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include "bench/bench_log.h"
#include "core/views/plot_model.h"
#include "gui/panel.h"
#include "gui/plot_paint.h"
#include "gui/plot_window.h"
#include "tests/support/dib_canvas.h"

static double host_ms(void) {
    LARGE_INTEGER v, f;
    QueryPerformanceCounter(&v);
    QueryPerformanceFrequency(&f);
    return (double)v.QuadPart * 1000.0 / (double)f.QuadPart;
}

static int by_value(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

int main(void) {
    enum { REPORTS = 10000000, RUNS = 21 };
    static Run run;
    run_init(&run, 1e7);
    gui_create_bar_brushes();
    bench_fill_log(&run, REPORTS);
    PanelFont font = {};
    DibCanvas canvas;
    canvas.make(900, 480);
    enum { VIEWS = 2 * PLOT_KINDS };
    static const char* const names[PLOT_KINDS] = {"intervals", "counts", "speed", "buttons"};
    PlotView views[VIEWS] = {};
    for (int v = 0; v < VIEWS; v++) {
        views[v].kind = v / 2;
        views[v].whole = v % 2 == 0;
        views[v].t0_s = 4000;
        views[v].t1_s = 4010;
    }
    double start = host_ms();
    plot_draw(canvas.dc, 900, 480, 96, &font, &run, 0, &views[0], plot_live_status());
    printf("%d reports: first repaint %.1f ms\n", REPORTS, host_ms() - start);
    for (int v = 0; v < VIEWS; v++) {
        double ms[RUNS];
        for (int k = 0; k < RUNS; k++) {
            start = host_ms();
            plot_draw(canvas.dc, 900, 480, 96, &font, &run, 0, &views[v], plot_live_status());
            GdiFlush();
            ms[k] = host_ms() - start;
        }
        qsort(ms, RUNS, sizeof ms[0], by_value);
        printf("%s, %s: fastest %.2f ms, median %.2f ms\n", names[v / 2], v % 2 ? "10 s" : "whole run",
               ms[0], ms[RUNS / 2]);
    }
    return 0;
}
