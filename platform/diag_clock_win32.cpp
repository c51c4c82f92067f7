// The real clock of the diagnostic: GetTickCount and Sleep.
#include <windows.h>

#include "platform/diag_clock.h"

uint32_t diag_ticks(void) { return GetTickCount(); }
void diag_sleep(uint32_t ms) { Sleep(ms); }
