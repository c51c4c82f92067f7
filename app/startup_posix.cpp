// Start-up's native half: mice are measured through Windows' Raw Input, so
// the modes that measure say in one line that they need Windows.
#include "app/startup.h"

#include "app/text_out.h"

int run_live_mode(const LaunchRequest* req, LaunchProgram) {
    const wchar_t* what = req->mode == LAUNCH_LIST ? L"--list"
                          : req->usb || req->usb_save_path ? L"--usb"
                          : req->mode == LAUNCH_CONSOLE    ? L"-c"
                                                           : L"quorvin";
    return print_error(txw(TX_NEEDS_WINDOWS), what);
}

// Only quorvin.exe shows text in a window; the native program prints it.
int show_text_in_window(const wchar_t* text, bool) {
    print_wide_utf8(stdout, text);
    return finish_output(stdout, 0);
}
