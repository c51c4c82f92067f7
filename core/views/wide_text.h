// Wide text: formatted into a growing buffer, where nothing is ever left out
// (a fixed one is core/views/text_buf), and turned into UTF-8.
#pragma once

#include <stddef.h>
#include <wchar.h>

struct WideText {
    wchar_t* data;  // always terminated once anything was appended
    size_t len;
    size_t cap;
    bool failed;    // an allocation failed: the text is cut short from there
};

// Appends formatted text, growing the block as needed.
void wide_text_appendf(WideText* t, const wchar_t* fmt, ...);
void wide_text_free(WideText* t);

// The program's one conversion to UTF-8: text into out (cap bytes, always
// terminated when cap > 0), whether wchar_t holds UTF-16 (Windows) or code
// points: a lone surrogate or a unit beyond Unicode becomes U+FFFD, so names
// Windows hands over unchecked stay valid text. False when the text did not
// fit: out then holds the whole characters that did, and the caller says so
// or made room (wide_utf8_bytes is always enough).
bool wide_to_utf8(const wchar_t* text, char* out, size_t cap);
// The other way: UTF-8 (the tables' texts, the CSV readers' reasons) into
// wide text for a wide format's %ls, UTF-16 where wchar_t is 16 bits and code
// points elsewhere; a broken sequence becomes U+FFFD. False when it did not
// fit: out then holds the whole characters that did (always terminated when
// cap > 0). A wide format's %hs would read the bytes one a character.
bool utf8_to_wide(const char* text, wchar_t* out, size_t cap);

// The bytes that hold any text of `units` wide units as UTF-8, terminator
// included: four a unit, as wchar_t holds a whole code point off Windows.
constexpr size_t wide_utf8_bytes(size_t units) { return units * 4 + 1; }
