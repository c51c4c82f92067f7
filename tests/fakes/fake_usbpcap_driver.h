// Scripted USBPcap driver for the diagnostic's tests; its reads complete on
// the scripted clock of fake_diag_clock.h.
#pragma once

#include <stdint.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/fakes/fake_diag_clock.h"

enum FakeReadKind {
    FAKE_READ_DATA,
    FAKE_READ_FAIL,
    FAKE_READ_ZERO,
};

struct FakeDelivery {
    uint32_t at_ms;  // completes this long after the diagnostic started
    FakeReadKind kind;
    std::vector<uint8_t> bytes;
};

struct FakeControl {
    DWORD code;
    std::vector<uint8_t> input;
};

struct FakeHub {
    int number;
    DWORD open_error;        // non-zero: CreateFile fails with it
    DWORD control_error;     // non-zero: every control request fails with it
    DWORD start_error;       // non-zero: starting a read fails with it
    std::vector<FakeDelivery> script;  // reads complete in this order; then never
    size_t next;
    bool open;
    bool reading;
    size_t current;          // script entry of the pending read
    std::vector<FakeControl> controls;
    int cancels;
};

struct FakeUsbPcap {
    DWORD installed_error;
    DWORD list_error;  // non-zero: the look-up of control devices fails
    bool wait_fails;   // every wait fails (WAIT_FAILED)
    DWORD event_error; // non-zero: creating a read's event fails with it
    bool not_elevated; // the process lacks administrator rights
    // usbpcap_wait_or_message runs on real time, for message loops: a read
    // completes once that many ms have passed since the first such wait.
    uint32_t live_start_tick;
    int message_waits;  // returns of USBPCAP_WAIT_MESSAGE
    std::vector<int> finished;  // the hub number of every read finished, in order
    std::vector<FakeHub> hubs;
    int live_handles;
    int live_events;
};

extern FakeUsbPcap g_fake_usbpcap;

void fake_usbpcap_reset(uint32_t start_ticks = 1000);
FakeHub& fake_usbpcap_add_hub(int number);
// The file header in one read, then the records in as few reads as hold them
// whole, all completing at at_ms; returns the records' bytes as one stream.
std::vector<uint8_t> fake_usbpcap_script_capture(FakeHub& hub, const std::vector<uint8_t>& header,
                                                 const std::vector<std::vector<uint8_t>>& records,
                                                 uint32_t at_ms);
