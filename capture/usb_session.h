// The live USB capture beside a console measurement (--usb): every root hub's
// USBPcap control device opened as the diagnostic opens them, one overlapped
// read per hub, and a wait that also returns for window messages, so the
// message loop serves reports and reads alike and no report waits behind a
// read. The completions go into the one endpoint table (times of interrupt-IN
// endpoints kept within a bound), and with --usb-save the raw records.
#pragma once

#include <stdio.h>

#include "capture/usbpcap_hubs.h"
#include "core/captures/usb_endpoints.h"

enum {
    USB_SESSION_MAX_TIMES = 1 << 25,    // 256 MiB of times, like the arrival log
    USB_SESSION_MAX_SAVED = 256 << 20,  // bytes of raw records kept per hub for --usb-save
    USB_SESSION_READ_FAILURES = 3,      // a hub whose reads fail this often in a row is dropped
};

// The bounds a session opens with; a global so that tests can lower them to
// reach them quickly without a parameter every caller would pass unchanged.
struct UsbSessionBounds {
    uint64_t max_times;
    uint64_t max_saved;
};
extern UsbSessionBounds g_usb_session_bounds;

// What --usb-save kept of one hub. Once a record is dropped, every later one
// of that hub is too, so the file holds each hub's records up to one moment.
struct UsbSavedHub {
    GrowBuf records;        // whole records, in time order
    uint64_t kept;          // records in it
    int64_t last_kept_us;   // time of the last record kept; -1: none
    bool dropped;           // a record was not kept, and so no later one
    bool out_of_memory;     // dropped because a block could not grow (else the bound)
    const char* lost;       // why the hub stopped during the run; null: it did not
};

struct UsbSession {
    Hub* hubs;
    int hub_count;
    int next_hub;          // the hub served first by the next wait: hubs take turns
    int* failures;         // consecutive failed reads per hub
    UsbSavedHub* saved;    // per hub, when keeping records
    bool keep_records;
    uint64_t max_saved;
    UsbEndpointTable endpoints;
};

// Checks the driver and the rights and opens every hub; false with one
// sentence in error, in the chosen language (what failed, naming --usb or,
// when keeping the records, --usb-save, and what to do), without "Error: "
// or a line break.
bool usb_session_open(UsbSession* s, bool keep_records, char* error, size_t cap);
// Waits until a window message is waiting (true) or timeout_ms pass (false);
// completed reads meanwhile are taken in and the next ones started. Between
// two completions it looks at the message queue, so a report never waits
// behind a run of reads.
bool usb_session_wait(UsbSession* s, DWORD timeout_ms);
// Cancels the reads, closes every hub and sorts the kept times; they stay
// until usb_session_free.
void usb_session_close(UsbSession* s);
void usb_session_free(UsbSession* s);
// The captured records of all hubs as one pcap file, in time order.
bool usb_session_save(const UsbSession* s, FILE* f);

// What usb_session_save writes: records, bytes with the file's header, and
// the time of the first record (-1 when none).
struct UsbSavedTotals {
    uint64_t records;
    uint64_t bytes;
    int64_t first_us;
};
void usb_session_saved_totals(const UsbSession* s, UsbSavedTotals* t);
