// The export thread. It reads the log through its own view
// (ARRIVAL_READER_EXPORT) and stamps UTC with its own copy of the clock map,
// which the window's thread goes on adding to. Slices of rows are small
// enough that a cancel is seen within a few tens of milliseconds, so the
// window waits no longer than that when it closes during an export.
#include "gui/plot_export.h"

#include <errno.h>
#include <stdio.h>
#include <wchar.h>

#include <atomic>

#include "core/runs/arrival_csv.h"
#include "core/runs/arrival_log.h"
#include "platform/output_file.h"

enum { SLICE_ROWS = 1 << 15 };

struct ExportJob {
    HANDLE thread;
    HWND window;
    std::atomic<bool> cancel;
    wchar_t path[MAX_PATH];
    ArrivalLog* log;  // the run's, read through the export's own view
    double freq;
    ClockMap clock;  // the export's own copy
    PlotExportResult result;
};

static ExportJob s_job;

static void post_progress(uint64_t done, uint64_t total, int* shown) {
    const int permille = total ? (int)(done * PLOT_EXPORT_PERMILLE / total) : PLOT_EXPORT_PERMILLE;
    if (permille != *shown)
        PostMessageW(s_job.window, WM_PLOT_EXPORT_PROGRESS, (WPARAM)permille, 0);
    *shown = permille;
}

// The header and the view's rows, a slice at a time.
static PlotExportEnd write_rows(FILE* f, ArrivalCsvCursor* c, ArrivalView* v, int* error) {
    const uint64_t total = arrival_view_count(v);
    int shown = 0;
    if (!write_arrival_csv_header(f)) {
        *error = errno;
        return PLOT_EXPORT_FAILED;
    }
    while (c->next < v->next) {
        if (s_job.cancel.load())
            return PLOT_EXPORT_CANCELLED;
        if (!write_arrival_csv_slice(f, c, v, s_job.freq, &s_job.clock, SLICE_ROWS)) {
            *error = errno;
            return PLOT_EXPORT_FAILED;
        }
        if (v->lost)
            return PLOT_EXPORT_LOST;  // no file with a hole in it
        post_progress(c->next - v->first, total, &shown);
    }
    return PLOT_EXPORT_WRITTEN;
}

// A whole file or none: the partial file is renamed only when every row is in.
static PlotExportResult write_file(ArrivalView* v) {
    PlotExportResult r = {PLOT_EXPORT_FAILED, 0, 0, s_job.path};
    OutputFile file;
    ArrivalCsvCursor cursor = {v->first, 0, 0, 0};
    if (!output_file_open(&file, s_job.path)) {
        r.error = errno;
        return r;
    }
    r.end = write_rows(file.f, &cursor, v, &r.error);
    if (r.end == PLOT_EXPORT_WRITTEN && !output_file_commit(&file)) {
        r.end = PLOT_EXPORT_FAILED;
        r.error = errno;
        _wremove(file.partial);
    }
    output_file_discard(&file);
    r.rows = (long long)cursor.rows;
    return r;
}

static DWORD WINAPI export_main(void*) {
    ArrivalView view;
    arrival_view_take(&view, s_job.log, ARRIVAL_READER_EXPORT);
    s_job.result = write_file(&view);
    arrival_view_release(&view);
    PostMessageW(s_job.window, WM_PLOT_EXPORT_END, 0, 0);
    return 0;
}

bool plot_export_start(HWND window, ArrivalLog* log, const wchar_t* path, double freq,
                       const ClockMap* clock, int* error) {
    plot_export_join();  // an earlier one, should its end not have been seen
    s_job.window = window;
    s_job.cancel.store(false);
    wcsncpy(s_job.path, path, MAX_PATH - 1);
    s_job.path[MAX_PATH - 1] = 0;
    s_job.log = log;
    s_job.freq = freq;
    s_job.clock = *clock;
    s_job.thread = CreateThread(NULL, 0, export_main, NULL, 0, NULL);
    *error = s_job.thread ? 0 : ENOMEM;
    return s_job.thread != NULL;
}

bool plot_export_running(void) { return s_job.thread != NULL; }

void plot_export_cancel(void) { s_job.cancel.store(true); }

PlotExportResult plot_export_join(void) {
    if (s_job.thread) {
        WaitForSingleObject(s_job.thread, INFINITE);
        CloseHandle(s_job.thread);
        s_job.thread = NULL;
    }
    return s_job.result;
}
