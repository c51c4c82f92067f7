// Writing wide text to standard output as UTF-8, for the console modes.
#pragma once

#include <stdio.h>

// Both print to out and flush it: UTF-8 bytes to a file or a pipe, UTF-16
// straight to the console when out is one.
void print_wide_utf8(FILE* out, const wchar_t* text);
void write_utf8(FILE* out, const char* text);
// Gives a GUI-subsystem program a place to print: a redirected standard output
// is used as it is; otherwise a new console is created.
void prepare_console_output(void);
// Gives the terminal back the output code page it had.
void restore_console_output(void);
