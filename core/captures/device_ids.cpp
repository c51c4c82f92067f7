// Vendor and product ids from a device path. Windows writes the keys upper
// case, but drivers and virtual devices do not all follow it.
#include "core/captures/device_ids.h"

#include <wctype.h>

static int hex_value(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    c = (wchar_t)towupper((wint_t)c);
    return c >= L'A' && c <= L'F' ? c - L'A' + 10 : -1;
}

// The four hex digits at s, or -1 when they are not four.
static int four_hex(const wchar_t* s) {
    int v = 0;
    for (int i = 0; i < 4; i++) {
        const int d = hex_value(s[i]);  // stops at the terminator, which is no digit
        if (d < 0)
            return -1;
        v = v * 16 + d;
    }
    return v;
}

// Bluetooth's "VID&" value puts where the id was assigned (two or four
// digits) before the id itself, so the id is its last four of 4..8 digits.
static int last_four_hex(const wchar_t* s) {
    int n = 0;
    while (n < 9 && hex_value(s[n]) >= 0)
        n++;
    return n >= 4 && n <= 8 ? four_hex(s + n - 4) : -1;
}

static bool key_at(const wchar_t* s, const wchar_t* key) {
    for (int i = 0; key[i]; i++) {
        if (towupper((wint_t)s[i]) != (wint_t)key[i])
            return false;
    }
    return true;
}

// key is "VID" or "PID"; USB and HID paths write "VID_046D", Bluetooth's
// "VID&0002046D" (Classic) or "VID&02046D" (LE).
static int id_after(const wchar_t* path, const wchar_t* key) {
    for (const wchar_t* s = path; *s; s++) {
        if (!key_at(s, key))
            continue;
        const int v = s[3] == L'_' ? four_hex(s + 4) : s[3] == L'&' ? last_four_hex(s + 4) : -1;
        if (v >= 0)
            return v;
    }
    return -1;
}

void parse_device_ids(const wchar_t* path, DeviceIds* out) {
    out->vid = path ? id_after(path, L"VID") : -1;
    out->pid = path ? id_after(path, L"PID") : -1;
}
