// The --pcap text: the summary report with the file's span, the endpoint
// lines (every figure of one line from that endpoint's one histogram of
// accepted gaps) and the errors.
#include "core/views/capture_file_report.h"

#include <stdlib.h>
#include <wchar.h>

#include "core/figures/distribution.h"
#include "core/captures/usbpcap_record.h"

static int by_reports_descending(const void* x, const void* y) {
    const UsbEndpoint* a = *(const UsbEndpoint* const*)x;
    const UsbEndpoint* b = *(const UsbEndpoint* const*)y;
    if (a->reports != b->reports)
        return a->reports < b->reports ? 1 : -1;
    return a < b ? -1 : (a > b);  // stable: first seen first
}

// Rates, median, 99th percentile and deviation of the accepted gaps; with
// fewer than two gaps there is no spread to speak of.
static void append_gap_figures(const UsbEndpoint* e, WideText* out) {
    Distribution d;
    distribution_of_histogram(&e->gaps, &d);
    if (d.failed) {
        wide_text_appendf(out, L"  figures: no memory");
        return;
    }
    if (d.n < 2) {
        wide_text_appendf(out, L"  too few reports");
        return;
    }
    wide_text_appendf(out, L"  avg=%7.1f Hz  lowest=%7.1f Hz  p50=%.1fus p99=%.1fus sd=%.1fus",
                      rate_at(d.mean_us), rate_at(d.max_us), d.pct_us[PCT_50], d.pct_us[PCT_99],
                      d.sd_us);
}

static void endpoint_name_wide(const UsbEndpoint* e, wchar_t wide[USB_ENDPOINT_NAME_BYTES]) {
    char name[USB_ENDPOINT_NAME_BYTES];
    format_endpoint_name(name, e->bus, e->device, e->endpoint);
    for (int i = 0; i < USB_ENDPOINT_NAME_BYTES; i++)
        wide[i] = (wchar_t)name[i];  // ASCII
}

// "125", "15.6", "0.244": digits enough to tell the readings apart.
static void format_hz(wchar_t* buf, size_t cap, double hz) {
    swprintf(buf, cap, hz >= 100 ? L"%.0f" : L"%.3g", hz);
}

// An interrupt endpoint's bInterval read both ways: "(FS 125 Hz / HS 15.6 Hz)".
static void append_binterval(const UsbEndpoint* e, WideText* out) {
    if (e->binterval < 0) {
        wide_text_appendf(out, L"  bInterval not seen");
        return;
    }
    wide_text_appendf(out, L"  bInterval=%d", e->binterval);
    if (e->described_type != USB_ENDPOINT_TYPE_INTERRUPT)
        return;
    BIntervalReading r;
    binterval_reading(e->binterval, 0, &r);
    if (!r.full_valid) {
        wide_text_appendf(out, L" (not valid)");
        return;
    }
    wchar_t full[16], high[24] = L"not valid";
    format_hz(full, 16, r.full_hz);
    if (r.high_valid) {
        format_hz(high, 20, r.high_hz);
        wcscat(high, L" Hz");
    }
    wide_text_appendf(out, L" (FS %ls Hz / HS %ls)", full, high);
}

// How often the host polled, as the completion times' lattice shows it, and
// how many of those polls found a report: "  clock_us=1000.002 filled=99.8%".
static void append_clock(const UsbEndpoint* e, WideText* out) {
    if (e->transfer != USBPCAP_TRANSFER_INTERRUPT)
        return;
    const ReportClockFigures* c = &e->clock_figures;
    if (c->refusal != REPORT_CLOCK_OK)
        wide_text_appendf(out, L"  clock none");
    else
        wide_text_appendf(out, L"  clock_us=%.3f filled=%.1f%%", c->period_us, c->filled_pct);
}

static void append_endpoint_line(const UsbEndpoint* e, WideText* out) {
    wchar_t wide_name[USB_ENDPOINT_NAME_BYTES];
    endpoint_name_wide(e, wide_name);
    wide_text_appendf(out, L"  %ls  reports=%llu", wide_name, (unsigned long long)e->reports);
    append_gap_figures(e, out);
    append_clock(e, out);
    append_binterval(e, out);
    wide_text_appendf(out, e->transfer == USBPCAP_TRANSFER_BULK ? L"  bulk\n" : L"\n");
}

// The interrupt endpoint with the most reports (the first seen among equals),
// or the described interrupt endpoint of bInterval b with the most reports.
static const UsbEndpoint* most_reports(const UsbEndpointTable* t, int b) {
    const UsbEndpoint* best = NULL;
    for (int i = 0; i < t->count; i++) {
        const UsbEndpoint* e = &t->slot[i];
        bool wanted = b < 0 ? e->transfer == USBPCAP_TRANSFER_INTERRUPT
                            : e->binterval == b && e->described_type == USB_ENDPOINT_TYPE_INTERRUPT;
        if (wanted && (!best || e->reports > best->reports))
            best = e;
    }
    return best;
}

static const wchar_t* fit_words(BIntervalFit fit) {
    switch (fit) {
    case BINTERVAL_FITS_FULL: return L"say full speed";
    case BINTERVAL_FITS_HIGH: return L"say high speed";
    case BINTERVAL_FITS_BOTH: return L"fit both readings";
    case BINTERVAL_FITS_NEITHER: return L"fit neither reading";
    case BINTERVAL_NOT_MEASURED: break;
    }
    return L"are too few to tell";
}

// "8 ms (125 Hz) at full speed, 64 ms at high speed".
static void append_readings(const BIntervalReading* r, WideText* out) {
    wchar_t hz[16];
    format_hz(hz, 16, r->full_hz);
    wide_text_appendf(out, L"%g ms (%ls Hz) at full speed, ", r->full_ms, hz);
    if (r->high_valid)
        wide_text_appendf(out, L"%g ms at high speed", r->high_ms);
    else
        wide_text_appendf(out, L"not valid at high speed");
}

// The summary names the smallest bInterval of any interrupt endpoint; when
// that is not the mouse's (the endpoint with the most reports), this line
// says whose it is and reads the mouse's own.
static void append_binterval_note(const CaptureFileAnalysis* a, WideText* out) {
    const UsbEndpoint* mouse = most_reports(&a->endpoints, -1);
    const int b = a->count.tally.min_binterval;
    const UsbEndpoint* owner = b >= 0 ? most_reports(&a->endpoints, b) : NULL;
    if (!mouse || !owner || owner == mouse || mouse->binterval < 1 ||
        mouse->binterval == b || mouse->described_type != USB_ENDPOINT_TYPE_INTERRUPT)
        return;
    Distribution d;
    distribution_of_histogram(&mouse->gaps, &d);
    const double p50 = !d.failed && d.n >= 2 ? d.pct_us[PCT_50] : 0;
    BIntervalReading r;
    binterval_reading(mouse->binterval, p50, &r);
    wchar_t owner_name[USB_ENDPOINT_NAME_BYTES], mouse_name[USB_ENDPOINT_NAME_BYTES];
    endpoint_name_wide(owner, owner_name);
    endpoint_name_wide(mouse, mouse_name);
    wide_text_appendf(out,
                      L"\nNote: bInterval %d belongs to %ls (%llu report%ls); the mouse endpoint "
                      L"%ls has bInterval %d: ",
                      b, owner_name, (unsigned long long)owner->reports,
                      owner->reports == 1 ? L"" : L"s", mouse_name, mouse->binterval);
    append_readings(&r, out);
    if (r.fit == BINTERVAL_NOT_MEASURED)
        wide_text_appendf(out, L"; its measured gaps %ls.\n", fit_words(r.fit));
    else
        wide_text_appendf(out, L"; its measured gaps (p50 %.0f us) %ls.\n", p50, fit_words(r.fit));
}

int capture_report_endpoints(const CaptureFileAnalysis* a,
                             const UsbEndpoint* order[USB_ENDPOINT_SLOTS]) {
    int n = 0;
    for (int i = 0; i < a->endpoints.count; i++) {
        if (a->endpoints.slot[i].reports > 0)
            order[n++] = &a->endpoints.slot[i];
    }
    qsort(order, (size_t)n, sizeof order[0], by_reports_descending);
    return n < ENDPOINT_REPORT_LINES ? n : ENDPOINT_REPORT_LINES;
}

static void append_endpoints(const CaptureFileAnalysis* a, WideText* out) {
    const UsbEndpoint* order[USB_ENDPOINT_SLOTS];
    const int n = capture_report_endpoints(a, order);
    wide_text_appendf(out, L"\nInterrupt-IN and bulk-IN endpoints (bus.device.endpoint):\n");
    if (n == 0)
        wide_text_appendf(out, L"  (none)\n");
    for (int i = 0; i < n; i++)
        append_endpoint_line(order[i], out);
}

void format_capture_file_report(const CaptureFileAnalysis* a, const wchar_t* file_name,
                                WideText* out) {
    wide_text_appendf(out, L"File: %ls\n", file_name);
    wchar_t window[32];
    swprintf(window, 32, L"%.1f秒", (double)(a->last_ts_us - a->first_ts_us) / 1e6);
    wchar_t report[CAPTURE_REPORT_UNITS];
    format_capture_report_window(&a->count.tally, window, report);
    wide_text_appendf(out, L"%ls", report);
    append_binterval_note(a, out);
    if (a->count.non_interrupt_in)
        wide_text_appendf(out,
                          L"\nNote: the summary counts %llu bulk or isochronous transfers from "
                          L"devices as interrupt-IN deliveries. They are not mouse reports; bulk "
                          L"endpoints that carried data are marked bulk below.\n",
                          (unsigned long long)a->count.non_interrupt_in);
    append_endpoints(a, out);
    if (a->ignored_tail_bytes)
        wide_text_appendf(out,
                    L"\nIgnored %llu bytes at the end of the file (an incomplete, impossible or "
                    L"oversized record and what follows it).\n",
                    (unsigned long long)a->ignored_tail_bytes);
}

void format_capture_file_error(const CaptureFileAnalysis* a, const wchar_t* file_name,
                               WideText* out) {
    switch (a->status) {
    case CAPTURE_FILE_READ_ERROR:
        wide_text_appendf(out, L"cannot read %ls; check the drive and try again.", file_name);
        break;
    case CAPTURE_FILE_EMPTY_FILE:
        wide_text_appendf(out, L"%ls is empty; give a capture saved by USBPcapCMD or Wireshark.",
                          file_name);
        break;
    case CAPTURE_FILE_NOT_PCAP: {
        wchar_t hex[16] = L"";
        size_t used = 0;
        for (int i = 0; i < a->first_count; i++)
            used += (size_t)swprintf(hex + used, 16 - used, i ? L" %02X" : L"%02X",
                                     (unsigned)a->first_bytes[i]);
        wide_text_appendf(out, L"%ls is not a pcap or pcapng file (it starts with %ls); give a "
                          L"capture saved by USBPcapCMD or Wireshark.", file_name, hex);
        break;
    }
    case CAPTURE_FILE_NO_USBPCAP:
        wide_text_appendf(out, L"%ls has no USBPcap interface (link type 249); capture with "
                          L"USBPcap.", file_name);
        break;
    case CAPTURE_FILE_NO_PACKETS:
        if (a->ignored_tail_bytes)
            wide_text_appendf(out, L"%ls holds no complete USBPcap packet (%llu bytes ignored); "
                              L"capture for longer.", file_name,
                              (unsigned long long)a->ignored_tail_bytes);
        else
            wide_text_appendf(out, L"%ls holds no USBPcap packets; capture for longer.", file_name);
        break;
    case CAPTURE_FILE_OK:
        break;
    }
}
