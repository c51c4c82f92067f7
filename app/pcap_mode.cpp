// The --pcap front end: opens the file, streams it through the capture
// analysis and prints the report or a one-line error as UTF-8.
#include "app/pcap_mode.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "app/json_out.h"
#include "app/text_out.h"
#include "core/captures/capture_file.h"
#include "core/views/capture_file_report.h"
#include "core/views/texts.h"
#include "core/captures/usbpcap_record.h"
#include "core/views/wide_text.h"
#include "platform/c_library.h"
#include "platform/output_file.h"

// Prints the report, or the error it holds, or says that it could not be
// composed whole.
static void print_text(FILE* out, const WideText* text, bool is_error) {
    if (text->failed)
        print_error(L"%ls", txw(TX_PCAP_NO_MEMORY));
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
    int error;         // errno when a line could not be written
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
                c->transfer == USBPCAP_TRANSFER_BULK ? "bulk" : "interrupt") < 0) {
        csv->failed = true;
        csv->error = errno ? errno : EIO;  // now: later calls may change errno
    }
}

// Every output's place is checked before any file is created, so a run that
// cannot start leaves no file behind, not even a partial one.
static bool outputs_allowed(const wchar_t* csv_path, const wchar_t* json_path) {
    const wchar_t* const paths[] = {csv_path, json_path};
    const wchar_t* const options[] = {L"--csv", L"--json"};
    for (int i = 0; i < 2; i++) {
        const int error = paths[i] ? output_file_check(paths[i]) : 0;
        if (error) {
            print_open_failure(paths[i], error, options[i]);
            return false;
        }
    }
    return true;
}

// Opens the CSV under its partial name and writes its header; false with
// errno set when it cannot be created.
static bool open_csv(CompletionCsv* csv, OutputFile* file, const wchar_t* csv_path) {
    if (!csv_path)
        return true;
    if (!output_file_open(file, csv_path))
        return false;
    csv->f = file->f;
    fputs("t_us,bus,device,endpoint,interval_us,transfer\n", csv->f);
    return true;
}

// The CSV takes the target's place only after a whole analysis; otherwise it goes.
static int finish_csv(CompletionCsv* csv, OutputFile* file, int result) {
    if (!csv->f)
        return result;
    if (result != 0 || csv->failed) {
        output_file_discard(file);
        return csv->failed ? print_write_failure(L"", file->target, csv->error) : result;
    }
    if (output_file_commit(file))
        return result;
    int error = errno;
    file_remove(file->partial);
    return print_write_failure(L"", file->target, error);
}

// The analysis's figures for --json: a capture says nothing of the machine.
static void report_json(JsonOutput* json, const CaptureFileAnalysis* a, const wchar_t* path) {
    const JsonConditions unknown = {};
    JsonReport* j = json_output_report(json, "pcap", &unknown);
    char file[OUTPUT_FILE_PATH_CHARS * 3];
    path_utf8(path, file, sizeof file);
    if (j)
        json_report_capture(j, a, file);
}

// The analysis of an open file, as text (and JSON); the exit code.
static int analyse_to_text(FILE* f, CompletionCsv* csv, JsonOutput* json, const wchar_t* path,
                           WideText* text) {
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
        report_json(json, a, path);
    } else {
        format_capture_file_error(a, path, text);
        result = 1;
    }
    capture_analysis_free(a);
    free(a);
    return text->failed ? 1 : result;
}

int run_pcap(const wchar_t* path, FILE* out, const wchar_t* csv_path, const wchar_t* json_path) {
    FILE* f = file_open_read(path);
    if (!f)
        return print_open_failure(path, errno, NULL);
    if (!outputs_allowed(csv_path, json_path)) {
        fclose(f);
        return 1;
    }
    CompletionCsv csv = {NULL, -1, false, 0};
    OutputFile file = {};
    if (!open_csv(&csv, &file, csv_path)) {
        const int err = errno;
        fclose(f);
        return print_open_failure(csv_path, err, L"--csv");
    }
    JsonOutput json;
    if (!json_output_open(&json, json_path)) {
        output_file_discard(&file);
        fclose(f);
        return 1;
    }
    WideText text = {};
    int result = analyse_to_text(f, &csv, &json, path, &text);
    fclose(f);
    print_text(out, &text, result != 0);
    wide_text_free(&text);
    return finish_output(out, json_output_finish(&json, finish_csv(&csv, &file, result)));
}
