// The --pcap text: the summary report with the file's span, the endpoint
// lines (every figure of one line from that endpoint's one histogram of
// accepted gaps) and the errors.
#include "core/capture_file_report.h"

#include <stdlib.h>

#include "core/distribution.h"
#include "core/usbpcap_record.h"

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

static void append_endpoint_line(const UsbEndpoint* e, WideText* out) {
    char name[USB_ENDPOINT_NAME_BYTES];
    wchar_t wide_name[USB_ENDPOINT_NAME_BYTES];
    format_endpoint_name(name, e->bus, e->device, e->endpoint);
    for (int i = 0; i < USB_ENDPOINT_NAME_BYTES; i++)
        wide_name[i] = (wchar_t)name[i];  // ASCII
    wide_text_appendf(out, L"  %ls  reports=%llu", wide_name, (unsigned long long)e->reports);
    append_gap_figures(e, out);
    if (e->binterval >= 0)
        wide_text_appendf(out, L"  bInterval=%d", e->binterval);
    else
        wide_text_appendf(out, L"  bInterval not seen");
    wide_text_appendf(out, e->transfer == USBPCAP_TRANSFER_BULK ? L"  bulk\n" : L"\n");
}

static void append_endpoints(const CaptureFileAnalysis* a, WideText* out) {
    const UsbEndpoint* order[USB_ENDPOINT_SLOTS];
    int n = 0;
    for (int i = 0; i < a->endpoints.count; i++) {
        if (a->endpoints.slot[i].reports > 0)
            order[n++] = &a->endpoints.slot[i];
    }
    qsort(order, (size_t)n, sizeof order[0], by_reports_descending);
    wide_text_appendf(out, L"\nInterrupt-IN and bulk-IN endpoints (bus.device.endpoint):\n");
    if (n == 0)
        wide_text_appendf(out, L"  (none)\n");
    for (int i = 0; i < n && i < ENDPOINT_REPORT_LINES; i++)
        append_endpoint_line(order[i], out);
}

void format_capture_file_report(const CaptureFileAnalysis* a, const wchar_t* file_name,
                                WideText* out) {
    wide_text_appendf(out, L"File: %ls\n", file_name);
    wchar_t window[32];
    swprintf(window, 32, L"%.1f秒", (double)(a->last_ts_us - a->first_ts_us) / 1e6);
    wchar_t report[CAPTURE_REPORT_UNITS];
    format_capture_report_window(&a->tally, window, report);
    wide_text_appendf(out, L"%ls", report);
    if (a->non_interrupt_in)
        wide_text_appendf(out,
                          L"\nNote: the summary counts %llu bulk or isochronous transfers from "
                          L"devices as interrupt-IN deliveries. They are not mouse reports; bulk "
                          L"endpoints that carried data are marked bulk below.\n",
                          (unsigned long long)a->non_interrupt_in);
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
        wide_text_appendf(out, L"Error: cannot read %ls.\n", file_name);
        break;
    case CAPTURE_FILE_EMPTY_FILE:
        wide_text_appendf(out, L"Error: %ls is empty.\n", file_name);
        break;
    case CAPTURE_FILE_NOT_PCAP: {
        wchar_t hex[16] = L"";
        size_t used = 0;
        for (int i = 0; i < a->first_count; i++)
            used += (size_t)swprintf(hex + used, 16 - used, i ? L" %02X" : L"%02X",
                                     (unsigned)a->first_bytes[i]);
        wide_text_appendf(out, L"Error: %ls is not a pcap or pcapng file (it starts with %ls).\n",
                 file_name, hex);
        break;
    }
    case CAPTURE_FILE_NO_USBPCAP:
        wide_text_appendf(out, L"Error: %ls has no USBPcap interface (link type 249).\n", file_name);
        break;
    case CAPTURE_FILE_NO_PACKETS:
        if (a->ignored_tail_bytes)
            wide_text_appendf(out, L"Error: %ls holds no complete USBPcap packet (%llu bytes ignored).\n",
                     file_name, (unsigned long long)a->ignored_tail_bytes);
        else
            wide_text_appendf(out, L"Error: %ls holds no USBPcap packets.\n", file_name);
        break;
    case CAPTURE_FILE_OK:
        break;
    }
}

