// The plot's builder thread. Three models change hands: the builder fills its
// back model, then swaps it with the ready one; the window swaps the ready
// one with the one it paints. Each swap is two pointers under a lock held for
// nothing else, so neither side ever waits for the other's building or
// painting. The builder reads the log through its own view
// (ARRIVAL_READER_PLOT), released after each build so no block stays pinned
// while it sleeps. It also keeps the record's report clock, fed at each build
// with what the log gained since (the whole run once, when the plot opens),
// unless it was given a saved run's figures.
#include "gui/plot_builder.h"

#include "core/runs/arrival_log.h"

static double host_ms(void) {
    LARGE_INTEGER v, f;
    QueryPerformanceCounter(&v);
    QueryPerformanceFrequency(&f);
    return (double)v.QuadPart * 1000.0 / (double)f.QuadPart;
}

// The newest request not yet begun; false when the builder is to end.
static bool take_request(PlotBuilder* b, PlotRequest* r, unsigned* gen) {
    EnterCriticalSection(&b->lock);
    *gen = b->asked_gen != b->taken_gen ? b->asked_gen : 0;
    *r = b->asked;
    b->taken_gen = b->asked_gen;
    LeaveCriticalSection(&b->lock);
    return !b->stop.load();
}

static void hand_over(PlotBuilder* pb, PlotBuilt* b, double start_ms) {
    const double end_ms = host_ms();
    EnterCriticalSection(&pb->lock);
    pb->back = pb->ready;
    pb->ready = b;
    pb->fresh = true;
    pb->done_gen = b->generation;
    pb->done_ms = end_ms;
    PlotBuildFigures* f = &pb->figures;
    f->builds++;
    f->last_ms = end_ms - start_ms;
    f->longest_ms = f->last_ms > f->longest_ms ? f->last_ms : f->longest_ms;
    LeaveCriticalSection(&pb->lock);
    PostMessageW(pb->window, WM_PLOT_MODEL, 0, 0);
    SetEvent(pb->built);
}

static void build(PlotBuilder* pb, ArrivalView* view, const PlotRequest* r, unsigned gen) {
    const double start_ms = host_ms();
    PlotBuilt* b = pb->back;
    plot_model_build(&b->model, arrival_view_now(view, pb->log, ARRIVAL_READER_PLOT), r);
    if (pb->fixed_clock)
        b->clock = *pb->fixed_clock;
    else if (!pb->stop.load())
        record_clock_look(&pb->clock, view, r->slot, r->freq, &b->clock, &pb->stop);
    b->wrapped = arrival_view_wrapped(view);
    b->failed = view->failed;
    arrival_view_release(view);
    if (pb->stop.load())
        return;  // cut short: not a model
    b->request = *r;
    b->generation = gen;
    hand_over(pb, b, start_ms);
}

static DWORD WINAPI builder_main(void* param) {
    PlotBuilder* b = (PlotBuilder*)param;
    ArrivalView view = {};
    PlotRequest r;
    unsigned gen;
    while (WaitForSingleObject(b->wake, INFINITE) == WAIT_OBJECT_0 && take_request(b, &r, &gen)) {
        if (gen)
            build(b, &view, &r, gen);
    }
    return 0;
}

// What start made besides the thread.
static void free_builder(PlotBuilder* b) {
    if (b->wake)
        CloseHandle(b->wake);
    if (b->built)
        CloseHandle(b->built);
    DeleteCriticalSection(&b->lock);
    b->thread = b->wake = b->built = NULL;
    b->window = NULL;
}

bool plot_builder_start(PlotBuilder* b, HWND window, ArrivalLog* log,
                        const ReportClockFigures* clock) {
    plot_builder_stop(b);
    for (PlotBuilt& m : b->models)
        m.generation = 0;
    InitializeCriticalSection(&b->lock);
    b->asked_gen = b->taken_gen = b->done_gen = 0;
    b->front = &b->models[0];
    b->ready = &b->models[1];
    b->back = &b->models[2];
    b->fresh = false;
    b->figures = PlotBuildFigures{};
    b->window = window;
    b->log = log;
    b->fixed_clock = clock;
    b->stop.store(false);
    b->wake = CreateEventW(NULL, FALSE, FALSE, NULL);
    b->built = CreateEventW(NULL, FALSE, FALSE, NULL);
    if (b->wake && b->built)
        b->thread = CreateThread(NULL, 0, builder_main, b, 0, NULL);
    if (!b->thread)
        free_builder(b);
    return b->thread != NULL;
}

void plot_builder_stop(PlotBuilder* b) {
    if (!b->thread)
        return;
    b->stop.store(true);
    SetEvent(b->wake);
    WaitForSingleObject(b->thread, INFINITE);
    CloseHandle(b->thread);
    record_clock_free(&b->clock);
    free_builder(b);
}

unsigned plot_builder_ask(PlotBuilder* b, const PlotRequest* r) {
    if (!b->thread)
        return 0;
    EnterCriticalSection(&b->lock);
    b->asked = *r;
    b->asked.stop = &b->stop;
    const unsigned gen = ++b->asked_gen;
    LeaveCriticalSection(&b->lock);
    SetEvent(b->wake);
    return gen;
}

const PlotBuilt* plot_builder_take(PlotBuilder* b, unsigned want, DWORD wait_ms) {
    if (!b->thread)
        return NULL;
    const ULONGLONG deadline = GetTickCount64() + wait_ms;
    for (;;) {
        EnterCriticalSection(&b->lock);
        if (b->fresh) {
            PlotBuilt* taken = b->ready;
            b->ready = b->front;
            b->front = taken;
            b->fresh = false;
        }
        LeaveCriticalSection(&b->lock);
        const ULONGLONG now = GetTickCount64();
        if (b->front->generation >= want || now >= deadline)
            break;
        WaitForSingleObject(b->built, (DWORD)(deadline - now));
    }
    return b->front->generation ? b->front : NULL;
}

bool plot_builder_rested(PlotBuilder* b, double share) {
    if (!b->thread)
        return false;
    EnterCriticalSection(&b->lock);
    const bool rested = b->done_gen == b->asked_gen &&
                        host_ms() - b->done_ms >= share * b->figures.last_ms;
    LeaveCriticalSection(&b->lock);
    return rested;
}

PlotBuildFigures plot_builder_figures(PlotBuilder* b) {
    if (!b->thread)
        return b->figures;  // the last window's
    EnterCriticalSection(&b->lock);
    const PlotBuildFigures f = b->figures;
    LeaveCriticalSection(&b->lock);
    return f;
}
