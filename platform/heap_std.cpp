// The real heap: the C library's allocator.
#include <stdlib.h>

#include "core/heap.h"

void* heap_alloc(size_t bytes) { return malloc(bytes); }
void* heap_realloc(void* block, size_t bytes) { return realloc(block, bytes); }
void heap_free(void* block) { free(block); }
