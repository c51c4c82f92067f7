// The USBPcap capture driver, behind one thin layer: the service check, the
// control devices \\.\USBPcapN (one per root hub), the two set-up requests and
// one overlapped read per hub. Tests link tests/fakes/fake_usbpcap_driver.cpp.
#pragma once

#include <stdint.h>
#include <windows.h>

enum {
    USBPCAP_READ_BYTES = 16384,
    USBPCAP_MAX_HUBS = 16,
};

static const DWORD IOCTL_USBPCAP_SETUP_BUFFER = 0x226000;
static const DWORD IOCTL_USBPCAP_START_FILTERING = 0x22E004;

// One outstanding read on a hub.
struct UsbPcapRead {
    OVERLAPPED overlapped;
    HANDLE event;
    bool pending;
    uint8_t chunk[USBPCAP_READ_BYTES];
};

// 0 when the driver's service key opens, else that attempt's error code.
DWORD usbpcap_driver_installed(void);
// Fills numbers with the N of each existing \\.\USBPcapN, ascending; returns
// how many, or -1 with *error set when the look-up itself failed.
int usbpcap_list_hubs(int numbers[], int max, DWORD* error);
// Read and write access, overlapped; INVALID_HANDLE_VALUE and *error on failure.
HANDLE usbpcap_open_hub(const wchar_t* path, DWORD* error);
BOOL usbpcap_control(HANDLE hub, DWORD code, const void* in, DWORD in_bytes, DWORD* error);
// Creates the read's event; FALSE with *error when it could not be created.
BOOL usbpcap_read_init(UsbPcapRead* r, DWORD* error);
void usbpcap_read_release(UsbPcapRead* r);
// Starts a read into r->chunk; FALSE with *error when it could not be started.
BOOL usbpcap_read_start(HANDLE hub, UsbPcapRead* r, DWORD* error);
enum {
    USBPCAP_WAIT_TIMEOUT = -1,
    USBPCAP_WAIT_FAILED = -2,  // the wait itself failed; no read can be told apart
    USBPCAP_WAIT_MESSAGE = -3, // a window message is waiting (usbpcap_wait_or_message)
};
// Waits for one of the pending reads (null entries are skipped): its index,
// USBPCAP_WAIT_TIMEOUT after timeout_ms, or USBPCAP_WAIT_FAILED.
int usbpcap_wait(UsbPcapRead* const reads[], int count, DWORD timeout_ms);
// The same, but also returns USBPCAP_WAIT_MESSAGE as soon as this thread has a
// window message waiting, so a message loop can serve both.
int usbpcap_wait_or_message(UsbPcapRead* const reads[], int count, DWORD timeout_ms);
// Whether this process runs with administrator rights (the control devices
// open only for an elevated process).
bool usbpcap_process_elevated(void);
// The outcome of a read that completed; FALSE with *error when it failed.
BOOL usbpcap_read_finish(HANDLE hub, UsbPcapRead* r, DWORD* bytes, DWORD* error);
// Cancels a pending read and waits until the driver has let go of its buffer.
void usbpcap_read_cancel(HANDLE hub, UsbPcapRead* r);
void usbpcap_close_hub(HANDLE hub);
