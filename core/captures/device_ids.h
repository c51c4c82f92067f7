// The USB vendor and product ids in a Raw Input device path, such as
// \\?\HID#VID_046D&PID_C08B&MI_00#... or a Bluetooth one's
// ..._VID&0002046D_PID&B023...: what names a mouse's make and model
// in a report that others read.
#pragma once

#include <wchar.h>

struct DeviceIds {
    int vid;  // 0..0xFFFF, -1 when the path has none
    int pid;
};

// Each id is the four hex digits after the first "VID_" or "PID_" (either
// case) that has four, or the last four of the 4..8 after "VID&" or "PID&";
// -1 for an id the path lacks. path may be null.
void parse_device_ids(const wchar_t* path, DeviceIds* out);
