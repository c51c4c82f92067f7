// Entry point of the native quorvin-cli: the arguments, the system's bytes
// (UTF-8, or a name that is not), are made wide once, as Windows hands them to
// quorvin-cli.exe, and the modes that read files run as they run there.
#include <signal.h>
#include <stdlib.h>
#include <string.h>

#include "app/startup.h"
#include "platform/posix_names.h"

int main(int argc, char** argv) {
    // A write to a pipe whose reader quit then fails with EPIPE, which the
    // output judges as on Windows (no error), instead of ending the program.
    signal(SIGPIPE, SIG_IGN);
    wchar_t** wide = (wchar_t**)calloc((size_t)argc + 1, sizeof *wide);
    bool made = wide != NULL;
    for (int i = 0; made && i < argc; i++) {
        const size_t units = strlen(argv[i]) + 1;  // never more units than bytes
        wide[i] = (wchar_t*)malloc(units * sizeof(wchar_t));
        made = wide[i] && posix_name_to_wide(argv[i], wide[i], units);
    }
    // Without memory for them, the program's default, as when Windows cannot split them.
    const int result = quorvin_run(made ? argc : 0, made ? wide : NULL, PROGRAM_CLI);
    for (int i = 0; wide && i < argc; i++)
        free(wide[i]);
    free(wide);
    return result;
}
