// Report reception (WM_INPUT -> time stamp -> statistics records) and the
// choice of the record a front end displays.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "devices/mouse_registry.h"
#include "engine/stats.h"

extern void* g_ri_buf;
extern UINT g_ri_cap;
extern int64_t g_dev_last_active[REGISTRY_SLOTS];  // 0: no report since the registry build
extern int g_display_dev;                          // slot, or negative for automatic

void on_wm_input(HRAWINPUT report);
DeviceStats* display_stats(void);

// The slot of the mouse heard from last within 1.5 s, or 0 when none; the rule
// of automatic selection, also used by the panel's active-device line.
int most_recent_active_slot(int64_t now);
