// The plot's builder thread. Three models change hands: the builder fills its
// back model, then swaps it with the ready one; the window swaps the ready
// one with the one it paints. Each swap is two pointers under a lock held for
// nothing else, so neither side ever waits for the other's building or
// painting. The builder reads the log through its own view
// (ARRIVAL_READER_PLOT), released after each build so no block stays pinned
// while it sleeps. It also keeps the record's report clock, fed at each build
// with what the log gained since (the whole run once, when the plot opens).
#include "gui/plot_builder.h"

#include <atomic>

#include "core/arrival_clock.h"
#include "core/arrival_log.h"

struct Builder {
    HANDLE thread, wake, built;
    HWND window;
    std::atomic<bool> stop;
    CRITICAL_SECTION lock;  // guards what follows
    PlotRequest asked;
    unsigned asked_gen, taken_gen, done_gen;
    PlotBuilt* ready;
    bool fresh;  // ready holds a model the window has not taken
    PlotBuildFigures figures;
    double done_ms;  // host time the last build finished
    // The window's and the builder's own.
    PlotBuilt* front;
    PlotBuilt* back;
};

static PlotBuilt s_models[3];
static Builder s_b;
static RecordClock s_clock;  // the builder thread's, until it has ended

static double host_ms(void) {
    LARGE_INTEGER v, f;
    QueryPerformanceCounter(&v);
    QueryPerformanceFrequency(&f);
    return (double)v.QuadPart * 1000.0 / (double)f.QuadPart;
}

// The newest request not yet begun; false when the builder is to end.
static bool take_request(PlotRequest* r, unsigned* gen) {
    EnterCriticalSection(&s_b.lock);
    *gen = s_b.asked_gen != s_b.taken_gen ? s_b.asked_gen : 0;
    *r = s_b.asked;
    s_b.taken_gen = s_b.asked_gen;
    LeaveCriticalSection(&s_b.lock);
    return !s_b.stop.load();
}

static void hand_over(PlotBuilt* b, double start_ms) {
    const double end_ms = host_ms();
    EnterCriticalSection(&s_b.lock);
    s_b.back = s_b.ready;
    s_b.ready = b;
    s_b.fresh = true;
    s_b.done_gen = b->generation;
    s_b.done_ms = end_ms;
    PlotBuildFigures* f = &s_b.figures;
    f->builds++;
    f->last_ms = end_ms - start_ms;
    f->longest_ms = f->last_ms > f->longest_ms ? f->last_ms : f->longest_ms;
    LeaveCriticalSection(&s_b.lock);
    PostMessageW(s_b.window, WM_PLOT_MODEL, 0, 0);
    SetEvent(s_b.built);
}

static void build(ArrivalView* view, const PlotRequest* r, unsigned gen) {
    const double start_ms = host_ms();
    PlotBuilt* b = s_b.back;
    plot_model_build(&b->model, arrival_view_now(view, &g_arrival_log, ARRIVAL_READER_PLOT), r);
    if (!s_b.stop.load())
        record_clock_look(&s_clock, view, r->slot, r->freq, &b->clock, &s_b.stop);
    b->wrapped = arrival_view_wrapped(view);
    b->failed = view->failed;
    arrival_view_release(view);
    if (s_b.stop.load())
        return;  // cut short: not a model
    b->request = *r;
    b->generation = gen;
    hand_over(b, start_ms);
}

static DWORD WINAPI builder_main(void*) {
    ArrivalView view = {};
    PlotRequest r;
    unsigned gen;
    while (WaitForSingleObject(s_b.wake, INFINITE) == WAIT_OBJECT_0 && take_request(&r, &gen)) {
        if (gen)
            build(&view, &r, gen);
    }
    return 0;
}

// What start made besides the thread.
static void free_builder(void) {
    if (s_b.wake)
        CloseHandle(s_b.wake);
    if (s_b.built)
        CloseHandle(s_b.built);
    DeleteCriticalSection(&s_b.lock);
    s_b.thread = s_b.wake = s_b.built = NULL;
    s_b.window = NULL;
}

bool plot_builder_start(HWND window) {
    plot_builder_stop();
    for (PlotBuilt& m : s_models)
        m.generation = 0;
    InitializeCriticalSection(&s_b.lock);
    s_b.asked_gen = s_b.taken_gen = s_b.done_gen = 0;
    s_b.front = &s_models[0];
    s_b.ready = &s_models[1];
    s_b.back = &s_models[2];
    s_b.fresh = false;
    s_b.figures = PlotBuildFigures{};
    s_b.window = window;
    s_b.stop.store(false);
    s_b.wake = CreateEventW(NULL, FALSE, FALSE, NULL);
    s_b.built = CreateEventW(NULL, FALSE, FALSE, NULL);
    if (s_b.wake && s_b.built)
        s_b.thread = CreateThread(NULL, 0, builder_main, NULL, 0, NULL);
    if (!s_b.thread)
        free_builder();
    return s_b.thread != NULL;
}

void plot_builder_stop(void) {
    if (!s_b.thread)
        return;
    s_b.stop.store(true);
    SetEvent(s_b.wake);
    WaitForSingleObject(s_b.thread, INFINITE);
    CloseHandle(s_b.thread);
    record_clock_free(&s_clock);
    free_builder();
}

unsigned plot_builder_ask(const PlotRequest* r) {
    if (!s_b.thread)
        return 0;
    EnterCriticalSection(&s_b.lock);
    s_b.asked = *r;
    s_b.asked.stop = &s_b.stop;
    const unsigned gen = ++s_b.asked_gen;
    LeaveCriticalSection(&s_b.lock);
    SetEvent(s_b.wake);
    return gen;
}

const PlotBuilt* plot_builder_take(unsigned want, DWORD wait_ms) {
    if (!s_b.thread)
        return NULL;
    const ULONGLONG deadline = GetTickCount64() + wait_ms;
    for (;;) {
        EnterCriticalSection(&s_b.lock);
        if (s_b.fresh) {
            PlotBuilt* taken = s_b.ready;
            s_b.ready = s_b.front;
            s_b.front = taken;
            s_b.fresh = false;
        }
        LeaveCriticalSection(&s_b.lock);
        const ULONGLONG now = GetTickCount64();
        if (s_b.front->generation >= want || now >= deadline)
            break;
        WaitForSingleObject(s_b.built, (DWORD)(deadline - now));
    }
    return s_b.front->generation ? s_b.front : NULL;
}

bool plot_builder_rested(double share) {
    if (!s_b.thread)
        return false;
    EnterCriticalSection(&s_b.lock);
    const bool rested = s_b.done_gen == s_b.asked_gen &&
                        host_ms() - s_b.done_ms >= share * s_b.figures.last_ms;
    LeaveCriticalSection(&s_b.lock);
    return rested;
}

PlotBuildFigures plot_builder_figures(void) {
    if (!s_b.thread)
        return s_b.figures;  // the last window's
    EnterCriticalSection(&s_b.lock);
    const PlotBuildFigures f = s_b.figures;
    LeaveCriticalSection(&s_b.lock);
    return f;
}
