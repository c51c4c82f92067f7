// The real Raw Input calls; nothing but pass-through, so the fake used by tests
// only has to honour the same entries, sizes and results.
#include "platform/rawinput.h"

BOOL rawinput_register(const RAWINPUTDEVICE* devices, UINT count, UINT entry_size) {
    return RegisterRawInputDevices(devices, count, entry_size);
}

UINT rawinput_get_data(HRAWINPUT report, UINT command, void* data, UINT* size, UINT header_size) {
    return GetRawInputData(report, command, data, size, header_size);
}

UINT rawinput_get_device_list(RAWINPUTDEVICELIST* list, UINT* count, UINT entry_size) {
    return GetRawInputDeviceList(list, count, entry_size);
}

UINT rawinput_get_device_info(HANDLE device, UINT command, void* data, UINT* size) {
    return GetRawInputDeviceInfoW(device, command, data, size);
}

UINT rawinput_get_buffer(RAWINPUT* data, UINT* size, UINT header_size) {
    return GetRawInputBuffer(data, size, header_size);
}

// Posted and sent messages wake the reader too: device-change notices and
// requests from other threads arrive that way.
DWORD rawinput_wait(HANDLE stop, DWORD timeout_ms) {
    return MsgWaitForMultipleObjectsEx(1, &stop, timeout_ms,
                                       QS_RAWINPUT | QS_POSTMESSAGE | QS_SENDMESSAGE,
                                       MWMO_INPUTAVAILABLE);
}

// Wine's ntdll exports its version; Windows' does not.
bool rawinput_codes_follow_foreground(void) {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return !(ntdll && GetProcAddress(ntdll, "wine_get_version"));
}
