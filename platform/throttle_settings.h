// Reads what decides Windows' background input throttle: the build number and
// the four values under HKEY_CURRENT_USER\Control Panel\Mouse. A seam, because
// no machine of ours runs the builds that throttle.
#pragma once

#include "core/figures/throttle.h"

void read_throttle_settings(ThrottleSettings* out);
