// The real performance counter (QueryPerformanceCounter/Frequency).
#include <windows.h>

#include "platform/counter.h"

int64_t counter_read(void) {
    LARGE_INTEGER v;
    QueryPerformanceCounter(&v);
    return v.QuadPart;
}

int64_t counter_frequency(void) {
    LARGE_INTEGER v;
    QueryPerformanceFrequency(&v);
    return v.QuadPart;
}
