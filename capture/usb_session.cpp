// The live capture's hubs, reads and collected times. A hub is dropped when
// its header is wrong or its reads keep failing, so a broken hub can neither
// end the measurement nor make the loop spin.
#include "capture/usb_session.h"

#include <string.h>

#include <algorithm>
#include <tuple>

#include "core/heap.h"
#include "core/captures/usbpcap_record.h"
#include "core/views/texts.h"

UsbSessionBounds g_usb_session_bounds = {USB_SESSION_MAX_TIMES, USB_SESSION_MAX_SAVED};

// The option the user gave: --usb-save keeps the records, --usb does not.
static const char* option_of(bool keep_records) { return keep_records ? "--usb-save" : "--usb"; }

// Fills numbers with the hubs to open; their count, or 0 with the reason in error.
static int find_hubs(int numbers[USBPCAP_MAX_HUBS], const char* option, char* error, size_t cap) {
    DWORD code = usbpcap_driver_installed();
    if (code != 0) {
        snprintf(error, cap, tx(TX_USB_NO_DRIVER), option, (unsigned long)code);
        return 0;
    }
    if (!usbpcap_process_elevated()) {
        snprintf(error, cap, tx(TX_USB_NOT_ELEVATED), option);
        return 0;
    }
    int count = usbpcap_list_hubs(numbers, USBPCAP_MAX_HUBS, &code);
    if (count < 0)
        snprintf(error, cap, tx(TX_USB_LIST_FAILED), option, (unsigned long)code);
    else if (count == 0)
        snprintf(error, cap, tx(TX_USB_NO_HUBS), option);
    return count < 0 ? 0 : count;
}

static bool allocate_hubs(UsbSession* s, const int numbers[], int count) {
    s->hubs = (Hub*)heap_alloc(sizeof(Hub) * (size_t)count);
    s->failures = (int*)heap_alloc(sizeof(int) * (size_t)count);
    s->saved = (UsbSavedHub*)heap_alloc(sizeof(UsbSavedHub) * (size_t)count);
    if (!s->hubs || !s->failures || !s->saved)
        return false;
    memset(s->hubs, 0, sizeof(Hub) * (size_t)count);
    memset(s->failures, 0, sizeof(int) * (size_t)count);
    memset(s->saved, 0, sizeof(UsbSavedHub) * (size_t)count);
    s->hub_count = count;
    for (int i = 0; i < count; i++) {
        s->hubs[i].handle = INVALID_HANDLE_VALUE;
        hub_compose_path(&s->hubs[i], numbers[i]);  // "\\.\USBPcapN" always fits
        s->saved[i].last_kept_us = -1;
        usbpcap_counter_init(&s->hubs[i].count);
    }
    return true;
}

bool usb_session_open(UsbSession* s, bool keep_records, char* error, size_t cap) {
    memset(s, 0, sizeof *s);
    s->keep_records = keep_records;
    s->max_saved = g_usb_session_bounds.max_saved;
    usb_endpoints_init(&s->endpoints, g_usb_session_bounds.max_times);
    s->endpoints.no_clocks = true;  // --compare and --usb run their own clock over the common span
    int numbers[USBPCAP_MAX_HUBS];
    int count = find_hubs(numbers, option_of(keep_records), error, cap);
    if (count == 0)
        return false;
    if (!allocate_hubs(s, numbers, count)) {
        snprintf(error, cap, tx(TX_USB_NO_MEMORY), option_of(keep_records));
        usb_session_free(s);
        return false;
    }
    HubOpenFailure first;
    int opened = hubs_open_all(s->hubs, count, &first);
    for (int i = 0; i < count; i++) {
        if (s->hubs[i].live && !hub_start_read(&s->hubs[i])) {
            hub_release(&s->hubs[i]);
            opened--;
        }
    }
    if (opened > 0)
        return true;
    snprintf(error, cap, tx(TX_USB_OPEN_FAILED), option_of(keep_records),
             first.call ? first.call : L"ReadFile", (unsigned long)first.error);
    usb_session_free(s);
    return false;
}

static int64_t record_time_us(const uint8_t* record) {
    PcapRecordHeader r = pcap_record_header(record, false);
    return (int64_t)r.ts_sec * 1000000 + r.ts_frac;
}

struct KeepRecord {
    UsbSession* session;
    UsbSavedHub* saved;
};

// The bound is checked first; an append that could not grow the block leaves
// the length as it was, and that is how its failure shows.
static void keep_record(void* ctx, const uint8_t* record, uint64_t bytes) {
    KeepRecord* k = (KeepRecord*)ctx;
    UsbSavedHub* h = k->saved;
    const uint64_t before = h->records.len;
    if (!h->dropped && before + bytes <= k->session->max_saved)
        gb_append(&h->records, record, bytes);
    if (h->records.len == before) {
        if (!h->dropped)
            h->out_of_memory = before + bytes <= k->session->max_saved;
        h->dropped = true;
        return;
    }
    h->kept++;
    h->last_kept_us = record_time_us(record);
}

// A hub that stops during the run: what it saved ends there, and the run
// says so (a capture that silently lost a hub would read as complete). One
// that never delivered its header never worked, and is only let go.
static void lose_hub(UsbSession* s, int i, const char* why) {
    const bool started = s->hubs[i].header_done;
    hub_release(&s->hubs[i]);
    UsbSavedHub* saved = &s->saved[i];
    if (!started)
        return;
    if (!saved->lost)
        saved->lost = why;
    if (s->keep_records)
        saved->dropped = true;
}

// A chunk the stream could not take leaves a hole that no later record can
// be found across: the hub goes. So does a stream that holds more unwalked
// bytes than any record USBPcap writes: it is corrupt, and would grow. A
// refused header only lets the hub go.
static void take_in(UsbSession* s, int i, DWORD bytes) {
    KeepRecord k = {s, &s->saved[i]};
    HeaderCheck header;
    switch (hub_take_in(&s->hubs[i], bytes, &s->endpoints, s->keep_records ? keep_record : NULL, &k,
                        &header)) {
    case HUB_TAKEN:
        break;
    case HUB_HEADER_REFUSED:
        hub_release(&s->hubs[i]);
        break;
    case HUB_STREAM_NO_MEMORY:
        s->saved[i].out_of_memory = true;
        lose_hub(s, i, tx(TX_USB_LOST_NO_MEMORY));
        break;
    case HUB_STREAM_CORRUPT:
        lose_hub(s, i, tx(TX_USB_LOST_CORRUPT));
        break;
    }
}

static void serve_hub(UsbSession* s, int i) {
    Hub* h = &s->hubs[i];
    DWORD bytes = hub_finish_read(h);
    if (bytes > 0) {
        s->failures[i] = 0;
        take_in(s, i, bytes);
    } else if (++s->failures[i] >= USB_SESSION_READ_FAILURES) {
        lose_hub(s, i, tx(TX_USB_LOST_READS));
    }
    if (h->live && !hub_start_read(h))
        lose_hub(s, i, tx(TX_USB_LOST_NEXT_READ));
}

// A wait names the first ready read of its list, so the list starts at a
// different hub each time: a busy hub cannot keep the others waiting.
static int wait_in_turn(UsbSession* s, DWORD timeout_ms) {
    UsbPcapRead* reads[USBPCAP_MAX_HUBS];
    const int start = s->next_hub % s->hub_count;
    for (int k = 0; k < s->hub_count; k++) {
        Hub* h = &s->hubs[(start + k) % s->hub_count];
        reads[k] = h->live ? &h->read : NULL;
    }
    int r = usbpcap_wait_or_message(reads, s->hub_count, timeout_ms);
    if (r < 0)
        return r;
    const int hub = (start + r) % s->hub_count;
    s->next_hub = hub + 1;
    return hub;
}

bool usb_session_wait(UsbSession* s, DWORD timeout_ms) {
    for (;;) {
        int r = wait_in_turn(s, timeout_ms);
        if (r == USBPCAP_WAIT_MESSAGE)
            return true;
        if (r == USBPCAP_WAIT_TIMEOUT)
            return false;
        if (r == USBPCAP_WAIT_FAILED) {
            // The wait names no hub: every hub goes, and the loop carries on
            // with messages alone.
            for (int i = 0; i < s->hub_count; i++) {
                if (s->hubs[i].live)
                    lose_hub(s, i, tx(TX_USB_LOST_WAIT));
            }
            return false;
        }
        serve_hub(s, r);
        // A wait prefers a ready read to a waiting message, so the queue is
        // looked at here, after every completion.
        MSG m;
        if (PeekMessageW(&m, NULL, 0, 0, PM_NOREMOVE))
            return true;
    }
}

void usb_session_close(UsbSession* s) {
    for (int i = 0; i < s->hub_count; i++)
        hub_release(&s->hubs[i]);
    usb_endpoints_sort_times(&s->endpoints);  // hubs interleave: each endpoint's times in order
}

void usb_session_free(UsbSession* s) {
    for (int i = 0; i < s->hub_count; i++)
        hub_release(&s->hubs[i]);
    for (int i = 0; s->saved && i < s->hub_count; i++)
        gb_free(&s->saved[i].records);
    usb_endpoints_free(&s->endpoints);
    heap_free(s->hubs);
    heap_free(s->failures);
    heap_free(s->saved);
    memset(s, 0, sizeof *s);
}

// The hub whose next record comes first; -1 when every hub is written out.
static int earliest_hub(const UsbSession* s, const uint64_t at[]) {
    int pick = -1;
    int64_t pick_ts = 0;
    for (int i = 0; i < s->hub_count; i++) {
        const GrowBuf* b = &s->saved[i].records;
        if (at[i] + PCAP_RECORD_HEADER_BYTES > b->len)
            continue;
        int64_t ts = record_time_us(b->data + at[i]);
        if (pick < 0 || ts < pick_ts) {
            pick = i;
            pick_ts = ts;
        }
    }
    return pick;
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
    for (int pick; (pick = earliest_hub(s, at)) >= 0;) {
        const GrowBuf* b = &s->saved[pick].records;
        PcapRecordHeader r = pcap_record_header(b->data + at[pick], false);
        uint64_t size = PCAP_RECORD_HEADER_BYTES + (uint64_t)r.incl_len;
        if (fwrite(b->data + at[pick], 1, (size_t)size, f) != size)
            return false;
        at[pick] += size;
    }
    return fflush(f) == 0;
}

void usb_session_saved_totals(const UsbSession* s, UsbSavedTotals* t) {
    *t = UsbSavedTotals{0, PCAP_GLOBAL_HEADER_BYTES, -1};
    for (int i = 0; s->saved && i < s->hub_count; i++) {
        const UsbSavedHub* h = &s->saved[i];
        t->records += h->kept;
        t->bytes += h->records.len;
        if (h->kept == 0)
            continue;
        int64_t first = record_time_us(h->records.data);
        if (t->first_us < 0 || first < t->first_us)
            t->first_us = first;
    }
}
