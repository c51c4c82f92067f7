// Offline capture analysis: a chunked reader for pcap and pcapng that keeps at
// most one record plus one chunk in memory, whatever the file claims.
#include "core/capture_file.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "core/heap.h"
#include "core/usbpcap_record.h"
#include "core/wide_text.h"

static const size_t kDefaultChunkBytes = 1 << 20;
static const uint64_t kLargestRecord = 256ull << 20;
static const uint32_t kLinkTypeUsbPcap = 249;

enum {
    PCAPNG_SECTION_HEADER = 0x0A0D0D0A,
    PCAPNG_INTERFACE_DESCRIPTION = 1,
    PCAPNG_ENHANCED_PACKET = 6,
    PCAPNG_OPTION_END = 0,
    PCAPNG_OPTION_TSRESOL = 9,
};

// --- Chunked input ------------------------------------------------------------

struct Input {
    const CaptureSource* src;
    size_t chunk_bytes;
    GrowBuf buf;
    uint64_t off;       // parse position inside buf
    uint64_t base;      // file offset of buf.data[0]
    bool eof;
    bool error;
};

static uint64_t available(const Input* in) { return in->buf.len - in->off; }
static const uint8_t* cursor(const Input* in) { return in->buf.data + in->off; }
static uint64_t file_position(const Input* in) { return in->base + in->off; }

// Moves the unparsed bytes to the front and reads one more chunk behind them.
static bool read_more(Input* in) {
    if (in->eof || in->error)
        return false;
    if (in->off) {
        uint64_t rest = available(in);
        memmove(in->buf.data, in->buf.data + in->off, (size_t)rest);
        in->base += in->off;
        in->buf.len = rest;
        in->off = 0;
    }
    const size_t chunk = in->chunk_bytes;
    if (in->buf.cap - in->buf.len < chunk) {
        uint64_t cap = in->buf.cap ? in->buf.cap : chunk;
        while (cap - in->buf.len < chunk)
            cap *= 2;
        uint8_t* grown = (uint8_t*)heap_realloc(in->buf.data, (size_t)cap);
        if (!grown) {
            in->error = true;
            return false;
        }
        in->buf.data = grown;
        in->buf.cap = cap;
    }
    size_t got = in->src->read(in->src->ctx, in->buf.data + in->buf.len, chunk);
    if (got == (size_t)-1) {
        in->error = true;
        return false;
    }
    if (got == 0) {
        in->eof = true;
        return false;
    }
    in->buf.len += got;
    return true;
}

static bool need_more(Input* in, uint64_t n) {
    while (available(in) < n) {
        if (!read_more(in))
            return false;
    }
    return true;
}

// True when n bytes are available at the parse position.
static inline bool need(Input* in, uint64_t n) { return available(in) >= n || need_more(in, n); }

// Bytes from the parse position to the end of the file, read to the end if
// the size is unknown.
static uint64_t bytes_to_end(Input* in) {
    if (in->src->size != UINT64_MAX && in->src->size >= file_position(in))
        return in->src->size - file_position(in);
    uint64_t n = available(in);
    in->off = in->buf.len;
    while (read_more(in)) {
        n += available(in);
        in->off = in->buf.len;
    }
    return n;
}

// A length that no read can satisfy ends the walk rather than buffering the rest.
static bool impossible_length(const Input* in, uint64_t length) {
    if (length > kLargestRecord)
        return true;
    return in->src->size != UINT64_MAX && length > in->src->size - file_position(in);
}

static void stop_walk(Input* in, CaptureFileAnalysis* a) { a->ignored_tail_bytes = bytes_to_end(in); }

// --- Per-endpoint tally ---------------------------------------------------------

static bool is_endpoint(const EndpointTally* e, uint16_t bus, uint16_t device, uint8_t endpoint) {
    return e->bus == bus && e->device == device && e->endpoint == endpoint;
}

static EndpointTally* find_or_add_endpoint(CaptureFileAnalysis* a, uint16_t bus, uint16_t device,
                                           uint8_t endpoint) {
    for (int i = 0; i < a->endpoint_count; i++) {
        if (is_endpoint(&a->endpoints[i], bus, device, endpoint)) {
            a->last_endpoint = i;
            return &a->endpoints[i];
        }
    }
    if (a->endpoint_count == ENDPOINT_SLOTS)
        return NULL;
    a->last_endpoint = a->endpoint_count;
    EndpointTally* e = &a->endpoints[a->endpoint_count++];
    memset(e, 0, sizeof *e);
    e->bus = bus;
    e->device = device;
    e->endpoint = endpoint;
    e->prev_ts_us = -1;
    e->binterval = -1;
    return e;
}

static inline EndpointTally* endpoint_slot(CaptureFileAnalysis* a, uint16_t bus, uint16_t device,
                                           uint8_t endpoint) {
    // Reports come in runs from one endpoint: try the last one found first.
    EndpointTally* last = &a->endpoints[a->last_endpoint];
    if (a->endpoint_count && is_endpoint(last, bus, device, endpoint))
        return last;
    return find_or_add_endpoint(a, bus, device, endpoint);
}

static void keep_gap(EndpointTally* e, int64_t gap) {
    if (gap < 100 || gap > 50000 || e->gaps_failed)
        return;
    if (e->gap_count == e->gap_capacity) {
        uint64_t cap = e->gap_capacity ? e->gap_capacity * 2 : 1024;
        double* grown = (double*)heap_realloc(e->gaps_us, (size_t)cap * sizeof(double));
        if (!grown) {
            e->gaps_failed = true;
            return;
        }
        e->gaps_us = grown;
        e->gap_capacity = cap;
    }
    e->gaps_us[e->gap_count++] = (double)gap;
}

// Returns the gap since the endpoint's previous completion, -1 for its first.
static int64_t endpoint_report(EndpointTally* e, int64_t ts_us) {
    e->reports++;
    int64_t gap = e->prev_ts_us == -1 ? -1 : ts_us - e->prev_ts_us;
    if (gap >= 0)
        keep_gap(e, gap);
    tally_gap(&e->prev_ts_us, ts_us, &e->valid_gaps, &e->gap_sum_us, &e->max_gap_us);
    return gap;
}

// Endpoint descriptors inside a configuration descriptor that a device returned.
static void note_configuration(CaptureFileAnalysis* a, const UsbPcapHeader* h) {
    if (h->payload_len < 9 || h->payload[1] != USB_DESCRIPTOR_CONFIGURATION)
        return;
    uint64_t off = 0;
    EndpointDescriptor d;
    while (next_endpoint_descriptor(h->payload, h->payload_len, &off, &d)) {
        EndpointTally* e = endpoint_slot(a, h->bus, h->device, d.address);
        if (e)
            e->binterval = d.binterval;
    }
}

static void tally_endpoints(CaptureFileAnalysis* a, const CaptureSource* src, int64_t ts_us,
                            const uint8_t* p, uint32_t incl_len) {
    UsbPcapHeader h;
    if (usbpcap_decode(p, incl_len, &h) != USBPCAP_DECODED || !h.has_address)
        return;
    if (h.function == URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER && h.from_device &&
        h.transfer != USBPCAP_TRANSFER_INTERRUPT)
        a->non_interrupt_in++;
    if (is_in_completion(&h)) {
        EndpointTally* e = endpoint_slot(a, h.bus, h.device, h.endpoint);
        int64_t gap = -1;
        if (e) {
            e->transfer = h.transfer;
            gap = endpoint_report(e, ts_us);
        }
        if (src->on_completion) {
            InCompletion c = {ts_us, h.bus, h.device, h.endpoint, h.transfer, gap};
            src->on_completion(src->completion_ctx, &c);
        }
    } else if ((h.function == URB_FUNCTION_CONTROL_TRANSFER ||
                h.function == URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE) &&
               h.from_device) {
        note_configuration(a, &h);
    }
}

static void handle_packet(CaptureFileAnalysis* a, const CaptureSource* src, int64_t ts_us,
                          const uint8_t* p, uint32_t len) {
    if (a->usbpcap_records == 0 || ts_us < a->first_ts_us)
        a->first_ts_us = ts_us;
    if (a->usbpcap_records == 0 || ts_us > a->last_ts_us)
        a->last_ts_us = ts_us;
    a->usbpcap_records++;
    tally_packet(&a->tally, ts_us, p, len);
    tally_endpoints(a, src, ts_us, p, len);
}

// --- Classic pcap ---------------------------------------------------------------

static void walk_pcap(Input* in, CaptureFileAnalysis* a, bool big, bool nanoseconds) {
    if (!need(in, PCAP_GLOBAL_HEADER_BYTES)) {
        a->ignored_tail_bytes = available(in);  // a cut-off global header
        return;
    }
    uint32_t link_type = rd32(cursor(in) + 20, big) & 0xFFFF;
    in->off += PCAP_GLOBAL_HEADER_BYTES;
    if (link_type != kLinkTypeUsbPcap) {
        a->status = CAPTURE_FILE_NO_USBPCAP;
        return;
    }
    for (;;) {
        if (!need(in, 16))
            break;
        PcapRecordHeader r = pcap_record_header(cursor(in), big);
        uint64_t size = PCAP_RECORD_HEADER_BYTES + (uint64_t)r.incl_len;
        if (impossible_length(in, size)) {
            stop_walk(in, a);
            return;
        }
        if (!need(in, size))
            break;
        int64_t ts_us = (int64_t)r.ts_sec * 1000000 +
                        (int64_t)(nanoseconds ? r.ts_frac / 1000 : r.ts_frac);
        handle_packet(a, in->src, ts_us, cursor(in) + PCAP_RECORD_HEADER_BYTES, r.incl_len);
        in->off += size;
    }
    a->ignored_tail_bytes = available(in);
}

// --- pcapng -----------------------------------------------------------------------

struct PcapngInterface {
    uint16_t link_type;
    uint8_t tsresol;  // if_tsresol: 10^-n, or 2^-n with bit 7 set
};

struct PcapngSection {
    bool big;
    PcapngInterface interfaces[PCAPNG_INTERFACES];
    uint32_t interface_count;  // may exceed the table; extra interfaces are skipped
    bool usbpcap_seen;
};

// Microseconds, kept below 2^62 (146,000 years) so that differences between
// any two stamps stay representable.
static int64_t pcapng_to_us(uint64_t ts, uint8_t tsresol) {
    const unsigned __int128 limit = (unsigned __int128)1 << 62;
    unsigned n = tsresol & 0x7F;
    unsigned __int128 us;
    if (tsresol & 0x80) {
        us = ((unsigned __int128)ts * 1000000u) >> n;
    } else if (n >= 6) {
        uint64_t scale = 1;
        for (unsigned i = 6; i < n && scale <= UINT64_MAX / 10; i++)
            scale *= 10;
        us = n - 6 > 19 ? 0 : ts / scale;
    } else {
        unsigned __int128 scale = 1;
        for (unsigned i = n; i < 6; i++)
            scale *= 10;
        us = (unsigned __int128)ts * scale;
    }
    return (int64_t)(us < limit ? us : limit);
}

static void pcapng_interface(PcapngSection* s, const uint8_t* block, uint32_t length) {
    PcapngInterface itf = {rd16(block + 8, s->big), 6};
    uint32_t off = 16;
    while (off + 4 <= length - 4) {
        uint16_t code = rd16(block + off, s->big);
        uint16_t option_len = rd16(block + off + 2, s->big);
        if (code == PCAPNG_OPTION_END || off + 4 + option_len > length - 4)
            break;
        if (code == PCAPNG_OPTION_TSRESOL && option_len >= 1)
            itf.tsresol = block[off + 4];
        off += 4 + ((option_len + 3u) & ~3u);
    }
    if (itf.link_type == kLinkTypeUsbPcap)
        s->usbpcap_seen = true;
    if (s->interface_count < PCAPNG_INTERFACES)
        s->interfaces[s->interface_count] = itf;
    s->interface_count++;
}

static void pcapng_packet(PcapngSection* s, CaptureFileAnalysis* a, const CaptureSource* src,
                          const uint8_t* block,
                          uint32_t length) {
    if (length < 32)
        return;
    uint32_t interface_id = rd32(block + 8, s->big);
    uint64_t ts = ((uint64_t)rd32(block + 12, s->big) << 32) | rd32(block + 16, s->big);
    uint32_t captured = rd32(block + 20, s->big);
    if (interface_id >= s->interface_count || interface_id >= PCAPNG_INTERFACES ||
        (uint64_t)captured > length - 32)
        return;
    const PcapngInterface* itf = &s->interfaces[interface_id];
    if (itf->link_type != kLinkTypeUsbPcap)
        return;
    handle_packet(a, src, pcapng_to_us(ts, itf->tsresol), block + 28, captured);
}

static void walk_pcapng(Input* in, CaptureFileAnalysis* a) {
    PcapngSection section;
    bool usbpcap_seen = false;
    memset(&section, 0, sizeof section);
    for (;;) {
        if (!need(in, 12))
            break;
        const uint8_t* b = cursor(in);
        if (le32(b) == PCAPNG_SECTION_HEADER) {
            uint32_t bom = le32(b + 8);
            if (bom != 0x1A2B3C4D && bom != 0x4D3C2B1A) {
                stop_walk(in, a);
                break;
            }
            usbpcap_seen = usbpcap_seen || section.usbpcap_seen;
            memset(&section, 0, sizeof section);
            section.big = bom == 0x4D3C2B1A;
        }
        uint32_t type = rd32(b, section.big);
        uint32_t length = rd32(b + 4, section.big);
        if (length < 12 || length % 4 != 0 || impossible_length(in, length)) {
            stop_walk(in, a);
            break;
        }
        if (!need(in, length))
            break;
        b = cursor(in);
        if (type == PCAPNG_INTERFACE_DESCRIPTION && length >= 20)
            pcapng_interface(&section, b, length);
        else if (type == PCAPNG_ENHANCED_PACKET)
            pcapng_packet(&section, a, in->src, b, length);
        in->off += length;
    }
    if (a->ignored_tail_bytes == 0)
        a->ignored_tail_bytes = available(in);
    if (!(usbpcap_seen || section.usbpcap_seen))
        a->status = CAPTURE_FILE_NO_USBPCAP;
}

// --- Analysis -------------------------------------------------------------------

static void finish_endpoints(CaptureFileAnalysis* a) {
    for (int i = 0; i < a->endpoint_count; i++) {
        EndpointTally* e = &a->endpoints[i];
        distribution_of(e->gaps_us, e->gaps_failed ? 0 : e->gap_count, &e->gaps);
        heap_free(e->gaps_us);
        e->gaps_us = NULL;
        e->gap_capacity = 0;
    }
}

void analyse_capture(const CaptureSource* src, CaptureFileAnalysis* a) {
    memset(a, 0, sizeof *a);
    capture_tally_init(&a->tally);
    Input in;
    memset(&in, 0, sizeof in);
    in.src = src;
    in.chunk_bytes = src->chunk_bytes ? src->chunk_bytes : kDefaultChunkBytes;

    need(&in, 4);
    a->first_count = (int)(available(&in) < 4 ? available(&in) : 4);
    if (a->first_count)
        memcpy(a->first_bytes, cursor(&in), (size_t)a->first_count);
    if (in.error) {
        a->status = CAPTURE_FILE_READ_ERROR;
    } else if (a->first_count == 0) {
        a->status = CAPTURE_FILE_EMPTY_FILE;
    } else if (a->first_count < 4) {
        a->status = CAPTURE_FILE_NOT_PCAP;
    } else {
        uint32_t magic = le32(cursor(&in));
        if (magic == 0xA1B2C3D4 || magic == 0xD4C3B2A1)
            walk_pcap(&in, a, magic == 0xD4C3B2A1, false);
        else if (magic == 0xA1B23C4D || magic == 0x4D3CB2A1)
            walk_pcap(&in, a, magic == 0x4D3CB2A1, true);
        else if (magic == PCAPNG_SECTION_HEADER)
            walk_pcapng(&in, a);
        else
            a->status = CAPTURE_FILE_NOT_PCAP;
        if (a->status == CAPTURE_FILE_OK && in.error)
            a->status = CAPTURE_FILE_READ_ERROR;
        if (a->status == CAPTURE_FILE_OK && a->usbpcap_records == 0)
            a->status = CAPTURE_FILE_NO_PACKETS;
    }
    gb_free(&in.buf);
    finish_endpoints(a);
}

// --- Text -----------------------------------------------------------------------

static int by_reports_descending(const void* x, const void* y) {
    const EndpointTally* a = *(const EndpointTally* const*)x;
    const EndpointTally* b = *(const EndpointTally* const*)y;
    if (a->reports != b->reports)
        return a->reports < b->reports ? 1 : -1;
    return a < b ? -1 : (a > b);  // stable: first seen first
}

static void append_endpoints(const CaptureFileAnalysis* a, WideText* out) {
    const EndpointTally* order[ENDPOINT_SLOTS];
    int n = 0;
    for (int i = 0; i < a->endpoint_count; i++) {
        if (a->endpoints[i].reports > 0)
            order[n++] = &a->endpoints[i];
    }
    qsort(order, (size_t)n, sizeof order[0], by_reports_descending);
    wide_text_appendf(out, L"\nInterrupt-IN and bulk-IN endpoints (bus.device.endpoint):\n");
    if (n == 0)
        wide_text_appendf(out, L"  (none)\n");
    for (int i = 0; i < n && i < ENDPOINT_REPORT_LINES; i++) {
        const EndpointTally* e = order[i];
        double avg = e->valid_gaps ? 1000000.0 / (e->gap_sum_us / (double)e->valid_gaps) : 0;
        double lowest = e->max_gap_us > 0 ? 1000000.0 / e->max_gap_us : 0;
        wide_text_appendf(out, L"  %u.%u.0x%02X  reports=%llu  avg=%7.1f Hz  lowest=%7.1f Hz",
                    (unsigned)e->bus, (unsigned)e->device, (unsigned)e->endpoint,
                    (unsigned long long)e->reports, avg, lowest);
        if (e->gaps_failed)
            wide_text_appendf(out, L"  p50, p99, sd: no memory");
        else
            wide_text_appendf(out, L"  p50=%.1fus p99=%.1fus sd=%.1fus", e->gaps.pct_us[PCT_50],
                              e->gaps.pct_us[PCT_99], e->gaps.sd_us);
        if (e->binterval >= 0)
            wide_text_appendf(out, L"  bInterval=%d", e->binterval);
        else
            wide_text_appendf(out, L"  bInterval not seen");
        wide_text_appendf(out, e->transfer == USBPCAP_TRANSFER_BULK ? L"  bulk\n" : L"\n");
    }
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
                    L"\nIgnored %llu bytes at the end of the file (incomplete last record).\n",
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

// --- Files ----------------------------------------------------------------------

static size_t read_stdio(void* ctx, uint8_t* buf, size_t n) {
    FILE* f = (FILE*)ctx;
    size_t got = fread(buf, 1, n, f);
    if (got == 0 && ferror(f))
        return (size_t)-1;
    return got;
}

static uint64_t stdio_size(FILE* f) {
#ifdef _WIN32
    if (_fseeki64(f, 0, SEEK_END) != 0)
        return UINT64_MAX;
    long long size = _ftelli64(f);
    if (_fseeki64(f, 0, SEEK_SET) != 0 || size < 0)
        return UINT64_MAX;
#else
    if (fseeko(f, 0, SEEK_END) != 0)
        return UINT64_MAX;
    off_t size = ftello(f);
    if (fseeko(f, 0, SEEK_SET) != 0 || size < 0)
        return UINT64_MAX;
#endif
    return (uint64_t)size;
}

CaptureSource capture_source_of_file(FILE* f) {
    CaptureSource src = {read_stdio, f, stdio_size(f), 0, NULL, NULL};
    return src;
}
