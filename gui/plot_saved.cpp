// A saved run's window. Its reading thread replays the CSV through
// core/runs/run_csv into the run's own record and report clock and appends each row
// to the run's own arrival log (bounded as the live one: a longer file keeps
// its last 14 million or so reports there, and the summary says the dots
// reach back only so far, while every figure covers the whole file). When it
// is done the window starts its builder on that log with the clock of the
// whole file, and paints the record as it paints the live one's. The first
// row's UTC time, read before the replay, dates the run's saved pictures.
#include "gui/plot_saved.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include <atomic>
#include <new>

#include "core/heap.h"
#include "core/runs/csv_tokenizer.h"
#include "core/runs/run_csv.h"
#include "core/version.h"
#include "core/views/texts.h"
#include "gui/plot_builder.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"

struct SavedRun {
    PlotWin win;
    PlotView view;
    wchar_t status[PLOT_STATUS_CHARS];
    PlotBuilder builder;
    RunCsv run;  // the saved run read back, with its log
    ReportClockFigures clock;  // of the whole file
    wchar_t path[MAX_PATH];
    HANDLE reader;
    std::atomic<bool> cancel;
    int open_error;  // errno's value when the file could not be opened
    bool read;       // the whole file was read without fault: the window shows it
    // The first row's UTC time, written by the reader before the replay and
    // read by "save picture" on the window's thread at any time: dated is
    // set after first_utc_us, so a reader that sees it sees the time too.
    std::atomic<bool> dated;
    int64_t first_utc_us;
};

static int s_held;

static const wchar_t* file_name_of(const wchar_t* path) {
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; p++) {
        if (*p == L'\\' || *p == L'/')
            name = p + 1;
    }
    return name;
}

int plot_saved_count(void) { return s_held; }

DeviceStats* plot_saved_record(SavedRun* s) { return s->read ? s->run.rec : NULL; }

const wchar_t* plot_saved_name(const SavedRun* s) { return file_name_of(s->path); }

bool plot_saved_first_utc(const SavedRun* s, int64_t* utc_us) {
    if (!s->dated.load(std::memory_order_acquire))
        return false;
    *utc_us = s->first_utc_us;
    return true;
}

static SavedRun* saved_new(const wchar_t* path) {
    void* block = heap_alloc(sizeof(SavedRun));
    if (!block)
        return NULL;
    SavedRun* s = new (block) SavedRun();
    s->view = PlotView{true, 0, 0, false, 0, 0, PLOT_INTERVALS};
    s->win.view = &s->view;
    s->win.status = s->status;
    s->win.builder = &s->builder;
    s->win.saved = s;
    wcsncpy(s->path, path, MAX_PATH - 1);
    run_csv_init(&s->run, 0, true);
    s_held++;
    if (!s->run.run) {
        plot_saved_free(s);
        return NULL;
    }
    s->win.run = s->run.run;
    s->win.log = &s->run.run->log;
    return s;
}

void plot_saved_free(SavedRun* s) {
    run_csv_free(&s->run);
    s->~SavedRun();
    heap_free(s);
    s_held--;
}

// The utc_us of a CSV's first row, as its header names the column.
struct FirstUtc {
    int column;  // -1 until the header names it
    bool header_done, found;
    int64_t utc_us;
};

static bool first_utc_field(void* reader, const CsvField* f) {
    FirstUtc* u = (FirstUtc*)reader;
    if (!u->header_done && strcmp(f->text, "utc_us") == 0)
        u->column = f->index;
    else if (u->header_done && f->index == u->column)
        u->found = csv_whole_number(f->text, f->len, 1, INT64_MAX, &u->utc_us);
    return true;
}

// Enough after the first row; at once without the column.
static bool first_utc_row(void* reader, int, uint64_t) {
    FirstUtc* u = (FirstUtc*)reader;
    const bool header = !u->header_done;
    u->header_done = true;
    return header && u->column >= 0;
}

static void first_utc_fail(void*, uint64_t, const char*) {}

// The first row's UTC time from the file's first lines; the file is read
// from its start again after.
static void read_first_utc(SavedRun* s, FILE* f) {
    static const CsvSink sink = {first_utc_field, first_utc_row, first_utc_fail};
    FirstUtc u = {-1, false, false, 0};
    CsvTokenizer t = {};
    char chunk[4096];
    for (size_t got, total = 0; total < CSV_LINE_BYTES * 2 && (got = fread(chunk, 1, sizeof chunk, f)) > 0;
         total += got) {
        if (!csv_feed(&t, &sink, &u, chunk, got))
            break;
    }
    s->first_utc_us = u.utc_us;
    s->dated.store(u.found, std::memory_order_release);
    rewind(f);
}

// The file through the replay, a chunk at a time, until it ends, fails or
// the window closes.
static void read_file(SavedRun* s, FILE* f) {
    if (run_csv_read(f, &s->run, &s->cancel))
        report_clock_finish(&s->run.clock, &s->clock);
}

static DWORD WINAPI reader_main(void* param) {
    SavedRun* s = (SavedRun*)param;
    FILE* f = _wfopen(s->path, L"rb");
    if (f) {
        read_first_utc(s, f);
        read_file(s, f);
        fclose(f);
    } else {
        s->open_error = errno;
    }
    PostMessageW(s->win.hwnd, WM_PLOT_LOADED, 0, 0);
    return 0;
}

bool plot_saved_start(SavedRun* s) {
    s->reader = CreateThread(NULL, 0, reader_main, s, 0, NULL);
    return s->reader != NULL;
}

static void join_reader(SavedRun* s) {
    if (!s->reader)
        return;
    WaitForSingleObject(s->reader, INFINITE);
    CloseHandle(s->reader);
    s->reader = NULL;
}

void plot_saved_stop(SavedRun* s) {
    s->cancel.store(true);
    join_reader(s);
    plot_builder_stop(&s->builder);
}

// Why the file cannot be shown, as the error box says it; false when it can.
static bool why_not(const SavedRun* s, wchar_t* text, size_t cap) {
    const RunCsv* c = &s->run;
    // The error quotes the file's own bytes: UTF-8 when the file is, and
    // U+FFFD for whatever is not (no code point takes more units than bytes).
    wchar_t error[RUN_CSV_ERROR_BYTES];
    if (!MultiByteToWideChar(CP_UTF8, 0, c->error, -1, error, RUN_CSV_ERROR_BYTES))
        error[0] = 0;
    if (s->open_error)
        swprintf(text, cap, txw(TX_PLOT_CSV_OPEN_FAILED), s->path, strerror(s->open_error));
    else if (c->failed && c->error_line)
        swprintf(text, cap, txw(TX_PLOT_CSV_READ_FAILED_AT), s->path, (unsigned long long)c->error_line, error);
    else if (c->failed)
        swprintf(text, cap, txw(TX_PLOT_CSV_READ_FAILED), s->path, error);
    else if (c->rows == 0)
        swprintf(text, cap, txw(TX_PLOT_CSV_EMPTY), s->path);
    else
        return false;
    return true;
}

void plot_saved_on_loaded(PlotWin* w) {
    SavedRun* s = w->saved;
    join_reader(s);
    wchar_t text[MAX_PATH + RUN_CSV_ERROR_BYTES + 80];
    if (!why_not(s, text, sizeof text / sizeof text[0])) {
        if (plot_builder_start(&s->builder, w->hwnd, w->log, &s->clock)) {
            s->read = true;
            swprintf(text, sizeof text / sizeof text[0], txw(TX_PLOT_CSV_READ), (unsigned long long)s->run.rows,
                     s->path);
            plot_set_status(w, text);
            return;
        }
        wcscpy(text, txw(TX_PLOT_WINDOW_FAILED));
    }
    HWND owner = GetWindow(w->hwnd, GW_OWNER);
    DestroyWindow(w->hwnd);  // frees s
    message_box(owner, text, txw(TX_PLOT_ERROR), MB_OK | MB_ICONERROR);
}

// The Open dialog's filter: pairs of a name and its pattern, each ended by a
// 0, the list by another.
static void csv_filter(wchar_t* out, size_t cap) {
    const wchar_t* parts[] = {L"CSV (*.csv)", L"*.csv", txw(TX_PLOT_ALL_FILES), L"*.*"};
    size_t n = 0;
    for (const wchar_t* part : parts) {
        const size_t len = wcslen(part);
        if (n + len + 2 > cap)
            break;
        wmemcpy(out + n, part, len + 1);
        n += len + 1;
    }
    out[n] = 0;
}

// Whether another saved run may be opened; if not, from's status line says so.
static bool room_for_one(PlotWin* from) {
    if (s_held < PLOT_SAVED_MOST)
        return true;
    wchar_t text[120];
    swprintf(text, 120, txw(TX_PLOT_SAVED_FULL), (int)PLOT_SAVED_MOST);
    plot_set_status(from, text);
    return false;
}

// The new window's owner is the one that owns from (the main window), so
// that closing the live plot leaves the saved ones open. The room is counted
// again after the dialog: the other windows stay usable while it is up, and
// their own Open dialogs may have filled it meanwhile.
void plot_saved_open(PlotWin* from, PlotWindowMaker make) {
    if (!room_for_one(from))
        return;
    wchar_t path[MAX_PATH], title[MAX_PATH + 80], filter[80];
    const HWND hwnd = from->hwnd;
    csv_filter(filter, 80);
    if (!file_dialog_open(hwnd, filter, path, MAX_PATH))
        return;  // cancelled
    // The dialog disables only this window: closing the main window meanwhile
    // destroyed it, and its state with it.
    if (!IsWindow(hwnd) || !room_for_one(from))
        return;
    SavedRun* s = saved_new(path);
    HWND owner = GetWindow(from->hwnd, GW_OWNER);
    if (!s) {
        message_box(from->hwnd, txw(TX_PLOT_SAVED_NO_MEMORY), txw(TX_PLOT_ERROR), MB_OK | MB_ICONERROR);
        return;
    }
    swprintf(s->status, PLOT_STATUS_CHARS, txw(TX_PLOT_READING), path);
    swprintf(title, MAX_PATH + 80, txw(TX_PLOT_SAVED_TITLE), file_name_of(path), QUORVIN_SHORT_NAME);
    if (!make(owner, title, &s->win)) {
        plot_saved_free(s);
        message_box(from->hwnd, txw(TX_PLOT_WINDOW_FAILED), txw(TX_PLOT_ERROR), MB_OK);
    }
}
