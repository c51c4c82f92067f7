// One USBPcap root hub as both the diagnostic and the live capture use it:
// its control device opened and set up to capture every device, one
// overlapped read, and the stream of bytes read so far.
#pragma once

#include <windows.h>

#include "core/capture_stream.h"
#include "platform/usbpcap_driver.h"

enum {
    HUB_PATH_UNITS = 512,
    HUB_DRIVER_BUFFER_BYTES = 1 << 20,
};

struct Hub {
    wchar_t path[HUB_PATH_UNITS];
    HANDLE handle;     // INVALID_HANDLE_VALUE when closed
    bool live;
    bool header_done;
    bool read_ready;   // read initialised (its event exists)
    GrowBuf stream;
    CaptureTally tally;
    UsbPcapRead read;
};

// \\.\USBPcapN into h->path; false when it does not fit.
bool hub_compose_path(Hub* h, int number);
// Opens the control device and starts its capture of every device on the
// hub; on failure *failed_call names the call and *error holds its code.
bool hub_open(Hub* h, const wchar_t** failed_call, DWORD* error);
// The first hub that would not open: the call that failed, its code, the hub.
struct HubOpenFailure {
    const wchar_t* call;  // null while every hub opened
    DWORD error;
    int hub;
};
// Opens every hub of hubs[0..count) (paths composed); a hub that fails is
// released and skipped. Returns how many are live.
int hubs_open_all(Hub* hubs, int count, HubOpenFailure* first);

// Cancels a pending read (waiting until the driver lets go of the buffer),
// closes the device and frees the stream.
void hub_release(Hub* h);
// Starts a read unless one is pending; false when it could not be started.
bool hub_start_read(Hub* h);
// The bytes a completed read brought; 0 for a failed or empty read.
DWORD hub_finish_read(Hub* h);
