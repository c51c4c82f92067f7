// Program start: engine set-up, the choice of front end from the command line,
// and teardown around it. Both executables start here; they differ only in the
// subsystem they are built for and so in where their text goes. The native
// program (quorvin-cli off Windows) starts here too and runs the modes that
// read files.
#pragma once

#include <stddef.h>
#include <wchar.h>

#include "core/views/texts.h"

enum LaunchProgram {
    PROGRAM_WINDOW,  // quorvin.exe: GUI subsystem, the window by default
    PROGRAM_CLI,     // quorvin-cli.exe: console subsystem, runs in the terminal
};

enum LaunchMode {
    LAUNCH_WINDOW,
    LAUNCH_CONSOLE,
    LAUNCH_PCAP,     // --pcap FILE: analyse a saved capture
    LAUNCH_COMPARE,  // --compare CAPTURE CSV [ENDPOINT] [--slot N]
    LAUNCH_ANALYZE,  // --analyze CSV [--slot N]: a saved run's summary again
    LAUNCH_AB,       // --ab A.csv B.csv [--slot N]: two saved runs compared
    LAUNCH_HELP,     // --help, -h, /? (and quorvin-cli.exe without arguments)
    LAUNCH_VERSION,  // --version
    LAUNCH_LIST,     // --list: the mice with the INDEX -c takes
    LAUNCH_UNKNOWN,  // an option no mode knows (quorvin-cli.exe: also a first argument)
    LAUNCH_REFUSED,  // arguments that cannot run: error says why
};

struct LaunchRequest {
    LaunchMode mode;
    int device_index;    // console: -1 when not given
    const wchar_t* device_arg;  // console: INDEX as given, null when not given
    double run_seconds;  // console: 0 = until Ctrl+C
    const wchar_t* pcap_path;  // --pcap and --compare: the capture, null when missing
    const wchar_t* compare_csv;       // --compare and --analyze: the run's CSV; --ab: A's
    const wchar_t* ab_csv_b;          // --ab: B's CSV, null when missing
    const wchar_t* compare_endpoint;  // --compare: bus.device.endpoint, null for the best
    int compare_slot;          // --compare, --analyze, --ab: --slot N, -1 when not given (every row)
    const wchar_t* unknown;    // LAUNCH_UNKNOWN: the argument
    const wchar_t* csv_path;   // console and --pcap: --csv FILE, null when absent
    bool usb;                  // console: --usb
    const wchar_t* usb_save_path;  // console: --usb-save FILE
    const wchar_t* json_path;  // every mode that prints figures: --json FILE, null when absent
    double chatter_ms;         // console and --analyze: --chatter-ms N, 10 when not given
    bool chatter_given;
    bool lang_given;           // --lang en|zh anywhere; otherwise the UI language decides
    Lang lang;
    wchar_t error[400];        // LAUNCH_REFUSED: what is wrong and what to do, without "Error: "
};

// argv as split by CommandLineToArgvW; argv null (the split failed) means the
// program's default: the window, or quorvin-cli.exe's usage. --help anywhere
// after a mode asks for the usage; arguments that cannot run give
// LAUNCH_UNKNOWN or LAUNCH_REFUSED before anything is opened.
void parse_launch(int argc, wchar_t** argv, LaunchRequest* out,
                  LaunchProgram program = PROGRAM_WINDOW);

// The usage text of the given program in the chosen language, one line per
// mode and option.
const wchar_t* usage_text(LaunchProgram program);

enum { MOUSE_LIST_UNITS = 64 * 72 };  // a line for each of the registry's slots
// --list: the registry built anew, then one line per slot, "<INDEX> <name>",
// as -c takes the INDEX, all mice (0) first. Without a mouse, one line saying
// so, and false.
bool format_mouse_list(wchar_t* out, size_t units);

// The whole program for the given command line; returns the exit code.
// Windows only: the command line is split as Windows splits it.
int quorvin_main(const wchar_t* command_line, LaunchProgram program);
// The whole program for arguments already split (argv[0] the program);
// argv null as for parse_launch. Returns the exit code.
int quorvin_run(int argc, wchar_t** argv, LaunchProgram program);

// Appends the formatted text at *len, never past cap; a piece that does not fit is cut.
void append_text(wchar_t* out, size_t cap, size_t* len, const wchar_t* format, ...);
// The help, the version or the list of mice: on standard output from
// quorvin-cli, shown by show_text_in_window from quorvin.exe. The exit code.
int show_program_text(LaunchProgram program, const wchar_t* text, bool aligned);

// Each system's own file (startup_win32.cpp, startup_posix.cpp):
// the modes that measure mice (the window, the console, --list); the native
// program refuses them in one line. The exit code.
int run_live_mode(const LaunchRequest* req, LaunchProgram program);
// quorvin.exe's text, which has no terminal to print to: aligned text in a
// window of its own, a line in a box.
int show_text_in_window(const wchar_t* text, bool aligned);
