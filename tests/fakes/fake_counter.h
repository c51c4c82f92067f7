// Scripted performance counter for tests.
#pragma once

#include <stdint.h>

extern int64_t g_fake_counter_now;
extern int64_t g_fake_counter_freq;

// Reads given first, in order, before counter_read falls back to
// g_fake_counter_now (at most FAKE_READS of them); and how many are left.
enum { FAKE_READS = 32 };
void fake_counter_script(const int64_t* reads, int n);
int fake_counter_script_left(void);
