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
