// The text --pcap prints: the summary report for the whole file, one line per
// IN endpoint, and the one-line errors.
#pragma once

#include <wchar.h>

#include "core/captures/capture_file.h"
#include "core/views/wide_text.h"

enum { ENDPOINT_REPORT_LINES = 16 };

// The whole text printed by --pcap for a successful analysis: file line,
// report, endpoint section and truncation note, appended to out whole.
void format_capture_file_report(const CaptureFileAnalysis* a, const wchar_t* file_name,
                                WideText* out);
// The endpoints the report lists, in its order (most reports first), into
// order; returns how many (at most ENDPOINT_REPORT_LINES).
int capture_report_endpoints(const CaptureFileAnalysis* a,
                             const UsbEndpoint* order[USB_ENDPOINT_SLOTS]);
// Why the analysis failed and what to do, one English sentence without
// "Error: " or a line break (the front end prints it as its error line).
void format_capture_file_error(const CaptureFileAnalysis* a, const wchar_t* file_name,
                               WideText* out);
