// The UTC time a test chooses (see fake_utc_clock.h).
#include "tests/fakes/fake_utc_clock.h"

#include "platform/utc_clock.h"

int64_t g_fake_utc_us = 1765000000000000LL;  // December 2025

int64_t utc_now_us(void) { return g_fake_utc_us; }
