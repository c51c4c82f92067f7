// The capture's texts: the headline formatted from the figures
// core/captures/capture_headline found, the endpoint lines (every figure of
// one line from that endpoint's one histogram of accepted gaps), the notes
// and the errors.
#include "core/views/capture_file_report.h"

#include <stdlib.h>
#include <wchar.h>

#include "core/figures/distribution.h"
#include "core/captures/usbpcap_record.h"
#include "core/views/text_buf.h"
#include "core/views/texts.h"

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

// --- The headline -----------------------------------------------------------------

static void append_mouse(WideBuf* o, const CaptureHeadline* h) {
    if (!h->mouse) {
        text_appendf(o, L"%ls", txw(TX_CAP_NO_MOUSE));
        return;
    }
    wchar_t name[USB_ENDPOINT_NAME_BYTES];
    endpoint_name_wide(h->mouse, name);
    const unsigned long long reports = (unsigned long long)h->mouse->reports;
    if (h->chosen)
        text_appendf(o, txw(TX_CAP_MOUSE_CHOSEN), name, reports, (unsigned)h->ids.vid,
                     (unsigned)h->ids.pid);
    else
        text_appendf(o, txw(TX_CAP_MOUSE), name, reports);
}

// "  Not in these figures (endpoint and reports): 2.2.0x81 (3), 2.3.0x84 (bulk 251)".
static void append_others(WideBuf* o, const CaptureHeadline* h) {
    if (h->other_count == 0)
        return;
    text_appendf(o, L"%ls", txw(TX_CAP_OTHERS));
    const int listed = h->other_count < HEADLINE_OTHERS ? h->other_count : HEADLINE_OTHERS;
    for (int i = 0; i < listed; i++) {
        const UsbEndpoint* e = h->others[i];
        wchar_t name[USB_ENDPOINT_NAME_BYTES];
        endpoint_name_wide(e, name);
        if (i)
            text_appendf(o, L"%ls", txw(TX_CAP_SEPARATOR));
        text_appendf(o, e->transfer == USBPCAP_TRANSFER_BULK ? txw(TX_CAP_OTHER_BULK) : L"%ls (%llu)",
                     name, (unsigned long long)e->reports);
    }
    if (h->other_count > listed)
        text_appendf(o, txw(TX_CAP_MORE), h->other_count - listed);
    text_appendf(o, L"\n");
}

// "1.9": the device, as the reasons name it.
static void device_name(const UsbEndpoint* e, wchar_t out[16]) {
    swprintf(out, 16, L"%u.%u", (unsigned)e->bus, (unsigned)e->device);
}

// Why the speed reads as it does, in one line.
static void append_speed_reason(WideBuf* o, const CaptureHeadline* h) {
    wchar_t device[16];
    device_name(h->mouse, device);
    const int v = h->speed.value;
    switch (h->speed.evidence) {
    case SPEED_EVIDENCE_BCD_USB:
        text_appendf(o, txw(TX_CAP_WHY_BCD_USB), device, (unsigned)(v >> 8), (unsigned)(v & 0xFF));
        break;
    case SPEED_EVIDENCE_MAX_PACKET0:
        text_appendf(o, txw(TX_CAP_WHY_MAX_PACKET0), device, v);
        break;
    case SPEED_EVIDENCE_ENDPOINT_SIZE:
        text_appendf(o, txw(TX_CAP_WHY_ENDPOINT_SIZE), device, v);
        break;
    case SPEED_EVIDENCE_NONE:
        break;
    }
}

// The limit bInterval sets at the speed the capture shows, or both readings
// when it shows none; 8K is promised only to a device shown to be high speed.
static void append_limit(WideBuf* o, const CaptureHeadline* h) {
    const BIntervalReading* r = &h->reading;
    const bool eight_k_reading = r->high_valid && r->high_hz > 7000;
    if (h->speed.speed == USB_SPEED_NOT_SHOWN) {
        wchar_t full[16], high[16];
        format_hz(full, 16, r->full_hz);
        format_hz(high, 16, r->high_hz);
        if (r->full_valid && r->high_valid)
            text_appendf(o, txw(TX_CAP_LIMIT_BOTH), full, high);
        else if (r->full_valid)
            text_appendf(o, txw(TX_CAP_LIMIT_FULL_ONLY), full);
        else
            text_appendf(o, txw(TX_CAP_NOT_VALID), h->binterval);
        if (eight_k_reading)
            text_appendf(o, L"%ls", txw(TX_CAP_EIGHT_K_DEPENDS));
        return;
    }
    if (h->theoretical_hz > 0)
        text_appendf(o, txw(TX_CAP_LIMIT), h->theoretical_hz);
    else
        text_appendf(o, txw(TX_CAP_NOT_VALID), h->binterval);
    append_speed_reason(o, h);
    const double limit = h->theoretical_hz;
    if (h->speed.speed == USB_SPEED_NOT_HIGH && eight_k_reading)
        text_appendf(o, L"%ls", txw(TX_CAP_NO_EIGHT_K));
    else if (h->speed.speed == USB_SPEED_HIGH && limit > 7000)
        text_appendf(o, L"%ls", txw(TX_CAP_EIGHT_K));
    else if (h->speed.speed == USB_SPEED_HIGH && limit > 100 && limit < 2500)
        text_appendf(o, L"%ls", txw(TX_CAP_TWO_K));
}

static void append_interval(WideBuf* o, const CaptureTally* t, const CaptureHeadline* h) {
    if (!h->mouse)
        return;
    if (h->binterval < 0) {
        if (t->min_binterval == -1) {
            text_appendf(o, L"%ls", txw(TX_CAP_NO_BINTERVAL));
        } else {
            wchar_t name[USB_ENDPOINT_NAME_BYTES];
            endpoint_name_wide(h->mouse, name);
            text_appendf(o, txw(TX_CAP_NO_MOUSE_BINTERVAL), name);
        }
        return;
    }
    text_appendf(o, txw(TX_CAP_BINTERVAL), h->binterval);
    append_limit(o, h);
}

void format_capture_headline(const CaptureTally* t, const CaptureHeadline* h, const wchar_t* window,
                             wchar_t out[CAPTURE_REPORT_UNITS]) {
    format_capture_headline_of(t, h, window, false, out);
}

void format_capture_headline_of(const CaptureTally* t, const CaptureHeadline* h,
                                const wchar_t* window, bool usbmon,
                                wchar_t out[CAPTURE_REPORT_UNITS]) {
    WideBuf o = text_buf(out, CAPTURE_REPORT_UNITS);
    text_appendf(&o, txw(usbmon ? TX_USBMON_TITLE : TX_CAP_TITLE), window);
    text_appendf(&o, txw(TX_CAP_SUMMARY), (unsigned long long)t->total_packets,
                 (unsigned long long)t->bulk_int_packets, (unsigned long long)t->control_packets,
                 (unsigned long long)t->valid_in_intervals);
    append_mouse(&o, h);
    // The summary's gap count is the whole capture's; the rates have their own.
    if (h->failed) {
        text_appendf(&o, L"%ls", txw(TX_CAP_NO_FIGURES));
    } else {
        if (h->mouse)
            text_appendf(&o, txw(TX_CAP_MOUSE_GAPS), (unsigned long long)h->gaps);
        text_appendf(&o, txw(TX_CAP_RATES), h->average_hz, h->lowest_hz);
    }
    if (h->clock_step_us > 0) {
        wchar_t step[16];
        swprintf(step, 16, L"%.3g", h->clock_step_us / 1000.0);
        text_appendf(&o, txw(TX_CAP_COARSE_CLOCK), step);
    }
    append_others(&o, h);
    append_interval(&o, t, h);
    if (!usbmon && !t->dir_byte_seen)  // every usbmon record says its direction
        text_appendf(&o, L"%ls", txw(TX_CAP_NO_DIRECTION));
    if (h->gaps == 0 && !h->failed)
        text_appendf(&o, L"%ls", txw(usbmon ? TX_USBMON_NO_VALID_IN : TX_CAP_NO_VALID_IN));
}

// --- --pcap ---------------------------------------------------------------------------

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
    wide_text_appendf(out, L"%ls", txw(TX_PCAP_ENDPOINTS));
    if (n == 0)
        wide_text_appendf(out, L"%ls", txw(TX_PCAP_NO_ENDPOINTS));
    for (int i = 0; i < n; i++)
        append_endpoint_line(order[i], out);
}

void format_capture_file_report(const CaptureFileAnalysis* a, const wchar_t* file_name,
                                WideText* out) {
    wide_text_appendf(out, L"File: %ls\n", file_name);
    wchar_t window[32];
    swprintf(window, 32, txw(TX_CAP_SECONDS), (double)(a->last_ts_us - a->first_ts_us) / 1e6);
    wchar_t report[CAPTURE_REPORT_UNITS];
    format_capture_headline_of(&a->count.tally, &a->headline, window, capture_is_usbmon(a), report);
    wide_text_appendf(out, L"%ls", report);
    if (a->count.non_interrupt_in)
        wide_text_appendf(out, txw(TX_PCAP_BULK_NOTE), (unsigned long long)a->count.non_interrupt_in);
    append_endpoints(a, out);
    if (a->usbmon.unusable)
        wide_text_appendf(out, txw(TX_USBMON_UNUSABLE), (unsigned long long)a->usbmon.unusable,
                          (unsigned long long)a->usbmon_records);
    if (a->ignored_tail_bytes)
        wide_text_appendf(out, txw(TX_PCAP_IGNORED_TAIL), (unsigned long long)a->ignored_tail_bytes);
}

void format_capture_file_error(const CaptureFileAnalysis* a, const wchar_t* file_name,
                               WideText* out) {
    switch (a->status) {
    case CAPTURE_FILE_READ_ERROR:
        wide_text_appendf(out, txw(TX_PCAP_READ_ERROR), file_name);
        break;
    case CAPTURE_FILE_EMPTY_FILE:
        wide_text_appendf(out, txw(TX_PCAP_EMPTY), file_name);
        break;
    case CAPTURE_FILE_NOT_PCAP: {
        wchar_t hex[16] = L"";
        size_t used = 0;
        for (int i = 0; i < a->first_count; i++)
            used += (size_t)swprintf(hex + used, 16 - used, i ? L" %02X" : L"%02X",
                                     (unsigned)a->first_bytes[i]);
        wide_text_appendf(out, txw(TX_PCAP_NOT_PCAP), file_name, hex);
        break;
    }
    case CAPTURE_FILE_NO_USBPCAP:
        wide_text_appendf(out, txw(TX_PCAP_NO_USBPCAP), file_name);
        break;
    case CAPTURE_FILE_NO_PACKETS:
        if (a->ignored_tail_bytes)
            wide_text_appendf(out,
                              txw(capture_is_usbmon(a) ? TX_USBMON_NO_COMPLETE_PACKET
                                                       : TX_PCAP_NO_COMPLETE_PACKET),
                              file_name, (unsigned long long)a->ignored_tail_bytes);
        else
            wide_text_appendf(out, txw(capture_is_usbmon(a) ? TX_USBMON_NO_PACKETS : TX_PCAP_NO_PACKETS),
                              file_name);
        break;
    case CAPTURE_FILE_OK:
        break;
    }
}
