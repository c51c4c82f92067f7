// The capture diagnostic. Each step that succeeds adds a line to a progress
// log that prefixes every later failure message. The driver keeps one capture
// stream per root hub, so every hub is opened, set up and read with one
// overlapped read outstanding; the per-hub tallies are merged into one report,
// whose headline judges one endpoint from the table all hubs count into.
// The outcome is composed first and shown last, so that nothing but the final
// box depends on the window.
#include "capture/usbpcap_diag.h"

#include <stdarg.h>
#include <string.h>
#include <wchar.h>

#include "core/captures/capture_headline.h"
#include "core/captures/capture_stream.h"
#include "core/heap.h"
#include "core/views/capture_file_report.h"
#include "core/views/texts.h"
#include "devices/mouse_registry.h"
#include "engine/reception.h"
#include "platform/counter.h"
#include "platform/diag_clock.h"
#include "platform/message_box.h"
#include "capture/usbpcap_hubs.h"
#include "platform/usbpcap_driver.h"

enum {
    // One deadline for the header phase and the capture window together: the
    // window's thread is held for no longer than this.
    CAPTURE_WINDOW_MS = 3000,
    EMPTY_READ_PAUSE_MS = 5,
};

// --- Progress log and outcomes -----------------------------------------------

static void log_append(wchar_t* log, const wchar_t* line) {
    size_t used = wcslen(log);
    size_t room = DIAG_LOG_UNITS - 1 - used;
    size_t n = wcslen(line);
    if (n > room)
        n = room;
    wmemcpy(log + used, line, n);
    log[used + n] = 0;
}

// Formats a failure, cut to the log's 768 units; returns 1 for the caller.
static int fail(DiagOutcome* out, const wchar_t* caption, const wchar_t* fmt, ...) {
    static wchar_t full[4096];
    va_list args;
    va_start(args, fmt);
    int n = vswprintf(full, 4096, fmt, args);
    va_end(args);
    if (n < 0)
        full[4095] = 0;
    wcsncpy(out->text, full, DIAG_LOG_UNITS - 1);
    out->text[DIAG_LOG_UNITS - 1] = 0;
    out->caption = caption;
    out->type = MB_ICONWARNING;
    out->result = 1;
    return 1;
}

// --- Hubs -------------------------------------------------------------------------

enum HubFailure {
    HUB_NO_FAILURE,
    HUB_NO_HEADER,  // read failed, returned nothing, or no header in time
    HUB_MISMATCH,
    HUB_BIG_ENDIAN,
};

struct Diag {
    wchar_t log[DIAG_LOG_UNITS];
    Hub* hubs;
    int hub_count;
    HubFailure first_failure;
    uint32_t first_magic;
    UsbEndpointTable endpoints;  // every hub's, for the headline's endpoint
};

static void release_all(Diag* d) {
    if (!d->hubs)
        return;
    for (int i = 0; i < d->hub_count; i++)
        hub_release(&d->hubs[i]);
    heap_free(d->hubs);
    d->hubs = NULL;
}

static void drop_hub(Diag* d, Hub* h, HubFailure why, uint32_t magic) {
    if (d->first_failure == HUB_NO_FAILURE) {
        d->first_failure = why;
        d->first_magic = magic;
    }
    hub_release(h);
}

static int open_hubs(Diag* d, DiagOutcome* out) {
    HubOpenFailure first;
    if (hubs_open_all(d->hubs, d->hub_count, &first) > 0)
        return 0;
    wchar_t path[HUB_PATH_UNITS];
    wcscpy(path, d->hubs[first.hub].path);
    release_all(d);
    return fail(out, txw(TX_DIAG_STEP4_CAPTION), txw(TX_DIAG_STEP4), d->log, first.call, first.error,
                path, txw(TX_DIAG_DOWNLOAD));
}

// --- Reading ----------------------------------------------------------------------

// Whether some hub is still live (and, when reading is asked, has a read pending).
static bool any_hub(const Diag* d, bool reading) {
    for (int i = 0; i < d->hub_count; i++) {
        if (d->hubs[i].live && (!reading || d->hubs[i].read.pending))
            return true;
    }
    return false;
}

// Keeps one read outstanding on every live hub. Before its header a hub that
// cannot read is dropped; afterwards a read error is never reported, the hub
// just tries again on the next turn.
static void start_reads(Diag* d) {
    for (int i = 0; i < d->hub_count; i++) {
        Hub* h = &d->hubs[i];
        if (h->live && !hub_start_read(h) && !h->header_done)
            drop_hub(d, h, HUB_NO_HEADER, 0);
    }
}

// A failed wait names no hub, and waiting again would fail again at once:
// every hub that was waited on ends.
static void end_waited_hubs(Diag* d) {
    for (int i = 0; i < d->hub_count; i++) {
        Hub* h = &d->hubs[i];
        if (h->live && h->read.pending)
            drop_hub(d, h, HUB_NO_HEADER, 0);
    }
}

// A hub whose stream went wrong after its header stops reading, but what it
// counted until then stays in the report; before its header it is dropped.
static void data_arrived(Diag* d, Hub* h, DWORD bytes) {
    HeaderCheck header;
    switch (hub_take_in(h, bytes, &d->endpoints, NULL, NULL, &header)) {
    case HUB_TAKEN:
        break;
    case HUB_HEADER_REFUSED:
        drop_hub(d, h, header.result == HEADER_BIG_ENDIAN ? HUB_BIG_ENDIAN : HUB_MISMATCH,
                 header.magic);
        break;
    case HUB_STREAM_NO_MEMORY:
    case HUB_STREAM_CORRUPT:
        if (h->header_done)
            hub_release(h);
        else
            drop_hub(d, h, HUB_NO_HEADER, 0);
        break;
    }
}

// The one read loop: headers and records alike, until the shared deadline.
static void read_hubs(Diag* d) {
    const uint32_t start = diag_ticks();
    for (;;) {
        uint32_t elapsed = diag_ticks() - start;  // unsigned: survives the wrap-around
        if (elapsed >= CAPTURE_WINDOW_MS || !any_hub(d, false))
            break;
        start_reads(d);
        if (!any_hub(d, true)) {
            diag_sleep(EMPTY_READ_PAUSE_MS);
            continue;
        }
        UsbPcapRead* reads[USBPCAP_MAX_HUBS];
        for (int i = 0; i < d->hub_count; i++)
            reads[i] = d->hubs[i].live ? &d->hubs[i].read : NULL;
        int i = usbpcap_wait(reads, d->hub_count, CAPTURE_WINDOW_MS - elapsed);
        if (i == USBPCAP_WAIT_FAILED) {
            end_waited_hubs(d);
            continue;
        }
        if (i < 0)
            continue;
        Hub* h = &d->hubs[i];
        DWORD bytes = hub_finish_read(h);
        if (bytes > 0) {
            data_arrived(d, h, bytes);
        } else if (!h->header_done) {
            drop_hub(d, h, HUB_NO_HEADER, 0);  // no retry before the header
        } else {
            diag_sleep(EMPTY_READ_PAUSE_MS);
        }
    }
    for (int i = 0; i < d->hub_count; i++) {
        Hub* h = &d->hubs[i];
        if (h->live && !h->header_done)
            drop_hub(d, h, HUB_NO_HEADER, 0);
    }
}

static void merge_tally(CaptureTally* into, const CaptureTally* t) {
    into->total_packets += t->total_packets;
    into->bulk_int_packets += t->bulk_int_packets;
    into->control_packets += t->control_packets;
    into->valid_in_intervals += t->valid_in_intervals;
    into->interval_sum_us += t->interval_sum_us;
    if (t->max_interval_us > into->max_interval_us)
        into->max_interval_us = t->max_interval_us;
    if (t->min_binterval != -1 &&
        (into->min_binterval == -1 || t->min_binterval < into->min_binterval))
        into->min_binterval = t->min_binterval;
    into->dir_byte_seen = into->dir_byte_seen || t->dir_byte_seen;
}

// --- The four steps ---------------------------------------------------------------

static int find_hubs(Diag* d, DiagOutcome* out) {
    DWORD error = usbpcap_driver_installed();
    if (error != 0)
        return fail(out, txw(TX_DIAG_STEP1_CAPTION), txw(TX_DIAG_STEP1), error, txw(TX_DIAG_DOWNLOAD));
    log_append(d->log, txw(TX_DIAG_STEP1_DONE));

    int numbers[USBPCAP_MAX_HUBS];
    int count = usbpcap_list_hubs(numbers, USBPCAP_MAX_HUBS, &error);
    if (count < 0)
        return fail(out, txw(TX_DIAG_STEP2_CAPTION), txw(TX_DIAG_STEP2), d->log, error,
                    txw(TX_DIAG_DOWNLOAD));
    if (count == 0)
        return fail(out, txw(TX_DIAG_STEP2_CAPTION), txw(TX_DIAG_STEP2_NONE), d->log,
                    txw(TX_DIAG_DOWNLOAD));
    log_append(d->log, txw(TX_DIAG_STEP2_DONE));

    d->hubs = (Hub*)heap_alloc(sizeof(Hub) * (size_t)count);
    if (!d->hubs) {
        wcscpy(out->text, txw(TX_DIAG_NO_MEMORY));
        out->caption = txw(TX_DIAG_CAPTION);
        out->type = MB_OK;
        out->result = 1;
        return 1;
    }
    memset(d->hubs, 0, sizeof(Hub) * (size_t)count);
    d->hub_count = count;
    for (int i = 0; i < count; i++) {
        Hub* h = &d->hubs[i];
        h->handle = INVALID_HANDLE_VALUE;
        usbpcap_counter_init(&h->count);
        if (!hub_compose_path(h, numbers[i])) {
            release_all(d);
            return fail(out, txw(TX_DIAG_STEP3_CAPTION), txw(TX_DIAG_STEP3), d->log,
                        (unsigned long)ERROR_BUFFER_OVERFLOW, txw(TX_DIAG_DOWNLOAD));
        }
    }
    log_append(d->log, txw(TX_DIAG_STEP3_DONE));
    return 0;
}

static int header_failure(Diag* d, DiagOutcome* out) {
    HubFailure why = d->first_failure;
    uint32_t magic = d->first_magic;
    release_all(d);
    if (why == HUB_MISMATCH)
        return fail(out, txw(TX_DIAG_MISMATCH_CAPTION), txw(TX_DIAG_MISMATCH), d->log, magic,
                    txw(TX_DIAG_DOWNLOAD));
    if (why == HUB_BIG_ENDIAN)
        return fail(out, txw(TX_DIAG_MISMATCH_CAPTION), txw(TX_DIAG_BIG_ENDIAN), d->log,
                    magic & 0xFF, (magic >> 8) & 0xFF, (magic >> 16) & 0xFF, magic >> 24,
                    txw(TX_DIAG_DOWNLOAD));
    return fail(out, txw(TX_DIAG_READ_CAPTION), txw(TX_DIAG_NO_HEADER), d->log);
}

// The ids of a slot's mouse, as its device path spells them (hex).
static bool slot_ids(int slot, DeviceIds* out) {
    if (slot <= 0 || slot >= g_nri || wcslen(g_ri_devs[slot].vid) != 4 ||
        wcslen(g_ri_devs[slot].pid) != 4)
        return false;
    out->vid = (int)wcstol(g_ri_devs[slot].vid, NULL, 16);
    out->pid = (int)wcstol(g_ri_devs[slot].pid, NULL, 16);
    return true;
}

// The steps, the capture and the report; the table is the caller's to free.
static void diagnose(Diag* d, int mouse_slot, DiagOutcome* out) {
    if (find_hubs(d, out) != 0 || open_hubs(d, out) != 0)
        return;
    log_append(d->log, txw(TX_DIAG_STEP4_DONE));

    read_hubs(d);
    // Every hub that delivered its header counts, also one that stopped later.
    bool started = false;
    CaptureTally total;
    capture_tally_init(&total);
    for (int i = 0; i < d->hub_count; i++) {
        if (d->hubs[i].header_done) {
            started = true;
            merge_tally(&total, &d->hubs[i].count.tally);
        }
    }
    if (!started) {
        header_failure(d, out);
        return;
    }
    release_all(d);
    // Asked after the capture: the mouse moved during it is the one heard from last.
    const int slot = mouse_slot >= 0
                         ? mouse_slot
                         : most_recent_active_slot(counter_read(), (double)counter_frequency());
    DeviceIds ids;
    CaptureHeadline headline;
    capture_headline_of(&d->endpoints, slot_ids(slot, &ids) ? &ids : NULL, &headline);
    format_capture_headline(&total, &headline, txw(TX_CAP_THREE_SECONDS), out->text);
    out->caption = txw(TX_DIAG_RESULT_CAPTION);
    out->type = MB_ICONINFORMATION;
    out->result = 0;
}

void usbpcap_diag_run(DiagOutcome* out, int mouse_slot) {
    static Diag d;
    memset(&d, 0, sizeof d);
    memset(out, 0, sizeof *out);
    usb_endpoints_init(&d.endpoints, 0);
    d.endpoints.no_clocks = true;  // three seconds hold no lattice worth reading
    diagnose(&d, mouse_slot, out);
    usb_endpoints_free(&d.endpoints);
}

int RunUsbPcapDiag(HWND parent, int mouse_slot) {
    static DiagOutcome outcome;
    // The reader thread stamps reports meanwhile: nothing waits for this one.
    usbpcap_diag_run(&outcome, mouse_slot);
    message_box(parent, outcome.text, outcome.caption, outcome.type);
    return outcome.result;
}
