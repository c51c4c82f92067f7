// UTF-8 output of wide text, and the choice between a redirected standard
// output and a console of the program's own.
#include "app/text_out.h"

#include <io.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "core/version.h"

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
    fputs(text, out);
    fflush(out);
}

void print_wide_utf8(FILE* out, const wchar_t* text) {
    HANDLE console = console_of(out);
    if (console) {
        fflush(out);
        if (write_console_wide(console, text, wcslen(text)))
            return;
    }
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, NULL, 0, NULL, NULL);
    if (bytes <= 0)
        return;
    char* utf8 = (char*)malloc((size_t)bytes);
    if (!utf8)
        return;
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, bytes, NULL, NULL);
    fputs(utf8, out);
    free(utf8);
    fflush(out);
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
        return;
    }
    if (!AllocConsole())
        return;
    freopen("CONOUT$", "w", stdout);
    freopen("CONIN$", "r", stdin);
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleTitleW(QUORVIN_SHORT_NAME L" - 控制台");
}

void restore_console_output(void) {
    fflush(stdout);
    if (g_previous_output_cp)
        SetConsoleOutputCP(g_previous_output_cp);
}
