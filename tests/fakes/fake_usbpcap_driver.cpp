// Scripted USBPcap driver on scripted time: each hub answers reads from its
// script at the given moments; a wait moves the fake clock to the completion.
#include "tests/fakes/fake_usbpcap_driver.h"

#include <string.h>

#include "platform/usbpcap_driver.h"

FakeUsbPcap g_fake_usbpcap;

void fake_usbpcap_reset(uint32_t start_ticks) {
    g_fake_usbpcap = FakeUsbPcap();
    fake_diag_clock_reset(start_ticks);
}

FakeHub& fake_usbpcap_add_hub(int number) {
    FakeHub hub = FakeHub();
    hub.number = number;
    g_fake_usbpcap.hubs.push_back(hub);
    return g_fake_usbpcap.hubs.back();
}

std::vector<uint8_t> fake_usbpcap_script_capture(FakeHub& hub, const std::vector<uint8_t>& header,
                                                 const std::vector<std::vector<uint8_t>>& records,
                                                 uint32_t at_ms) {
    hub.script.push_back(FakeDelivery{at_ms, FAKE_READ_DATA, header});
    std::vector<uint8_t> chunk, all;
    for (const std::vector<uint8_t>& r : records) {
        if (chunk.size() + r.size() > USBPCAP_READ_BYTES) {
            hub.script.push_back(FakeDelivery{at_ms, FAKE_READ_DATA, chunk});
            chunk.clear();
        }
        chunk.insert(chunk.end(), r.begin(), r.end());
        all.insert(all.end(), r.begin(), r.end());
    }
    if (!chunk.empty())
        hub.script.push_back(FakeDelivery{at_ms, FAKE_READ_DATA, chunk});
    return all;
}

static FakeHub* hub_of(HANDLE h) {
    size_t i = (size_t)(INT_PTR)h - 0x100;
    return i < g_fake_usbpcap.hubs.size() ? &g_fake_usbpcap.hubs[i] : NULL;
}

DWORD usbpcap_driver_installed(void) { return g_fake_usbpcap.installed_error; }

int usbpcap_list_hubs(int numbers[], int max, DWORD* error) {
    if (g_fake_usbpcap.list_error) {
        *error = g_fake_usbpcap.list_error;
        return -1;
    }
    int n = 0;
    for (const FakeHub& h : g_fake_usbpcap.hubs) {
        if (n < max)
            numbers[n++] = h.number;
    }
    return n;
}

HANDLE usbpcap_open_hub(const wchar_t* path, DWORD* error) {
    for (size_t i = 0; i < g_fake_usbpcap.hubs.size(); i++) {
        FakeHub& h = g_fake_usbpcap.hubs[i];
        wchar_t expected[64];
        swprintf(expected, 64, L"\\\\.\\USBPcap%d", h.number);
        if (wcscmp(expected, path) != 0)
            continue;
        if (h.open_error) {
            *error = h.open_error;
            return INVALID_HANDLE_VALUE;
        }
        h.open = true;
        g_fake_usbpcap.live_handles++;
        return (HANDLE)(INT_PTR)(0x100 + i);
    }
    *error = ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
}

BOOL usbpcap_control(HANDLE hub, DWORD code, const void* in, DWORD in_bytes, DWORD* error) {
    FakeHub* h = hub_of(hub);
    const uint8_t* p = (const uint8_t*)in;
    h->controls.push_back(FakeControl{code, std::vector<uint8_t>(p, p + in_bytes)});
    if (h->control_error) {
        *error = h->control_error;
        return FALSE;
    }
    return TRUE;
}

BOOL usbpcap_read_init(UsbPcapRead* r, DWORD* error) {
    memset(&r->overlapped, 0, sizeof r->overlapped);
    r->pending = false;
    r->event = NULL;
    if (g_fake_usbpcap.event_error) {
        *error = g_fake_usbpcap.event_error;
        return FALSE;
    }
    r->event = (HANDLE)1;
    g_fake_usbpcap.live_events++;
    return TRUE;
}

void usbpcap_read_release(UsbPcapRead* r) {
    if (r->event)
        g_fake_usbpcap.live_events--;
    r->event = NULL;
}

BOOL usbpcap_read_start(HANDLE hub, UsbPcapRead* r, DWORD* error) {
    FakeHub* h = hub_of(hub);
    if (h->start_error) {
        *error = h->start_error;
        return FALSE;
    }
    r->overlapped.Offset = (DWORD)((INT_PTR)hub - 0x100);
    r->pending = true;
    h->reading = true;
    h->current = h->next++;
    return TRUE;
}

// Scripted completion time of a pending read, or UINT64_MAX for never.
static uint64_t completes_at(const UsbPcapRead* r) {
    const FakeHub& h = g_fake_usbpcap.hubs[r->overlapped.Offset];
    if (!r->pending || h.current >= h.script.size())
        return UINT64_MAX;
    return h.script[h.current].at_ms;
}

int usbpcap_wait(UsbPcapRead* const reads[], int count, DWORD timeout_ms) {
    int best = -1;
    uint64_t best_at = UINT64_MAX;
    for (int i = 0; i < count; i++) {
        if (reads[i] && completes_at(reads[i]) < best_at) {
            best = i;
            best_at = completes_at(reads[i]);
        }
    }
    if (g_fake_usbpcap.wait_fails)
        return USBPCAP_WAIT_FAILED;  // at once, as a wait on a bad handle does
    uint64_t deadline = g_fake_clock.elapsed_ms + timeout_ms;
    if (best < 0 || best_at > deadline) {
        g_fake_clock.elapsed_ms = deadline;
        return USBPCAP_WAIT_TIMEOUT;
    }
    if (best_at > g_fake_clock.elapsed_ms)
        g_fake_clock.elapsed_ms = best_at;
    return best;
}

int usbpcap_wait_or_message(UsbPcapRead* const reads[], int count, DWORD timeout_ms) {
    if (g_fake_usbpcap.wait_fails)
        return USBPCAP_WAIT_FAILED;
    if (!g_fake_usbpcap.live_start_tick)
        g_fake_usbpcap.live_start_tick = GetTickCount() | 1;
    const DWORD began = GetTickCount();
    for (;;) {
        // As MsgWaitForMultipleObjectsEx: the first ready read, and the
        // message queue only when no read is ready.
        const uint64_t now = GetTickCount() - g_fake_usbpcap.live_start_tick;
        g_fake_clock.elapsed_ms = now;
        uint64_t next = UINT64_MAX;
        for (int i = 0; i < count; i++) {
            uint64_t at = reads[i] ? completes_at(reads[i]) : UINT64_MAX;
            if (at <= now)
                return i;
            next = at < next ? at : next;
        }
        MSG m;
        if (PeekMessageW(&m, NULL, 0, 0, PM_NOREMOVE)) {
            g_fake_usbpcap.message_waits++;
            return USBPCAP_WAIT_MESSAGE;
        }
        DWORD waited = GetTickCount() - began;
        if (timeout_ms != INFINITE && waited >= timeout_ms)
            return USBPCAP_WAIT_TIMEOUT;
        DWORD nap = next == UINT64_MAX ? 50 : (DWORD)(next - now);
        if (timeout_ms != INFINITE && nap > timeout_ms - waited)
            nap = timeout_ms - waited;
        MsgWaitForMultipleObjectsEx(0, NULL, nap ? nap : 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

bool usbpcap_process_elevated(void) { return !g_fake_usbpcap.not_elevated; }

BOOL usbpcap_read_finish(HANDLE hub, UsbPcapRead* r, DWORD* bytes, DWORD* error) {
    FakeHub* h = hub_of(hub);
    r->pending = false;
    h->reading = false;
    g_fake_usbpcap.finished.push_back(h->number);
    const FakeDelivery& d = h->script[h->current];
    *bytes = 0;
    if (d.kind == FAKE_READ_FAIL) {
        *error = ERROR_GEN_FAILURE;
        return FALSE;
    }
    if (d.kind == FAKE_READ_DATA) {
        memcpy(r->chunk, d.bytes.data(), d.bytes.size());
        *bytes = (DWORD)d.bytes.size();
    }
    return TRUE;
}

void usbpcap_read_cancel(HANDLE hub, UsbPcapRead* r) {
    if (!r->pending)
        return;
    FakeHub* h = hub_of(hub);
    h->cancels++;
    h->reading = false;
    r->pending = false;
}

void usbpcap_close_hub(HANDLE hub) {
    FakeHub* h = hub_of(hub);
    h->open = false;
    g_fake_usbpcap.live_handles--;
}
