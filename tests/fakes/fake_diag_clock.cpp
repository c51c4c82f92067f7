// The diagnostic's clock on scripted time (see fake_diag_clock.h).
#include "tests/fakes/fake_diag_clock.h"

#include "platform/diag_clock.h"

FakeDiagClock g_fake_clock;

void fake_diag_clock_reset(uint32_t start_ticks) {
    g_fake_clock = FakeDiagClock();
    g_fake_clock.start_ticks = start_ticks;
}

uint32_t diag_ticks(void) { return g_fake_clock.start_ticks + (uint32_t)g_fake_clock.elapsed_ms; }

void diag_sleep(uint32_t ms) {
    g_fake_clock.sleeps++;
    g_fake_clock.elapsed_ms += ms;
}
