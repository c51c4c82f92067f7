// Adding and removing the two Raw Input registrations (mouse, then keyboard)
// that both front ends use.
#pragma once

#include <windows.h>

// Mouse reports also in the background, and device arrival/removal notices.
BOOL raw_registration_start(HWND target);
void raw_registration_end(void);
