// Benchmark, run by hand: the cost per report of record_arrival alone, of the
// whole on_wm_input path (a read of one report by message) and of a buffered
// read of 16 reports (reception_take_batch: what the reader thread does with
// one GetRawInputBuffer read) for a mouse in registry slot 30, log included,
// with the platform calls faked. Every report moves one count, so the motion
// figures (speed, the rates between moving reports) take their full path;
// the same path again with a button pressed or released, or a wheel notch,
// in every report (far more than a hand makes), for the button figures.
// Prints its figures; asserts nothing.
#include <stdio.h>
#include <windows.h>

#include "devices/mouse_registry.h"
#include "engine/reception.h"
#include "tests/fakes/fake_counter.h"
#include "tests/fakes/fake_rawinput.h"

static const int kReports = 5000000;
static const int64_t kTicksPer1000Hz = 10000;  // 1 ms at the fake 10 MHz counter

static Run s_run;
static Reception s_reception = {&s_run, NULL, 0, true};

static double host_seconds(void) {
    LARGE_INTEGER v, f;
    QueryPerformanceCounter(&v);
    QueryPerformanceFrequency(&f);
    return (double)v.QuadPart / (double)f.QuadPart;
}

static double bench_record_arrival(void) {
    run_clear(&s_run);
    int64_t t = 1;
    const ReportMotion one = {1, 0, 0, 0, 0};
    double start = host_seconds();
    for (int i = 0; i < kReports; i++) {
        t += kTicksPer1000Hz;
        record_arrival(&s_run.records[1], t, false, 0, &one);
    }
    return (host_seconds() - start) * 1e9 / kReports;
}

static void registry_of_31_mice(void) {
    g_nri = 31;
    for (int i = 1; i < g_nri; i++)
        g_ri_devs[i].handle = (HANDLE)(INT_PTR)(0x100 + i);
    registry_publish_slots(0);
}

// Every report a button change or a notch: left down, left up, a notch down,
// a notch up, in turn (the last a lone one against the scroll).
static void vary_buttons(RAWMOUSE* m, int i) {
    static const USHORT flags[4] = {RI_MOUSE_LEFT_BUTTON_DOWN, RI_MOUSE_LEFT_BUTTON_UP, RI_MOUSE_WHEEL,
                                    RI_MOUSE_WHEEL};
    static const SHORT data[4] = {0, 0, -WHEEL_DELTA, WHEEL_DELTA};
    m->usButtonFlags = flags[i % 4];
    m->usButtonData = (USHORT)data[i % 4];
}

static double bench_on_wm_input(bool buttons) {
    fake_rawinput_reset();
    registry_of_31_mice();
    FakeReport* r = &g_fake_ri.reports[0];
    r->type = RIM_TYPEMOUSE;
    r->device = g_ri_devs[30].handle;
    r->size = sizeof(RAWINPUTHEADER) + sizeof(RAWMOUSE);
    r->mouse.lLastX = 1;
    HRAWINPUT report = fake_report_handle(0);

    run_clear(&s_run);
    run_set_measuring(&s_run, true);
    double start = host_seconds();
    for (int i = 0; i < kReports; i++) {
        g_fake_counter_now += kTicksPer1000Hz;
        if (buttons)
            vary_buttons(&r->mouse, i);
        on_wm_input(&s_reception, report, RIM_INPUTSINK);
    }
    double ns = (host_seconds() - start) * 1e9 / kReports;
    r->mouse.usButtonFlags = 0;
    run_set_measuring(&s_run, false);
    if (s_run.records[30].interval_count != (uint64_t)kReports - 1)
        printf("warning: slot 30 counted %llu intervals\n",
               (unsigned long long)s_run.records[30].interval_count);
    return ns;
}

// A read of 16 reports of slot 30 stamped at once, every 2 ms (8000 Hz):
// nanoseconds per report.
static double bench_take_batch(bool buttons) {
    enum { BATCH = 16 };
    static RAWINPUT reads[BATCH];
    for (int i = 0; i < BATCH; i++) {
        RAWINPUT& r = reads[i];
        r.header.dwType = RIM_TYPEMOUSE;
        r.header.dwSize = sizeof(RAWINPUT);
        r.header.hDevice = g_ri_devs[30].handle;
        r.header.wParam = RIM_INPUTSINK;
        r.data.mouse.lLastX = 1;
        r.data.mouse.usButtonFlags = 0;
        if (buttons)
            vary_buttons(&r.data.mouse, i);
    }
    run_clear(&s_run);
    run_set_measuring(&s_run, true);
    int64_t t = 1;
    const int drains = kReports / BATCH;
    double start = host_seconds();
    for (int i = 0; i < drains; i++) {
        t += 2 * kTicksPer1000Hz;
        reception_take_batch(&s_reception, reads, BATCH, sizeof reads, t);
    }
    double ns = (host_seconds() - start) * 1e9 / (drains * BATCH);
    run_set_measuring(&s_run, false);
    if (s_run.records[30].arrival_count != (uint64_t)drains * BATCH)
        printf("warning: slot 30 took %llu reports\n", (unsigned long long)s_run.records[30].arrival_count);
    return ns;
}

int main(void) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    run_init(&s_run, (double)g_fake_counter_freq);
    printf("host performance counter: %lld Hz\n", (long long)f.QuadPart);
    printf("reports per run: %d\n", kReports);
    for (int run = 0; run < 3; run++) {
        double arrival = bench_record_arrival();
        double path = bench_on_wm_input(false);
        double batch = bench_take_batch(false);
        double path_buttons = bench_on_wm_input(true);
        double batch_buttons = bench_take_batch(true);
        printf("run %d: record_arrival %.1f ns/report, on_wm_input (slot 30) %.1f ns/report, "
               "16-report read %.1f ns/report (%.2f us per read); with a button or notch in every "
               "report: on_wm_input %.1f ns/report, 16-report read %.1f ns/report\n",
               run + 1, arrival, path, batch, batch * 16 / 1000, path_buttons, batch_buttons);
    }
    reception_free(&s_reception);
    run_free(&s_run);
    return 0;
}
