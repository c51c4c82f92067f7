// The offline comparison: the capture's interrupt-IN completion times are kept
// once, in the analysis's endpoint table; the program's report times come from
// the CSV's utc_us column (one slot's rows, or all); the endpoint is the one
// named, or the one whose reports the program received (the highest score).
#include "app/compare_mode.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wchar.h>

#include <algorithm>

#include "app/json_out.h"
#include "app/text_out.h"
#include "core/captures/capture_file.h"
#include "core/views/capture_file_report.h"
#include "core/figures/layer_compare.h"
#include "core/views/layer_text.h"
#include "core/runs/program_csv.h"
#include "core/views/text_buf.h"
#include "core/views/texts.h"
#include "core/views/wide_text.h"
#include "core/captures/usbpcap_record.h"
#include "platform/c_library.h"

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
    JsonOutput json;
};

static bool analyse_file(CompareRun* r, int* result) {
    FILE* f = file_open_read(r->capture_path);
    if (!f) {
        *result = print_open_failure(r->capture_path, errno, NULL);
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
    *result = print_error(L"%ls", text.data ? text.data : txw(TX_CMP_NO_MEMORY_CAPTURE));
    wide_text_free(&text);
    return false;
}

// "slots 1, 2" for the rows the CSV has.
static void slots_text(uint64_t seen, char* out, size_t cap) {
    TextBuf t = text_buf(out, cap);
    for (int s = 0; s < PROGRAM_CSV_SLOTS; s++) {
        if (seen & ((uint64_t)1 << s))
            text_appendf(&t, t.len ? ", %d" : "%d", s);
    }
}

static bool read_csv(CompareRun* r, int* result) {
    FILE* f = file_open_read(r->csv_path);
    if (!f) {
        *result = print_open_failure(r->csv_path, errno, NULL);
        return false;
    }
    const bool read = program_csv_read(f, &r->csv);
    fclose(f);
    *result = 1;
    // The reason is UTF-8 in the chosen language: widened for the wide format.
    wchar_t why[sizeof r->csv.error];
    utf8_to_wide(r->csv.error, why, sizeof why / sizeof why[0]);
    if (!read && r->csv.error_line)
        print_error(txw(TX_CMP_CSV_LINE), r->csv_path, (unsigned long long)r->csv.error_line, why);
    else if (!read)
        print_error(txw(TX_CMP_CSV_UNUSABLE), r->csv_path, why);
    else if (r->csv.rows == 0)
        print_error(txw(TX_CMP_CSV_EMPTY), r->csv_path);
    else if (r->csv.count == 0) {
        char slots[400];
        slots_text(r->csv.slots_seen, slots, sizeof slots);
        print_error(txw(TX_CMP_NO_SLOT_ROWS), r->csv_path, r->slot, slots);
    } else
        return true;
    return false;
}

// "2023-11-14 22:13:20.000 UTC" for microseconds on the UTC clock.
static void format_utc(int64_t us, wchar_t* out, size_t cap) {
    const int64_t seconds = us >= 0 ? us / 1000000 : (us - 999999) / 1000000;
    struct tm t;
    if (!utc_calendar(seconds, &t)) {
        swprintf(out, cap, L"%lld us", (long long)us);
        return;
    }
    swprintf(out, cap, L"%04d-%02d-%02d %02d:%02d:%02d.%03d UTC", t.tm_year + 1900, t.tm_mon + 1,
             t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, (int)((us - seconds * 1000000) / 1000));
}

// A CSV of another time than the capture (or its endpoint, named by what):
// both spans, so the user sees which.
static int fail_no_overlap(const CompareRun* r, const wchar_t* what, int64_t from, int64_t to) {
    wchar_t csv_from[40], csv_to[40], usb_from[40], usb_to[40];
    format_utc(r->csv.times[0], csv_from, 40);
    format_utc(r->csv.times[r->csv.count - 1], csv_to, 40);
    format_utc(from, usb_from, 40);
    format_utc(to, usb_to, 40);
    return print_error(txw(TX_CMP_NO_OVERLAP), r->csv_path, what, csv_from, csv_to, what, usb_from,
                       usb_to);
}

static bool spans_overlap(const CompareRun* r) {
    return r->csv.count > 0 && r->csv.times[0] <= r->analysis->last_ts_us &&
           r->csv.times[r->csv.count - 1] >= r->analysis->first_ts_us;
}

// "1.2.0x81, 1.3.0x82": the endpoints a comparison can take.
static void endpoint_list(const UsbEndpointTable* t, wchar_t* out, size_t cap) {
    WideBuf list = text_buf(out, cap);
    for (int k = 0; k < t->count; k++) {
        const UsbEndpoint* e = &t->slot[k];
        if (!e->time_count)
            continue;
        char name[USB_ENDPOINT_NAME_BYTES];
        format_endpoint_name(name, e->bus, e->device, e->endpoint);
        text_appendf(&list, list.len ? L", %hs" : L"%hs", name);
    }
    if (list.len == 0)
        text_appendf(&list, L"%ls", txw(TX_CMP_NONE));
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
        if (!e && !spans_overlap(r))
            *result = fail_no_overlap(r, txw(TX_CMP_THE_CAPTURE), r->analysis->first_ts_us,
                                      r->analysis->last_ts_us);
        else if (!e)
            *result = print_error(L"%ls", txw(TX_CMP_NO_MATCH));
        return e;
    }
    bool bad;
    const UsbEndpoint* e = named_endpoint(t, r->endpoint, &bad);
    if (!e) {
        wchar_t list[600];
        endpoint_list(t, list, 600);
        *result = print_error(bad ? txw(TX_CMP_BAD_ENDPOINT) : txw(TX_CMP_EMPTY_ENDPOINT),
                              r->endpoint, list);
    }
    return e;
}

static int compare_endpoint(CompareRun* r, const UsbEndpoint* e) {
    LayerComparison c;
    compare_layers(e->times, e->time_count, r->csv.times, r->csv.count, &c);
    char name[USB_ENDPOINT_NAME_BYTES];
    format_endpoint_name(name, e->bus, e->device, e->endpoint);
    if (!c.overlap) {
        wchar_t what[USB_ENDPOINT_NAME_BYTES + 32];
        swprintf(what, USB_ENDPOINT_NAME_BYTES + 32, txw(TX_CMP_ENDPOINT), name);
        return fail_no_overlap(r, what, e->times[0], e->times[e->time_count - 1]);
    }
    if (c.failed)
        return print_error(L"%ls", txw(TX_CMP_NO_MEMORY));
    static char text[2048];
    text[0] = 0;
    format_comparison(text, sizeof text, name, &c);
    write_utf8(r->out, text);
    const JsonConditions unknown = {};  // neither file says what Windows ran
    JsonReport* j = json_output_report(&r->json, "compare", &unknown);
    if (j)
        json_report_layers(j, name, &c);
    return 0;
}

// Both sides keep their earliest reports when there are too many, so the
// comparison covers the start of both; said before anything else.
static void note_bounds(const CompareRun* r) {
    if (r->analysis->endpoints.times_full)
        write_utf8(r->out, tx(TX_CMP_USB_BOUND));
    if (r->csv.full)
        write_utf8(r->out, tx(TX_CMP_CSV_BOUND));
}

// A Linux host's capture beside a run whose times it does not overlap: its
// clock is not the run's, so nothing pairs; each layer's figures over its own
// span, side by side. The endpoint is the one named, or the capture's mouse.
static int compare_apart(CompareRun* r) {
    const UsbEndpointTable* t = &r->analysis->endpoints;
    const UsbEndpoint* e = r->analysis->headline.mouse;
    if (r->endpoint) {
        bool bad;
        e = named_endpoint(t, r->endpoint, &bad);
        if (!e) {
            wchar_t list[600];
            endpoint_list(t, list, 600);
            return print_error(bad ? txw(TX_CMP_BAD_ENDPOINT) : txw(TX_CMP_EMPTY_ENDPOINT),
                               r->endpoint, list);
        }
    }
    if (!e || !e->time_count)
        return print_error(L"%ls", txw(TX_CMP_NO_MATCH));
    LayerComparison c;
    compare_layers_apart(e->times, e->time_count, r->csv.times, r->csv.count, &c);
    if (c.failed)
        return print_error(L"%ls", txw(TX_CMP_NO_MEMORY));
    char name[USB_ENDPOINT_NAME_BYTES];
    format_endpoint_name(name, e->bus, e->device, e->endpoint);
    static char text[2048];
    text[0] = 0;
    format_layers_apart(text, sizeof text, name, &c);
    write_utf8(r->out, text);
    const JsonConditions unknown = {};
    JsonReport* j = json_output_report(&r->json, "compare", &unknown);
    if (j)
        json_report_layers_apart(j, name, &c);
    return 0;
}

static int compare_files(CompareRun* r) {
    int result = 1;
    if (!analyse_file(r, &result) || !read_csv(r, &result))
        return result;
    std::sort(r->csv.times, r->csv.times + r->csv.count);
    usb_endpoints_sort_times(&r->analysis->endpoints);
    note_bounds(r);
    if (capture_is_usbmon(r->analysis) && !spans_overlap(r))
        return compare_apart(r);
    const UsbEndpoint* e = chosen_endpoint(r, &result);
    return e ? compare_endpoint(r, e) : result;
}

int run_compare(const wchar_t* capture_path, const wchar_t* csv_path, const wchar_t* endpoint,
                int slot, FILE* out, const wchar_t* json_path) {
    if (!capture_path || !csv_path)
        return print_error(L"%ls", txw(TX_CMP_NEEDS_FILES));
    CompareRun r = {capture_path, csv_path, endpoint, slot, out, NULL, {}, {}};
    if (!json_output_open(&r.json, json_path))
        return 1;
    r.analysis = (CaptureFileAnalysis*)calloc(1, sizeof *r.analysis);
    if (!r.analysis) {
        json_output_finish(&r.json, 1);
        return print_error(L"%ls", txw(TX_CMP_NO_MEMORY_CAPTURE));
    }
    program_csv_init(&r.csv, slot);
    const int result = json_output_finish(&r.json, compare_files(&r));
    capture_analysis_free(r.analysis);
    free(r.analysis);
    program_csv_free(&r.csv);
    return finish_output(out, result);
}
