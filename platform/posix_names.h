// File names on POSIX systems: bytes, usually UTF-8 but never checked. The
// program holds names as wide text, so each invalid byte B is carried as the
// lone surrogate U+DC00 + B on the way in and turned back into B on the way
// out; any name the system handed over opens again as the same bytes.
#pragma once

#include <stddef.h>

// An argument or name as wide text (units: room in out, terminator included;
// as many units as bytes always fit). False when it did not fit.
bool posix_name_to_wide(const char* name, wchar_t* out, size_t units);
// Back to the system's bytes; false when they did not fit in cap.
bool posix_name_of_wide(const wchar_t* name, char* out, size_t cap);
