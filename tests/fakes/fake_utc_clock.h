// Scripted UTC clock: returns whatever the test set.
#pragma once

#include <stdint.h>

extern int64_t g_fake_utc_us;

// Reads given first, in order, before utc_now_us falls back to g_fake_utc_us
// (at most FAKE_UTC_READS of them); and how many are left.
enum { FAKE_UTC_READS = 32 };
void fake_utc_script(const int64_t* reads, int n);
int fake_utc_script_left(void);
