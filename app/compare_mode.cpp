// The offline comparison: interrupt-IN completions with data are gathered per
// endpoint from the capture, the program's report times from the CSV's utc_us
// column; the endpoint is the one named, or the one whose reports the program
// received (the highest score).
#include "app/compare_mode.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <algorithm>
#include <vector>

#include "app/text_out.h"
#include "core/capture_file.h"
#include "core/layer_compare.h"
#include "core/usbpcap_record.h"

struct EndpointTimes {
    uint16_t bus, device;
    uint8_t endpoint;
    std::vector<int64_t> times;
};

static void collect(void* ctx, const InCompletion* c) {
    if (c->transfer != USBPCAP_TRANSFER_INTERRUPT)
        return;
    std::vector<EndpointTimes>* all = (std::vector<EndpointTimes>*)ctx;
    for (EndpointTimes& e : *all) {
        if (e.bus == c->bus && e.device == c->device && e.endpoint == c->endpoint) {
            e.times.push_back(c->ts_us);
            return;
        }
    }
    all->push_back(EndpointTimes{c->bus, c->device, c->endpoint, {c->ts_us}});
}

static int fail(FILE* out, const wchar_t* fmt, const wchar_t* a, const char* b = "") {
    wchar_t line[1200];
    swprintf(line, 1200, fmt, a, b);
    print_wide_utf8(out, line);
    return 1;
}

// The utc_us column of every row; false with a reason when there is none.
static bool read_program_times(FILE* f, std::vector<int64_t>* times, const char** why) {
    static char line[4096];
    if (!fgets(line, sizeof line, f)) {
        *why = "it is empty";
        return false;
    }
    int column = -1, index = 0;
    for (char* field = strtok(line, ",\r\n"); field; field = strtok(NULL, ",\r\n"), index++) {
        if (strcmp(field, "utc_us") == 0)
            column = index;
    }
    if (column < 0) {
        *why = "it has no utc_us column (write one with -c ... --csv)";
        return false;
    }
    while (fgets(line, sizeof line, f)) {
        // Empty fields are kept apart, so fields are found by counting commas.
        const char* at = line;
        for (int i = 0; i < column && at; i++) {
            at = strchr(at, ',');
            at = at ? at + 1 : NULL;
        }
        if (!at)
            continue;
        char* end;
        long long v = strtoll(at, &end, 10);
        if (end != at)
            times->push_back(v);
    }
    return true;
}

static bool parse_endpoint(const wchar_t* text, unsigned* bus, unsigned* device, unsigned* ep) {
    wchar_t* end;
    *bus = (unsigned)wcstoul(text, &end, 10);
    if (*end != L'.')
        return false;
    *device = (unsigned)wcstoul(end + 1, &end, 10);
    if (*end != L'.')
        return false;
    *ep = (unsigned)wcstoul(end + 1, &end, 0);
    return *end == 0 && *ep <= 255;
}

// The endpoint named, or the best-scoring one; NULL when none fits.
static const EndpointTimes* choose(const std::vector<EndpointTimes>& all,
                                   const std::vector<int64_t>& program, const wchar_t* named,
                                   bool* bad_name) {
    *bad_name = false;
    if (named) {
        unsigned bus, device, ep;
        if (!parse_endpoint(named, &bus, &device, &ep)) {
            *bad_name = true;
            return NULL;
        }
        for (const EndpointTimes& e : all) {
            if (e.bus == bus && e.device == device && e.endpoint == ep)
                return &e;
        }
        return NULL;
    }
    std::vector<EndpointCandidate> candidates;
    for (const EndpointTimes& e : all)
        candidates.push_back(EndpointCandidate{e.bus, e.device, e.endpoint, e.times.data(), e.times.size()});
    int best = choose_endpoint(candidates.data(), (int)candidates.size(), program.data(), program.size());
    return best >= 0 ? &all[(size_t)best] : NULL;
}

int run_compare(const wchar_t* capture_path, const wchar_t* csv_path, const wchar_t* endpoint,
                FILE* out) {
    if (!capture_path || !csv_path)
        return fail(out, L"Error: --compare needs a capture file and a CSV file.%ls%hs\n", L"");
    FILE* f = _wfopen(capture_path, L"rb");
    if (!f)
        return fail(out, L"Error: cannot open %ls (%hs).\n", capture_path, strerror(errno));
    std::vector<EndpointTimes> usb;
    CaptureSource src = capture_source_of_file(f);
    src.on_completion = collect;
    src.completion_ctx = &usb;
    static CaptureFileAnalysis analysis;
    analyse_capture(&src, &analysis);
    fclose(f);
    if (analysis.status != CAPTURE_FILE_OK) {
        WideText text = {};
        format_capture_file_error(&analysis, capture_path, &text);
        if (text.data)
            print_wide_utf8(out, text.data);
        wide_text_free(&text);
        return 1;
    }

    FILE* csv = _wfopen(csv_path, L"rb");
    if (!csv)
        return fail(out, L"Error: cannot open %ls (%hs).\n", csv_path, strerror(errno));
    std::vector<int64_t> program;
    const char* why = "";
    bool read = read_program_times(csv, &program, &why);
    fclose(csv);
    if (!read)
        return fail(out, L"Error: %ls cannot be compared: %hs.\n", csv_path, why);
    if (program.empty())
        return fail(out, L"Error: %ls holds no reports.%hs\n", csv_path);
    std::sort(program.begin(), program.end());
    for (EndpointTimes& e : usb)
        std::sort(e.times.begin(), e.times.end());

    bool bad_name;
    const EndpointTimes* e = choose(usb, program, endpoint, &bad_name);
    if (bad_name)
        return fail(out, L"Error: %ls is not an endpoint like 1.3.0x81.%hs\n", endpoint);
    if (!e && endpoint)
        return fail(out, L"Error: endpoint %ls has no interrupt-IN reports in the capture.%hs\n", endpoint);
    if (!e) {
        print_wide_utf8(out, L"No endpoint of the capture matches the program's reports: none has a "
                             L"report in the 2 ms before any of them.\n");
        return 1;
    }
    LayerComparison c;
    compare_layers(e->times.data(), e->times.size(), program.data(), program.size(), &c);
    if (!c.overlap)
        return fail(out, L"Error: %ls and the capture do not overlap in time.%hs\n", csv_path);
    if (c.failed)
        return fail(out, L"Error: out of memory.%ls%hs\n", L"");
    char name[32];
    snprintf(name, sizeof name, "%u.%u.0x%02X", (unsigned)e->bus, (unsigned)e->device, (unsigned)e->endpoint);
    static char text[2048];
    text[0] = 0;
    format_comparison(text, sizeof text, name, &c);
    write_utf8(out, text);
    return 0;
}
