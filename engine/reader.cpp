// The reader thread and its drain. The stop event and the raw input wait are
// one wait (rawinput_wait), so a stop is seen at once however busy the mouse.
#include "engine/reader.h"

#include <atomic>

#include "core/heap.h"
#include "devices/raw_registration.h"
#include "engine/reception.h"
#include "platform/counter.h"
#include "platform/rawinput.h"

static const wchar_t kReaderClass[] = L"QuorvinReader";
// Room for 64 mouse reports at first; grown when a report does not fit.
static const UINT kFirstBufferBytes = 64 * sizeof(RAWINPUT);
static const UINT kMostBufferBytes = 1u << 20;

struct Reader {
    HANDLE thread;
    HANDLE stop;
    HANDLE ready;
    HWND notify;
    bool registered;
    DWORD error;
    RAWINPUT* buffer;  // the thread's own, for buffered reads
    UINT buffer_bytes;
    Reception reception;  // the run it stamps into, and its buffer for a read by message
    std::atomic<bool> stopping;  // seen between reads, as input may never let up
};
static Reader s_reader;

static LRESULT CALLBACK reader_wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_INPUT_DEVICE_CHANGE && s_reader.notify)
        PostMessageW(s_reader.notify, msg, wparam, lparam);
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

static HWND create_reader_window(void) {
    HINSTANCE instance = GetModuleHandleW(NULL);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = reader_wndproc;
    wc.hInstance = instance;
    wc.lpszClassName = kReaderClass;
    RegisterClassW(&wc);  // a failure shows in the creation below
    return CreateWindowExW(0, kReaderClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, instance, NULL);
}

// A report that does not fit: the buffer grows to hold it. False when it
// cannot (no memory, or a report larger than any mouse sends).
static bool grow_buffer(void) {
    UINT need = 0;
    if (rawinput_get_buffer(NULL, &need, sizeof(RAWINPUTHEADER)) != 0 ||
        need <= s_reader.buffer_bytes)
        return false;  // not a matter of size: the message path reads it
    UINT bytes = s_reader.buffer_bytes * 2;
    while (bytes < need)
        bytes *= 2;
    if (bytes > kMostBufferBytes)
        return false;
    void* block = heap_alloc(bytes);
    if (!block)
        return false;
    heap_free(s_reader.buffer);
    s_reader.buffer = (RAWINPUT*)block;
    s_reader.buffer_bytes = bytes;
    return true;
}

// Reads the queue's raw input until a read brings none. True when any came.
static bool drain_buffer(void) {
    bool any = false;
    while (!s_reader.stopping.load(std::memory_order_relaxed)) {
        UINT size = s_reader.buffer_bytes;
        UINT n = rawinput_get_buffer(s_reader.buffer, &size, sizeof(RAWINPUTHEADER));
        if (n == (UINT)-1) {
            if (grow_buffer())
                continue;
            return any;  // left for the message path below
        }
        if (n == 0)
            return any;
        reception_take_batch(&s_reader.reception, s_reader.buffer, n, s_reader.buffer_bytes, counter_read());
        any = true;
    }
    return any;
}

// One message of the queue: a WM_INPUT the buffered read left (a read of
// one), or another (device-change notices). Peeked without a filter: a
// device-change notice travels with the raw input, and a peek whose range
// leaves out WM_INPUT would never see it, so the wait would keep returning.
static bool read_one_message(void) {
    MSG m;
    if (!PeekMessageW(&m, NULL, 0, 0, PM_REMOVE))
        return false;
    if (m.message == WM_INPUT) {
        on_wm_input(&s_reader.reception, (HRAWINPUT)m.lParam, m.wParam);
        DefWindowProcW(m.hwnd, m.message, m.wParam, m.lParam);  // the system cleans up after it
    } else {
        DispatchMessageW(&m);
    }
    return true;
}

// Until the queue is empty: buffered reads first, so reports that wait
// together are read (and stamped) together.
static void read_waiting(void) {
    while (!s_reader.stopping.load(std::memory_order_relaxed)) {
        const bool buffered = drain_buffer();
        if (!read_one_message() && !buffered)
            return;
    }
}

static DWORD WINAPI reader_main(void*) {
    HWND window = create_reader_window();
    s_reader.registered = window && raw_registration_start(window);
    s_reader.error = s_reader.registered ? 0 : GetLastError();
    if (!s_reader.registered) {
        if (window)
            DestroyWindow(window);
        SetEvent(s_reader.ready);
        return 0;
    }
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    SetEvent(s_reader.ready);
    while (rawinput_wait(s_reader.stop, INFINITE) == WAIT_OBJECT_0 + 1)
        read_waiting();
    raw_registration_end();
    DestroyWindow(window);
    return 0;
}

static void close_handles(void) {
    HANDLE* handles[] = {&s_reader.thread, &s_reader.stop, &s_reader.ready};
    for (HANDLE* h : handles) {
        if (*h)
            CloseHandle(*h);
        *h = NULL;
    }
    heap_free(s_reader.buffer);
    s_reader.buffer = NULL;
    s_reader.buffer_bytes = 0;
    reception_free(&s_reader.reception);
    s_reader.reception.run = NULL;
}

bool reader_start(Run* run, HWND notify, DWORD* error) {
    reader_stop();
    s_reader.reception.run = run;
    s_reader.reception.input_codes_follow_foreground = rawinput_codes_follow_foreground();
    s_reader.notify = notify;
    s_reader.buffer = (RAWINPUT*)heap_alloc(kFirstBufferBytes);
    s_reader.buffer_bytes = s_reader.buffer ? kFirstBufferBytes : 0;
    s_reader.stop = CreateEventW(NULL, TRUE, FALSE, NULL);
    s_reader.ready = CreateEventW(NULL, TRUE, FALSE, NULL);
    if (s_reader.buffer && s_reader.stop && s_reader.ready)
        s_reader.thread = CreateThread(NULL, 0, reader_main, NULL, 0, NULL);
    if (!s_reader.thread) {
        *error = GetLastError();
        close_handles();
        return false;
    }
    WaitForSingleObject(s_reader.ready, INFINITE);
    if (s_reader.registered)
        return true;
    *error = s_reader.error;
    WaitForSingleObject(s_reader.thread, INFINITE);
    close_handles();
    return false;
}

void reader_stop(void) {
    if (!s_reader.thread)
        return;
    s_reader.stopping.store(true);
    SetEvent(s_reader.stop);
    WaitForSingleObject(s_reader.thread, INFINITE);
    close_handles();
    s_reader.stopping.store(false);
}

bool reader_running(void) { return s_reader.thread != NULL; }
