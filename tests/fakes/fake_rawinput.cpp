// Scripted Raw Input layer for tests, honouring the real calls' sizes and results.
#include "tests/fakes/fake_rawinput.h"

#include <string.h>
#include <wchar.h>

FakeRawInput g_fake_ri;

void fake_rawinput_reset(void) {
    memset(&g_fake_ri, 0, sizeof g_fake_ri);
    g_fake_ri.register_result = TRUE;
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
