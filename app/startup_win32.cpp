// Start-up's Windows half: the command line split as Windows splits it, and
// the modes that measure mice through Windows (the window, the console run,
// the list of mice), with quorvin.exe's text in windows of its own.
#include "app/startup.h"

#include <wchar.h>
#include <windows.h>

#include <shellapi.h>  // after windows.h, which it needs

#include "app/console.h"
#include "app/console_text.h"
#include "core/version.h"
#include "core/views/texts.h"
#include "devices/mouse_registry.h"
#include "gui/main_window.h"
#include "gui/text_window.h"
#include "platform/message_box.h"

// The help is aligned with spaces and taller than some screens: it gets a
// window of its own with a fixed-pitch font; the version line fits a box.
int show_text_in_window(const wchar_t* text, bool aligned) {
    if (aligned)
        text_window_run(NULL, QUORVIN_SHORT_NAME, text, true);
    else
        message_box(NULL, text, QUORVIN_SHORT_NAME, MB_ICONINFORMATION);
    return 0;
}

bool format_mouse_list(wchar_t* out, size_t units) {
    enumerate_mice();
    out[0] = 0;
    if (g_nri < 2) {
        swprintf(out, units, L"%ls\n", txw(TX_LIST_NONE));
        return false;
    }
    size_t len = 0;
    for (int slot = 0; slot < g_nri; slot++) {
        wchar_t name[CONSOLE_NAME_UNITS];
        console_mouse_name(slot, name, CONSOLE_NAME_UNITS);
        append_text(out, units, &len, L"%-3d %ls\n", slot, name);
    }
    return true;
}

int run_live_mode(const LaunchRequest* req, LaunchProgram program) {
    if (req->mode == LAUNCH_CONSOLE) {
        ConsoleRun run = {req->device_index, req->run_seconds, req->csv_path, req->usb,
                          req->usb_save_path, req->device_arg, req->json_path, req->chatter_ms};
        return run_console_with(&run);
    }
    if (req->mode == LAUNCH_LIST) {
        static wchar_t list[MOUSE_LIST_UNITS];
        const bool found = format_mouse_list(list, MOUSE_LIST_UNITS);
        const int shown = show_program_text(program, list, true);
        return shown ? shown : found ? 0 : 1;
    }
    return run_main_window();
}

int quorvin_main(const wchar_t* command_line, LaunchProgram program) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(command_line, &argc);
    const int result = quorvin_run(argc, argv, program);
    if (argv)
        LocalFree(argv);
    return result;
}
