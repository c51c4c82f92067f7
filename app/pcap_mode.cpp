// The --pcap front end: opens the file, streams it through the capture
// analysis and prints the report or a one-line error as UTF-8.
#include "app/pcap_mode.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "app/text_out.h"
#include "capture/capture_file.h"

static size_t read_file(void* ctx, uint8_t* buf, size_t n) {
    FILE* f = (FILE*)ctx;
    size_t got = fread(buf, 1, n, f);
    if (got == 0 && ferror(f))
        return (size_t)-1;
    return got;
}

static uint64_t file_size(FILE* f) {
    if (_fseeki64(f, 0, SEEK_END) != 0)
        return UINT64_MAX;
    long long size = _ftelli64(f);
    if (_fseeki64(f, 0, SEEK_SET) != 0 || size < 0)
        return UINT64_MAX;
    return (uint64_t)size;
}

int run_pcap(const wchar_t* path, FILE* out) {
    enum { TEXT_UNITS = 4096 };
    static wchar_t text[TEXT_UNITS];
    FILE* f = _wfopen(path, L"rb");
    if (!f) {
        swprintf(text, TEXT_UNITS, L"Error: cannot open %ls (%hs).\n", path, strerror(errno));
        print_wide_utf8(out, text);
        return 1;
    }
    CaptureSource src = {read_file, f, file_size(f), 0};
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
        format_capture_file_report(a, path, text, TEXT_UNITS);
    } else {
        format_capture_file_error(a, path, text, TEXT_UNITS);
        result = 1;
    }
    free(a);
    print_wide_utf8(out, text);
    return result;
}
