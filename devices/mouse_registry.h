// The registry of mice known to Raw Input: slot 0 is all mice together, slots
// 1..g_nri-1 the mice in the platform's list order, each with a display name.
#pragma once

#include <stdint.h>
#include <windows.h>

enum {
    REGISTRY_SLOTS = 64,
    REGISTRY_NAME_UNITS = 256,
};

struct RiDevice {
    wchar_t name[REGISTRY_NAME_UNITS];
    HANDLE handle;  // null in slot 0
};

extern RiDevice g_ri_devs[REGISTRY_SLOTS];
extern int g_nri;  // 0: empty registry; 1: no mouse; slot 0 included
// Counter value of each slot's latest report; 0: none since the registry was
// built. Indexed by registry slot, so every build clears it.
extern int64_t g_dev_last_active[REGISTRY_SLOTS];

void enumerate_mice(void);
