// Scripted millisecond clock of the diagnostic: time moves only when the code
// sleeps or when the fake driver's wait lets it pass.
#pragma once

#include <stdint.h>

struct FakeDiagClock {
    uint32_t start_ticks;
    uint64_t elapsed_ms;
    int sleeps;
};

extern FakeDiagClock g_fake_clock;

void fake_diag_clock_reset(uint32_t start_ticks);
