// The live capture's hubs, reads and collected times. A hub is dropped when
// its header is wrong or its reads keep failing, so a broken hub can neither
// end the measurement nor make the loop spin.
#include "capture/usb_session.h"

#include <string.h>

#include <algorithm>
#include <tuple>

#include "core/heap.h"
#include "core/usbpcap_record.h"

bool usb_session_open(UsbSession* s, bool keep_records, char* error, size_t cap) {
    memset(s, 0, sizeof *s);
    s->keep_records = keep_records;
    DWORD code = usbpcap_driver_installed();
    if (code != 0) {
        snprintf(error, cap,
                 "Error: --usb needs the USBPcap capture driver, which is not installed (error %lu). "
                 "Install it from https://github.com/desowin/usbpcap/releases and restart Windows.\n",
                 (unsigned long)code);
        return false;
    }
    if (!usbpcap_process_elevated()) {
        snprintf(error, cap,
                 "Error: --usb needs administrator rights to open the USBPcap devices. Run the "
                 "terminal as administrator and try again.\n");
        return false;
    }
    int numbers[USBPCAP_MAX_HUBS];
    int count = usbpcap_list_hubs(numbers, USBPCAP_MAX_HUBS, &code);
    if (count < 0) {
        snprintf(error, cap, "Error: --usb could not list the USBPcap devices (error %lu).\n",
                 (unsigned long)code);
        return false;
    }
    if (count == 0) {
        snprintf(error, cap,
                 "Error: --usb found no USBPcap device: restart Windows after installing the driver.\n");
        return false;
    }
    s->hubs = (Hub*)heap_alloc(sizeof(Hub) * (size_t)count);
    s->failures = (int*)heap_alloc(sizeof(int) * (size_t)count);
    s->saved = (GrowBuf*)heap_alloc(sizeof(GrowBuf) * (size_t)count);
    if (!s->hubs || !s->failures || !s->saved) {
        snprintf(error, cap, "Error: out of memory.\n");
        usb_session_free(s);
        return false;
    }
    memset(s->hubs, 0, sizeof(Hub) * (size_t)count);
    memset(s->failures, 0, sizeof(int) * (size_t)count);
    memset(s->saved, 0, sizeof(GrowBuf) * (size_t)count);
    s->hub_count = count;
    for (int i = 0; i < count; i++) {
        s->hubs[i].handle = INVALID_HANDLE_VALUE;
        hub_compose_path(&s->hubs[i], numbers[i]);  // "\\.\USBPcapN" always fits
    }
    HubOpenFailure first;
    int opened = hubs_open_all(s->hubs, count, &first);
    for (int i = 0; i < count; i++) {
        if (s->hubs[i].live && !hub_start_read(&s->hubs[i])) {
            hub_release(&s->hubs[i]);
            opened--;
        }
    }
    if (opened <= 0) {
        snprintf(error, cap,
                 "Error: --usb could not open any USBPcap device (%ls error %lu). Run the terminal "
                 "as administrator.\n",
                 first.call ? first.call : L"ReadFile", (unsigned long)first.error);
        usb_session_free(s);
        return false;
    }
    return true;
}

static UsbEndpointTimes* endpoint_of(UsbSession* s, const InCompletion* c) {
    for (int i = 0; i < s->endpoint_count; i++) {
        UsbEndpointTimes* e = &s->endpoints[i];
        if (e->bus == c->bus && e->device == c->device && e->endpoint == c->endpoint)
            return e;
    }
    if (s->endpoint_count == USB_SESSION_ENDPOINTS)
        return NULL;
    UsbEndpointTimes* e = &s->endpoints[s->endpoint_count++];
    memset(e, 0, sizeof *e);
    e->bus = c->bus;
    e->device = c->device;
    e->endpoint = c->endpoint;
    return e;
}

static void keep_completion(void* ctx, const InCompletion* c) {
    UsbSession* s = (UsbSession*)ctx;
    if (c->transfer != USBPCAP_TRANSFER_INTERRUPT || s->full)
        return;
    UsbEndpointTimes* e = endpoint_of(s, c);
    if (!e)
        return;
    if (e->count == e->capacity) {
        size_t grown = e->capacity ? e->capacity * 2 : 4096;
        int64_t* block = (int64_t*)heap_realloc(e->times, grown * sizeof(int64_t));
        if (!block || s->stored >= USB_SESSION_MAX_TIMES) {
            s->full = true;
            return;
        }
        e->times = block;
        e->capacity = grown;
    }
    e->times[e->count++] = c->ts_us;
    s->stored++;
}

struct KeepRecord {
    UsbSession* session;
    GrowBuf* saved;
};

static void keep_record(void* ctx, const uint8_t* record, uint64_t bytes) {
    KeepRecord* k = (KeepRecord*)ctx;
    if (k->saved->len + bytes <= USB_SESSION_MAX_SAVED)
        gb_append(k->saved, record, bytes);
}

static void keep_both(void* ctx, const InCompletion* c) { keep_completion(((KeepRecord*)ctx)->session, c); }

static void take_in(UsbSession* s, int i, DWORD bytes) {
    Hub* h = &s->hubs[i];
    gb_append(&h->stream, h->read.chunk, bytes);
    if (!h->header_done) {
        HeaderCheck c = check_global_header(&h->stream);
        if (c.result == HEADER_REJECTED) {
            hub_release(h);
            return;
        }
        if (c.result == HEADER_PENDING)
            return;
        h->header_done = true;
    }
    KeepRecord k = {s, &s->saved[i]};
    walk_in_completions(&h->stream, s->keep_records ? keep_record : NULL, keep_both, &k);
}

bool usb_session_wait(UsbSession* s, DWORD timeout_ms) {
    for (;;) {
        UsbPcapRead* reads[USBPCAP_MAX_HUBS];
        for (int i = 0; i < s->hub_count; i++)
            reads[i] = s->hubs[i].live ? &s->hubs[i].read : NULL;
        int r = usbpcap_wait_or_message(reads, s->hub_count, timeout_ms);
        if (r == USBPCAP_WAIT_MESSAGE)
            return true;
        if (r == USBPCAP_WAIT_TIMEOUT)
            return false;
        if (r == USBPCAP_WAIT_FAILED) {
            // The wait names no hub: every hub goes, and the loop carries on
            // with messages alone.
            for (int i = 0; i < s->hub_count; i++)
                hub_release(&s->hubs[i]);
            return false;
        }
        Hub* h = &s->hubs[r];
        DWORD bytes = hub_finish_read(h);
        if (bytes > 0) {
            s->failures[r] = 0;
            take_in(s, r, bytes);
        } else if (++s->failures[r] >= USB_SESSION_READ_FAILURES) {
            hub_release(h);
        }
        if (h->live && !hub_start_read(h))
            hub_release(h);
    }
}

void usb_session_close(UsbSession* s) {
    for (int i = 0; i < s->hub_count; i++)
        hub_release(&s->hubs[i]);
}

void usb_session_free(UsbSession* s) {
    usb_session_close(s);
    for (int i = 0; s->saved && i < s->hub_count; i++)
        gb_free(&s->saved[i]);
    for (int i = 0; i < s->endpoint_count; i++)
        heap_free(s->endpoints[i].times);
    heap_free(s->hubs);
    heap_free(s->failures);
    heap_free(s->saved);
    memset(s, 0, sizeof *s);
}

bool usb_session_save(const UsbSession* s, FILE* f) {
    uint8_t header[PCAP_GLOBAL_HEADER_BYTES] = {0xD4, 0xC3, 0xB2, 0xA1, 2, 0, 4, 0};
    header[16] = 0xFF;
    header[17] = 0xFF;  // snaplen 65535
    header[20] = 249;   // LINKTYPE_USBPCAP
    if (fwrite(header, 1, sizeof header, f) != sizeof header)
        return false;
    // Each hub's records are in time order: merge them.
    uint64_t at[USBPCAP_MAX_HUBS] = {0};
    for (;;) {
        int pick = -1;
        int64_t pick_ts = 0;
        for (int i = 0; i < s->hub_count; i++) {
            const GrowBuf* b = &s->saved[i];
            if (at[i] + PCAP_RECORD_HEADER_BYTES > b->len)
                continue;
            PcapRecordHeader r = pcap_record_header(b->data + at[i], false);
            int64_t ts = (int64_t)r.ts_sec * 1000000 + r.ts_frac;
            if (pick < 0 || ts < pick_ts) {
                pick = i;
                pick_ts = ts;
            }
        }
        if (pick < 0)
            break;
        const GrowBuf* b = &s->saved[pick];
        PcapRecordHeader r = pcap_record_header(b->data + at[pick], false);
        uint64_t size = PCAP_RECORD_HEADER_BYTES + (uint64_t)r.incl_len;
        if (fwrite(b->data + at[pick], 1, (size_t)size, f) != size)
            return false;
        at[pick] += size;
    }
    return fflush(f) == 0;
}

// Ties go to more completions, then to the lower bus.device.endpoint.
static bool better_than(const UsbEndpointTimes* e, uint64_t score, const UsbEndpointTimes* best,
                        uint64_t best_score) {
    if (!best || score != best_score)
        return !best || score > best_score;
    if (e->count != best->count)
        return e->count > best->count;
    return std::make_tuple(e->bus, e->device, e->endpoint) <
           std::make_tuple(best->bus, best->device, best->endpoint);
}

const UsbEndpointTimes* usb_session_best(const UsbSession* s, const int64_t* p, size_t count) {
    const UsbEndpointTimes* best = NULL;
    uint64_t best_score = 0;
    for (int i = 0; i < s->endpoint_count; i++) {
        const UsbEndpointTimes* e = &s->endpoints[i];
        std::sort(e->times, e->times + e->count);
        const uint64_t score = endpoint_score(e->times, e->count, p, count);
        if (score > 0 && better_than(e, score, best, best_score)) {
            best = e;
            best_score = score;
        }
    }
    return best;
}
