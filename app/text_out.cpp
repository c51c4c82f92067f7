// UTF-8 output of wide text, and the choice between a redirected standard
// output and a console of the program's own.
#include "app/text_out.h"

#include <stdlib.h>
#include <windows.h>

void print_wide_utf8(FILE* out, const wchar_t* text) {
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

void prepare_console_output(void) {
    if (stdout_is_usable()) {
        SetConsoleOutputCP(CP_UTF8);  // harmless when no console is attached
        return;
    }
    if (!AllocConsole())
        return;
    freopen("CONOUT$", "w", stdout);
    freopen("CONIN$", "r", stdin);
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleTitleW(L"Quorvin v9 - 控制台");
}
