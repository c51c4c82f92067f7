// The arrival log as CSV, the same for the console's --csv and the window's
// export: t_us,slot,interval_us,class,background,utc_us, one line per report.
#pragma once

#include <stdio.h>

#include "core/arrival_log.h"
#include "core/clock_map.h"

extern const char* const g_arrival_class_name[4];  // first, accepted, coalesced, pause

// Writes the header and every logged report; false when a write failed.
bool write_arrival_csv(FILE* f, const ArrivalLog* log, double freq, const ClockMap* clock);
