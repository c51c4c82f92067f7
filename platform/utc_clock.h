// The system's precise UTC clock (the one USBPcap stamps its records with),
// behind a seam so tests choose the time.
#pragma once

#include <stdint.h>

// Microseconds since 1970-01-01 UTC.
int64_t utc_now_us(void);
