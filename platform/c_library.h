// The C library calls that Windows' C library and POSIX's spell apart, for the
// code both builds share: files named by wide strings (UTF-16 on Windows, made
// UTF-8 elsewhere) and the calendar of a UTC time. Plain calls that tests make
// for real, not a seam: c_library.cpp on Windows, c_library_posix.cpp elsewhere.
#pragma once

#include <stdint.h>
#include <stdio.h>
#include <time.h>
#include <wchar.h>

// The file opened to read bytes ("rb"); null with errno set.
FILE* file_open_read(const wchar_t* path);
// 0 when the file was removed; otherwise -1 with errno set.
int file_remove(const wchar_t* path);
bool file_is_directory(const wchar_t* path);
// Two names of one file as the system compares them (Windows ignores case),
// made whole from the working folder; the file need not exist.
bool file_names_same(const wchar_t* a, const wchar_t* b);
// The UTC calendar of seconds since 1970, from 1970 to the end of the year
// 3000 (what Windows' C library converts); false outside it.
bool utc_calendar(int64_t seconds, struct tm* out);
