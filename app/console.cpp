// Console front end: lists the mice, measures the chosen record on a hidden
// window and rewrites one English status line until Ctrl+C or the time limit.
#include "app/console.h"

#include <errno.h>
#include <string.h>

#include <vector>

#include "app/text_out.h"
#include "capture/usb_session.h"
#include "core/arrival_csv.h"
#include "core/distribution.h"
#include "devices/mouse_registry.h"
#include "devices/raw_registration.h"
#include "engine/reception.h"

std::atomic<int32_t> g_console_run{1};
FILE* g_console_out;

static const wchar_t kHiddenClass[] = L"QuorvinConsoleHidden";
static const UINT_PTR kStatusTimer = 1;
static const UINT kStatusPeriodMs = 500;
static const UINT_PTR kTimeLimitTimer = 2;

static FILE* console_stream(void) { return g_console_out ? g_console_out : stdout; }

int format_status_line(char* buf, size_t cap, const StatsReadings* r) {
    return snprintf(buf, cap,
                    "\rAvg=%8.1f Hz  MinInst=%8.1f Hz  MaxInst=%8.1f Hz  CurMin=%8.1f Hz  "
                    "Count=%llu  Time=%.1fs",
                    r->average_hz, r->lowest_instant_hz, r->highest_instant_hz,
                    r->last_second_lowest_hz, (unsigned long long)r->report_count,
                    r->elapsed_s);
}

static void device_name_utf8(int slot, char* name, size_t cap) {
    memset(name, 0, cap);
    if (!WideCharToMultiByte(CP_UTF8, 0, g_ri_devs[slot].name, -1, name, (int)cap, NULL, NULL))
        name[0] = 0;
    name[cap - 1] = 0;
}

void format_device_line(char* buf, size_t cap, int slot) {
    char name[128];
    device_name_utf8(slot, name, sizeof name);
    snprintf(buf, cap, "Device: %s\n", name);
}

void format_summary(char* buf, size_t cap, const char* name, double elapsed_s,
                    const Distribution* d, const ArrivalLog* log, double freq) {
    const double* p = d->pct_us;
    size_t used = 0;
    auto add = [&](const char* fmt, auto... args) {
        if (used < cap) {
            int n = snprintf(buf + used, cap - used, fmt, args...);
            used += n > 0 ? (size_t)n : 0;
        }
    };
    add("Summary: %s, %.1f s\n", name, elapsed_s);
    add("Intervals (us): n=%llu mean=%.1f sd=%.1f min=%.1f max=%.1f\n", (unsigned long long)d->n,
        d->mean_us, d->sd_us, d->min_us, d->max_us);
    add("Percentiles (us): p0.1=%.1f p1=%.1f p50=%.1f p99=%.1f p99.9=%.1f\n", p[PCT_0_1], p[PCT_1],
        p[PCT_50], p[PCT_99], p[PCT_99_9]);
    // p1 of the rates is the rate at the 99th-percentile interval: the slow end.
    add("Rates (Hz): median=%.2f p1=%.2f p99=%.2f\n", rate_at(p[PCT_50]), rate_at(p[PCT_99]),
        rate_at(p[PCT_1]));
    add("Stability: %.1f%% of intervals within 10%% of the median\n", d->stability_pct);
    add("Coalesced: %llu  Pauses: %llu  Background: %llu\n", (unsigned long long)d->coalesced,
        (unsigned long long)d->pauses, (unsigned long long)d->background);
    // The figures above cover the whole run; the log behind the CSV and the
    // plot may hold only its latest part.
    uint64_t count = arrival_log_count(log);
    if (arrival_log_wrapped(log) && count > 0 && freq > 0) {
        double span = (double)(arrival_log_at(log, count - 1).t - arrival_log_at(log, 0).t) / freq;
        add("Log: the CSV and the plot cover the last %.1f s; older reports were dropped to bound "
            "memory\n", span);
    }
    if (log->failed)
        add("Log: out of memory after %llu reports; the CSV and the plot cover those only\n",
            (unsigned long long)count);
    if (d->failed)
        add("%s", "Log: no memory to count the intervals; only the counts above hold\n");
}

void format_throttle_warning(char* buf, size_t cap, const ThrottleSettings* s,
                             const ThrottleDecision* d) {
    char cause[96];
    format_throttle_cause(cause, sizeof cause, s, d);
    snprintf(buf, cap,
             "Warning: Windows limits background mouse input to about %.0f Hz (%s), and console "
             "mode always listens in the background. For true rates use the window, or set the "
             "DWORD RawMouseThrottleEnabled=0 under HKEY_CURRENT_USER\\Control Panel\\Mouse "
             "and sign in again.\n",
             throttle_rate_hz(d->duration_ms), cause);
}

void format_background_line(char* buf, size_t cap, const StatsReadings* r) {
    int n = snprintf(buf, cap, "Background reports: %llu of %llu",
                     (unsigned long long)r->background_count, (unsigned long long)r->arrival_count);
    if (n < 0 || (size_t)n >= cap)
        return;
    if (r->throttle_signature)
        snprintf(buf + n, cap - (size_t)n,
                 " (throttled: Windows delivered them at whole multiples of %.0f ms)\n",
                 g_throttle_period_us / 1000.0);
    else
        snprintf(buf + n, cap - (size_t)n, "\n");
}

static void print_status_line(void) {
    reception_sample_clock();
    StatsReadings r;
    stats_read(display_stats(), &r);  // the lock is released before printing
    char line[256];
    format_status_line(line, sizeof line, &r);
    FILE* out = console_stream();
    write_utf8(out, line);
}

LRESULT CALLBACK console_wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_INPUT:
        on_wm_input((HRAWINPUT)lparam, wparam);
        DefWindowProcW(hwnd, msg, wparam, lparam);  // the system cleans up after it
        return 0;
    case WM_TIMER:
        if (wparam == kTimeLimitTimer) {
            // The time limit acts like Ctrl+C at this moment: this line is the last.
            KillTimer(hwnd, kTimeLimitTimer);
            g_console_run.store(0, std::memory_order_relaxed);
        }
        print_status_line();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

BOOL WINAPI console_ctrl(DWORD) {
    g_console_run.store(0, std::memory_order_relaxed);
    return TRUE;
}

static int console_choose_slot(int device_index) {
    return (device_index < 0 || device_index >= g_nri) ? 0 : device_index;
}

static HWND create_hidden_window(void) {
    HINSTANCE instance = GetModuleHandleW(NULL);
    WNDCLASSW wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = console_wndproc;
    wc.hInstance = instance;
    wc.lpszClassName = kHiddenClass;
    RegisterClassW(&wc);  // a failure shows in the creation below
    return CreateWindowExW(0, kHiddenClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, instance, NULL);
}

// Its WM_DESTROY posts the quit message, which a later run must not find.
static void destroy_hidden_window(HWND hwnd) {
    KillTimer(hwnd, kStatusTimer);
    KillTimer(hwnd, kTimeLimitTimer);
    DestroyWindow(hwnd);
    MSG m;
    while (PeekMessageW(&m, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

static void arm_time_limit(HWND hwnd, double run_seconds) {
    if (!(run_seconds > 0))
        return;
    double ms = run_seconds * 1000.0;
    if (ms > (double)USER_TIMER_MAXIMUM)
        ms = (double)USER_TIMER_MAXIMUM;
    if (ms < 1)
        ms = 1;
    SetTimer(hwnd, kTimeLimitTimer, (UINT)ms, NULL);
}

// Created before measuring, so that a file that cannot be written costs no run.
static FILE* open_csv(const wchar_t* path, FILE* out) {
    FILE* f = _wfopen(path, L"wb");
    if (!f) {
        wchar_t line[600];
        swprintf(line, 600, L"Error: cannot create %.500ls (%hs).\n", path, strerror(errno));
        print_wide_utf8(out, line);
    }
    return f;
}

static int finish_csv(FILE* csv, const wchar_t* path, FILE* out) {
    bool written = write_arrival_csv(csv, &g_arrival_log, g_qpc_freq, &g_clock_map);
    if (fclose(csv) != 0)
        written = false;
    if (written)
        return 0;
    wchar_t line[600];
    swprintf(line, 600, L"Error: writing %.500ls failed (%hs).\n", path, strerror(errno));
    print_wide_utf8(out, line);
    return 1;
}

static void print_summary(FILE* out, int slot) {
    StatsReadings r;
    stats_read(&g_dev_stats[slot], &r);
    Distribution d;
    record_distribution(&g_dev_stats[slot], &d);
    char name[128];
    device_name_utf8(slot, name, sizeof name);
    static char text[2048];
    format_summary(text, sizeof text, name, r.elapsed_s, &d, &g_arrival_log, g_qpc_freq);
    write_utf8(out, text);
}

int run_console(int device_index, double run_seconds, const wchar_t* csv_path) {
    ConsoleRun run = {device_index, run_seconds, csv_path, false, NULL};
    return run_console_with(&run);
}

// The program's report times of the chosen record on the UTC clock.
static std::vector<int64_t> program_times(int slot) {
    std::vector<int64_t> times;
    const uint64_t n = arrival_log_count(&g_arrival_log);
    times.reserve((size_t)n);
    for (uint64_t k = 0; k < n; k++) {
        Arrival a = arrival_log_at(&g_arrival_log, k);
        if (slot == 0 || a.slot == slot)
            times.push_back(clock_map_utc(&g_clock_map, a.t));
    }
    return times;
}

static void print_layers(FILE* out, const UsbSession* session, int slot) {
    std::vector<int64_t> p = program_times(slot);
    const UsbEndpointTimes* e = usb_session_best(session, p.data(), p.size());
    if (!e) {
        write_utf8(out, "USB layer: no endpoint's reports match the program's (none came within 2 ms "
                        "before them).\n");
        return;
    }
    LayerComparison c;
    compare_layers(e->times, e->count, p.data(), p.size(), &c);
    if (!c.overlap) {
        write_utf8(out, "USB layer: the capture and the measurement do not overlap in time.\n");
        return;
    }
    char name[32];
    snprintf(name, sizeof name, "%u.%u.0x%02X", (unsigned)e->bus, (unsigned)e->device,
             (unsigned)e->endpoint);
    static char text[2048];
    text[0] = 0;
    format_comparison(text, sizeof text, name, &c);
    write_utf8(out, text);
    if (session->full)
        write_utf8(out, "USB layer: the capture filled its memory bound; later USB reports were not kept.\n");
}

// Serves window messages and, with --usb, the hubs' reads in one loop.
static void message_loop(UsbSession* session) {
    MSG msg;
    while (g_console_run.load(std::memory_order_relaxed)) {
        if (session) {
            if (!usb_session_wait(session, INFINITE))
                continue;
            if (!PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE))
                continue;
            if (msg.message == WM_QUIT)
                break;
        } else if (GetMessageW(&msg, NULL, 0, 0) <= 0) {
            // A fetch error (-1) ends the loop too: retrying it would spin forever.
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int run_console_with(const ConsoleRun* run) {
    const int device_index = run->device_index;
    const double run_seconds = run->run_seconds;
    const wchar_t* csv_path = run->csv_path;
    FILE* out = console_stream();
    enumerate_mice();
    if (g_nri == 0) {
        write_utf8(out, "No mouse found via Raw Input.\n");
        return 1;
    }
    int slot = console_choose_slot(device_index);
    g_display_dev = slot;

    char line[192];
    format_device_line(line, sizeof line, slot);
    write_utf8(out, line);
    reception_read_throttle();
    if (g_throttle.applies) {
        static char warning[512];
        format_throttle_warning(warning, sizeof warning, &g_throttle_settings, &g_throttle);
        write_utf8(out, warning);
    }
    FILE* csv = NULL;
    if (csv_path && !(csv = open_csv(csv_path, out)))
        return 1;
    FILE* usb_save = NULL;
    if (run->usb_save_path && !(usb_save = open_csv(run->usb_save_path, out))) {
        if (csv)
            fclose(csv);
        return 1;
    }
    static UsbSession session;
    if (run->usb || usb_save) {
        static char error[512];
        if (!usb_session_open(&session, usb_save != NULL, error, sizeof error)) {
            write_utf8(out, error);
            if (csv)
                fclose(csv);
            if (usb_save)
                fclose(usb_save);
            return 1;
        }
    }
    UsbSession* usb = run->usb || usb_save ? &session : NULL;
    write_utf8(out, "Move the mouse to measure. Ctrl+C to quit.\n\n");

    // What was opened for the run, given back when it cannot start.
    auto give_up = [&]() {
        if (csv)
            fclose(csv);
        if (usb)
            usb_session_free(usb);
        if (usb_save)
            fclose(usb_save);
        return 1;
    };
    HWND hwnd = create_hidden_window();
    if (!hwnd) {
        write_utf8(out, "Failed to create hidden window.\n");
        return give_up();
    }
    if (!raw_registration_start(hwnd)) {
        snprintf(line, sizeof line, "RegisterRawInputDevices failed (err %lu).\n",
                 (unsigned long)GetLastError());
        write_utf8(out, line);
        destroy_hidden_window(hwnd);
        return give_up();
    }
    g_console_run.store(1, std::memory_order_relaxed);
    SetConsoleCtrlHandler(console_ctrl, TRUE);
    reception_start_run();
    stats_set_measuring(true);
    SetTimer(hwnd, kStatusTimer, kStatusPeriodMs, NULL);
    arm_time_limit(hwnd, run_seconds);

    message_loop(usb);
    write_utf8(out, "\n");
    raw_registration_end();
    stats_set_measuring(false);
    reception_sample_clock();
    StatsReadings r;
    stats_read(display_stats(), &r);
    format_background_line(line, sizeof line, &r);
    write_utf8(out, line);
    print_summary(out, slot);
    int result = 0;
    if (usb) {
        usb_session_close(usb);
        print_layers(out, usb, slot);
        if (usb_save && !usb_session_save(usb, usb_save))
            result = 1;
        if (usb_save && fclose(usb_save) != 0)
            result = 1;
        if (result)
            write_utf8(out, "Error: writing the USB capture failed.\n");
        usb_session_free(usb);
    }
    SetConsoleCtrlHandler(console_ctrl, FALSE);
    destroy_hidden_window(hwnd);
    if (csv && finish_csv(csv, csv_path, out) != 0)
        result = 1;
    return result;
}
