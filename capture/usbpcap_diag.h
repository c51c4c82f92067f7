// The USB capture diagnostic started from the window: finds and opens the
// USBPcap control devices, captures three seconds of traffic and shows the
// report, or the failure of the step that failed with the progress so far.
#pragma once

#include <windows.h>

// 0 when the report was shown, 1 after a failure message.
int RunUsbPcapDiag(HWND parent);
