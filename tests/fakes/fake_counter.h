// Scripted performance counter for tests.
#pragma once

#include <stdint.h>

extern int64_t g_fake_counter_now;
extern int64_t g_fake_counter_freq;
