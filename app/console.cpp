// Console front end, the run's lifecycle: lists the mice, measures the chosen
// record on a hidden window and rewrites one status line until Ctrl+C
// or the time limit, then prints the summary and finishes the files (the
// text itself is app/console_text's).
#include "app/console.h"

#include <errno.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>

#include <vector>

#include "app/json_out.h"
#include "app/text_out.h"
#include "capture/usb_session.h"
#include "core/runs/arrival_clock.h"
#include "core/runs/arrival_csv.h"
#include "core/figures/distribution.h"
#include "core/figures/layer_compare.h"
#include "core/views/layer_text.h"
#include "core/views/text_buf.h"
#include "core/views/texts.h"
#include "core/views/wide_text.h"
#include "devices/mouse_registry.h"
#include "engine/reader.h"
#include "engine/reception.h"
#include "platform/counter.h"
#include "platform/output_file.h"

std::atomic<int32_t> g_console_run{1};
FILE* g_console_out;

static const wchar_t kHiddenClass[] = L"QuorvinConsoleHidden";
static const UINT_PTR kStatusTimer = 1;
static const UINT kStatusPeriodMs = 500;
static const UINT_PTR kTimeLimitTimer = 2;

static FILE* console_stream(void) { return g_console_out ? g_console_out : stdout; }

// What a run writes besides its text: each file under its partial name until
// the run ends, and the capture. The CSV's rows go out at every status line,
// so a run that is killed keeps what it measured up to the last one.
struct RunOutputs {
    OutputFile csv;
    OutputFile usb_save;
    JsonOutput json;
    UsbSession* usb;
    ArrivalCsvCursor cursor;
    ArrivalClockFeed clock_feed;
    int csv_error;  // errno of the first failed CSV write, 0 while none failed
    // The summary's figures, kept for --json until the CSV is in place.
    StatsReadings r;
    Distribution d;
    ReportClockFigures clock;
    MotionFigures m;
    ButtonsSnapshot b;
};
static RunOutputs* s_outputs;  // the measuring run's, for the status timer


// The console's run: the reader thread stamps into it while it measures, and
// everything the console prints is read from it.
static Run s_run;

Run* console_run_for_tests(void) { return &s_run; }

// What this thread sees of the arrival log now: a view refreshed at each use.
static ArrivalView s_view;
static ArrivalView* log_now(void) { return arrival_view_now(&s_view, &s_run.log, ARRIVAL_READER_FRONT); }

// The rows logged since the last call, on the clock just sampled.
static void stream_csv_rows(RunOutputs* o) {
    if (!o || !o->csv.f || o->csv_error)
        return;
    if (!write_arrival_csv_rows(o->csv.f, &o->cursor, log_now(), s_run.freq, &s_run.clock_map))
        o->csv_error = errno ? errno : EIO;
}

// The chosen record's report clock, fed here rather than on the reader thread,
// which must stay cheap; a status line's reports at a time keep the whole run
// in it, however long, while the log keeps only its latest part.
static ReportClock s_clock;

static void feed_clock(RunOutputs* o) {
    if (o)
        arrival_clock_feed(&s_clock, &o->clock_feed, log_now(), s_run.freq);
}

// Rows are on disk before the line that counts them is shown: the record is
// read first, and every report it counts is in the log by then (the log
// takes a report before its mouse's record, and within the all-mice
// record's count), so the rows written after it hold at least those.
static void print_status_line(void) {
    StatsReadings r;
    stats_read(display_stats(&s_run), &r);  // the lock is released before printing
    reception_sample_clock(&s_run);
    stream_csv_rows(s_outputs);
    feed_clock(s_outputs);
    arrival_view_release(&s_view);
    char line[256];
    format_status_line(line, sizeof line, &r);
    FILE* out = console_stream();
    write_utf8(out, line);
}

LRESULT CALLBACK console_wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_TIMER:
        if (wparam == kTimeLimitTimer) {
            // The time limit acts like Ctrl+C at this moment; the end prints the last line.
            KillTimer(hwnd, kTimeLimitTimer);
            g_console_run.store(0, std::memory_order_relaxed);
            return 0;
        }
        print_status_line();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

// Set while no run is measuring or finishing; a close event waits for it.
static HANDLE run_ended_event(void) {
    static HANDLE event = CreateEventW(NULL, TRUE, TRUE, NULL);
    return event;
}
static std::atomic<HWND> s_run_window{NULL};
// Windows ends the process 5 s after a close, logoff or shutdown event.
static const DWORD kCloseWaitMs = 4500;

// Every event wakes the loop, which ends at once. Ctrl+C and Ctrl+Break
// return then. After a close, logoff or shutdown event the process ends as
// soon as the handler returns, so the handler waits until the summary and the
// CSV are written.
BOOL WINAPI console_ctrl(DWORD event_type) {
    g_console_run.store(0, std::memory_order_relaxed);
    HWND window = s_run_window.load();
    if (window)
        PostMessageW(window, WM_NULL, 0, 0);
    if (event_type == CTRL_CLOSE_EVENT || event_type == CTRL_LOGOFF_EVENT ||
        event_type == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(run_ended_event(), kCloseWaitMs);
    return TRUE;
}

static int console_choose_slot(int device_index) {
    return (device_index < 0 || device_index >= g_nri) ? 0 : device_index;
}

// An INDEX that names no mouse measures all mice, as none would; the user is told.
static void note_index(const wchar_t* device_arg, int slot) {
    if (!device_arg || slot != 0 || (_wtoi(device_arg) == 0 && iswdigit(device_arg[0])))
        return;
    const int mice = g_nri - 1;
    if (mice == 1)
        print_note(txw(TX_INDEX_ONE_MOUSE), device_arg);
    else
        print_note(txw(TX_INDEX_MICE), device_arg, mice, mice);
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

// A file that could not be finished: the user's file is as it was, and what
// was written stays under the partial name.
static int fail_output(const wchar_t* what, OutputFile* o, int error) {
    print_write_failure(what, o->target, error);
    if (o->f) {
        fclose(o->f);
        o->f = NULL;
    }
    print_error(txw(TX_KEPT_IN), o->partial);
    return 1;
}

// The rows since the last status line, then the partial file in the target's place.
static int finish_csv(RunOutputs* o) {
    stream_csv_rows(o);
    if (o->csv_error)
        return fail_output(L"", &o->csv, o->csv_error);
    if (!output_file_commit(&o->csv))
        return fail_output(L"", &o->csv, errno);
    return 0;
}

// The run's figures for --json, from what the summary was formatted from.
static void report_json(RunOutputs* o, int slot) {
    const JsonConditions c = {&s_run.throttle_settings, &s_run.throttle, s_run.freq, &o->r};
    JsonReport* j = json_output_report(&o->json, "console", &c);
    if (!j)
        return;
    static wchar_t path[1024];
    const bool has_path = registry_device_path(slot, path, 1024);
    wchar_t name[CONSOLE_NAME_UNITS];  // in English: scripts read the report in any language
    console_mouse_name_in(LANG_EN, slot, name, CONSOLE_NAME_UNITS);
    char name_utf8[kConsoleNameBytes];
    wide_to_utf8(name, name_utf8, sizeof name_utf8);
    json_report_device(j, name, has_path ? path : NULL);
    json_report_status(j, &o->r);
    ArrivalView* log = log_now();
    const JsonSummaryLog held = {arrival_view_held_s(log, s_run.freq), log->failed,
                                 arrival_view_count(log)};
    json_report_summary(j, name_utf8, &o->r, &o->d, &o->clock, &o->m, &held, &o->b);
}

static void print_summary(FILE* out, int slot, RunOutputs* o) {
    stats_read(&s_run.records[slot], &o->r);
    record_distribution(&s_run.records[slot], &o->d);
    record_motion(&s_run.records[slot], &o->m);
    record_buttons(&s_run.records[slot], &o->b);
    report_clock_finish(&s_clock, &o->clock);
    char name[kConsoleNameBytes];
    console_mouse_name_utf8(slot, name, sizeof name);
    static char text[4096];
    format_summary(text, sizeof text, name, &o->r, &o->d, &o->clock, &o->m, log_now(), s_run.freq,
                   &o->b);
    write_utf8(out, text);
    MotionHints h;
    motion_hints_of(&o->m, &o->clock, &h);
    format_motion_hints(text, sizeof text, &h, &o->m);
    write_utf8(out, text);
    format_button_hints(text, sizeof text, &o->b);
    write_utf8(out, text);
}

int run_console(int device_index, double run_seconds, const wchar_t* csv_path) {
    ConsoleRun run = {device_index, run_seconds, csv_path, false, NULL, NULL, NULL};
    return run_console_with(&run);
}

// The program's report times of the chosen record on the UTC clock.
static std::vector<int64_t> program_times(int slot) {
    std::vector<int64_t> times;
    ArrivalView* log = log_now();
    const uint64_t n = arrival_view_count(log);
    times.reserve((size_t)n);
    for (uint64_t k = 0; k < n; k++) {
        Arrival a = arrival_view_at(log, k);
        if (slot == 0 || a.slot == slot)
            times.push_back(clock_map_utc(&s_run.clock_map, a.t));
    }
    return times;
}

// "USB layer: " and the words: the key stays English in every language.
static void write_usb_line(FILE* out, TextId words) {
    write_utf8(out, "USB layer: ");
    write_line(out, words);
}

// A hub that stopped: its path, then why in the capture's own words.
static void note_hub_stopped(const wchar_t* path, const char* why) {
    wchar_t format[256], why_wide[256];
    swprintf(format, 256, L"USB layer: %ls", txw(TX_USB_HUB_STOPPED));
    utf8_to_wide(why, why_wide, 256);
    print_note(format, path, why_wide);
}

// The capture keeps its first reports when it reaches its bound, the log its
// latest: the note comes first, so that a comparison that then finds no
// overlap is understood.
static void print_layers(FILE* out, const UsbSession* session, int slot, JsonReport* json) {
    for (int i = 0; i < session->hub_count; i++) {
        if (session->saved[i].lost)
            note_hub_stopped(session->hubs[i].path, session->saved[i].lost);
    }
    if (session->endpoints.times_full)
        write_usb_line(out, TX_USB_FULL);
    std::vector<int64_t> p = program_times(slot);
    const UsbEndpoint* e = usb_endpoints_best(&session->endpoints, p.data(), p.size());
    if (!e) {
        write_usb_line(out, TX_USB_NO_MATCH);
        return;
    }
    LayerComparison c;
    compare_layers(e->times, e->time_count, p.data(), p.size(), &c);
    if (!c.overlap) {
        write_usb_line(out, TX_USB_NO_OVERLAP);
        return;
    }
    char name[USB_ENDPOINT_NAME_BYTES];
    format_endpoint_name(name, e->bus, e->device, e->endpoint);
    static char text[2048];
    text[0] = 0;
    format_comparison(text, sizeof text, name, &c);
    write_utf8(out, text);
    if (json)
        json_report_layers(json, name, &c);
}

// "; \\.\USBPcapN kept ..." for every hub whose later records were dropped.
static size_t describe_dropped_hubs(char* buf, size_t cap, const UsbSession* s, int64_t first_us) {
    TextBuf t = text_buf(buf, cap);
    for (int i = 0; i < s->hub_count; i++) {
        const UsbSavedHub* h = &s->saved[i];
        if (!h->dropped)
            continue;
        char why[96];
        if (h->lost)
            snprintf(why, sizeof why, "%s", h->lost);
        else if (h->out_of_memory)
            snprintf(why, sizeof why, "%s", tx(TX_HUB_OUT_OF_MEMORY));
        else if (s->max_saved % (1u << 20) == 0)
            snprintf(why, sizeof why, tx(TX_HUB_MIB), (unsigned long long)(s->max_saved >> 20));
        else
            snprintf(why, sizeof why, tx(TX_HUB_BYTES), (unsigned long long)s->max_saved);
        if (h->kept == 0)
            text_appendf(&t, tx(TX_HUB_KEPT_NONE), s->hubs[i].path, why);
        else
            text_appendf(&t, tx(TX_HUB_KEPT_UNTIL), s->hubs[i].path,
                         (double)(h->last_kept_us - first_us) / 1e6, why);
    }
    return t.len;
}

// --usb-save: the file, then whatever it lacks. 0 when it holds every record.
static int finish_usb_save(const UsbSession* s, OutputFile* o) {
    if (!usb_session_save(s, o->f) || !output_file_commit(o))
        return fail_output(txw(TX_WHAT_USB_CAPTURE), o, errno);
    const wchar_t* path = o->target;
    UsbSavedTotals t;
    usb_session_saved_totals(s, &t);
    char hubs[1200];
    if (describe_dropped_hubs(hubs, sizeof hubs, s, t.first_us) == 0)
        return 0;
    wchar_t hubs_wide[sizeof hubs];
    utf8_to_wide(hubs, hubs_wide, sizeof hubs);
    return print_error(txw(TX_USB_SAVE_INCOMPLETE), path, (unsigned long long)t.records,
                       (unsigned long long)t.bytes, hubs_wide);
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

// Files not finished (a run that did not start) are deleted; the capture is freed.
static void close_outputs(RunOutputs* o) {
    output_file_discard(&o->csv);
    output_file_discard(&o->usb_save);
    json_output_finish(&o->json, 1);
    if (o->usb)
        usb_session_free(o->usb);
    *o = RunOutputs{};
}

// Whether path, when given, can be written; checking creates nothing.
static bool output_allowed(const wchar_t* path, const wchar_t* option) {
    int error = path ? output_file_check(path) : 0;
    if (error)
        print_open_failure(path, error, option);
    return error == 0;
}

static bool open_output(OutputFile* o, const wchar_t* path, const wchar_t* option) {
    if (!path || output_file_open(o, path))
        return true;
    print_open_failure(path, errno, option);
    return false;
}

// Everything a run needs is checked (the files' places, the capture driver)
// before any file is created, so a run that cannot start leaves the user's
// files as they were and no new ones.
static bool open_outputs(const ConsoleRun* run, RunOutputs* o) {
    *o = RunOutputs{};
    if (!output_allowed(run->csv_path, L"--csv") ||
        !output_allowed(run->usb_save_path, L"--usb-save") ||
        !output_allowed(run->json_path, L"--json"))
        return false;
    if (run->usb || run->usb_save_path) {
        static UsbSession session;
        static char error[512];
        if (!usb_session_open(&session, run->usb_save_path != NULL, error, sizeof error)) {
            wchar_t wide[sizeof error];
            utf8_to_wide(error, wide, sizeof error);
            print_error(L"%ls", wide);
            return false;
        }
        o->usb = &session;
    }
    if (!open_output(&o->csv, run->csv_path, L"--csv") ||
        !open_output(&o->usb_save, run->usb_save_path, L"--usb-save") ||
        !json_output_open(&o->json, run->json_path)) {
        close_outputs(o);
        return false;
    }
    if (o->csv.f && !write_arrival_csv_header(o->csv.f))
        o->csv_error = errno ? errno : EIO;
    return true;
}

static void announce_device(FILE* out, int slot) {
    char line[192];
    format_device_line(line, sizeof line, slot);
    write_utf8(out, line);
    reception_read_throttle(&s_run);
    if (s_run.throttle.applies) {
        static char warning[512];
        format_throttle_warning(warning, sizeof warning, &s_run.throttle_settings, &s_run.throttle);
        write_utf8(out, warning);
    }
}

// The hidden window (timers and wake-ups) made, the run started and the
// reader reading; null (the reason printed) when it cannot be.
static HWND start_measuring(FILE* out, double run_seconds) {
    HWND hwnd = create_hidden_window();
    if (!hwnd) {
        write_line(out, TX_NO_HIDDEN_WINDOW);
        return NULL;
    }
    DWORD error = 0;
    if (!reader_start(&s_run, NULL, &error)) {
        char line[128];
        snprintf(line, sizeof line, tx(TX_REGISTER_FAILED), (unsigned long)error);
        write_utf8(out, line);
        write_utf8(out, "\n");
        destroy_hidden_window(hwnd);
        return NULL;
    }
    reception_start_run(&s_run);  // the reader ignores reports until measuring is on
    run_set_measuring(&s_run, true);
    g_console_run.store(1, std::memory_order_relaxed);
    ResetEvent(run_ended_event());
    s_run_window.store(hwnd);
    SetConsoleCtrlHandler(console_ctrl, TRUE);
    SetTimer(hwnd, kStatusTimer, kStatusPeriodMs, NULL);
    arm_time_limit(hwnd, run_seconds);
    return hwnd;
}

static void stop_measuring(FILE* out, int slot, RunOutputs* o) {
    reader_stop();
    run_set_measuring(&s_run, false);
    print_status_line();  // the last, whatever ended the run: it counts every report
    write_utf8(out, "\n");
    reception_sample_clock(&s_run);
    StatsReadings r;
    stats_read(display_stats(&s_run), &r);
    char line[192];
    format_background_line(line, sizeof line, &r, s_run.records[0].throttle_period_us);
    write_utf8(out, line);
    print_summary(out, slot, o);
    // A summary of zeros reads like a measurement; this says there was none
    // (clicks alone, the hand still, may have no interval short enough).
    if (r.report_count == 0 && !buttons_used(&o->b))
        write_line(out, TX_NO_REPORTS);
}

// Everything after the summary; a close event's handler waits for its end.
static int finish_run(const ConsoleRun* run, RunOutputs* o, HWND hwnd, int slot, FILE* out) {
    int result = 0;
    // The CSV first: it is on disk already and needs only its rename, while
    // writing a large capture may outlast what a close event waits for. The
    // JSON is built after it, as memory running out there ends the program,
    // and written before the capture for the same reason as the CSV.
    if (run->csv_path && finish_csv(o) != 0)
        result = 1;
    report_json(o, slot);
    if (o->usb) {
        usb_session_close(o->usb);
        print_layers(out, o->usb, slot, o->json.report);
    }
    if (json_output_finish(&o->json, 0) != 0)
        result = 1;
    if (o->usb && run->usb_save_path && finish_usb_save(o->usb, &o->usb_save) != 0)
        result = 1;
    s_run_window.store(NULL);
    arrival_view_release(&s_view);
    destroy_hidden_window(hwnd);
    s_outputs = NULL;
    report_clock_free(&s_clock);
    close_outputs(o);
    run_free(&s_run);
    result = finish_output(out, result);
    SetEvent(run_ended_event());
    SetConsoleCtrlHandler(console_ctrl, FALSE);
    return result;
}

int run_console_with(const ConsoleRun* run) {
    FILE* out = console_stream();
    enumerate_mice();
    if (g_nri == 0) {
        write_line(out, TX_NO_MOUSE);
        return 1;
    }
    int slot = console_choose_slot(run->device_index);
    note_index(run->device_arg, slot);
    run_init(&s_run, (double)counter_frequency());
    run_set_chatter_ms(&s_run, run->chatter_ms);
    s_run.chosen_slot = slot;
    announce_device(out, slot);
    RunOutputs o;
    if (!open_outputs(run, &o)) {
        run_free(&s_run);
        return 1;
    }
    write_line(out, TX_MOVE_TO_MEASURE);
    write_utf8(out, "\n");
    report_clock_init(&s_clock);
    arrival_clock_feed_init(&o.clock_feed, slot);
    s_outputs = &o;
    HWND hwnd = start_measuring(out, run->run_seconds);
    if (!hwnd) {
        s_outputs = NULL;
        report_clock_free(&s_clock);
        close_outputs(&o);
        run_free(&s_run);
        return 1;
    }
    message_loop(o.usb);
    stop_measuring(out, slot, &o);
    return finish_run(run, &o, hwnd, slot, out);
}
