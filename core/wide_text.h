// Formatting wide text: into a fixed buffer, where a piece that does not fit
// is left out whole, or into a growing one, where nothing is ever left out.
#pragma once

#include <stddef.h>
#include <wchar.h>

// Appends formatted wide text at out + *used, never past cap units.
void wide_appendf(wchar_t* out, size_t cap, size_t* used, const wchar_t* fmt, ...);

struct WideText {
    wchar_t* data;  // always terminated once anything was appended
    size_t len;
    size_t cap;
    bool failed;    // an allocation failed: the text is cut short from there
};

// Appends formatted text, growing the block as needed.
void wide_text_appendf(WideText* t, const wchar_t* fmt, ...);
void wide_text_free(WideText* t);

// text as UTF-8 into out (cap bytes, always terminated when cap > 0), whether
// wchar_t holds UTF-16 (Windows) or code points: a lone surrogate or a unit
// beyond Unicode becomes U+FFFD, so names Windows hands over unchecked stay
// valid text. A character that does not fit ends the text. Returns the bytes
// written before the terminator.
size_t wide_to_utf8(const wchar_t* text, char* out, size_t cap);
