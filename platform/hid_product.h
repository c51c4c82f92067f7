// A HID device's product string, the name its maker gave it ("G305 Wireless
// Mouse"), read through the device's path. Tests link a fake that answers by path.
#pragma once

#include <stddef.h>
#include <wchar.h>

enum { HID_PRODUCT_UNITS = 128 };  // the longest a USB string descriptor holds, and the terminator

// The product string of the device at device_path into out (cut to units,
// terminated, as the device gives it); false when the device cannot be opened
// or tells none.
bool hid_product_string(const wchar_t* device_path, wchar_t* out, size_t units);
