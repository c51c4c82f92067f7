// Offline analysis of saved captures: classic pcap (either byte order,
// microsecond or nanosecond stamps) and pcapng, read in chunks with bounded
// memory. USBPcap records go through the same tally as the live stream, and
// interrupt-IN completions are also tallied per bus/device/endpoint.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "core/capture_stream.h"
#include "core/distribution.h"
#include "core/wide_text.h"

enum CaptureFileStatus {
    CAPTURE_FILE_OK,
    CAPTURE_FILE_READ_ERROR,
    CAPTURE_FILE_EMPTY_FILE,
    CAPTURE_FILE_NOT_PCAP,
    CAPTURE_FILE_NO_USBPCAP,
    CAPTURE_FILE_NO_PACKETS,
};

enum {
    ENDPOINT_SLOTS = 256,
    ENDPOINT_REPORT_LINES = 16,
    PCAPNG_INTERFACES = 64,
};

struct EndpointTally {
    uint16_t bus;
    uint16_t device;
    uint8_t endpoint;      // address, bit 7 = IN
    uint8_t transfer;      // USBPCAP_TRANSFER_INTERRUPT or _BULK; 0 before the first report
    uint64_t reports;      // IN completions with data
    int64_t prev_ts_us;    // -1: none yet
    uint64_t valid_gaps;   // gaps strictly between 100 and 50000 us
    double gap_sum_us;
    double max_gap_us;
    int binterval;         // -1: no endpoint descriptor seen
    // Every accepted gap (100..50000 us), kept during the walk and turned into
    // the distribution at its end.
    double* gaps_us;
    uint64_t gap_count;
    uint64_t gap_capacity;
    bool gaps_failed;      // no memory: the distribution is not shown
    Distribution gaps;
};



struct CaptureFileAnalysis {
    CaptureFileStatus status;
    uint8_t first_bytes[4];  // for the "not a capture file" message
    int first_count;
    CaptureTally tally;
    uint64_t usbpcap_records;
    int64_t first_ts_us;
    int64_t last_ts_us;
    uint64_t ignored_tail_bytes;  // an incomplete or impossible last record or block
    // Completions the summary counts as interrupt-IN deliveries that are bulk
    // (or isochronous) transfers: the summary's rule, told apart here.
    uint64_t non_interrupt_in;
    EndpointTally endpoints[ENDPOINT_SLOTS];
    int endpoint_count;
    int last_endpoint;  // where the previous lookup ended
};

// Reads up to n bytes into buf; 0 at the end; (size_t)-1 on a read error.
typedef size_t (*CaptureReadFn)(void* ctx, uint8_t* buf, size_t n);

struct CaptureSource {
    CaptureReadFn read;
    void* ctx;
    uint64_t size;        // bytes in the file, or UINT64_MAX when unknown
    size_t chunk_bytes;   // bytes asked for per read; 0: 1 MiB
    InCompletionFn on_completion;  // optional: called for every IN completion with data
    void* completion_ctx;
};

// A source reading an open file from its current position (the start).
CaptureSource capture_source_of_file(FILE* f);

// a is large (the endpoint table): callers keep it static or on the heap.
// Everything it allocates is given back before it returns.
void analyse_capture(const CaptureSource* src, CaptureFileAnalysis* a);

// The whole text printed by --pcap for a successful analysis: file line,
// report, endpoint section and truncation note, appended to out whole.
void format_capture_file_report(const CaptureFileAnalysis* a, const wchar_t* file_name,
                                WideText* out);
// The one-line English error for a failed analysis.
void format_capture_file_error(const CaptureFileAnalysis* a, const wchar_t* file_name,
                               WideText* out);
