// Offline analysis of saved captures: classic pcap (either byte order,
// microsecond or nanosecond stamps) and pcapng, read in chunks with bounded
// memory. USBPcap records (Windows) are counted by the rule every capture path
// shares (core/captures/usbpcap_count.h), usbmon records (Linux) by theirs
// (core/captures/usbmon_count.h), both into the same summary tally and IN
// completions per bus.device.endpoint in the one endpoint table; the text is
// core/views/capture_file_report.cpp.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "core/captures/capture_headline.h"
#include "core/captures/capture_stream.h"
#include "core/captures/usb_endpoints.h"
#include "core/captures/usbmon_count.h"
#include "core/captures/usbpcap_count.h"

enum CaptureFileStatus {
    CAPTURE_FILE_OK,
    CAPTURE_FILE_READ_ERROR,
    CAPTURE_FILE_EMPTY_FILE,
    CAPTURE_FILE_NOT_PCAP,
    CAPTURE_FILE_NO_USBPCAP,  // no USBPcap or usbmon link type
    CAPTURE_FILE_NO_PACKETS,
};

enum {
    PCAPNG_INTERFACES = 64,
    // The largest record a capture without a snap length may hold, and the
    // largest any snap length is believed: USBPcap's own is 65,535, so no real
    // record comes near, and the reader's buffer stays a few MiB whatever a
    // file claims.
    CAPTURE_RECORD_DEFAULT_LIMIT = 1 << 20,
    CAPTURE_RECORD_MAX_LIMIT = 16 << 20,
};

struct CaptureFileAnalysis {
    // The summary tally, and the endpoints through their table below. First:
    // at the analysis' own address it saves the walk an instruction a record.
    UsbPcapCounter count;
    CaptureFileStatus status;
    uint8_t first_bytes[4];  // for the "not a capture file" message
    int first_count;
    uint64_t usbpcap_records;
    uint64_t usbmon_records;
    // The file's USB link types: a usbmon one (189 or 220) and no USBPcap one
    // make it a Linux capture, which its report names.
    bool usbpcap_link;
    bool usbmon_link;
    int64_t first_ts_us;
    int64_t last_ts_us;
    uint64_t ignored_tail_bytes;  // an incomplete, impossible or oversized last record or block
    UsbEndpointTable endpoints;  // every IN endpoint with data, and those described
    CaptureHeadline headline;    // read from the endpoints once the walk is done
    UsbmonCounter usbmon;        // the usbmon rule's own state (unusable records among it)
};

// A capture recorded on Linux with usbmon, rather than with USBPcap.
inline bool capture_is_usbmon(const CaptureFileAnalysis* a) {
    return a->usbmon_link && !a->usbpcap_link;
}

// Reads up to n bytes into buf; 0 at the end; (size_t)-1 on a read error.
typedef size_t (*CaptureReadFn)(void* ctx, uint8_t* buf, size_t n);

struct CaptureSource {
    CaptureReadFn read;
    void* ctx;
    uint64_t size;        // bytes in the file, or UINT64_MAX when unknown
    size_t chunk_bytes;   // bytes asked for per read; 0: 1 MiB
    InCompletionFn on_completion;  // optional: called for every IN completion with data
    void* completion_ctx;
    uint64_t keep_times;  // 0: no times kept; else the endpoint table keeps up to this many
};

// A source reading an open file from its current position (the start).
CaptureSource capture_source_of_file(FILE* f);

// a is large (the endpoint table): callers keep it static or on the heap.
// The reader's buffer is given back before it returns; the endpoint table's
// histograms and kept times stay until capture_analysis_free.
void analyse_capture(const CaptureSource* src, CaptureFileAnalysis* a);
void capture_analysis_free(CaptureFileAnalysis* a);
