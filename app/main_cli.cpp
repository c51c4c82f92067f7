// Entry point of quorvin-cli.exe, the console-subsystem twin: the shell waits
// for it, its output goes to the terminal or wherever it is redirected, and its
// exit code reaches the shell.
#include <windows.h>

#include "app/startup.h"

int main(void) { return quorvin_main(GetCommandLineW(), PROGRAM_CLI); }
