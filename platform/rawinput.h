// The Raw Input boundary: the only place that calls the user32 Raw Input
// entries and waits for raw input. Tests link a scripted fake in place of
// rawinput_win32.cpp.
#pragma once

#include <windows.h>

BOOL rawinput_register(const RAWINPUTDEVICE* devices, UINT count, UINT entry_size);
UINT rawinput_get_data(HRAWINPUT report, UINT command, void* data, UINT* size, UINT header_size);
UINT rawinput_get_device_list(RAWINPUTDEVICELIST* list, UINT* count, UINT entry_size);
UINT rawinput_get_device_info(HANDLE device, UINT command, void* data, UINT* size);
UINT rawinput_get_buffer(RAWINPUT* data, UINT* size, UINT header_size);
// Waits until raw input or a message is waiting in this thread's queue, or
// stop is signalled: WAIT_OBJECT_0 for stop, WAIT_OBJECT_0 + 1 for input,
// WAIT_TIMEOUT, or WAIT_FAILED. Input already waiting answers at once, so a
// wake-up is never lost between a drain and the next wait.
DWORD rawinput_wait(HANDLE stop, DWORD timeout_ms);
// Whether the input code of each report (RIM_INPUT while the application is
// in front, RIM_INPUTSINK otherwise) follows that documented rule. Windows:
// yes. Wine: no (a message-only window's messages say RIM_INPUTSINK whatever
// is in front, its buffered reads RIM_INPUT whatever is not).
bool rawinput_codes_follow_foreground(void);
