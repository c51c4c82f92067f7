// Writing text to standard output, UTF-8 to files and pipes and UTF-16 to a
// console, for the console modes; and their error and note lines.
#pragma once

#include <stddef.h>
#include <stdio.h>

#include "core/views/texts.h"

// Both print to out and flush it: UTF-8 bytes to a file or a pipe, UTF-16
// straight to the console when out is one.
void print_wide_utf8(FILE* out, const wchar_t* text);
void write_utf8(FILE* out, const char* text);
// The text of the chosen language, then a line break.
void write_line(FILE* out, TextId words);
// A mode's exit code once its text is out: result, or 1 after an "Error:"
// line when some of its text could not be written to out (a full disk). A
// pipe whose reader quit (as `| head` does) is no error: result stays.
int finish_output(FILE* out, int result);
// path as UTF-8 for a line or a JSON field, ending in "..." when it had to be cut.
// Lines name a path in this many bytes: Windows' MAX_PATH of 260 units, as UTF-8.
enum { PATH_UTF8_BYTES = 260 * 3 };
void path_utf8(const wchar_t* path, char* out, size_t cap);
// Where error lines and notes go; null means standard error. quorvin.exe,
// whose only text stream is standard output, points it there; tests at a file.
extern FILE* g_error_out;
FILE* error_stream(void);
// One line "Error: <text>\n" (the text formatted like swprintf) on the error
// stream; returns 1, the exit code of a run that fails.
int print_error(const wchar_t* format, ...);
// One line "Note: <text>\n" on the error stream: said, but the run goes on.
void print_note(const wchar_t* format, ...);
// The error line for a file that could not be opened: "cannot open PATH:
// why." to read (option null), "cannot create PATH for OPTION: why." to
// write, with what to do ("it is a directory; give the name of a file" for a
// folder, and so on). Returns 1.
int print_open_failure(const wchar_t* path, int err, const wchar_t* option);
// "writing WHATPATH failed (reason): check the free space of its drive."; what
// ("the USB capture ", say) comes before the path. Returns 1.
int print_write_failure(const wchar_t* what, const wchar_t* path, int err);
// Gives a GUI-subsystem program a place to print: a redirected standard output
// is used as it is; otherwise a new console is created.
void prepare_console_output(void);
// Gives the terminal back the output code page it had.
void restore_console_output(void);
