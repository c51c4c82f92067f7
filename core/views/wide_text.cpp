// Wide-text formatting for reports. vswprintf cannot say how long a text would
// be, so the growing buffer retries with twice the room until the piece fits.
#include "core/views/wide_text.h"

#include <stdarg.h>

#include "core/heap.h"

static const size_t kFirstUnits = 1024;
static const size_t kLargestUnits = (size_t)1 << 26;  // no report comes near this

static bool grow(WideText* t) {
    size_t cap = t->cap ? t->cap * 2 : kFirstUnits;
    if (cap > kLargestUnits)
        return false;
    wchar_t* grown = (wchar_t*)heap_realloc(t->data, cap * sizeof(wchar_t));
    if (!grown)
        return false;
    if (!t->data)
        grown[0] = 0;
    t->data = grown;
    t->cap = cap;
    return true;
}

void wide_text_appendf(WideText* t, const wchar_t* fmt, ...) {
    if (t->failed)
        return;
    for (;;) {
        if (t->cap - t->len < 2 && !grow(t)) {
            t->failed = true;
            return;
        }
        va_list args;
        va_start(args, fmt);
        int n = vswprintf(t->data + t->len, t->cap - t->len, fmt, args);
        va_end(args);
        if (n >= 0 && (size_t)n < t->cap - t->len) {
            t->len += (size_t)n;
            return;
        }
        t->data[t->len] = 0;
        if (!grow(t)) {
            t->failed = true;
            return;
        }
    }
}

void wide_text_free(WideText* t) {
    heap_free(t->data);
    t->data = NULL;
    t->len = 0;
    t->cap = 0;
    t->failed = false;
}

// The code point at text[*i], stepping *i past it; U+FFFD for what is none.
static unsigned long next_code_point(const wchar_t* text, size_t* i) {
    const unsigned long u = (unsigned long)text[(*i)++];
    if (u >= 0xDC00 && u <= 0xDFFF)
        return 0xFFFD;
    if (u >= 0xD800 && u <= 0xDBFF) {
        const unsigned long low = (unsigned long)text[*i];
        if (low < 0xDC00 || low > 0xDFFF)
            return 0xFFFD;
        ++*i;
        return 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
    }
    return u > 0x10FFFF ? 0xFFFD : u;
}

bool wide_to_utf8(const wchar_t* text, char* out, size_t cap) {
    size_t used = 0, i = 0;
    if (cap == 0)
        return !text || !text[0];
    while (text && text[i]) {
        const unsigned long c = next_code_point(text, &i);
        const size_t n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (used + n >= cap) {
            out[used] = 0;
            return false;
        }
        static const unsigned char kLead[5] = {0, 0, 0xC0, 0xE0, 0xF0};
        out[used] = (char)(n == 1 ? c : kLead[n] | (c >> (6 * (n - 1))));
        for (size_t k = 1; k < n; k++)
            out[used + k] = (char)(0x80 | ((c >> (6 * (n - 1 - k))) & 0x3F));
        used += n;
    }
    out[used] = 0;
    return true;
}

// One UTF-8 character decoded from s at *i; U+FFFD for a broken sequence.
static unsigned long next_utf8(const unsigned char* s, size_t* i) {
    const unsigned char lead = s[(*i)++];
    const int more = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2
                     : (lead & 0xF8) == 0xF0 ? 3 : -1;
    if (more < 0)
        return 0xFFFD;
    unsigned long c = more == 0 ? lead : lead & (0x3Fu >> more);
    for (int k = 0; k < more; k++) {
        if ((s[*i] & 0xC0) != 0x80)
            return 0xFFFD;
        c = (c << 6) | (s[(*i)++] & 0x3Fu);
    }
    return c > 0x10FFFF ? 0xFFFD : c;
}

bool utf8_to_wide(const char* text, wchar_t* out, size_t cap) {
    if (cap == 0)
        return !text || !text[0];
    const unsigned char* s = (const unsigned char*)(text ? text : "");
    size_t n = 0, i = 0;
    while (s[i]) {
        unsigned long c = next_utf8(s, &i);
        const size_t units = sizeof(wchar_t) == 2 && c >= 0x10000 ? 2 : 1;
        if (n + units >= cap) {
            out[n] = 0;
            return false;
        }
        if (units == 2) {
            c -= 0x10000;
            out[n++] = (wchar_t)(0xD800 + (c >> 10));
            out[n++] = (wchar_t)(0xDC00 + (c & 0x3FF));
        } else {
            out[n++] = (wchar_t)c;
        }
    }
    out[n] = 0;
    return true;
}
