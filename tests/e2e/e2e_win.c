/* Windows helper of the window's end-to-end test. In Wine's virtual desktop
 * the program's windows are no X windows, so X tools cannot find, place or
 * raise them; this runs in the same prefix and desktop and does it from the
 * Windows side. Titles are matched exactly (UTF-8 on the command line); a
 * command given several titles takes the first window with any of them.
 *   e2e_win wait MS TITLE...   waits up to MS for the window; prints its client
 *                              area in screen coordinates: "X Y W H"
 *   e2e_win gone MS TITLE...   waits up to MS until no such window is left
 *   e2e_win front TITLE...     makes it the foreground window
 *   e2e_win name PATH TITLE... gives a Save As or Open dialog its file name and
 *                              presses its OK button: typed keys would go to
 *                              whichever window Wine gives the focus to first
 *   e2e_win size W H TITLE...  gives it an outer size of W x H pixels (H 0:
 *                              its height as it is), as a drag of its frame
 *                              would; prints its client area as wait does
 *   e2e_win hold MS TITLE...   on a line from standard input (so that the
 *                              start of this process, which keeps Wine busy
 *                              for a while, is over by then), suspends the
 *                              window's thread for MS and proves it stopped:
 *                              a message sent meanwhile must go unanswered,
 *                              one sent after must be answered.
 *                              Prints hold_start_utc_us, hold_end_utc_us,
 *                              probe_ms (how long the unanswered one waited).
 * Exit code 0 on success, 1 when the window is not there or the hold failed,
 * 2 on bad usage. */
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <wchar.h>

struct search {
    wchar_t** titles;
    int count;
    HWND found;
};

static BOOL CALLBACK match_title(HWND hwnd, LPARAM param) {
    struct search* s = (struct search*)param;
    wchar_t text[512];
    /* Reads the title kept by the system: never a message, so a window whose
     * thread is stopped is still found. */
    if (!IsWindowVisible(hwnd) || !InternalGetWindowText(hwnd, text, 512))
        return TRUE;
    for (int i = 0; i < s->count; i++) {
        if (wcscmp(text, s->titles[i]) == 0) {
            s->found = hwnd;
            return FALSE;
        }
    }
    return TRUE;
}

static HWND find_window(wchar_t** titles, int count) {
    struct search s = {titles, count, NULL};
    EnumWindows(match_title, (LPARAM)&s);
    return s.found;
}

/* Polls every 50 ms for up to ms until the window is there (want_gone 0) or
 * gone (1); returns the window found last. */
static HWND wait_window(DWORD ms, int want_gone, wchar_t** titles, int count) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND hwnd = find_window(titles, count);
        if ((hwnd != NULL) != want_gone || GetTickCount() - start >= ms)
            return hwnd;
        Sleep(50);
    }
}

static int print_client(HWND hwnd) {
    RECT r;
    POINT origin = {0, 0};
    if (!GetClientRect(hwnd, &r) || !ClientToScreen(hwnd, &origin))
        return 1;
    printf("%ld %ld %ld %ld\n", origin.x, origin.y, r.right - r.left, r.bottom - r.top);
    return 0;
}

static int bring_to_front(HWND hwnd) {
    if (IsIconic(hwnd))
        ShowWindow(hwnd, SW_RESTORE);
    BringWindowToTop(hwnd);
    SetForegroundWindow(hwnd);
    for (int i = 0; i < 40 && GetForegroundWindow() != hwnd; i++)
        Sleep(25);
    return GetForegroundWindow() == hwnd ? 0 : 1;
}

/* The file name box of the system's file dialog: a combo box with an edit
 * (cmb13) in the Explorer-style dialog, an edit (edt1) in older ones. */
static int name_the_file(HWND dialog, const wchar_t* path) {
    HWND box = GetDlgItem(dialog, 0x47C);
    if (!box)
        box = GetDlgItem(dialog, 0x480);
    if (!box || !SendMessageW(box, WM_SETTEXT, 0, (LPARAM)path)) {
        fprintf(stderr, "the dialog has no file name box\n");
        return 1;
    }
    HWND ok = GetDlgItem(dialog, IDOK);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)ok);
    return 0;
}

static long long utc_us(void) {
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    ULARGE_INTEGER t = {{ft.dwLowDateTime, ft.dwHighDateTime}};
    return (long long)(t.QuadPart / 10) - 11644473600000000LL;
}

static int hold_thread(HWND hwnd, DWORD ms) {
    DWORD tid = GetWindowThreadProcessId(hwnd, NULL);
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, tid);
    if (!thread) {
        fprintf(stderr, "cannot open thread %lu: error %lu\n", tid, GetLastError());
        return 1;
    }
    char go[16];
    if (!fgets(go, sizeof go, stdin)) {
        CloseHandle(thread);
        return 1;
    }
    DWORD_PTR answer;
    long long start = utc_us();
    if (SuspendThread(thread) == (DWORD)-1) {
        fprintf(stderr, "cannot suspend thread %lu: error %lu\n", tid, GetLastError());
        CloseHandle(thread);
        return 1;
    }
    DWORD probe_from = GetTickCount();
    LRESULT ok = SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, ms / 2, &answer);
    DWORD probe_ms = GetTickCount() - probe_from;
    long long left = (long long)ms * 1000 - (utc_us() - start);
    if (left > 0)
        Sleep((DWORD)(left / 1000));
    long long end = utc_us();
    ResumeThread(thread);
    CloseHandle(thread);
    LRESULT after = SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
    printf("hold_start_utc_us=%lld hold_end_utc_us=%lld probe_ms=%lu\n", start, end, probe_ms);
    if (ok)
        fprintf(stderr, "the window answered while its thread was suspended\n");
    if (!after)
        fprintf(stderr, "the window did not answer after its thread was resumed\n");
    return ok || !after ? 1 : 0;
}

static int resize(HWND hwnd, int width, int height) {
    RECT r;
    if (!GetWindowRect(hwnd, &r))
        return 1;
    SetWindowPos(hwnd, NULL, 0, 0, width, height > 0 ? height : r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return print_client(hwnd);
}

static int run(int argc, wchar_t** argv) {
    if (argc < 3)
        return 2;
    const wchar_t* command = argv[1];
    if (wcscmp(command, L"size") == 0) {
        HWND hwnd = argc < 5 ? NULL : find_window(argv + 4, argc - 4);
        return argc < 5 ? 2 : hwnd ? resize(hwnd, _wtoi(argv[2]), _wtoi(argv[3])) : 1;
    }
    if (wcscmp(command, L"name") == 0) {
        HWND hwnd = argc < 4 ? NULL : find_window(argv + 3, argc - 3);
        return argc < 4 ? 2 : hwnd ? name_the_file(hwnd, argv[2]) : 1;
    }
    int timed = wcscmp(command, L"front") != 0;
    if (argc < 3 + timed)
        return 2;
    DWORD ms = timed ? wcstoul(argv[2], NULL, 10) : 0;
    wchar_t** titles = argv + 2 + timed;
    int count = argc - 2 - timed;
    if (wcscmp(command, L"gone") == 0)
        return wait_window(ms, 1, titles, count) ? 1 : 0;
    HWND hwnd = wait_window(wcscmp(command, L"wait") == 0 ? ms : 0, 0, titles, count);
    if (!hwnd)
        return 1;
    if (wcscmp(command, L"wait") == 0)
        return print_client(hwnd);
    if (wcscmp(command, L"front") == 0)
        return bring_to_front(hwnd);
    if (wcscmp(command, L"hold") == 0)
        return hold_thread(hwnd, ms);
    return 2;
}

int main(void) {
    /* Physical pixels, whatever the DPI the test sets. */
    SetProcessDPIAware();
    int argc;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv)
        return 2;
    int status = run(argc, argv);
    if (status == 2)
        fprintf(stderr, "usage: e2e_win wait|gone|hold MS TITLE... | front TITLE... | size W H TITLE...\n");
    LocalFree(argv);
    fflush(stdout);
    return status;
}
