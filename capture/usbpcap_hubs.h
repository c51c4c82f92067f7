// One USBPcap root hub as both the diagnostic and the live capture use it:
// its control device opened and set up to capture every device, one
// overlapped read, the stream of bytes read so far and the count of its
// records.
#pragma once

#include <windows.h>

#include "core/captures/capture_stream.h"
#include "core/captures/usbpcap_count.h"
#include "platform/usbpcap_driver.h"

enum {
    HUB_PATH_UNITS = 512,
    HUB_DRIVER_BUFFER_BYTES = 1 << 20,
    // Unwalked bytes of a hub's stream beyond which it is corrupt: USBPcap
    // never writes a record over its 64 KiB snap length.
    HUB_LARGEST_TAIL = 1 << 20,
};

struct Hub {
    wchar_t path[HUB_PATH_UNITS];
    HANDLE handle;     // INVALID_HANDLE_VALUE when closed
    bool live;
    bool header_done;
    bool read_ready;   // read initialised (its event exists)
    GrowBuf stream;
    UsbPcapCounter count;  // set up by the hub's user (usbpcap_counter_init)
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

enum HubIntake {
    HUB_TAKEN,             // the header is still pending, or the records are counted
    HUB_HEADER_REFUSED,    // not a little-endian USBPcap header: see the check
    HUB_STREAM_NO_MEMORY,  // the stream could not take the bytes: a hole no record can span
    HUB_STREAM_CORRUPT,    // more unwalked bytes than HUB_LARGEST_TAIL: it would only grow
};
// Takes the bytes a read brought into the stream: the global header first,
// then every complete record counted in h->count and, given a table, in its
// endpoints (record_fn, when given, gets each whole record first). *header
// holds the check that refused a header. The stream never holds more than
// HUB_LARGEST_TAIL beyond one read.
HubIntake hub_take_in(Hub* h, DWORD bytes, UsbEndpointTable* endpoints, CaptureRecordFn record_fn,
                      void* ctx, HeaderCheck* header);
