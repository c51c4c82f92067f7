// Program start: engine set-up, the choice of front end from the command line,
// and teardown around it.
#pragma once

#include <windows.h>

enum LaunchMode {
    LAUNCH_WINDOW,
    LAUNCH_CONSOLE,
    LAUNCH_PCAP,  // --pcap FILE: analyse a saved capture
};

struct LaunchRequest {
    LaunchMode mode;
    int device_index;    // console: -1 when not given
    double run_seconds;  // console: 0 = until Ctrl+C
    const wchar_t* pcap_path;  // --pcap: the file, null when missing
};

// argv as split by CommandLineToArgvW; argv null (the split failed) means the window.
void parse_launch(int argc, wchar_t** argv, LaunchRequest* out);

// The whole program for the given command line; returns the exit code.
int quorvin_main(const wchar_t* command_line);
