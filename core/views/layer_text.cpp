// The two layers' comparison in words: the layer lines, the deliveries and
// the sentence that reads them, formatted from what compare_layers found; the
// lines are key=value lines in both languages, the sentences the language's.
#include "core/views/layer_text.h"

#include <stdio.h>
#include <string.h>

#include "core/views/text_buf.h"
#include "core/views/texts.h"

// " clock_us=125.002" and the line's end; "clock_us=none" when refused.
static void add_clock(TextBuf* o, const ReportClockFigures* clock) {
    if (clock->refusal == REPORT_CLOCK_OK)
        text_appendf(o, " clock_us=%.3f\n", clock->period_us);
    else
        text_appendf(o, "%s", " clock_us=none\n");
}

static void add_figures(TextBuf* o, const char* endpoint, const LayerComparison* c) {
    const double* ug = c->usb_gaps.pct_us;
    const double* pg = c->program_gaps.pct_us;
    text_appendf(o, "USB layer: endpoint=%s reports=%llu median_hz=%.1f p1_hz=%.1f p99_hz=%.1f",
                 endpoint, (unsigned long long)c->usb_reports, rate_at(ug[PCT_50]),
                 rate_at(ug[PCT_99]), rate_at(ug[PCT_1]));
    add_clock(o, &c->usb_clock);
    text_appendf(o, "Program layer: reports=%llu median_hz=%.1f p1_hz=%.1f p99_hz=%.1f",
                 (unsigned long long)c->program_reports, rate_at(pg[PCT_50]), rate_at(pg[PCT_99]),
                 rate_at(pg[PCT_1]));
    add_clock(o, &c->program_clock);
    if (c->coarse)
        text_appendf(o, "Delivery: matched=%llu\n", (unsigned long long)c->matched);
    else
        text_appendf(
            o, "Delivery: matched=%llu delay_p50_us=%.1f delay_p99_us=%.1f delay_max_us=%.1f\n",
            (unsigned long long)c->matched, c->delay_p50_us, c->delay_p99_us, c->delay_max_us);
    text_appendf(o, "Per delivery: k0=%llu k1=%llu k2plus=%llu merged=%llu",
                 (unsigned long long)c->k0, (unsigned long long)c->k1,
                 (unsigned long long)c->k2plus, (unsigned long long)c->merged);
    // A run whose every read held one report reads as before: no key of reads.
    if (c->reads_of_several)
        text_appendf(o, " unsourced=%llu reads_of_several=%llu",
                     (unsigned long long)c->unsourced, (unsigned long long)c->reads_of_several);
    text_appendf(o, "%s", "\n");
    if (c->coarse)
        text_appendf(o, tx(TX_LAYER_COARSE), (int)COMPARE_COARSE_PERCENT);
}

// Who set the rate: the mouse's clock where the USB times show one, else the
// median of its gaps. "The mouse's clock is 125 us (8000 Hz)".
static void add_mouse(TextBuf* o, const LayerComparison* c, const char* about) {
    const ReportClockFigures* k = &c->usb_clock;
    if (k->refusal == REPORT_CLOCK_OK)
        text_appendf(o, tx(TX_LAYER_MOUSE_CLOCK), k->period_us, k->rate_hz);
    else
        text_appendf(o, tx(TX_LAYER_MOUSE_SENT), about, rate_at(c->usb_gaps.pct_us[PCT_50]));
}

// The program read several reports at a time: said as such, and merging
// blamed only for reports that were merged. "2–4", or "2" when every read
// held as many.
static void add_reads(TextBuf* o, const LayerComparison* c) {
    char range[48];
    if (c->read_min == c->read_max)
        snprintf(range, sizeof range, "%llu", (unsigned long long)c->read_max);
    else
        snprintf(range, sizeof range, "%llu–%llu", (unsigned long long)c->read_min,
                 (unsigned long long)c->read_max);
    add_mouse(o, c, c->coarse && !c->merged ? tx(TX_LAYER_ABOUT) : "");
    if (c->merged)
        text_appendf(o, tx(TX_LAYER_READS_MERGED), range, (unsigned long long)c->merged);
    else if (c->coarse)
        text_appendf(o, tx(TX_LAYER_READS), range);
    else
        text_appendf(o, tx(TX_LAYER_READS_LATER), range, c->delay_p50_us / 1000.0);
}

// The one sentence that reads the figures.
static void add_reading(TextBuf* o, const LayerComparison* c) {
    const uint64_t deliveries = c->k0 + c->k1 + c->k2plus;
    if (c->usb_reports == 0 || deliveries == 0) {
        text_appendf(o, "%s", tx(TX_LAYER_TOO_FEW));
    } else if (c->merged * 2 > c->usb_reports) {
        double per = (double)(c->usb_reports) / (double)(c->usb_reports - c->merged);
        add_mouse(o, c, "");
        text_appendf(o, tx(TX_LAYER_BURSTS), per, per - 1, per);
    } else if (c->unsourced * 100 > c->read_reports) {
        text_appendf(o, tx(TX_LAYER_NOT_BEHIND), (unsigned long long)c->unsourced);
    } else if (c->reads_of_several) {
        add_reads(o, c);
    } else if (c->merged * 100 > c->usb_reports) {
        add_mouse(o, c, "");
        text_appendf(o, tx(TX_LAYER_SOME_MERGED), (unsigned long long)c->merged);
    } else if (c->coarse) {
        add_mouse(o, c, tx(TX_LAYER_ABOUT));
        text_appendf(o, "%s", tx(TX_LAYER_ONE_BY_ONE));
    } else {
        add_mouse(o, c, "");
        text_appendf(o, tx(TX_LAYER_ONE_BY_ONE_LATER), c->delay_p50_us / 1000.0);
    }
}

void format_comparison(char* out, size_t cap, const char* endpoint, const LayerComparison* c) {
    if (cap == 0)
        return;
    TextBuf o = text_buf(out, cap, strlen(out));
    add_figures(&o, endpoint, c);
    add_reading(&o, c);
}

void format_layers_apart(char* out, size_t cap, const char* endpoint, const LayerComparison* c) {
    if (cap == 0)
        return;
    TextBuf o = text_buf(out, cap, strlen(out));
    text_appendf(&o, "%s", tx(TX_USBMON_CLOCKS_APART));
    const double* ug = c->usb_gaps.pct_us;
    const double* pg = c->program_gaps.pct_us;
    text_appendf(&o, "USB layer: endpoint=%s reports=%llu median_hz=%.1f p1_hz=%.1f p99_hz=%.1f",
                 endpoint, (unsigned long long)c->usb_reports, rate_at(ug[PCT_50]),
                 rate_at(ug[PCT_99]), rate_at(ug[PCT_1]));
    add_clock(&o, &c->usb_clock);
    text_appendf(&o, "Program layer: reports=%llu median_hz=%.1f p1_hz=%.1f p99_hz=%.1f",
                 (unsigned long long)c->program_reports, rate_at(pg[PCT_50]), rate_at(pg[PCT_99]),
                 rate_at(pg[PCT_1]));
    add_clock(&o, &c->program_clock);
}
