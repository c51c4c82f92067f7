// The diagnostic's millisecond clock, behind a seam so tests can run the
// three-second windows on scripted time (including the counter's wrap-around).
#pragma once

#include <stdint.h>

uint32_t diag_ticks(void);
void diag_sleep(uint32_t ms);
