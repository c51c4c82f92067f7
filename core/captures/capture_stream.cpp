// Capture stream analysis: the growable stream buffer, the pcap global header
// check, the tally's descriptor walk, and the Chinese result report.
#include "core/captures/capture_stream.h"

#include <math.h>
#include <string.h>
#include <wchar.h>

#include "core/heap.h"
#include "core/views/text_buf.h"
#include "core/captures/usb_endpoints.h"
#include "core/captures/usbpcap_record.h"

static const uint64_t kFirstCapacity = 65536;

void gb_append(GrowBuf* b, const void* src, uint64_t count) {
    uint64_t needed = b->len + count;
    if (needed < b->len || needed > ((uint64_t)1 << 62))
        return;  // no block can be that large; doubling towards it would overflow
    if (b->cap < needed) {
        uint64_t cap = b->cap ? b->cap * 2 : kFirstCapacity;
        while (cap < needed)
            cap *= 2;
        if (cap != (size_t)cap)
            return;
        uint8_t* grown = (uint8_t*)heap_realloc(b->data, (size_t)cap);
        if (!grown)
            return;  // the chunk is dropped; the capture goes on
        b->data = grown;
        b->cap = cap;
    }
    if (count)
        memcpy(b->data + b->len, src, (size_t)count);
    b->len = needed;
}

void gb_free(GrowBuf* b) {
    heap_free(b->data);
    b->data = NULL;
    b->len = 0;
    b->cap = 0;
}

void gb_consume(GrowBuf* b, uint64_t n) {
    if (n >= b->len) {
        b->len = 0;
        return;
    }
    memmove(b->data, b->data + n, (size_t)(b->len - n));
    b->len -= n;
}

HeaderCheck check_global_header(GrowBuf* b) {
    HeaderCheck c = {HEADER_PENDING, 0};
    if (b->len < PCAP_GLOBAL_HEADER_BYTES)
        return c;
    uint32_t magic = le32(b->data);
    if (magic != 0xA1B2C3D4u) {
        const bool big = magic == 0xD4C3B2A1u || magic == 0x4D3CB2A1u;
        c.result = big ? HEADER_BIG_ENDIAN : HEADER_REJECTED;
        c.magic = magic;
        return c;
    }
    gb_consume(b, PCAP_GLOBAL_HEADER_BYTES);
    c.result = HEADER_ACCEPTED;
    return c;
}

void capture_tally_init(CaptureTally* t) {
    memset(t, 0, sizeof *t);
    t->prev_in_ts_us = -1;
    t->min_binterval = -1;
}

void tally_control(CaptureTally* t, const uint8_t* payload, uint32_t payload_len) {
    t->control_packets++;
    uint64_t off = 0;
    EndpointDescriptor e;
    while (next_endpoint_descriptor(payload, payload_len, &off, &e)) {
        if ((e.attributes & USB_ENDPOINT_TYPE_MASK) != USB_ENDPOINT_TYPE_INTERRUPT)
            continue;
        if (t->min_binterval == -1 || e.binterval < t->min_binterval)
            t->min_binterval = e.binterval;
    }
}

void capture_figures(const CaptureTally* t, CaptureFigures* out) {
    out->average_hz = t->valid_in_intervals == 0
                          ? 0
                          : 1000000.0 / (t->interval_sum_us / (double)t->valid_in_intervals);
    out->lowest_hz = t->max_interval_us == 0 ? 0 : 1000000.0 / t->max_interval_us;
    // High-speed rule: 2^(bInterval-1) microframes of 125 us. It is applied to
    // every device, full- and low-speed ones (whose bInterval counts whole
    // milliseconds) included, as the report always has. Formed in floating
    // point so that values above 31 stay small and positive instead of wrapping.
    out->theoretical_hz =
        t->min_binterval >= 1 ? 1000000.0 / (125.0 * ldexp(1.0, t->min_binterval - 1)) : 0;
}

// The descriptor does not say whether the device runs at full or high speed,
// and the upper bound above reads bInterval at high speed: the window's
// report names the full-speed reading beside it, as --pcap's note does.
static void append_readings(int binterval, WideBuf* text) {
    BIntervalReading r;
    binterval_reading(binterval, 0, &r);
    if (!r.full_valid)
        return;
    // Hz as --pcap writes it: "125", "62.5".
    const wchar_t* full = r.full_hz >= 100 ? L"  → 全速下为 %g ms (%.0f Hz)，"
                                           : L"  → 全速下为 %g ms (%.3g Hz)，";
    text_appendf(text, full, r.full_ms, r.full_hz);
    if (r.high_valid)
        text_appendf(text, L"高速下为 %g ms\n", r.high_ms);
    else
        text_appendf(text, L"高速下无效\n");
}

static void format_report(const CaptureTally* t, const wchar_t* window, bool readings,
                          wchar_t out[CAPTURE_REPORT_UNITS]) {
    CaptureFigures f;
    capture_figures(t, &f);
    WideBuf text = text_buf(out, CAPTURE_REPORT_UNITS);
    text_appendf(&text,
                 L"USBPcap 诊断结果 (USB 主机控制器层, %ls)\n\n数据摘要:\n"
                 L"  总包数      : %llu\n  批量/中断   : %llu\n  控制传输     : %llu\n"
                 L"  中断IN有效  : %llu\n\n回报率统计 (仅中断IN, 100μs~50ms):\n"
                 L"  平均交付率   : %7.1f Hz\n  最低瞬时     : %7.1f Hz\n",
                 window, (unsigned long long)t->total_packets,
                 (unsigned long long)t->bulk_int_packets, (unsigned long long)t->control_packets,
                 (unsigned long long)t->valid_in_intervals, f.average_hz, f.lowest_hz);
    if (t->min_binterval == -1) {
        text_appendf(
            &text,
            L"\n\n未在控制传输中解析到中断端点 bInterval\n  (需设备重新枚举才能捕获描述符)\n");
    } else {
        text_appendf(&text, L"\n\n探测到中断端点 bInterval = %d\n  → 该端点理论上限约 %.0f Hz\n",
                     (int)t->min_binterval, f.theoretical_hz);
        if (readings)
            append_readings(t->min_binterval, &text);
        if (t->min_binterval >= 1) {
            double r = f.theoretical_hz;
            if (r > 100 && r < 2500)
                text_appendf(&text,
                             L"  ⚠ 若你设了 8K 但上限≤2000Hz，说明接收器 USB 端被限频到 2K。\n");
            else if (r > 7000)
                text_appendf(&text, L"  √ 端点上限支持 8K，如果实际仍然低，查配置/驱动。\n");
        }
    }
    if (!t->dir_byte_seen)
        text_appendf(&text, L"\n提示: 未读到方向 info 字节，如果数值异常可能方向判断有误。\n");
    if (t->valid_in_intervals == 0)
        text_appendf(&text,
                     L"\n⚠ 未捕获到有效的中断IN传输。\n"
                     L"可能原因: 测量期间内没有移动鼠标，或 USBPcap 未捕获到鼠标数据。\n");
}

void format_capture_report_window(const CaptureTally* t, const wchar_t* window,
                                  wchar_t out[CAPTURE_REPORT_UNITS]) {
    format_report(t, window, false, out);
}

void format_capture_report(const CaptureTally* t, wchar_t out[CAPTURE_REPORT_UNITS]) {
    format_report(t, L"3秒", true, out);
}
