// Reads each Raw Input report, stamps it once with the performance counter and
// feeds the stamp to the all-mice record and to the sending mouse's record.
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

static int registry_slot_of(HANDLE device) {
    if (!device)
        return 0;
    for (int i = 1; i < g_nri; i++) {
        if (g_ri_devs[i].handle == device)
            return i;
    }
    return 0;
}

void on_wm_input(HRAWINPUT report, WPARAM input_code) {
    if (!stats_measuring())
        return;
    UINT size = 0;
    rawinput_get_data(report, RID_INPUT, NULL, &size, sizeof(RAWINPUTHEADER));
    // A block shorter than its own header can't be a report; reading its type
    // would run past the buffer.
    if (size < sizeof(RAWINPUTHEADER) || !ensure_report_buffer(size))
        return;
    if (rawinput_get_data(report, RID_INPUT, g_ri_buf, &size, sizeof(RAWINPUTHEADER)) != size)
        return;
    const RAWINPUTHEADER* header = (const RAWINPUTHEADER*)g_ri_buf;
    if (header->dwType != RIM_TYPEMOUSE)
        return;

    int64_t t = counter_read();
    const bool background = GET_RAWINPUT_CODE_WPARAM(input_code) == RIM_INPUTSINK;
    int slot = registry_slot_of(header->hDevice);
    if (slot > 0)
        g_dev_last_active[slot] = t;
    ArrivalClass cls = record_arrival(&g_dev_stats[0], t, background);
    arrival_log_append(&g_arrival_log, t, slot, background, cls);
    if (slot > 0)
        record_arrival(&g_dev_stats[slot], t, background);
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

void reception_discard_queued(void) {
    MSG m;
    while (PeekMessageW(&m, NULL, WM_INPUT, WM_INPUT, PM_REMOVE))
        DefWindowProcW(m.hwnd, m.message, m.wParam, m.lParam);  // lets the system free it
    stats_pause_all();
}

int most_recent_active_slot(int64_t now) {
    if (g_nri <= 1)
        return 0;
    const int64_t window = (int64_t)(1.5 * g_qpc_freq);
    int best = 0;
    int64_t best_time = 0;
    for (int i = 1; i < g_nri; i++) {
        int64_t a = g_dev_last_active[i];
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
