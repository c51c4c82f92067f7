// The USBPcap capture driver, behind one thin layer: the service check, the
// control devices \\.\USBPcapN (one per root hub), the two set-up requests and
// one overlapped read per hub. Tests link a scripted fake in its place.
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
BOOL usbpcap_read_init(UsbPcapRead* r);
void usbpcap_read_release(UsbPcapRead* r);
// Starts a read into r->chunk; FALSE with *error when it could not be started.
BOOL usbpcap_read_start(HANDLE hub, UsbPcapRead* r, DWORD* error);
// Waits for one of the pending reads; its index, or -1 after timeout_ms.
int usbpcap_wait(UsbPcapRead* const reads[], int count, DWORD timeout_ms);
// The outcome of a read that completed; FALSE with *error when it failed.
BOOL usbpcap_read_finish(HANDLE hub, UsbPcapRead* r, DWORD* bytes, DWORD* error);
// Cancels a pending read and waits until the driver has let go of its buffer.
void usbpcap_read_cancel(HANDLE hub, UsbPcapRead* r);
void usbpcap_close_hub(HANDLE hub);
