// Wide names to and from POSIX file names, byte for byte (see the header).
#include "platform/posix_names.h"

#include <stdint.h>

// The code point of the well-formed UTF-8 sequence at s (its length in *len),
// or -1 when s does not start one: overlong forms, surrogates and values past
// U+10FFFF are not well formed.
static long decode_one(const unsigned char* s, int* len) {
    const unsigned char b = s[0];
    int n;
    long c;
    long least;
    if (b < 0x80) {
        *len = 1;
        return b;
    } else if (b >= 0xC2 && b <= 0xDF) {
        n = 2, c = b & 0x1F, least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3, c = b & 0x0F, least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4, c = b & 0x07, least = 0x10000;
    } else {
        return -1;
    }
    for (int i = 1; i < n; i++) {
        if ((s[i] & 0xC0) != 0x80)  // a terminator stops here too
            return -1;
        c = c << 6 | (s[i] & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return -1;
    *len = n;
    return c;
}

bool posix_name_to_wide(const char* name, wchar_t* out, size_t units) {
    const unsigned char* s = (const unsigned char*)name;
    size_t used = 0;
    while (*s) {
        if (used + 1 >= units) {
            out[used] = 0;
            return false;
        }
        int len;
        const long c = decode_one(s, &len);
        if (c < 0) {
            out[used++] = (wchar_t)(0xDC00 + *s);
            s++;
        } else {
            out[used++] = (wchar_t)c;
            s += len;
        }
    }
    out[used] = 0;
    return units > 0;
}

bool posix_name_of_wide(const wchar_t* name, char* out, size_t cap) {
    size_t used = 0;
    for (; *name; name++) {
        const uint32_t c = (uint32_t)*name;
        unsigned char bytes[4];
        int n;
        if (c >= 0xDC80 && c <= 0xDCFF) {
            bytes[0] = (unsigned char)(c - 0xDC00), n = 1;
        } else if (c < 0x80) {
            bytes[0] = (unsigned char)c, n = 1;
        } else if (c < 0x800) {
            bytes[0] = (unsigned char)(0xC0 | c >> 6), bytes[1] = (unsigned char)(0x80 | (c & 0x3F)), n = 2;
        } else if (c < 0x10000) {
            bytes[0] = (unsigned char)(0xE0 | c >> 12), bytes[1] = (unsigned char)(0x80 | (c >> 6 & 0x3F));
            bytes[2] = (unsigned char)(0x80 | (c & 0x3F)), n = 3;
        } else {
            bytes[0] = (unsigned char)(0xF0 | c >> 18), bytes[1] = (unsigned char)(0x80 | (c >> 12 & 0x3F));
            bytes[2] = (unsigned char)(0x80 | (c >> 6 & 0x3F)), bytes[3] = (unsigned char)(0x80 | (c & 0x3F));
            n = 4;
        }
        if (used + (size_t)n >= cap) {
            if (cap)
                out[used] = 0;
            return false;
        }
        for (int i = 0; i < n; i++)
            out[used++] = (char)bytes[i];
    }
    if (!cap)
        return false;
    out[used] = 0;
    return true;
}
