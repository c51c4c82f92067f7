// Text built in a buffer of fixed size (report lines, the console summary,
// the capture report): appended piece by piece, always terminated, and a
// piece that does not fit is left out whole with all after it, so a text
// never ends in half a number or half a character, and the builder says so.
#pragma once

#include <stdarg.h>
#include <stddef.h>
#include <wchar.h>

// Ch: char for UTF-8 text, wchar_t for the window's and the capture report's.
template <typename Ch>
struct TextBuilder {
    Ch* data;         // terminated whenever cap > 0
    size_t cap;       // units of data
    size_t len;       // units before the terminator
    bool overflowed;  // a piece did not fit: nothing more is appended
};
typedef TextBuilder<char> TextBuf;
typedef TextBuilder<wchar_t> WideBuf;

// A text in data[cap] that starts after its first len units (0: empty).
TextBuf text_buf(char* data, size_t cap, size_t len = 0);
WideBuf text_buf(wchar_t* data, size_t cap, size_t len = 0);
// Appends formatted text (printf's formats, swprintf's for wide text).
void text_appendf(TextBuf* t, const char* fmt, ...);
void text_appendf(WideBuf* t, const wchar_t* fmt, ...);
void text_vappendf(TextBuf* t, const char* fmt, va_list args);
void text_vappendf(WideBuf* t, const wchar_t* fmt, va_list args);
// Appends n units as they are.
void text_append(TextBuf* t, const char* units, size_t n);
void text_append(WideBuf* t, const wchar_t* units, size_t n);
