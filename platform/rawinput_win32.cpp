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
