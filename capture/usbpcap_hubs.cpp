// Opening, reading and releasing one USBPcap hub. Nothing flows before the two
// set-up requests: the driver's buffer size, then the filter.
#include "capture/usbpcap_hubs.h"

#include <string.h>
#include <wchar.h>

bool hub_compose_path(Hub* h, int number) {
    return swprintf(h->path, HUB_PATH_UNITS, L"\\\\.\\USBPcap%d", number) >= 0;
}

bool hub_open(Hub* h, const wchar_t** failed_call, DWORD* error) {
    *failed_call = L"CreateFile";
    h->handle = usbpcap_open_hub(h->path, error);
    if (h->handle == INVALID_HANDLE_VALUE)
        return false;
    *failed_call = L"DeviceIoControl";
    UINT32 buffer_bytes = HUB_DRIVER_BUFFER_BYTES;
    if (!usbpcap_control(h->handle, IOCTL_USBPCAP_SETUP_BUFFER, &buffer_bytes, 4, error))
        return false;
    // UINT32 addresses[4], then BOOLEAN filterAll: bit 0 of the first word asks
    // for newly connected devices too, and filterAll = 1 takes every device.
    uint8_t filter[17];
    memset(filter, 0, sizeof filter);
    filter[0] = 1;
    filter[16] = 1;
    if (!usbpcap_control(h->handle, IOCTL_USBPCAP_START_FILTERING, filter, sizeof filter, error))
        return false;
    *failed_call = L"CreateEvent";
    h->read_ready = usbpcap_read_init(&h->read, error);
    return h->read_ready;
}

int hubs_open_all(Hub* hubs, int count, HubOpenFailure* first) {
    *first = HubOpenFailure{NULL, 0, -1};
    int opened = 0;
    for (int i = 0; i < count; i++) {
        Hub* h = &hubs[i];
        const wchar_t* call = L"";
        DWORD error = 0;
        if (hub_open(h, &call, &error)) {
            h->live = true;
            opened++;
            continue;
        }
        if (!first->call)
            *first = HubOpenFailure{call, error, i};
        hub_release(h);
    }
    return opened;
}

void hub_release(Hub* h) {
    if (h->handle != INVALID_HANDLE_VALUE) {
        usbpcap_read_cancel(h->handle, &h->read);
        usbpcap_close_hub(h->handle);
        h->handle = INVALID_HANDLE_VALUE;
    }
    if (h->read_ready)
        usbpcap_read_release(&h->read);
    h->read_ready = false;
    gb_free(&h->stream);
    h->live = false;
}

bool hub_start_read(Hub* h) {
    if (h->read.pending)
        return true;
    DWORD error;
    return usbpcap_read_start(h->handle, &h->read, &error) != FALSE;
}

DWORD hub_finish_read(Hub* h) {
    DWORD bytes = 0, error = 0;
    if (!usbpcap_read_finish(h->handle, &h->read, &bytes, &error))
        return 0;
    return bytes;
}

HubIntake hub_take_in(Hub* h, DWORD bytes, UsbEndpointTable* endpoints, CaptureRecordFn record_fn,
                      void* ctx, HeaderCheck* header) {
    const uint64_t before = h->stream.len;
    gb_append(&h->stream, h->read.chunk, bytes);
    if (h->stream.len == before)
        return HUB_STREAM_NO_MEMORY;
    if (!h->header_done) {
        *header = check_global_header(&h->stream);
        if (header->result == HEADER_PENDING)
            return HUB_TAKEN;
        if (header->result != HEADER_ACCEPTED)
            return HUB_HEADER_REFUSED;
        h->header_done = true;
    }
    usbpcap_count_stream(&h->stream, &h->count, endpoints, record_fn, ctx);
    return h->stream.len > HUB_LARGEST_TAIL ? HUB_STREAM_CORRUPT : HUB_TAKEN;
}
