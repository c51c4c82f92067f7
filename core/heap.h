// Heap blocks (the report buffer, the registry's temporary lists, capture
// buffers), behind a seam so tests can make an allocation fail and check that
// nothing leaks. Declared here because core/ allocates too; the real allocator
// is platform/heap_std.cpp and tests link tests/fakes/fake_heap.cpp instead.
#pragma once

#include <stddef.h>

void* heap_alloc(size_t bytes);
void* heap_realloc(void* block, size_t bytes);
void heap_free(void* block);
