// The clock feed's worker: a ring of chunks, filled by the walk in turn and
// fed by the worker in the same turn, handed over under one lock.
#include "core/captures/clock_feed.h"

#include <string.h>

#include "core/heap.h"

// A run of one clock's reports goes in one call, which keeps that clock's
// state at hand between them: a capture of one mouse is one long run.
static void feed_chunk(const ClockFeedChunk* c, uint32_t n) {
    for (uint32_t i = 0; i < n;) {
        uint32_t end = i + 1;
        while (end < n && c->clocks[end] == c->clocks[i])
            end++;
        report_clock_add_times(c->clocks[i], c->times + i, end - i);
        i = end;
    }
}

static void* work(void* arg) {
    ClockFeed* f = (ClockFeed*)arg;
    pthread_mutex_lock(&f->lock);
    for (;;) {
        while (f->fed == f->handed && !f->ending)
            pthread_cond_wait(&f->changed, &f->lock);
        if (f->fed == f->handed)
            break;  // ending, and everything handed is fed
        const uint32_t i = (uint32_t)(f->fed % CLOCK_FEED_CHUNKS);
        const uint32_t n = f->count[i];
        pthread_mutex_unlock(&f->lock);
        feed_chunk(f->chunk[i], n);
        pthread_mutex_lock(&f->lock);
        f->fed++;
        pthread_cond_broadcast(&f->changed);
    }
    pthread_mutex_unlock(&f->lock);
    return NULL;
}

static void release(ClockFeed* f) {
    for (int i = 0; i < CLOCK_FEED_CHUNKS; i++)
        heap_free(f->chunk[i]);
    heap_free(f);
}

ClockFeed* clock_feed_start(void) {
    ClockFeed* f = (ClockFeed*)heap_alloc(sizeof(ClockFeed));
    if (!f)
        return NULL;
    memset(f, 0, sizeof *f);
    bool all = true;
    for (int i = 0; i < CLOCK_FEED_CHUNKS; i++) {
        f->chunk[i] = (ClockFeedChunk*)heap_alloc(sizeof(ClockFeedChunk));
        all = all && f->chunk[i];
    }
    if (!all) {
        release(f);
        return NULL;
    }
    f->filling = f->chunk[0];
    pthread_mutex_init(&f->lock, NULL);
    pthread_cond_init(&f->changed, NULL);
    f->threaded = pthread_create(&f->worker, NULL, work, f) == 0;
    return f;
}

void clock_feed_hand(ClockFeed* f) {
    if (!f->threaded) {
        feed_chunk(f->filling, f->n);
        f->n = 0;
        return;
    }
    pthread_mutex_lock(&f->lock);
    f->count[f->handed % CLOCK_FEED_CHUNKS] = f->n;
    f->handed++;
    pthread_cond_broadcast(&f->changed);
    while (f->handed - f->fed == CLOCK_FEED_CHUNKS)  // the next chunk is still the worker's
        pthread_cond_wait(&f->changed, &f->lock);
    pthread_mutex_unlock(&f->lock);
    f->filling = f->chunk[f->handed % CLOCK_FEED_CHUNKS];
    f->n = 0;
}

void clock_feed_end(ClockFeed* f) {
    if (!f)
        return;
    if (f->n)
        clock_feed_hand(f);
    if (f->threaded) {
        pthread_mutex_lock(&f->lock);
        f->ending = true;
        pthread_cond_broadcast(&f->changed);
        pthread_mutex_unlock(&f->lock);
        pthread_join(f->worker, NULL);
    }
    pthread_mutex_destroy(&f->lock);
    pthread_cond_destroy(&f->changed);
    release(f);
}
