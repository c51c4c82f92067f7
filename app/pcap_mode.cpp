// The --pcap front end: opens the file, streams it through the capture
// analysis and prints the report or a one-line error as UTF-8.
#include "app/pcap_mode.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "app/text_out.h"
#include "core/capture_file.h"

// Prints text, or says that it could not be composed whole.
static void print_text(FILE* out, const WideText* text) {
    if (text->failed) {
        print_wide_utf8(out, L"Error: out of memory.\n");
        return;
    }
    if (text->data)
        print_wide_utf8(out, text->data);
}

int run_pcap(const wchar_t* path, FILE* out) {
    WideText text = {};
    FILE* f = _wfopen(path, L"rb");
    if (!f) {
        wide_text_appendf(&text, L"Error: cannot open %ls (%hs).\n", path, strerror(errno));
        print_text(out, &text);
        wide_text_free(&text);
        return 1;
    }
    CaptureSource src = capture_source_of_file(f);
    CaptureFileAnalysis* a = (CaptureFileAnalysis*)malloc(sizeof *a);
    if (!a) {
        fclose(f);
        print_wide_utf8(out, L"Error: out of memory.\n");
        return 1;
    }
    analyse_capture(&src, a);
    fclose(f);
    int result = 0;
    if (a->status == CAPTURE_FILE_OK) {
        format_capture_file_report(a, path, &text);
    } else {
        format_capture_file_error(a, path, &text);
        result = 1;
    }
    free(a);
    print_text(out, &text);
    if (text.failed)
        result = 1;
    wide_text_free(&text);
    return result;
}
