// Heap blocks of the report buffer and the registry's temporary lists, behind a
// seam so tests can make an allocation fail and check that nothing leaks.
#pragma once

#include <stddef.h>

void* heap_alloc(size_t bytes);
void* heap_realloc(void* block, size_t bytes);
void heap_free(void* block);
