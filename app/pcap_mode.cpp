// The --pcap front end: opens the file, streams it through the capture
// analysis and prints the report or a one-line error as UTF-8.
#include "app/pcap_mode.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "app/text_out.h"
#include "core/capture_file.h"
#include "core/capture_file_report.h"
#include "core/usbpcap_record.h"

// Prints the report, or the error it holds, or says that it could not be
// composed whole.
static void print_text(FILE* out, const WideText* text, bool is_error) {
    if (text->failed)
        print_error(L"out of memory for the report; close other programs and try again.");
    else if (is_error && text->data)
        print_error(L"%ls", text->data);
    else if (text->data)
        print_wide_utf8(out, text->data);
}

// --csv: one line per interrupt-IN or bulk-IN completion with data, written
// as the walk meets them.
struct CompletionCsv {
    FILE* f;
    int64_t first_us;  // -1 until the first line
    bool failed;
};

static void write_completion(void* ctx, const InCompletion* c) {
    CompletionCsv* csv = (CompletionCsv*)ctx;
    if (csv->failed)
        return;
    if (csv->first_us < 0)
        csv->first_us = c->ts_us;
    char interval[24] = "";
    if (c->interval_us >= 0)
        snprintf(interval, sizeof interval, "%lld", (long long)c->interval_us);
    if (fprintf(csv->f, "%lld,%u,%u,0x%02X,%s,%s\n", (long long)(c->ts_us - csv->first_us),
                (unsigned)c->bus, (unsigned)c->device, (unsigned)c->endpoint, interval,
                c->transfer == USBPCAP_TRANSFER_BULK ? "bulk" : "interrupt") < 0)
        csv->failed = true;
}

// A file that cannot be opened (read) or created (written): which, why, what to do.
static int fail_open(const wchar_t* path, bool writing) {
    wchar_t why[200];
    describe_open_failure(path, errno, writing, why, 200);
    if (writing)
        return print_error(L"cannot create %.500ls for --csv: %ls.", path, why);
    return print_error(L"cannot open %.500ls: %ls.", path, why);
}

// Opens the CSV and writes its header; false when it cannot be created.
static bool open_csv(CompletionCsv* csv, const wchar_t* csv_path) {
    if (!csv_path)
        return true;
    csv->f = _wfopen(csv_path, L"wb");
    if (!csv->f)
        return false;
    fputs("t_us,bus,device,endpoint,interval_us,transfer\n", csv->f);
    return true;
}

// The analysis of an open file, as text; the exit code.
static int analyse_to_text(FILE* f, CompletionCsv* csv, const wchar_t* path, WideText* text) {
    CaptureSource src = capture_source_of_file(f);
    if (csv->f) {
        src.on_completion = write_completion;
        src.completion_ctx = csv;
    }
    CaptureFileAnalysis* a = (CaptureFileAnalysis*)malloc(sizeof *a);
    if (!a) {
        text->failed = true;
        return 1;
    }
    analyse_capture(&src, a);
    int result = 0;
    if (a->status == CAPTURE_FILE_OK) {
        format_capture_file_report(a, path, text);
    } else {
        format_capture_file_error(a, path, text);
        result = 1;
    }
    capture_analysis_free(a);
    free(a);
    return text->failed ? 1 : result;
}

int run_pcap(const wchar_t* path, FILE* out, const wchar_t* csv_path) {
    FILE* f = _wfopen(path, L"rb");
    if (!f)
        return fail_open(path, false);
    CompletionCsv csv = {NULL, -1, false};
    if (!open_csv(&csv, csv_path)) {
        const int err = errno;
        fclose(f);
        errno = err;
        return fail_open(csv_path, true);
    }
    WideText text = {};
    int result = analyse_to_text(f, &csv, path, &text);
    fclose(f);
    print_text(out, &text, result != 0);
    wide_text_free(&text);
    if (csv.f && (fclose(csv.f) != 0 || csv.failed))
        return print_error(L"writing %.500ls failed (%hs): check the free space of its drive.",
                           csv_path, strerror(errno));
    return result;
}
