// The USB capture diagnostic started from the window: finds and opens the
// USBPcap control devices, captures three seconds of traffic and shows the
// report, or the failure of the step that failed with the progress so far.
#pragma once

#include <windows.h>

#include "core/views/capture_file_report.h"

enum {
    DIAG_LOG_UNITS = 768,  // progress log, and the cut of every failure text
    DIAG_TEXT_UNITS = CAPTURE_REPORT_UNITS > DIAG_LOG_UNITS ? CAPTURE_REPORT_UNITS : DIAG_LOG_UNITS,
};

// What the diagnostic ends with: one message box.
struct DiagOutcome {
    const wchar_t* caption;
    wchar_t text[DIAG_TEXT_UNITS];
    UINT type;   // MB_ICONWARNING, MB_ICONINFORMATION or MB_OK
    int result;  // 0 for the report, 1 for a failure
};

// Runs the four steps and the capture; everything acquired is released
// before it returns. Holds the calling thread for at most about three seconds.
// The headline judges the endpoint of the mouse in registry slot mouse_slot
// when the capture shows which device that is (its device descriptor, seen
// when it enumerates); -1: the mouse heard from last, the one moved during
// the capture; 0: none, the busiest interrupt-IN endpoint.
void usbpcap_diag_run(DiagOutcome* out, int mouse_slot);

// Runs the diagnostic and shows its outcome owned by parent; 0 when the
// report was shown, 1 after a failure message.
int RunUsbPcapDiag(HWND parent, int mouse_slot = -1);
