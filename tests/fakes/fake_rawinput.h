// Scripted stand-in for the Raw Input layer: device lists, names, reports
// and registration results are whatever a test puts here.
#pragma once

#include <stdint.h>
#include <windows.h>

enum {
    FAKE_MAX_DEVICES = 96,
    FAKE_MAX_REPORTS = 16,
};

struct FakeDevice {
    HANDLE handle;
    DWORD type;
    const wchar_t* name;
    bool name_length_zero;  // the length query answers 0
    bool name_read_fails;   // the read answers -1
};

struct FakeReport {
    DWORD type;
    HANDLE device;
    UINT size;               // bytes the size query announces
    bool read_returns_less;  // the read answers size - 1
    RAWMOUSE mouse;          // what the report carries, when size holds it
};

struct FakeRegistration {
    UINT count;
    UINT entry_size;
    RAWINPUTDEVICE entries[2];
};

struct FakeRawInput {
    FakeDevice devices[FAKE_MAX_DEVICES];
    UINT device_count;
    bool list_count_fails;  // the count query answers -1
    bool list_read_fails;   // the list read answers -1
    int list_calls;         // count queries, one per registry build
    UINT unplugged_before_read;  // the read returns this many fewer entries; the
                                 // ones past them stay as stale as the buffer was

    FakeReport reports[FAKE_MAX_REPORTS];
    int data_calls;

    bool codes_follow_foreground;  // false: the program trusts its own foreground state
    BOOL register_result;
    DWORD register_error;  // last-error code set when registration fails
    int register_calls;
    FakeRegistration registrations[8];
};

extern FakeRawInput g_fake_ri;

void fake_rawinput_reset(void);
void fake_rawinput_add_device(HANDLE handle, DWORD type, const wchar_t* name);
// Report i is addressed by the handle this returns.
HRAWINPUT fake_report_handle(int index);

// The queue the reader thread drains: reports a test queues from its own
// thread, read by rawinput_get_buffer and waited for by rawinput_wait.
enum { FAKE_QUEUE_REPORTS = 4096 };

struct FakeQueued {
    HANDLE device;
    WPARAM code;  // RIM_INPUT or RIM_INPUTSINK
    UINT size;    // the block's bytes (a mouse report: sizeof(RAWINPUT))
};

// Starts the queue empty (call before the reader starts). reads_advance:
// counter ticks g_fake_counter_now moves on at every read that brings
// reports; per_read: most reports one read returns (0: as many as fit).
void fake_queue_reset(int64_t reads_advance, UINT per_read);
// Queues count reports at once: the reader sees all or none of them.
void fake_queue_push(HANDLE device, WPARAM code, UINT size, int count = 1);
// Reads that brought reports, and the reports they brought.
int fake_queue_reads(void);
int fake_queue_read_reports(void);
