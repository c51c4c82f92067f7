// The clock feed's worker: two chunks, one filled by the walk while the
// worker feeds the other, handed over under one lock.
#include "core/clock_feed.h"

#include <string.h>

#include "core/heap.h"

static void feed_chunk(const ClockFeedEntry* e, uint32_t n) {
    for (uint32_t i = 0; i < n; i++)
        report_clock_add(e[i].clock, e[i].t_us);
}

static void* work(void* arg) {
    ClockFeed* f = (ClockFeed*)arg;
    pthread_mutex_lock(&f->lock);
    for (;;) {
        while (!f->handed && !f->ending)
            pthread_cond_wait(&f->changed, &f->lock);
        if (!f->handed)
            break;  // ending, and everything handed is fed
        const ClockFeedEntry* e = f->chunk[1 - f->filling];
        const uint32_t n = f->handed_n;
        pthread_mutex_unlock(&f->lock);
        feed_chunk(e, n);
        pthread_mutex_lock(&f->lock);
        f->handed = false;
        pthread_cond_broadcast(&f->changed);
    }
    pthread_mutex_unlock(&f->lock);
    return NULL;
}

static void release(ClockFeed* f) {
    heap_free(f->chunk[0]);
    heap_free(f->chunk[1]);
    heap_free(f);
}

ClockFeed* clock_feed_start(void) {
    ClockFeed* f = (ClockFeed*)heap_alloc(sizeof(ClockFeed));
    if (!f)
        return NULL;
    memset(f, 0, sizeof *f);
    for (int i = 0; i < 2; i++)
        f->chunk[i] = (ClockFeedEntry*)heap_alloc(CLOCK_FEED_CHUNK * sizeof(ClockFeedEntry));
    if (!f->chunk[0] || !f->chunk[1]) {
        release(f);
        return NULL;
    }
    pthread_mutex_init(&f->lock, NULL);
    pthread_cond_init(&f->changed, NULL);
    f->threaded = pthread_create(&f->worker, NULL, work, f) == 0;
    return f;
}

// The walk changes `filling` only while the worker holds no chunk (or under
// the lock), so the worker's reading of it under the lock is safe.
void clock_feed_hand(ClockFeed* f) {
    if (!f->threaded) {
        feed_chunk(f->chunk[f->filling], f->n);
        f->n = 0;
        return;
    }
    pthread_mutex_lock(&f->lock);
    while (f->handed)
        pthread_cond_wait(&f->changed, &f->lock);
    f->handed = true;
    f->handed_n = f->n;
    f->filling = 1 - f->filling;
    pthread_cond_broadcast(&f->changed);
    pthread_mutex_unlock(&f->lock);
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
