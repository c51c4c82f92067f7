// Scripted UTC clock: returns whatever the test set.
#pragma once

#include <stdint.h>

extern int64_t g_fake_utc_us;
