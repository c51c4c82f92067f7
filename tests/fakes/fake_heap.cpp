// Counting heap for tests, on top of the C library's allocator. One lock
// keeps the counts whole when a worker (the capture walk's clock feed)
// allocates beside the test's thread.
#include "tests/fakes/fake_heap.h"

#include <stdlib.h>
#include <string.h>

#include <mutex>
#ifdef _WIN32
#include <malloc.h>
#define malloc_usable_size _msize
#else
#include <malloc.h>
#endif

#include "core/heap.h"

FakeHeap g_fake_heap;
static std::mutex s_lock;

// Called through a volatile pointer: a plain memset just before free() is
// a dead store the compiler removes.
static void* (*volatile poison)(void*, int, size_t) = memset;

void fake_heap_reset(void) { g_fake_heap = FakeHeap{}; }

static bool refuse_next(void) {
    int n = ++g_fake_heap.allocations;
    return g_fake_heap.fail_all || n == g_fake_heap.fail_allocation;
}

static void note_size(size_t bytes) {
    if (bytes > g_fake_heap.largest_block)
        g_fake_heap.largest_block = bytes;
}

void* heap_alloc(size_t bytes) {
    std::lock_guard<std::mutex> hold(s_lock);
    note_size(bytes);
    if (refuse_next())
        return NULL;
    void* p = malloc(bytes);
    if (p)
        g_fake_heap.live_blocks++;
    return p;
}

void* heap_realloc(void* block, size_t bytes) {
    std::lock_guard<std::mutex> hold(s_lock);
    note_size(bytes);
    if (refuse_next())
        return NULL;
    if (block && g_fake_heap.refuse_grow_to && bytes >= g_fake_heap.refuse_grow_to)
        return NULL;
    if (g_fake_heap.realloc_moves && block) {
        // A fresh block, the old one poisoned and freed: a caller that keeps
        // using the old pointer trips AddressSanitizer, or reads the poison
        // where there is none (Wine).
        void* p = malloc(bytes);
        if (!p)
            return NULL;
        const size_t old_bytes = malloc_usable_size(block);
        memcpy(p, block, bytes < old_bytes ? bytes : old_bytes);
        poison(block, 0xA5, old_bytes);
        free(block);
        return p;
    }
    void* p = realloc(block, bytes);
    if (p && !block)
        g_fake_heap.live_blocks++;
    return p;
}

void heap_free(void* block) {
    std::lock_guard<std::mutex> hold(s_lock);
    if (block)
        g_fake_heap.live_blocks--;
    free(block);
}
