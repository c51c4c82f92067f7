// The offline comparison: the capture's interrupt-IN completion times are kept
// once, in the analysis's endpoint table; the program's report times come from
// the CSV's utc_us column (one slot's rows, or all); the endpoint is the one
// named, or the one whose reports the program received (the highest score).
#include "app/compare_mode.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <algorithm>

#include "app/text_out.h"
#include "core/capture_file.h"
#include "core/capture_file_report.h"
#include "core/layer_compare.h"
#include "core/program_csv.h"
#include "core/usbpcap_record.h"

// As many completion times as the live --usb capture keeps.
static const uint64_t kCompareMaxTimes = 1 << 25;

struct CompareRun {
    const wchar_t* capture_path;
    const wchar_t* csv_path;
    const wchar_t* endpoint;  // null: the best
    int slot;
    FILE* out;
    CaptureFileAnalysis* analysis;
    ProgramCsv csv;
};

static int fail(FILE* out, const wchar_t* fmt, const wchar_t* a, const char* b = "") {
    wchar_t line[1200];
    swprintf(line, 1200, fmt, a, b);
    print_wide_utf8(out, line);
    return 1;
}

static bool analyse_file(CompareRun* r, int* result) {
    FILE* f = _wfopen(r->capture_path, L"rb");
    if (!f) {
        *result = fail(r->out, L"Error: cannot open %ls (%hs).\n", r->capture_path, strerror(errno));
        return false;
    }
    CaptureSource src = capture_source_of_file(f);
    src.keep_times = kCompareMaxTimes;
    analyse_capture(&src, r->analysis);
    fclose(f);
    if (r->analysis->status == CAPTURE_FILE_OK)
        return true;
    WideText text = {};
    format_capture_file_error(r->analysis, r->capture_path, &text);
    if (text.data)
        print_wide_utf8(r->out, text.data);
    wide_text_free(&text);
    *result = 1;
    return false;
}

// "slots 1, 2" for the rows the CSV has.
static void slots_text(uint64_t seen, char* out, size_t cap) {
    size_t used = 0;
    out[0] = 0;
    for (int s = 0; s < PROGRAM_CSV_SLOTS && used + 8 < cap; s++) {
        if (seen & ((uint64_t)1 << s))
            used += (size_t)snprintf(out + used, cap - used, used ? ", %d" : "%d", s);
    }
}

static bool read_csv(CompareRun* r, int* result) {
    FILE* f = _wfopen(r->csv_path, L"rb");
    if (!f) {
        *result = fail(r->out, L"Error: cannot open %ls (%hs).\n", r->csv_path, strerror(errno));
        return false;
    }
    const bool read = program_csv_read(f, &r->csv);
    fclose(f);
    *result = 1;
    wchar_t line[1400];
    if (!read && r->csv.error_line)
        swprintf(line, 1400, L"%ls:%llu: %hs\n", r->csv_path,
                 (unsigned long long)r->csv.error_line, r->csv.error);
    else if (!read)
        swprintf(line, 1400, L"Error: %ls cannot be compared: %hs.\n", r->csv_path, r->csv.error);
    else if (r->csv.rows == 0)
        swprintf(line, 1400, L"Error: %ls holds no reports.\n", r->csv_path);
    else if (r->csv.count == 0) {
        char slots[400];
        slots_text(r->csv.slots_seen, slots, sizeof slots);
        swprintf(line, 1400, L"Error: %ls has no rows of slot %d (its rows are of slot %hs).\n",
                 r->csv_path, r->slot, slots);
    } else
        return true;
    print_wide_utf8(r->out, line);
    return false;
}

// The named endpoint's entry, when it kept interrupt-IN times.
static const UsbEndpoint* named_endpoint(const UsbEndpointTable* t, const wchar_t* named, bool* bad) {
    char text[USB_ENDPOINT_NAME_BYTES + 8];
    size_t i = 0;
    for (; named[i] && i + 1 < sizeof text; i++)
        text[i] = named[i] < 128 ? (char)named[i] : '?';
    text[i] = 0;
    uint16_t bus, device;
    uint8_t endpoint;
    *bad = named[i] != 0 || !parse_endpoint_name(text, &bus, &device, &endpoint);
    for (int k = 0; !*bad && k < t->count; k++) {
        const UsbEndpoint* e = &t->slot[k];
        if (e->bus == bus && e->device == device && e->endpoint == endpoint && e->time_count)
            return e;
    }
    return NULL;
}

static const UsbEndpoint* chosen_endpoint(CompareRun* r, int* result) {
    const UsbEndpointTable* t = &r->analysis->endpoints;
    if (!r->endpoint) {
        const UsbEndpoint* e = usb_endpoints_best(t, r->csv.times, r->csv.count);
        if (!e)
            *result = fail(r->out, L"No endpoint of the capture matches the program's reports: none "
                                   L"has a report in the 2 ms before any of them.%ls%hs\n", L"");
        return e;
    }
    bool bad;
    const UsbEndpoint* e = named_endpoint(t, r->endpoint, &bad);
    if (bad)
        *result = fail(r->out, L"Error: %ls is not an endpoint like 1.3.0x81.%hs\n", r->endpoint);
    else if (!e)
        *result = fail(r->out, L"Error: endpoint %ls has no interrupt-IN reports in the capture.%hs\n",
                       r->endpoint);
    return e;
}

static int compare_endpoint(CompareRun* r, const UsbEndpoint* e) {
    LayerComparison c;
    compare_layers(e->times, e->time_count, r->csv.times, r->csv.count, &c);
    if (!c.overlap)
        return fail(r->out, L"Error: %ls and the capture do not overlap in time.%hs\n", r->csv_path);
    if (c.failed)
        return fail(r->out, L"Error: out of memory.%ls%hs\n", L"");
    char name[USB_ENDPOINT_NAME_BYTES];
    format_endpoint_name(name, e->bus, e->device, e->endpoint);
    static char text[2048];
    text[0] = 0;
    format_comparison(text, sizeof text, name, &c);
    write_utf8(r->out, text);
    if (r->analysis->endpoints.times_full)
        write_utf8(r->out, "USB layer: the capture holds more interrupt-IN reports than the comparison "
                           "keeps; later ones were not compared.\n");
    return 0;
}

static int compare_files(CompareRun* r) {
    int result = 1;
    if (!analyse_file(r, &result) || !read_csv(r, &result))
        return result;
    std::sort(r->csv.times, r->csv.times + r->csv.count);
    usb_endpoints_sort_times(&r->analysis->endpoints);
    const UsbEndpoint* e = chosen_endpoint(r, &result);
    return e ? compare_endpoint(r, e) : result;
}

int run_compare(const wchar_t* capture_path, const wchar_t* csv_path, const wchar_t* endpoint,
                int slot, FILE* out) {
    if (!capture_path || !csv_path)
        return fail(out, L"Error: --compare needs a capture file and a CSV file.%ls%hs\n", L"");
    CompareRun r = {capture_path, csv_path, endpoint, slot, out, NULL, {}};
    r.analysis = (CaptureFileAnalysis*)calloc(1, sizeof *r.analysis);
    if (!r.analysis)
        return fail(out, L"Error: out of memory.%ls%hs\n", L"");
    program_csv_init(&r.csv, slot);
    const int result = compare_files(&r);
    capture_analysis_free(r.analysis);
    free(r.analysis);
    program_csv_free(&r.csv);
    return result;
}
