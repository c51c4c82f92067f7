// The HID product string through hid.dll.
#include "platform/hid_product.h"

#include <windows.h>

// MinGW's header declares the functions without C linkage.
extern "C" {
#include <hidsdi.h>
}

bool hid_product_string(const wchar_t* device_path, wchar_t* out, size_t units) {
    if (!device_path || !out || units == 0)
        return false;
    out[0] = 0;
    // No access rights asked: a HID's strings and attributes need none, and
    // Windows opens a mouse for itself alone, so asking to read would fail.
    HANDLE device = CreateFileW(device_path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, 0, NULL);
    if (device == INVALID_HANDLE_VALUE)
        return false;
    wchar_t product[HID_PRODUCT_UNITS] = {};
    // One unit kept back, so the string is terminated whatever the driver writes.
    const BOOLEAN read = HidD_GetProductString(device, product, sizeof product - sizeof product[0]);
    CloseHandle(device);
    if (!read)
        return false;
    wcsncpy(out, product, units - 1);
    out[units - 1] = 0;
    return out[0] != 0;
}
