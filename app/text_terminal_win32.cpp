// Windows' consoles: UTF-16 straight to the console through WriteConsoleW, a
// console of the program's own for quorvin.exe, and the terminal's code page
// put back at the end.
#include "app/text_terminal.h"

#include <errno.h>
#include <io.h>
#include <stdlib.h>
#include <wchar.h>
#include <windows.h>

#include "app/text_out.h"
#include "core/version.h"
#include "core/views/texts.h"

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


bool terminal_write_utf8(FILE* out, const char* text) {
    HANDLE console = console_of(out);
    if (!console)
        return false;
    fflush(out);
    int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, NULL, 0);
    wchar_t* wide = units > 0 ? (wchar_t*)malloc((size_t)units * sizeof(wchar_t)) : NULL;
    if (!wide)
        return false;
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, units);
    const bool done = write_console_wide(console, wide, (size_t)units - 1);
    free(wide);
    return done;
}

bool terminal_write_wide(FILE* out, const wchar_t* text) {
    HANDLE console = console_of(out);
    if (!console)
        return false;
    fflush(out);
    return write_console_wide(console, text, wcslen(text));
}

// Wine gives a Unix pipe's as "not connected".
bool write_failed_as_reader_quit(int err) {
    const unsigned long os_error = _doserrno;
    return err == EPIPE || os_error == ERROR_NO_DATA || os_error == ERROR_BROKEN_PIPE ||
           os_error == ERROR_PIPE_NOT_CONNECTED;
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
