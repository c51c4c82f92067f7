// The live USB capture beside a console measurement (--usb): every root hub's
// USBPcap control device opened as the diagnostic opens them, one overlapped
// read per hub, and a wait that also returns for window messages, so the
// message loop serves reports and reads alike and no report waits behind a
// read. Only the completion times of interrupt-IN endpoints are kept, and with
// --usb-save the raw records.
#pragma once

#include <stdio.h>

#include "capture/usbpcap_hubs.h"
#include "core/layer_compare.h"

enum {
    USB_SESSION_ENDPOINTS = 64,
    USB_SESSION_MAX_TIMES = 1 << 25,  // 256 MiB of times, like the arrival log
    USB_SESSION_MAX_SAVED = 256 << 20,  // bytes of raw records kept for --usb-save
    USB_SESSION_READ_FAILURES = 3,      // a hub whose reads fail this often in a row is dropped
};

struct UsbEndpointTimes {
    uint16_t bus, device;
    uint8_t endpoint;
    int64_t* times;  // heap, whole us since 1970 as USBPcap stamps them
    size_t count, capacity;
};

struct UsbSession {
    Hub* hubs;
    int hub_count;
    int* failures;     // consecutive failed reads per hub
    GrowBuf* saved;    // per hub, whole records, when keeping them
    bool keep_records;
    UsbEndpointTimes endpoints[USB_SESSION_ENDPOINTS];
    int endpoint_count;
    uint64_t stored;
    bool full;         // the bound was reached: later completions were not kept
};

// Checks the driver and the rights and opens every hub; false with one
// English line (what failed and what to do) in error.
bool usb_session_open(UsbSession* s, bool keep_records, char* error, size_t cap);
// Waits until a window message is waiting (true) or timeout_ms pass (false);
// completed reads meanwhile are taken in and the next ones started.
bool usb_session_wait(UsbSession* s, DWORD timeout_ms);
// Cancels the reads and closes every hub; the times stay until usb_session_free.
void usb_session_close(UsbSession* s);
void usb_session_free(UsbSession* s);
// The captured records of all hubs as one pcap file, in time order.
bool usb_session_save(const UsbSession* s, FILE* f);
// The endpoint whose reports the program received (the comparison's score), or null.
const UsbEndpointTimes* usb_session_best(const UsbSession* s, const int64_t* p, size_t count);
