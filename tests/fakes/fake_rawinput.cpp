// Scripted Raw Input layer for tests, honouring the real calls' sizes and results.
#include "tests/fakes/fake_rawinput.h"

#include <string.h>
#include <wchar.h>

#include "tests/fakes/fake_counter.h"

FakeRawInput g_fake_ri;

void fake_rawinput_reset(void) {
    memset(&g_fake_ri, 0, sizeof g_fake_ri);
    g_fake_ri.register_result = TRUE;
    g_fake_ri.codes_follow_foreground = true;
    fake_queue_reset(0, 0);
}

void fake_rawinput_add_device(HANDLE handle, DWORD type, const wchar_t* name) {
    FakeDevice* d = &g_fake_ri.devices[g_fake_ri.device_count++];
    memset(d, 0, sizeof *d);
    d->handle = handle;
    d->type = type;
    d->name = name;
}

HRAWINPUT fake_report_handle(int index) { return (HRAWINPUT)(INT_PTR)(index + 1); }

BOOL rawinput_register(const RAWINPUTDEVICE* devices, UINT count, UINT entry_size) {
    int n = g_fake_ri.register_calls++;
    if (n < 8) {
        FakeRegistration* r = &g_fake_ri.registrations[n];
        r->count = count;
        r->entry_size = entry_size;
        memcpy(r->entries, devices, sizeof(RAWINPUTDEVICE) * (count < 2 ? count : 2));
    }
    if (!g_fake_ri.register_result)
        SetLastError(g_fake_ri.register_error);
    return g_fake_ri.register_result;
}

UINT rawinput_get_data(HRAWINPUT handle, UINT command, void* data, UINT* size, UINT header_size) {
    g_fake_ri.data_calls++;
    INT_PTR index = (INT_PTR)handle - 1;
    if (command != RID_INPUT || header_size != sizeof(RAWINPUTHEADER) || index < 0 ||
        index >= FAKE_MAX_REPORTS)
        return (UINT)-1;
    const FakeReport* r = &g_fake_ri.reports[index];
    if (!data) {
        *size = r->size;
        return 0;
    }
    if (*size < r->size)
        return (UINT)-1;
    memset(data, 0, r->size);
    if (r->size >= sizeof(RAWINPUTHEADER)) {
        RAWINPUTHEADER* h = (RAWINPUTHEADER*)data;
        h->dwType = r->type;
        h->dwSize = r->size;
        h->hDevice = r->device;
    }
    if (r->size >= sizeof(RAWINPUTHEADER) + sizeof(RAWMOUSE))
        ((RAWINPUT*)data)->data.mouse = r->mouse;
    return r->read_returns_less ? r->size - 1 : r->size;
}

UINT rawinput_get_device_list(RAWINPUTDEVICELIST* list, UINT* count, UINT entry_size) {
    if (entry_size != sizeof(RAWINPUTDEVICELIST))
        return (UINT)-1;
    if (!list) {
        g_fake_ri.list_calls++;
        if (g_fake_ri.list_count_fails)
            return (UINT)-1;
        *count = g_fake_ri.device_count;
        return 0;
    }
    if (g_fake_ri.list_read_fails || *count < g_fake_ri.device_count)
        return (UINT)-1;
    for (UINT i = 0; i < g_fake_ri.device_count; i++) {
        list[i].hDevice = g_fake_ri.devices[i].handle;
        list[i].dwType = g_fake_ri.devices[i].type;
    }
    return g_fake_ri.device_count - g_fake_ri.unplugged_before_read;
}

static const FakeDevice* find_device(HANDLE handle) {
    for (UINT i = 0; i < g_fake_ri.device_count; i++) {
        if (g_fake_ri.devices[i].handle == handle)
            return &g_fake_ri.devices[i];
    }
    return NULL;
}

UINT rawinput_get_device_info(HANDLE handle, UINT command, void* data, UINT* size) {
    const FakeDevice* d = find_device(handle);
    if (!d || command != RIDI_DEVICENAME || !d->name)
        return (UINT)-1;
    UINT units = d->name_length_zero ? 0 : (UINT)wcslen(d->name) + 1;
    if (!data) {
        *size = units;
        return 0;
    }
    if (d->name_read_fails || *size < units)
        return (UINT)-1;
    memcpy(data, d->name, units * sizeof(wchar_t));
    return units;
}

// The queue is shared with the reader thread: everything under one lock.
struct FakeQueue {
    CRITICAL_SECTION lock;
    HANDLE available;  // set while reports wait
    FakeQueued items[FAKE_QUEUE_REPORTS];
    int head, tail;
    int64_t reads_advance;
    UINT per_read;
    int reads, read_reports;
};
static FakeQueue s_queue;

void fake_queue_reset(int64_t reads_advance, UINT per_read) {
    if (!s_queue.available) {
        InitializeCriticalSection(&s_queue.lock);
        s_queue.available = CreateEventW(NULL, TRUE, FALSE, NULL);
    }
    EnterCriticalSection(&s_queue.lock);
    s_queue.head = s_queue.tail = 0;
    s_queue.reads_advance = reads_advance;
    s_queue.per_read = per_read;
    s_queue.reads = s_queue.read_reports = 0;
    ResetEvent(s_queue.available);
    LeaveCriticalSection(&s_queue.lock);
}

void fake_queue_push(HANDLE device, WPARAM code, UINT size, int count) {
    EnterCriticalSection(&s_queue.lock);
    for (int i = 0; i < count && s_queue.tail < FAKE_QUEUE_REPORTS; i++)
        s_queue.items[s_queue.tail++] = FakeQueued{device, code, size};
    SetEvent(s_queue.available);
    LeaveCriticalSection(&s_queue.lock);
}

static int locked_count(const int* value) {
    EnterCriticalSection(&s_queue.lock);
    int n = *value;
    LeaveCriticalSection(&s_queue.lock);
    return n;
}
int fake_queue_reads(void) { return locked_count(&s_queue.reads); }
int fake_queue_read_reports(void) { return locked_count(&s_queue.read_reports); }

static UINT block_bytes(UINT size) { return (size + 7) & ~7u; }

// Writes the waiting reports that fit; how many.
static UINT write_queued(BYTE* out, UINT cap) {
    UINT n = 0, used = 0;
    while (s_queue.head < s_queue.tail && (s_queue.per_read == 0 || n < s_queue.per_read)) {
        const FakeQueued* q = &s_queue.items[s_queue.head];
        if (used + q->size > cap)
            break;
        RAWINPUT* r = (RAWINPUT*)(out + used);
        memset(r, 0, q->size);
        r->header.dwType = RIM_TYPEMOUSE;
        r->header.dwSize = q->size;
        r->header.hDevice = q->device;
        r->header.wParam = q->code;
        used += block_bytes(q->size);
        s_queue.head++;
        n++;
    }
    return n;
}

UINT rawinput_get_buffer(RAWINPUT* data, UINT* size, UINT header_size) {
    if (header_size != sizeof(RAWINPUTHEADER))
        return (UINT)-1;
    EnterCriticalSection(&s_queue.lock);
    const bool waiting = s_queue.head < s_queue.tail;
    UINT result = 0;
    if (!data) {
        *size = waiting ? s_queue.items[s_queue.head].size : 0;
    } else if (waiting) {
        result = write_queued((BYTE*)data, *size);
        if (result == 0) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            result = (UINT)-1;
        } else {
            s_queue.reads++;
            s_queue.read_reports += (int)result;
            g_fake_counter_now += s_queue.reads_advance;
        }
    }
    if (s_queue.head == s_queue.tail) {
        s_queue.head = s_queue.tail = 0;
        ResetEvent(s_queue.available);
    }
    LeaveCriticalSection(&s_queue.lock);
    return result;
}

// Reports waiting in the scripted queue or messages in the thread's own
// queue (as with the real wait) both answer "input".
DWORD rawinput_wait(HANDLE stop, DWORD timeout_ms) {
    HANDLE both[2] = {stop, s_queue.available};
    DWORD r = MsgWaitForMultipleObjectsEx(2, both, timeout_ms, QS_POSTMESSAGE | QS_SENDMESSAGE,
                                          MWMO_INPUTAVAILABLE);
    return r == WAIT_OBJECT_0 + 2 ? WAIT_OBJECT_0 + 1 : r;
}

bool rawinput_codes_follow_foreground(void) { return g_fake_ri.codes_follow_foreground; }
