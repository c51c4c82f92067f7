// Where the console modes' text meets the system: a Windows console takes
// UTF-16 through its own call, while files, pipes and POSIX terminals take
// UTF-8 bytes. One file per system (text_terminal_win32.cpp,
// text_terminal_posix.cpp); text_out holds everything else.
#pragma once

#include <stdio.h>

// True when out is a terminal that took the whole text its own way; false:
// the caller writes the UTF-8 bytes.
bool terminal_write_utf8(FILE* out, const char* text);
bool terminal_write_wide(FILE* out, const wchar_t* text);
// A write that failed with err (errno) because the pipe's reader has quit,
// as `| head` does once it has its lines: the user wanted no more.
bool write_failed_as_reader_quit(int err);
