// The real USBPcap driver calls: registry, QueryDosDevice, CreateFile,
// DeviceIoControl and overlapped ReadFile.
#include "platform/usbpcap_driver.h"

#include <stdio.h>
#include <string.h>

DWORD usbpcap_driver_installed(void) {
    HKEY key;
    LONG rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\USBPcap", 0,
                            KEY_READ, &key);
    if (rc != ERROR_SUCCESS)
        return (DWORD)rc;
    RegCloseKey(key);
    return 0;
}

int usbpcap_list_hubs(int numbers[], int max, DWORD* error) {
    // The driver numbers its control devices from 1, one per root hub; a
    // removed controller can leave a gap, so every number up to the limit is tried.
    const int kHighestNumber = 64;
    int count = 0;
    for (int n = 1; n <= kHighestNumber && count < max; n++) {
        wchar_t name[32];
        wchar_t target[512];
        swprintf(name, 32, L"USBPcap%d", n);
        if (QueryDosDeviceW(name, target, 512)) {
            numbers[count++] = n;
            continue;
        }
        DWORD e = GetLastError();
        if (e != ERROR_FILE_NOT_FOUND && e != ERROR_PATH_NOT_FOUND && e != ERROR_INSUFFICIENT_BUFFER) {
            *error = e;
            return -1;
        }
        if (e == ERROR_INSUFFICIENT_BUFFER)
            numbers[count++] = n;  // it exists; only its target is long
    }
    return count;
}

HANDLE usbpcap_open_hub(const wchar_t* path, DWORD* error) {
    HANDLE h = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           NULL, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, NULL);
    if (h == INVALID_HANDLE_VALUE)
        *error = GetLastError();
    return h;
}

BOOL usbpcap_control(HANDLE hub, DWORD code, const void* in, DWORD in_bytes, DWORD* error) {
    OVERLAPPED ov;
    memset(&ov, 0, sizeof ov);
    ov.hEvent = CreateEventW(NULL, TRUE, FALSE, NULL);
    if (!ov.hEvent) {
        *error = GetLastError();
        return FALSE;
    }
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(hub, code, (void*)in, in_bytes, NULL, 0, &returned, &ov);
    if (!ok && GetLastError() == ERROR_IO_PENDING)
        ok = GetOverlappedResult(hub, &ov, &returned, TRUE);
    if (!ok)
        *error = GetLastError();
    CloseHandle(ov.hEvent);
    return ok;
}

BOOL usbpcap_read_init(UsbPcapRead* r, DWORD* error) {
    memset(&r->overlapped, 0, sizeof r->overlapped);
    r->pending = false;
    r->event = CreateEventW(NULL, TRUE, FALSE, NULL);
    if (!r->event)
        *error = GetLastError();
    return r->event != NULL;
}

void usbpcap_read_release(UsbPcapRead* r) {
    if (r->event)
        CloseHandle(r->event);
    r->event = NULL;
}

BOOL usbpcap_read_start(HANDLE hub, UsbPcapRead* r, DWORD* error) {
    memset(&r->overlapped, 0, sizeof r->overlapped);
    r->overlapped.hEvent = r->event;
    ResetEvent(r->event);
    if (!ReadFile(hub, r->chunk, USBPCAP_READ_BYTES, NULL, &r->overlapped)) {
        DWORD e = GetLastError();
        if (e != ERROR_IO_PENDING) {
            *error = e;
            return FALSE;
        }
    }
    r->pending = true;  // a read that completed at once has signalled its event
    return TRUE;
}

// The events of the pending reads, with the index of each read.
static int pending_events(UsbPcapRead* const reads[], int count, HANDLE events[], int index[]) {
    int n = 0;
    for (int i = 0; i < count && n < USBPCAP_MAX_HUBS; i++) {
        if (reads[i] && reads[i]->pending) {
            events[n] = reads[i]->event;
            index[n++] = i;
        }
    }
    return n;
}

int usbpcap_wait(UsbPcapRead* const reads[], int count, DWORD timeout_ms) {
    HANDLE events[USBPCAP_MAX_HUBS];
    int index[USBPCAP_MAX_HUBS];
    int n = pending_events(reads, count, events, index);
    if (n == 0) {
        Sleep(timeout_ms);
        return USBPCAP_WAIT_TIMEOUT;
    }
    DWORD w = WaitForMultipleObjects((DWORD)n, events, FALSE, timeout_ms);
    if (w >= WAIT_OBJECT_0 && w < WAIT_OBJECT_0 + (DWORD)n)
        return index[w - WAIT_OBJECT_0];
    return w == WAIT_TIMEOUT ? USBPCAP_WAIT_TIMEOUT : USBPCAP_WAIT_FAILED;
}

int usbpcap_wait_or_message(UsbPcapRead* const reads[], int count, DWORD timeout_ms) {
    HANDLE events[USBPCAP_MAX_HUBS];
    int index[USBPCAP_MAX_HUBS];
    int n = pending_events(reads, count, events, index);
    DWORD w = MsgWaitForMultipleObjectsEx((DWORD)n, n ? events : NULL, timeout_ms, QS_ALLINPUT,
                                          MWMO_INPUTAVAILABLE);
    if (w < WAIT_OBJECT_0 + (DWORD)n)
        return index[w - WAIT_OBJECT_0];
    if (w == WAIT_OBJECT_0 + (DWORD)n)
        return USBPCAP_WAIT_MESSAGE;
    return w == WAIT_TIMEOUT ? USBPCAP_WAIT_TIMEOUT : USBPCAP_WAIT_FAILED;
}

bool usbpcap_process_elevated(void) {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation = {0};
    DWORD bytes = 0;
    BOOL ok = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &bytes);
    CloseHandle(token);
    return ok && elevation.TokenIsElevated != 0;
}

BOOL usbpcap_read_finish(HANDLE hub, UsbPcapRead* r, DWORD* bytes, DWORD* error) {
    r->pending = false;
    *bytes = 0;
    if (!GetOverlappedResult(hub, &r->overlapped, bytes, FALSE)) {
        *error = GetLastError();
        return FALSE;
    }
    return TRUE;
}

void usbpcap_read_cancel(HANDLE hub, UsbPcapRead* r) {
    if (!r->pending)
        return;
    DWORD bytes;
    CancelIoEx(hub, &r->overlapped);
    GetOverlappedResult(hub, &r->overlapped, &bytes, TRUE);  // the buffer is free after this
    r->pending = false;
}

void usbpcap_close_hub(HANDLE hub) { CloseHandle(hub); }
