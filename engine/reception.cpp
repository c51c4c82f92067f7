// Stamps each Raw Input report the reader thread reads with the performance
// counter (once per read) and feeds the stamp and what the report carried to
// the all-mice record, the arrival log and the sending mouse's record.
#include "engine/reception.h"

#include "core/heap.h"
#include "platform/counter.h"
#include "platform/rawinput.h"
#include "platform/throttle_settings.h"
#include "platform/utc_clock.h"

std::atomic<bool> g_app_foreground{false};

void reception_free(Reception* r) {
    heap_free(r->buffer);
    r->buffer = NULL;
    r->capacity = 0;
}

void reception_read_throttle(Run* run) {
    ThrottleSettings settings;
    read_throttle_settings(&settings);
    run_set_throttle(run, &settings, throttle_decide(&settings));
}

// Grows the report buffer to exactly size bytes; on failure the old block and
// capacity stay, so only the current report is lost.
static bool ensure_report_buffer(Reception* r, UINT size) {
    if (r->capacity >= size)
        return true;
    void* block = heap_alloc(size);
    if (!block)
        return false;
    heap_free(r->buffer);
    r->buffer = block;
    r->capacity = size;
    return true;
}

// RAWMOUSE as kept; usButtonData is the wheel's signed delta when the button
// flags say the wheel turned, and is kept as it came either way.
static ReportMotion motion_of(const RAWMOUSE* m) {
    ReportMotion r;
    r.dx = (int32_t)m->lLastX;
    r.dy = (int32_t)m->lLastY;
    r.buttons = m->usButtonFlags;
    r.wheel = (int16_t)m->usButtonData;
    r.flags = m->usFlags;
    motion_hold(&r);
    return r;
}

// What a block of `size` bytes carried; none when it is too short to hold it.
static const ReportMotion* block_motion(const RAWINPUT* r, UINT size, ReportMotion* out) {
    if (size < sizeof(RAWINPUTHEADER) + sizeof(RAWMOUSE))
        return NULL;
    *out = motion_of(&r->data.mouse);
    return out;
}

// Stamps one report into the records and the log. positions[r]: how many
// reports of record r the same read brought before (counted on); null for a
// read of one report. motion: null when the report did not hold it.
static void take_report(Reception* r, HANDLE device, WPARAM input_code, int64_t t,
                        uint64_t* positions, const ReportMotion* motion) {
    const bool background = r->input_codes_follow_foreground
                                ? GET_RAWINPUT_CODE_WPARAM(input_code) == RIM_INPUTSINK
                                : !g_app_foreground.load(std::memory_order_relaxed);
    const int slot = registry_slot_of(device);
    if (slot > 0)
        g_dev_last_active[slot].store(t, std::memory_order_relaxed);
    run_take_report(r->run, t, slot, background, positions, motion);
}

// Reads a report into the reception's buffer: its size, 0 for a block shorter than its own
// header (no report: reading its type would run past the buffer), or -1 when
// it could not be read (the report is lost). One call reads any report that
// fits the buffer, which a mouse's always does; only a larger one costs a
// query of its size first.
static UINT read_report(Reception* r, HRAWINPUT report) {
    const UINT header_size = sizeof(RAWINPUTHEADER);
    if (!ensure_report_buffer(r, sizeof(RAWINPUT)))
        return (UINT)-1;
    UINT size = r->capacity;
    const UINT got = rawinput_get_data(report, RID_INPUT, r->buffer, &size, header_size);
    if (got != (UINT)-1 && got < header_size)
        return 0;
    if (got != (UINT)-1)
        return got == ((const RAWINPUTHEADER*)r->buffer)->dwSize ? got : (UINT)-1;
    size = 0;
    rawinput_get_data(report, RID_INPUT, NULL, &size, header_size);
    if (size < header_size)
        return 0;
    if (!ensure_report_buffer(r, size) ||
        rawinput_get_data(report, RID_INPUT, r->buffer, &size, header_size) != size)
        return (UINT)-1;
    return size;
}

void on_wm_input(Reception* r, HRAWINPUT report, WPARAM input_code) {
    if (!run_measuring(r->run))
        return;
    const UINT size = read_report(r, report);
    if (size == 0)
        return;
    // A report that could not be read is lost: the interval across it says
    // nothing of the mouse.
    if (size == (UINT)-1) {
        run_pause_all(r->run);
        return;
    }
    const RAWINPUTHEADER* header = (const RAWINPUTHEADER*)r->buffer;
    if (header->dwType != RIM_TYPEMOUSE)
        return;
    ReportMotion motion;
    take_report(r, header->hDevice, input_code, counter_read(), NULL,
                block_motion((const RAWINPUT*)r->buffer, size, &motion));
}

// Whether the block at r lies whole within [r, end).
static bool block_fits(const RAWINPUT* r, const BYTE* end) {
    const BYTE* at = (const BYTE*)r;
    return at + sizeof(RAWINPUTHEADER) <= end && r->header.dwSize >= sizeof(RAWINPUTHEADER) &&
           r->header.dwSize <= (size_t)(end - at);
}

// The next block of a buffered read: NEXTRAWINPUTBLOCK's rule (blocks start
// on 8-byte boundaries in a 64-bit program), written out because MinGW's
// header leans on a type it does not define.
static const RAWINPUT* next_block(const RAWINPUT* r) {
    return (const RAWINPUT*)(((ULONG_PTR)r + r->header.dwSize + 7) & ~(ULONG_PTR)7);
}

void reception_take_batch(Reception* reception, const RAWINPUT* first, UINT count, UINT bytes,
                          int64_t t) {
    if (!run_measuring(reception->run))
        return;
    uint64_t positions[REGISTRY_SLOTS] = {};
    const BYTE* end = (const BYTE*)first + bytes;
    const RAWINPUT* r = first;
    for (UINT i = 0; i < count && block_fits(r, end); i++, r = next_block(r)) {
        ReportMotion motion;
        if (r->header.dwType == RIM_TYPEMOUSE)
            take_report(reception, r->header.hDevice, r->header.wParam, t, positions,
                        block_motion(r, r->header.dwSize, &motion));
    }
}

// A thread held between its reads (the system ran something else) leaves the
// UTC anywhere between them: such a read is taken again, a bounded number of
// times, and the tightest one kept.
void reception_sample_clock(Run* run) {
    int64_t best_before = 0, best_after = 0, best_utc = 0;
    for (int i = 0; i < CLOCK_SAMPLE_TRIES; i++) {
        const int64_t before = counter_read();
        const int64_t utc = utc_now_us();
        const int64_t after = counter_read();
        if (i == 0 || after - before < best_after - best_before) {
            best_before = before;
            best_after = after;
            best_utc = utc;
        }
        if (clock_sample_tight(before, after, run->freq))
            break;
    }
    clock_map_add(&run->clock_map, best_before + (best_after - best_before) / 2, best_utc);
}

void reception_start_run(Run* run) {
    run_clear(run);
    reception_sample_clock(run);
}

void reception_stop_run(Run* run) {
    run_set_measuring(run, false);
    run->stop_t = counter_read();
}

int most_recent_active_slot(int64_t now, double freq) {
    if (g_nri <= 1)
        return 0;
    const int64_t window = (int64_t)(1.5 * freq);
    int best = 0;
    int64_t best_time = 0;
    for (int i = 1; i < g_nri; i++) {
        int64_t a = g_dev_last_active[i].load(std::memory_order_relaxed);
        if (a == 0 || !(now - a < window))
            continue;
        if (a > best_time) {
            best = i;
            best_time = a;
        }
    }
    return best;
}

DeviceStats* display_stats(Run* run) {
    const int d = run->chosen_slot;
    if (d > 0 && d < g_nri)
        return &run->records[d];
    if (d == 0)
        return &run->records[0];
    return &run->records[most_recent_active_slot(counter_read(), run->freq)];
}
