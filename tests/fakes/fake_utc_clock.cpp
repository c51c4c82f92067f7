// The UTC time a test chooses (see fake_utc_clock.h).
#include "tests/fakes/fake_utc_clock.h"

#include "platform/utc_clock.h"

int64_t g_fake_utc_us = 1765000000000000LL;  // December 2025

static int64_t s_script[FAKE_UTC_READS];
static int s_script_n, s_script_at;

void fake_utc_script(const int64_t* reads, int n) {
    s_script_n = n < FAKE_UTC_READS ? n : FAKE_UTC_READS;
    s_script_at = 0;
    for (int i = 0; i < s_script_n; i++)
        s_script[i] = reads[i];
}

int fake_utc_script_left(void) { return s_script_n - s_script_at; }

int64_t utc_now_us(void) { return s_script_at < s_script_n ? s_script[s_script_at++] : g_fake_utc_us; }
