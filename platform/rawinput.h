// The Raw Input boundary: the only place that calls the four user32 Raw Input
// entries. Tests link a scripted fake in place of rawinput_win32.cpp.
#pragma once

#include <windows.h>

BOOL rawinput_register(const RAWINPUTDEVICE* devices, UINT count, UINT entry_size);
UINT rawinput_get_data(HRAWINPUT report, UINT command, void* data, UINT* size, UINT header_size);
UINT rawinput_get_device_list(RAWINPUTDEVICELIST* list, UINT* count, UINT entry_size);
UINT rawinput_get_device_info(HANDLE device, UINT command, void* data, UINT* size);
