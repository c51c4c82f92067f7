// The registry of mice known to Raw Input: slot 0 is all mice together, slots
// 1..g_nri-1 the mice in the platform's list order, each with the ids its
// device path gives and the product string the mouse tells. A slot names one
// mouse for a whole run: hot-plugging adds slots and marks unplugged mice gone,
// but never renumbers, so a record, the plot and the CSV never mix two mice.
// devices/mouse_label makes a mouse's name from them.
#pragma once

#include <stdint.h>
#include <windows.h>

#include <atomic>

enum {
    REGISTRY_SLOTS = 64,
    REGISTRY_ID_UNITS = 5,  // four units and the terminator
    // 40 units and the terminator: a name with the ids after it still fits
    // the 64 units the front ends give a name.
    REGISTRY_PRODUCT_UNITS = 41,
};

struct RiDevice {
    HANDLE handle;  // null in slot 0
    bool gone;      // no longer listed; the slot keeps its mouse until the registry is rebuilt
    // The (up to) four units after the first "VID_" and "PID_" in the device
    // path, as the path spells them; empty where the path has none (and in slot 0).
    wchar_t vid[REGISTRY_ID_UNITS];
    wchar_t pid[REGISTRY_ID_UNITS];
    // The product string, read once when the mouse is added (a HID read is a
    // few system calls, too many for a report or a repaint), without the
    // blanks some devices pad it with, cut to fit; empty when the mouse tells none.
    wchar_t product[REGISTRY_PRODUCT_UNITS];
};

// The system's mice, one list for the process: every run and window names
// and chooses mice by these slots, and the reader thread finds a report's slot here.
extern RiDevice g_ri_devs[REGISTRY_SLOTS];
extern int g_nri;  // 0: empty registry; 1: no mouse; slot 0 included
// Counter value of each slot's latest report; 0: none since the registry was
// built. Indexed by registry slot, so every build clears it.
// Written by the reader thread, read by the window's. It lives with the
// registry, not a run, because a rebuild renumbers the slots it is indexed by.
extern std::atomic<int64_t> g_dev_last_active[REGISTRY_SLOTS];

// Rebuilds the registry from nothing, in the platform's list order.
void enumerate_mice(void);
// Follows hot-plugging during a run: listed mice keep their slots, new ones
// take the next free slots, unlisted ones are marked gone. Clears the
// activity times like a rebuild. True when a slot was added or changed state;
// a list that cannot be read changes nothing.
bool rescan_mice(void);
// The Raw Input device path of a slot's mouse (\\?\HID#VID_...) into out,
// cut to units; false for slot 0 (all mice) or a path that cannot be read.
bool registry_device_path(int slot, wchar_t* out, size_t units);
// Whether a slot names a mouse that is gone: a new run should rebuild.
bool registry_has_gone_mice(void);
// How many of the registry's mice are still listed (not gone).
int registry_mice_present(void);

// The slot of a mouse's device handle, 0 when none: what the reader thread
// uses. A run's slots are only ever appended (rescan_mice publishes each new
// handle before the count that covers it), so a slot the reader has seen
// never changes under it; rebuilds (enumerate_mice) happen while no reader runs.
int registry_slot_of(HANDLE device);
// Publishes the slots from `from` on to the reader (0: all, while no reader runs).
void registry_publish_slots(int from);
