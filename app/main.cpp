// Entry point of quorvin.exe, a GUI-subsystem program: everything else starts
// from quorvin_main with the process's own command line.
#include <windows.h>

#include "app/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return quorvin_main(GetCommandLineW(), PROGRAM_WINDOW);
}
