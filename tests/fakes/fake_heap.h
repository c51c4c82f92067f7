// Counting heap for tests: knows how many blocks are live and can refuse
// allocations on demand.
#pragma once

#include <stddef.h>

struct FakeHeap {
    int live_blocks;
    int allocations;
    int fail_allocation;  // refuse the allocation with this 1-based number; 0: never
    bool fail_all;
    bool realloc_moves;   // every growing realloc moves the block and frees the old one
    size_t largest_block; // the largest block asked for since the reset
    size_t refuse_grow_to;  // refuse a realloc of a block to this many bytes or more; 0: never
};

extern FakeHeap g_fake_heap;

void fake_heap_reset(void);
