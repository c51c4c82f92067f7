// One rule for both widths: the piece is formatted into the room left, and
// kept only when it fitted with its terminator. swprintf cannot say how long
// a piece would have been (it gives -1), so a -1 counts as not fitting.
#include "core/views/text_buf.h"

#include <stdio.h>
#include <string.h>

template <typename Ch>
static TextBuilder<Ch> start(Ch* data, size_t cap, size_t len) {
    TextBuilder<Ch> t = {data, cap, len, false};
    if (cap == 0) {
        t.overflowed = true;
        return t;
    }
    if (len >= cap) {
        t.len = cap - 1;
        t.overflowed = true;
    }
    data[t.len] = 0;
    return t;
}

TextBuf text_buf(char* data, size_t cap, size_t len) { return start(data, cap, len); }
WideBuf text_buf(wchar_t* data, size_t cap, size_t len) { return start(data, cap, len); }

// n: what the formatting call returned for the room it was given.
template <typename Ch>
static void took(TextBuilder<Ch>* t, int n) {
    if (n >= 0 && (size_t)n < t->cap - t->len) {
        t->len += (size_t)n;
        return;
    }
    t->data[t->len] = 0;  // some C libraries leave a piece cut short unterminated
    t->overflowed = true;
}

void text_vappendf(TextBuf* t, const char* fmt, va_list args) {
    if (!t->overflowed)
        took(t, vsnprintf(t->data + t->len, t->cap - t->len, fmt, args));
}

void text_vappendf(WideBuf* t, const wchar_t* fmt, va_list args) {
    if (!t->overflowed)
        took(t, vswprintf(t->data + t->len, t->cap - t->len, fmt, args));
}

void text_appendf(TextBuf* t, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    text_vappendf(t, fmt, args);
    va_end(args);
}

void text_appendf(WideBuf* t, const wchar_t* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    text_vappendf(t, fmt, args);
    va_end(args);
}

template <typename Ch>
static void append(TextBuilder<Ch>* t, const Ch* units, size_t n) {
    if (t->overflowed)
        return;
    if (n >= t->cap - t->len) {
        t->overflowed = true;
        return;
    }
    memcpy(t->data + t->len, units, n * sizeof(Ch));
    t->len += n;
    t->data[t->len] = 0;
}

void text_append(TextBuf* t, const char* units, size_t n) { append(t, units, n); }
void text_append(WideBuf* t, const wchar_t* units, size_t n) { append(t, units, n); }
