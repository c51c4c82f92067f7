// Benchmark, run by hand under Wine: one repaint of the interval plot (900 x
// 480 at 96 DPI, whole run and a zoomed view) with 10 million logged reports.
// Prints its figures; asserts nothing.
#include <stdio.h>
#include <windows.h>

#include "core/arrival_log.h"
#include "engine/reception.h"
#include "gui/panel.h"
#include "gui/plot_window.h"
#include "tests/support/dib_canvas.h"

static double host_ms(void) {
    LARGE_INTEGER v, f;
    QueryPerformanceCounter(&v);
    QueryPerformanceFrequency(&f);
    return (double)v.QuadPart * 1000.0 / (double)f.QuadPart;
}

int main(void) {
    const int kReports = 10000000;
    stats_init_locks();
    gui_create_bar_brushes();
    g_qpc_freq = 1e7;
    int64_t t = 1000;
    unsigned seed = 1;
    for (int i = 0; i < kReports; i++) {
        seed = seed * 1103515245u + 12345u;
        t += 10000 + (int64_t)(seed >> 16) % 600 - 300;  // 1000 us, +-30 us
        ArrivalClass c = record_arrival(&g_dev_stats[0], t);  // as a report is received
        arrival_log_append(&g_arrival_log, t, 1, false, c);
        record_arrival(&g_dev_stats[1], t);
    }
    PanelFont font = {};
    DibCanvas canvas;
    canvas.make(900, 480);
    HDC dc = canvas.dc;
    PlotView views[2] = {{true, 0, 0, false, 0, 0}, {false, 4000, 4010, false, 0, 0}};
    double start = host_ms();
    plot_draw(dc, 900, 480, 96, &font, 0, &views[0]);
    printf("%d reports: first repaint %.1f ms\n", kReports,
           host_ms() - start);
    for (int v = 0; v < 2; v++) {
        for (int run = 1; run <= 3; run++) {
            start = host_ms();
            plot_draw(dc, 900, 480, 96, &font, 0, &views[v]);
            GdiFlush();
            printf("%s view, repaint %d: %.1f ms\n", v ? "10 s" : "whole", run, host_ms() - start);
        }
    }
    return 0;
}
