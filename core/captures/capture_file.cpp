// Reading saved captures: a chunked reader for pcap and pcapng that keeps at
// most one record plus one chunk in memory, whatever the file claims, and
// hands every USBPcap or usbmon packet to its counting rule, by the link type
// of its file or interface.
#include "core/captures/capture_file.h"

#include <string.h>

#include "core/heap.h"
#include "core/captures/usbmon_record.h"
#include "core/captures/usbpcap_record.h"

static const size_t kDefaultChunkBytes = 1 << 20;
// Room for a pcapng packet block's header and options beside its packet.
static const uint64_t kBlockRoom = 64 << 10;
static const uint32_t kLinkTypeUsbPcap = LINKTYPE_USBPCAP;

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
    return in->src->size != UINT64_MAX && length > in->src->size - file_position(in);
}

static void stop_walk(Input* in, CaptureFileAnalysis* a) { a->ignored_tail_bytes = bytes_to_end(in); }

// The largest packet a capture with this snap length may hold (0: none given).
static uint32_t record_limit(uint32_t snaplen) {
    const uint32_t largest = CAPTURE_RECORD_MAX_LIMIT;
    if (snaplen == 0)
        return CAPTURE_RECORD_DEFAULT_LIMIT;
    return snaplen < largest ? snaplen : largest;
}

// The capture's span, from INT64_MAX and INT64_MIN until the walk ends
// (analyse_capture).
static inline void note_time(CaptureFileAnalysis* a, int64_t ts_us) {
    a->first_ts_us = ts_us < a->first_ts_us ? ts_us : a->first_ts_us;
    a->last_ts_us = ts_us > a->last_ts_us ? ts_us : a->last_ts_us;
}

// One USBPcap packet (header and payload, incl_len bytes) stamped at ts_us.
// Inline: it runs once a record, tens of millions of times a capture.
static inline void count_packet(CaptureFileAnalysis* a, int64_t ts_us, const uint8_t* packet,
                                uint32_t incl_len) {
    note_time(a, ts_us);
    a->usbpcap_records++;
    usbpcap_count(&a->count, &a->endpoints, ts_us, packet, incl_len);
}

// One usbmon packet, its header header_bytes long in the file's byte order.
static inline void count_usbmon_packet(CaptureFileAnalysis* a, int64_t ts_us, const uint8_t* packet,
                                       uint32_t incl_len, uint32_t header_bytes, bool big) {
    note_time(a, ts_us);
    a->usbmon_records++;
    usbmon_count(&a->count, &a->usbmon, &a->endpoints, ts_us, packet, incl_len, header_bytes, big);
}

// Notes a USB link type the file holds; false for one that is none.
static bool note_link(CaptureFileAnalysis* a, uint32_t link_type) {
    if (link_type == kLinkTypeUsbPcap)
        a->usbpcap_link = true;
    else if (usbmon_header_bytes(link_type))
        a->usbmon_link = true;
    else
        return false;
    return true;
}

// --- Classic pcap ---------------------------------------------------------------

struct PcapWalk {
    bool big;
    bool nanoseconds;
    uint32_t limit;         // the largest packet a record may hold
    uint32_t usbmon_header; // a usbmon file's header bytes; 0 for USBPcap
};

// Counts the whole records in the buffer from the parse position on, with the
// position in a local, and stops at the first one that the buffer cuts off or
// that is larger than the limit (*too_large).
static void count_buffered_records(Input* in, CaptureFileAnalysis* a, const PcapWalk* w,
                                   bool* too_large) {
    const bool big = w->big, nanoseconds = w->nanoseconds;  // in registers for the loop
    const uint32_t limit = w->limit, usbmon_header = w->usbmon_header;
    const uint8_t* p = cursor(in);
    const uint8_t* const end = in->buf.data + in->buf.len;
    while (end - p >= PCAP_RECORD_HEADER_BYTES) {
        const PcapRecordHeader r = pcap_record_header(p, big);
        if (r.incl_len > limit) {
            *too_large = true;
            break;
        }
        if ((uint64_t)(end - p) - PCAP_RECORD_HEADER_BYTES < r.incl_len)
            break;
        const int64_t ts_us = (int64_t)r.ts_sec * 1000000 +
                              (int64_t)(nanoseconds ? r.ts_frac / 1000 : r.ts_frac);
        if (usbmon_header)
            count_usbmon_packet(a, ts_us, p + PCAP_RECORD_HEADER_BYTES, r.incl_len, usbmon_header, big);
        else
            count_packet(a, ts_us, p + PCAP_RECORD_HEADER_BYTES, r.incl_len);
        p += PCAP_RECORD_HEADER_BYTES + r.incl_len;
    }
    in->off = (uint64_t)(p - in->buf.data);
}

static void walk_pcap_records(Input* in, CaptureFileAnalysis* a, const PcapWalk* w) {
    for (;;) {
        bool too_large = false;
        count_buffered_records(in, a, w, &too_large);
        if (too_large) {
            stop_walk(in, a);
            return;
        }
        // The record at the parse position reaches past the buffer.
        if (!need(in, PCAP_RECORD_HEADER_BYTES))
            break;
        const PcapRecordHeader r = pcap_record_header(cursor(in), w->big);
        const uint64_t size = PCAP_RECORD_HEADER_BYTES + (uint64_t)r.incl_len;
        if (r.incl_len > w->limit || impossible_length(in, size)) {
            stop_walk(in, a);
            return;
        }
        if (!need(in, size))
            break;
    }
    a->ignored_tail_bytes = available(in);
}

static void walk_pcap(Input* in, CaptureFileAnalysis* a, bool big, bool nanoseconds) {
    if (!need(in, PCAP_GLOBAL_HEADER_BYTES)) {
        a->ignored_tail_bytes = available(in);  // a cut-off global header
        return;
    }
    const uint32_t snaplen = rd32(cursor(in) + 16, big);
    const uint32_t link_type = rd32(cursor(in) + 20, big) & 0xFFFF;
    in->off += PCAP_GLOBAL_HEADER_BYTES;
    if (!note_link(a, link_type)) {
        a->status = CAPTURE_FILE_NO_USBPCAP;
        return;
    }
    const PcapWalk w = {big, nanoseconds, record_limit(snaplen), usbmon_header_bytes(link_type)};
    walk_pcap_records(in, a, &w);
}

// --- pcapng -----------------------------------------------------------------------

struct PcapngInterface {
    uint16_t link_type;
    uint8_t tsresol;  // if_tsresol: 10^-n, or 2^-n with bit 7 set
    uint32_t limit;   // the largest packet: its SnapLen, or the default without one
};

struct PcapngSection {
    bool big;
    PcapngInterface interfaces[PCAPNG_INTERFACES];
    uint32_t interface_count;  // may exceed the table; extra interfaces are skipped
};

// Microseconds, kept below 2^62 (146,000 years) so that differences between
// any two stamps stay representable. Finer stamps are cut to whole us, as
// USBPcap itself stamps: gaps stay whole, so each endpoint's histogram of
// them is exact.
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

static void pcapng_interface(PcapngSection* s, CaptureFileAnalysis* a, const uint8_t* block,
                             uint32_t length) {
    PcapngInterface itf = {rd16(block + 8, s->big), 6, record_limit(rd32(block + 12, s->big))};
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
    note_link(a, itf.link_type);
    if (s->interface_count < PCAPNG_INTERFACES)
        s->interfaces[s->interface_count] = itf;
    s->interface_count++;
}

static uint32_t interface_limit(const PcapngSection* s, uint32_t interface_id) {
    if (interface_id >= s->interface_count || interface_id >= PCAPNG_INTERFACES)
        return CAPTURE_RECORD_DEFAULT_LIMIT;
    return s->interfaces[interface_id].limit;
}

// The longest block to buffer: a packet block may hold its interface's
// largest packet; any other block, no more than a packet without snap length.
static uint64_t block_limit(const PcapngSection* s, uint32_t type, const uint8_t* block) {
    if (type != PCAPNG_ENHANCED_PACKET)
        return CAPTURE_RECORD_DEFAULT_LIMIT + kBlockRoom;
    return 32 + (uint64_t)interface_limit(s, rd32(block + 8, s->big)) + kBlockRoom;
}

// False when the packet is larger than its interface allows: the walk ends.
static bool pcapng_packet(PcapngSection* s, CaptureFileAnalysis* a, const uint8_t* block,
                          uint32_t length) {
    if (length < 32)
        return true;
    uint32_t interface_id = rd32(block + 8, s->big);
    uint64_t ts = ((uint64_t)rd32(block + 12, s->big) << 32) | rd32(block + 16, s->big);
    uint32_t captured = rd32(block + 20, s->big);
    if (captured > interface_limit(s, interface_id))
        return false;
    if (interface_id >= s->interface_count || interface_id >= PCAPNG_INTERFACES ||
        (uint64_t)captured > length - 32)
        return true;
    const PcapngInterface* itf = &s->interfaces[interface_id];
    if (itf->link_type == kLinkTypeUsbPcap) {
        count_packet(a, pcapng_to_us(ts, itf->tsresol), block + 28, captured);
    } else {
        const uint32_t usbmon_header = usbmon_header_bytes(itf->link_type);
        if (usbmon_header)
            count_usbmon_packet(a, pcapng_to_us(ts, itf->tsresol), block + 28, captured,
                                usbmon_header, s->big);
    }
    return true;
}

// A section header block starts a new section: its byte order, no interfaces.
static bool pcapng_section_start(PcapngSection* s, const uint8_t* b) {
    uint32_t bom = le32(b + 8);
    if (bom != 0x1A2B3C4D && bom != 0x4D3C2B1A)
        return false;
    memset(s, 0, sizeof *s);
    s->big = bom == 0x4D3C2B1A;
    return true;
}

// One block at the parse position: false when the walk ends there.
static bool pcapng_block(Input* in, CaptureFileAnalysis* a, PcapngSection* s) {
    if (!need(in, 12))
        return false;
    const uint8_t* b = cursor(in);
    if (le32(b) == PCAPNG_SECTION_HEADER && !pcapng_section_start(s, b)) {
        stop_walk(in, a);
        return false;
    }
    uint32_t type = rd32(b, s->big), length = rd32(b + 4, s->big);
    if (length < 12 || length % 4 != 0 || length > block_limit(s, type, b) ||
        impossible_length(in, length)) {
        stop_walk(in, a);
        return false;
    }
    if (!need(in, length))
        return false;
    b = cursor(in);
    if (type == PCAPNG_INTERFACE_DESCRIPTION && length >= 20) {
        pcapng_interface(s, a, b, length);
    } else if (type == PCAPNG_ENHANCED_PACKET && !pcapng_packet(s, a, b, length)) {
        stop_walk(in, a);
        return false;
    }
    in->off += length;
    return true;
}

static void walk_pcapng(Input* in, CaptureFileAnalysis* a) {
    PcapngSection section;
    memset(&section, 0, sizeof section);
    while (pcapng_block(in, a, &section)) {
    }
    if (a->ignored_tail_bytes == 0)
        a->ignored_tail_bytes = available(in);
    if (!a->usbpcap_link && !a->usbmon_link)
        a->status = CAPTURE_FILE_NO_USBPCAP;
}

// --- Analysis -------------------------------------------------------------------

// The first four bytes say which format the file is in.
static void walk_by_magic(Input* in, CaptureFileAnalysis* a) {
    uint32_t magic = le32(cursor(in));
    if (magic == 0xA1B2C3D4 || magic == 0xD4C3B2A1)
        walk_pcap(in, a, magic == 0xD4C3B2A1, false);
    else if (magic == 0xA1B23C4D || magic == 0x4D3CB2A1)
        walk_pcap(in, a, magic == 0x4D3CB2A1, true);
    else if (magic == PCAPNG_SECTION_HEADER)
        walk_pcapng(in, a);
    else
        a->status = CAPTURE_FILE_NOT_PCAP;
    if (a->status == CAPTURE_FILE_OK && in->error)
        a->status = CAPTURE_FILE_READ_ERROR;
    if (a->status == CAPTURE_FILE_OK && a->usbpcap_records + a->usbmon_records == 0)
        a->status = CAPTURE_FILE_NO_PACKETS;
}

void analyse_capture(const CaptureSource* src, CaptureFileAnalysis* a) {
    memset(a, 0, sizeof *a);
    a->first_ts_us = INT64_MAX;  // each record's stamp takes the smaller, and the larger below
    a->last_ts_us = INT64_MIN;
    usb_endpoints_init(&a->endpoints, src->keep_times);
    usbpcap_counter_init(&a->count);
    usbmon_counter_init(&a->usbmon);
    a->count.on_completion = src->on_completion;
    a->count.completion_ctx = src->completion_ctx;
    Input in;
    memset(&in, 0, sizeof in);
    in.src = src;
    in.chunk_bytes = src->chunk_bytes ? src->chunk_bytes : kDefaultChunkBytes;

    need(&in, 4);
    a->first_count = (int)(available(&in) < 4 ? available(&in) : 4);
    if (a->first_count)
        memcpy(a->first_bytes, cursor(&in), (size_t)a->first_count);
    if (in.error)
        a->status = CAPTURE_FILE_READ_ERROR;
    else if (a->first_count == 0)
        a->status = CAPTURE_FILE_EMPTY_FILE;
    else if (a->first_count < 4)
        a->status = CAPTURE_FILE_NOT_PCAP;
    else
        walk_by_magic(&in, a);
    gb_free(&in.buf);
    usb_endpoints_finish_clocks(&a->endpoints);
    capture_headline_of(&a->endpoints, NULL, &a->headline);
    if (a->usbpcap_records + a->usbmon_records == 0)
        a->first_ts_us = a->last_ts_us = 0;
}

void capture_analysis_free(CaptureFileAnalysis* a) { usb_endpoints_free(&a->endpoints); }

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
    CaptureSource src = {read_stdio, f, stdio_size(f), 0, NULL, NULL, 0};
    return src;
}
