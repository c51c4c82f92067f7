// POSIX terminals, files and pipes all take the UTF-8 bytes as they are;
// standard output is buffered in blocks, as on Windows, since every print
// flushes.
#include "app/text_terminal.h"

#include <errno.h>
#include <unistd.h>

#include "app/text_out.h"

bool terminal_write_utf8(FILE*, const char*) { return false; }

bool terminal_write_wide(FILE*, const wchar_t*) { return false; }

// The program ignores SIGPIPE, so such a write fails with EPIPE instead of
// ending it.
bool write_failed_as_reader_quit(int err) { return err == EPIPE; }

void prepare_console_output(void) {
    if (!isatty(fileno(stdout)))
        setvbuf(stdout, NULL, _IOFBF, 1 << 16);
}

void restore_console_output(void) { fflush(stdout); }
