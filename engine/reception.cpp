// Stamps each Raw Input report the reader thread reads with the performance
// counter (once per read) and feeds the stamp and what the report carried to
// the all-mice record, the arrival log and the sending mouse's record.
#include "engine/reception.h"

#include "core/arrival_log.h"
#include "core/heap.h"
#include "platform/counter.h"
#include "platform/rawinput.h"
#include "platform/throttle_settings.h"
#include "platform/utc_clock.h"

void* g_ri_buf;
UINT g_ri_cap;
int g_display_dev = -1;
ThrottleSettings g_throttle_settings;
ThrottleDecision g_throttle = {false, THROTTLE_DEFAULT_MS};
int64_t g_run_stop_t;
std::atomic<bool> g_app_foreground{false};
bool g_input_codes_follow_foreground = true;

void reception_read_throttle(void) {
    read_throttle_settings(&g_throttle_settings);
    g_throttle = throttle_decide(&g_throttle_settings);
    g_throttle_period_us = 1000.0 * g_throttle.duration_ms;
}

// Grows the report buffer to exactly size bytes; on failure the old block and
// capacity stay, so only the current report is lost.
static bool ensure_report_buffer(UINT size) {
    if (g_ri_cap >= size)
        return true;
    void* block = heap_alloc(size);
    if (!block)
        return false;
    heap_free(g_ri_buf);
    g_ri_buf = block;
    g_ri_cap = size;
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
static void take_report(HANDLE device, WPARAM input_code, int64_t t, uint64_t* positions,
                        const ReportMotion* motion) {
    const bool background = g_input_codes_follow_foreground
                                ? GET_RAWINPUT_CODE_WPARAM(input_code) == RIM_INPUTSINK
                                : !g_app_foreground.load(std::memory_order_relaxed);
    const int slot = registry_slot_of(device);
    if (slot > 0)
        g_dev_last_active[slot].store(t, std::memory_order_relaxed);
    ArrivalClass cls =
        record_arrival(&g_dev_stats[0], t, background, positions ? positions[0]++ : 0, motion);
    arrival_log_append(&g_arrival_log, t, slot, background, cls, motion);
    if (slot > 0)
        record_arrival(&g_dev_stats[slot], t, background, positions ? positions[slot]++ : 0, motion);
}

// Reads a report into g_ri_buf: its size, 0 for a block shorter than its own
// header (no report: reading its type would run past the buffer), or -1 when
// it could not be read (the report is lost). One call reads any report that
// fits the buffer, which a mouse's always does; only a larger one costs a
// query of its size first.
static UINT read_report(HRAWINPUT report) {
    const UINT header_size = sizeof(RAWINPUTHEADER);
    if (!ensure_report_buffer(sizeof(RAWINPUT)))
        return (UINT)-1;
    UINT size = g_ri_cap;
    const UINT got = rawinput_get_data(report, RID_INPUT, g_ri_buf, &size, header_size);
    if (got != (UINT)-1 && got < header_size)
        return 0;
    if (got != (UINT)-1)
        return got == ((const RAWINPUTHEADER*)g_ri_buf)->dwSize ? got : (UINT)-1;
    size = 0;
    rawinput_get_data(report, RID_INPUT, NULL, &size, header_size);
    if (size < header_size)
        return 0;
    if (!ensure_report_buffer(size) ||
        rawinput_get_data(report, RID_INPUT, g_ri_buf, &size, header_size) != size)
        return (UINT)-1;
    return size;
}

void on_wm_input(HRAWINPUT report, WPARAM input_code) {
    if (!stats_measuring())
        return;
    const UINT size = read_report(report);
    if (size == 0)
        return;
    // A report that could not be read is lost: the interval across it says
    // nothing of the mouse.
    if (size == (UINT)-1) {
        stats_pause_all();
        return;
    }
    const RAWINPUTHEADER* header = (const RAWINPUTHEADER*)g_ri_buf;
    if (header->dwType != RIM_TYPEMOUSE)
        return;
    ReportMotion motion;
    take_report(header->hDevice, input_code, counter_read(), NULL,
                block_motion((const RAWINPUT*)g_ri_buf, size, &motion));
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

void reception_take_batch(const RAWINPUT* first, UINT count, UINT bytes, int64_t t) {
    if (!stats_measuring())
        return;
    uint64_t positions[REGISTRY_SLOTS] = {};
    const BYTE* end = (const BYTE*)first + bytes;
    const RAWINPUT* r = first;
    for (UINT i = 0; i < count && block_fits(r, end); i++, r = next_block(r)) {
        ReportMotion motion;
        if (r->header.dwType == RIM_TYPEMOUSE)
            take_report(r->header.hDevice, r->header.wParam, t, positions,
                        block_motion(r, r->header.dwSize, &motion));
    }
}

void reception_sample_clock(void) {
    int64_t before = counter_read();
    int64_t utc = utc_now_us();
    int64_t after = counter_read();
    clock_map_add(&g_clock_map, before + (after - before) / 2, utc);
}

void reception_start_run(void) {
    stats_reset_all();
    g_run_stop_t = 0;
    clock_map_clear(&g_clock_map, g_qpc_freq);
    reception_sample_clock();
}

void reception_stop_run(void) {
    stats_set_measuring(false);
    g_run_stop_t = counter_read();
}

int most_recent_active_slot(int64_t now) {
    if (g_nri <= 1)
        return 0;
    const int64_t window = (int64_t)(1.5 * g_qpc_freq);
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

DeviceStats* display_stats(void) {
    int d = g_display_dev;
    if (d > 0 && d < g_nri)
        return &g_dev_stats[d];
    if (d == 0)
        return &g_dev_stats[0];
    int64_t now = counter_read();
    return &g_dev_stats[most_recent_active_slot(now)];
}
