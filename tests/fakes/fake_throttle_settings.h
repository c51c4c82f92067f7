// Scripted throttle settings: whatever build and registry values a test sets.
#pragma once

#include "core/figures/throttle.h"

extern ThrottleSettings g_fake_throttle;

// Windows 7 with no value set, as Wine reports by default.
void fake_throttle_reset(void);
