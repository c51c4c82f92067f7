// Writing wide text to standard output as UTF-8, for the console modes.
#pragma once

#include <stdio.h>

void print_wide_utf8(FILE* out, const wchar_t* text);
// Gives a GUI-subsystem program a place to print: a redirected standard output
// is used as it is; otherwise a new console is created.
void prepare_console_output(void);
