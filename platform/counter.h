// The performance counter, behind one seam so tests can script time stamps.
#pragma once

#include <stdint.h>

int64_t counter_read(void);
int64_t counter_frequency(void);
