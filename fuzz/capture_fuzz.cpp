// libFuzzer target for the capture code: arbitrary bytes, split into arbitrary
// chunks, go through the live stream path (header check, record walk, report)
// and through the offline file reader.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "core/captures/capture_file.h"
#include "core/captures/capture_headline.h"
#include "core/views/capture_file_report.h"
#include "core/captures/capture_stream.h"
#include "core/captures/usbpcap_count.h"

struct FuzzFile {
    const uint8_t* data;
    size_t size;
    size_t at;
    size_t chunk;
};

static size_t read_fuzz(void* ctx, uint8_t* buf, size_t n) {
    FuzzFile* f = (FuzzFile*)ctx;
    size_t k = f->size - f->at;
    if (k > n)
        k = n;
    if (k > f->chunk)
        k = f->chunk;
    if (k)
        memcpy(buf, f->data + f->at, k);
    f->at += k;
    return k;
}

static void count_record(void* ctx, const uint8_t*, uint64_t bytes) { *(uint64_t*)ctx += bytes; }
static void count_completion(void* ctx, const InCompletion* c) { *(uint64_t*)ctx += (uint64_t)c->endpoint; }

static void fuzz_stream(const uint8_t* data, size_t size, size_t chunk) {
    uint64_t seen = 0;
    GrowBuf buf = {};
    static UsbEndpointTable endpoints;  // large: not on the stack
    usb_endpoints_init(&endpoints, 4096);
    endpoints.no_clocks = true;  // as the live capture's
    UsbPcapCounter live, diagnostic;
    usbpcap_counter_init(&live);
    live.on_completion = count_completion;
    live.completion_ctx = &seen;
    usbpcap_counter_init(&diagnostic);
    bool accepted = false;
    for (size_t at = 0; at < size; at += chunk) {
        size_t n = size - at < chunk ? size - at : chunk;
        gb_append(&buf, data + at, n);
        if (!accepted) {
            HeaderCheck c = check_global_header(&buf);
            if (c.result != HEADER_PENDING && c.result != HEADER_ACCEPTED)
                break;
            accepted = c.result == HEADER_ACCEPTED;
        }
        if (accepted) {
            // The live capture's walk first, on a copy: both must survive any bytes.
            GrowBuf copy = {};
            gb_append(&copy, buf.data, buf.len);
            usbpcap_count_stream(&copy, &live, &endpoints, count_record, &seen);
            gb_free(&copy);
            usbpcap_count_stream(&buf, &diagnostic, NULL, NULL, NULL);
        }
    }
    CaptureHeadline headline;
    capture_headline_of(&endpoints, NULL, &headline);
    static wchar_t report[CAPTURE_REPORT_UNITS];
    format_capture_headline(&diagnostic.tally, &headline, L"3 s", report);
    gb_free(&buf);
    usb_endpoints_free(&endpoints);
}

static void fuzz_file(const uint8_t* data, size_t size, size_t chunk, bool size_known) {
    static CaptureFileAnalysis analysis;
    WideText text = {};
    FuzzFile f = {data, size, 0, chunk};
    CaptureSource src = {read_fuzz, &f, size_known ? size : UINT64_MAX, 64 + chunk, NULL, NULL,
                         size_known ? 4096u : 0u};
    analyse_capture(&src, &analysis);
    if (analysis.status == CAPTURE_FILE_OK)
        format_capture_file_report(&analysis, L"fuzz", &text);
    else
        format_capture_file_error(&analysis, L"fuzz", &text);
    wide_text_free(&text);
    capture_analysis_free(&analysis);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    // The first byte picks the chunk size, so splits are explored too.
    size_t chunk = 1 + data[0] * 7u;
    bool size_known = data[0] & 1;
    data++;
    size--;
    fuzz_stream(data, size, chunk);
    fuzz_file(data, size, chunk, size_known);
    return 0;
}
