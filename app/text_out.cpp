// UTF-8 output of wide text and the console modes' error lines; what the
// system's terminal takes its own way is in text_terminal.
#include "app/text_out.h"

#include <errno.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "app/text_terminal.h"
#include "core/views/text_buf.h"
#include "core/views/texts.h"
#include "core/views/wide_text.h"
#include "platform/c_library.h"

// The first write to fail, until finish_output reads it. errno and the
// Windows error are taken at once, before another call can change them.
static FILE* s_failed_out;
static int s_failed_errno;
static bool s_reader_quit;

static void put(FILE* out, const char* text) {
    bool ok = fputs(text, out) >= 0;
    ok = fflush(out) == 0 && ok;
    if (ok || s_failed_out == out)
        return;
    s_failed_out = out;
    s_failed_errno = errno;
    s_reader_quit = write_failed_as_reader_quit(errno);
}

void write_utf8(FILE* out, const char* text) {
    if (!terminal_write_utf8(out, text))
        put(out, text);
}

void write_line(FILE* out, TextId words) {
    write_utf8(out, tx(words));
    write_utf8(out, "\n");
}

void print_wide_utf8(FILE* out, const wchar_t* text) {
    if (terminal_write_wide(out, text))
        return;
    const size_t bytes = wide_utf8_bytes(wcslen(text));
    char* utf8 = (char*)malloc(bytes);
    if (!utf8)
        return;
    wide_to_utf8(text, utf8, bytes);  // made room: it fits
    put(out, utf8);
    free(utf8);
}

int finish_output(FILE* out, int result) {
    put(out, "");
    if (s_failed_out != out)
        return result;
    s_failed_out = NULL;
    if (s_reader_quit)
        return result;
    return print_write_failure(L"", txw(TX_STANDARD_OUTPUT), s_failed_errno);
}

void path_utf8(const wchar_t* path, char* out, size_t cap) {
    if (cap > 0)
        out[0] = 0;
    if (cap > 3 && !wide_to_utf8(path, out, cap)) {
        wide_to_utf8(path, out, cap - 3);
        strcat(out, "...");
    }
}

FILE* g_error_out;

FILE* error_stream(void) { return g_error_out ? g_error_out : stderr; }

// A line never needs more: the longest is a path of MAX_PATH and its reason.
static void print_line(const wchar_t* prefix, const wchar_t* format, va_list args) {
    wchar_t line[2048];
    WideBuf t = text_buf(line, 2048);
    text_appendf(&t, L"%ls", prefix);
    text_vappendf(&t, format, args);
    text_append(&t, L"\n", 1);
    if (t.overflowed) {
        t = text_buf(line, 2048, wcslen(prefix));
        text_appendf(&t, L"%ls\n", txw(TX_MESSAGE_TOO_LONG));
    }
    print_wide_utf8(error_stream(), line);
}

int print_error(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    print_line(L"Error: ", format, args);
    va_end(args);
    return 1;
}

void print_note(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    print_line(L"Note: ", format, args);
    va_end(args);
}

static void describe_open_failure(const wchar_t* path, int err, bool writing, wchar_t* out,
                                  size_t cap) {
    if (file_is_directory(path))
        swprintf(out, cap, L"%ls", txw(TX_OPEN_IS_DIRECTORY));
    else if (err == ENOENT)
        swprintf(out, cap, L"%ls", txw(TX_OPEN_NO_SUCH));
    else if (err == EACCES && writing)
        swprintf(out, cap, L"%ls", txw(TX_OPEN_DENIED_WRITE));
    else if (err == EACCES)
        swprintf(out, cap, L"%ls", txw(TX_OPEN_DENIED_READ));
    else
        swprintf(out, cap, L"%hs", strerror(err));
}

int print_open_failure(const wchar_t* path, int err, const wchar_t* option) {
    wchar_t why[200];
    describe_open_failure(path, err, option != NULL, why, 200);
    if (option)
        return print_error(txw(TX_CANNOT_CREATE), path, option, why);
    return print_error(txw(TX_CANNOT_OPEN), path, why);
}

int print_write_failure(const wchar_t* what, const wchar_t* path, int err) {
    return print_error(txw(TX_WRITE_FAILED), what, path, strerror(err));
}
