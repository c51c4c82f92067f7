// UTF-8 output of wide text, and the choice between a redirected standard
// output and a console of the program's own.
#include "app/text_out.h"

#include <errno.h>
#include <io.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <windows.h>

#include "core/views/text_buf.h"
#include "core/views/texts.h"
#include "core/version.h"
#include "core/views/wide_text.h"

// The console handle behind out, or null when out goes to a file or a pipe.
static HANDLE console_of(FILE* out) {
    HANDLE h = (HANDLE)_get_osfhandle(_fileno(out));
    DWORD mode;
    return h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode) ? h : NULL;
}

// A terminal is given UTF-16 through WriteConsoleW: bytes written to it are
// read in whatever code page the C library assumes, which is not UTF-8 for
// every C library the program may meet.
static bool write_console_wide(HANDLE console, const wchar_t* text, size_t units) {
    while (units > 0) {
        DWORD chunk = units > 8192 ? 8192 : (DWORD)units, written = 0;
        if (!WriteConsoleW(console, text, chunk, &written, NULL) || written == 0)
            return false;
        text += written;
        units -= written;
    }
    return true;
}

// The first write to fail, until finish_output reads it. errno and the
// Windows error are taken at once, before another call can change them.
static FILE* s_failed_out;
static int s_failed_errno;
static bool s_reader_quit;

// A pipe whose reader has quit, as `| head` does once it has its lines: the
// user wanted no more, so no error. Wine gives a Unix pipe's as "not connected".
static bool reader_quit(int err, unsigned long os_error) {
    return err == EPIPE || os_error == ERROR_NO_DATA || os_error == ERROR_BROKEN_PIPE ||
           os_error == ERROR_PIPE_NOT_CONNECTED;
}

static void put(FILE* out, const char* text) {
    bool ok = fputs(text, out) >= 0;
    ok = fflush(out) == 0 && ok;
    if (ok || s_failed_out == out)
        return;
    s_failed_out = out;
    s_failed_errno = errno;
    s_reader_quit = reader_quit(errno, _doserrno);
}

void write_utf8(FILE* out, const char* text) {
    HANDLE console = console_of(out);
    if (console) {
        fflush(out);
        int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, NULL, 0);
        wchar_t* wide = units > 0 ? (wchar_t*)malloc((size_t)units * sizeof(wchar_t)) : NULL;
        if (wide) {
            MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, units);
            bool done = write_console_wide(console, wide, (size_t)units - 1);
            free(wide);
            if (done)
                return;
        }
    }
    put(out, text);
}

void write_line(FILE* out, TextId words) {
    write_utf8(out, tx(words));
    write_utf8(out, "\n");
}

void print_wide_utf8(FILE* out, const wchar_t* text) {
    HANDLE console = console_of(out);
    if (console) {
        fflush(out);
        if (write_console_wide(console, text, wcslen(text)))
            return;
    }
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
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
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

static bool stdout_is_usable(void) {
    HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE);
    return h && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

// The code page belongs to the terminal, not to this process: what it was is
// put back at the end, so the shell's later output is not changed by ours.
static UINT g_previous_output_cp;

void prepare_console_output(void) {
    g_previous_output_cp = GetConsoleOutputCP();  // 0 without a console
    if (stdout_is_usable()) {
        SetConsoleOutputCP(CP_UTF8);  // harmless when no console is attached
        // Every print flushes; without a buffer the C library writes a
        // device such as NUL a byte at a time (a system call each).
        if (!console_of(stdout))
            setvbuf(stdout, NULL, _IOFBF, 1 << 16);
        return;
    }
    if (!AllocConsole())
        return;
    freopen("CONOUT$", "w", stdout);
    freopen("CONIN$", "r", stdin);
    SetConsoleOutputCP(CP_UTF8);
    wchar_t title[128];
    swprintf(title, 128, L"%ls%ls", QUORVIN_SHORT_NAME, txw(TX_CONSOLE_TITLE));
    SetConsoleTitleW(title);
}

void restore_console_output(void) {
    fflush(stdout);
    if (g_previous_output_cp)
        SetConsoleOutputCP(g_previous_output_cp);
}
