// The capture's texts: the headline that the window's diagnostic and --pcap
// both show (the tally's counts, then the mouse endpoint's own figures), and
// what --pcap prints around it: one line per IN endpoint, the notes and the
// one-line errors. Every word comes from the language's table; the endpoint
// lines are key=value lines, the same in both languages.
#pragma once

#include <wchar.h>

#include "core/captures/capture_file.h"
#include "core/captures/capture_headline.h"
#include "core/views/wide_text.h"

enum {
    ENDPOINT_REPORT_LINES = 16,
    CAPTURE_REPORT_UNITS = 2048,
};

// The headline: the tally's counts over window (e.g. "3 s"), the mouse
// endpoint's figures (h), its bInterval read at its device's speed and what
// that allows, and the hints.
void format_capture_headline(const CaptureTally* t, const CaptureHeadline* h, const wchar_t* window,
                             wchar_t out[CAPTURE_REPORT_UNITS]);
// The same for a capture of either kind: usbmon names Linux's capture where
// USBPcap's names its own.
void format_capture_headline_of(const CaptureTally* t, const CaptureHeadline* h,
                                const wchar_t* window, bool usbmon,
                                wchar_t out[CAPTURE_REPORT_UNITS]);

// The whole text printed by --pcap for a successful analysis: file line,
// report, endpoint section and truncation note, appended to out whole.
void format_capture_file_report(const CaptureFileAnalysis* a, const wchar_t* file_name,
                                WideText* out);
// The endpoints the report lists, in its order (most reports first), into
// order; returns how many (at most ENDPOINT_REPORT_LINES).
int capture_report_endpoints(const CaptureFileAnalysis* a,
                             const UsbEndpoint* order[USB_ENDPOINT_SLOTS]);
// Why the analysis failed and what to do, one sentence without
// "Error: " or a line break (the front end prints it as its error line).
void format_capture_file_error(const CaptureFileAnalysis* a, const wchar_t* file_name,
                               WideText* out);
