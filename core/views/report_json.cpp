// The JSON report: the same structs the text is formatted from, written under
// the text lines' own keys. The program has no exceptions: JSON_NOEXCEPTION
// makes the library abort where it would throw its own, and none is expected
// (objects are only ever built as objects, and invalid UTF-8 is replaced when
// written). The strings and maps inside it still throw std::bad_alloc when
// memory runs out, which nothing catches: the program ends there. So a run
// builds its report only once its other files are in place.
#define JSON_NOEXCEPTION 1
#include <nlohmann/json.hpp>

#include "core/views/report_json.h"

#include <errno.h>
#include <math.h>
#include <string.h>

#include <new>
#include <string>

#include "core/views/ab_text.h"
#include "core/views/capture_file_report.h"
#include "core/captures/capture_stream.h"
#include "core/captures/device_ids.h"
#include "core/captures/usbpcap_record.h"
#include "core/views/texts.h"
#include "core/views/wide_text.h"

// Keys in the order the text prints them.
using json = nlohmann::ordered_json;

struct JsonReport {
    json root;
};

// A figure that is not finite has no JSON number.
static json number(double v) { return isfinite(v) ? json(v) : json(nullptr); }

// Where the text prints 0 for want of anything to take a figure of (a mean
// of no interval, a median of no delay), the JSON says null.
static json known(bool some, double v) { return some ? number(v) : json(nullptr); }

// No rate is 0 Hz: 0 is what a rate of no interval reads.
static json rate(double hz) { return known(hz > 0, hz); }

static json throttle_value(const ThrottleValue& v) {
    return v.present ? json(v.value) : json(nullptr);
}

static json throttle_json(const ThrottleSettings* s, const ThrottleDecision* d) {
    json t = json::object();
    t["RawMouseThrottleEnabled"] = s ? throttle_value(s->enabled) : json(nullptr);
    t["RawMouseThrottleForced"] = s ? throttle_value(s->forced) : json(nullptr);
    t["RawMouseThrottleDuration"] = s ? throttle_value(s->duration) : json(nullptr);
    t["RawMouseThrottleLeeway"] = s ? throttle_value(s->leeway) : json(nullptr);
    t["applies"] = d ? json(d->applies) : json(nullptr);
    t["duration_ms"] = d ? json(d->duration_ms) : json(nullptr);
    return t;
}

static json conditions_json(const JsonConditions* c) {
    const StatsReadings* r = c->readings;
    json k = json::object();
    k["windows_build"] = c->throttle ? json(c->throttle->build) : json(nullptr);
    k["throttle"] = throttle_json(c->throttle, c->decision);
    k["counter_hz"] = c->counter_hz > 0 ? json(c->counter_hz) : json(nullptr);
    k["background_reports"] = r ? json(r->background_count) : json(nullptr);
    k["reports"] = r ? json(r->arrival_count) : json(nullptr);
    k["background_share"] = r && r->arrival_count
                                ? json((double)r->background_count / (double)r->arrival_count)
                                : json(nullptr);
    k["throttle_signature"] = r ? json(r->throttle_signature) : json(nullptr);
    k["batches"] = r ? json(r->batch_count) : json(nullptr);
    k["max_batch"] = r ? json(r->max_batch) : json(nullptr);
    k["batched_reports"] = r ? json(r->batched_reports) : json(nullptr);
    return k;
}

JsonReport* json_report_new(const char* mode, const char* version, const JsonConditions* c) {
    JsonReport* j = new (std::nothrow) JsonReport;
    if (!j)
        return NULL;
    j->root = json::object();
    j->root["schema"] = JSON_SCHEMA;
    j->root["program"] = {{"name", "Quorvin"}, {"version", version}};
    j->root["mode"] = mode;
    j->root["conditions"] = conditions_json(c);
    j->root["device"] = nullptr;
    return j;
}

void json_report_free(JsonReport* j) { delete j; }

static std::string utf8_of(const wchar_t* text) {
    if (!text)
        return std::string();
    std::string utf8(wide_utf8_bytes(wcslen(text)), '\0');
    wide_to_utf8(text, &utf8[0], utf8.size());  // made room: it fits
    utf8.resize(strlen(utf8.c_str()));
    return utf8;
}

static json id_json(int id) {
    if (id < 0)
        return nullptr;
    char hex[12];
    snprintf(hex, sizeof hex, "%04X", (unsigned)id);
    return hex;
}

void json_report_device(JsonReport* j, const wchar_t* name, const wchar_t* path) {
    DeviceIds ids;
    parse_device_ids(path, &ids);
    j->root["device"] = {{"name", utf8_of(name)}, {"vid", id_json(ids.vid)},
                         {"pid", id_json(ids.pid)}};
}

void json_report_status(JsonReport* j, const StatsReadings* r) {
    j->root["status"] = {{"Avg", rate(r->average_hz)},
                         {"MinInst", rate(r->lowest_instant_hz)},
                         {"MaxInst", rate(r->highest_instant_hz)},
                         {"CurMin", rate(r->last_second_lowest_hz)},
                         {"Count", r->report_count},
                         {"Time", known(r->arrival_count > 0, r->elapsed_s)}};
}

// Why there is no clock is given in English whatever language was chosen:
// scripts read the report.
static json clock_json(const ReportClockFigures* c) {
    if (c->refusal != REPORT_CLOCK_OK) {
        char why[160];
        report_clock_refusal_text_in(LANG_EN, c, why, sizeof why);
        return {{"none", why}};
    }
    return {{"period_us", number(c->period_us)},   {"rate_hz", number(c->rate_hz)},
            {"drift_ppm", number(c->drift_ppm)},   {"filled", number(c->filled_pct)},
            {"jitter_p50_us", number(c->jitter_p50_us)},
            {"jitter_p99_us", number(c->jitter_p99_us)}};
}

static json interval_json(const Distribution* d) {
    const double* p = d->pct_us;
    const bool some = d->n > 0 && !d->failed;
    json s = json::object();
    s["intervals_us"] = {{"n", d->n}, {"mean", known(some, d->mean_us)},
                         {"sd", known(some, d->sd_us)}, {"min", known(some, d->min_us)},
                         {"max", known(some, d->max_us)}};
    s["percentiles_us"] = {{"p0.1", known(some, p[PCT_0_1])}, {"p1", known(some, p[PCT_1])},
                           {"p50", known(some, p[PCT_50])}, {"p99", known(some, p[PCT_99])},
                           {"p99.9", known(some, p[PCT_99_9])}};
    s["rates_hz"] = {{"median", rate(rate_at(p[PCT_50]))}, {"p1", rate(rate_at(p[PCT_99]))},
                     {"p99", rate(rate_at(p[PCT_1]))}};
    s["stability_pct"] = known(some, d->stability_pct);
    s["Coalesced"] = d->coalesced;
    s["Pauses"] = d->pauses;
    s["Background"] = d->background;
    return s;
}

// Each hint's figures, null when the hint does not apply: the very hints the
// text shows, from the same figures and clock.
static json hints_json(const MotionFigures* m, const ReportClockFigures* clock) {
    MotionHints h;
    motion_hints_of(m, clock, &h);
    const json none = nullptr;
    return {{"hand_limited", h.hand_limited},
            {"needed_speed", h.hand_limited ? number(h.needed_speed) : none},
            {"faster_by", h.hand_limited ? number(h.faster_by) : none},
            {"saturation", h.saturation},
            {"saturated_pct", h.saturation ? number(h.saturated_pct) : none},
            {"idle", h.idle},
            {"idle_pct", h.idle ? number(h.idle_pct) : none}};
}

// A button's figures; those never timed are null, as the text's "none".
static json button_json(const ButtonFigures* b) {
    const json none = nullptr;
    return {{"presses", b->presses},
            {"held_p50_ms", b->held_n && !b->failed ? number(b->held_p50_ms) : none},
            {"held_min_ms", b->held_n ? number(b->held_min_ms) : none},
            {"release_to_press_min_ms", b->gaps_n ? number(b->release_to_press_min_ms) : none},
            {"chatter", b->chatter}};
}

static json wheel_json(const WheelFigures* w, const char* negative, const char* positive) {
    return {{"notches", w->notches}, {negative, w->negative}, {positive, w->positive},
            {"reversals", w->reversals}};
}

// Every button, pressed or not, so that a script finds each key; the text
// shows a line only for those pressed.
static void add_buttons(json* s, const ButtonsSnapshot* b) {
    json buttons = json::object();
    for (int i = 0; i < BUTTONS; i++)
        buttons[kButtonName[i]] = button_json(&b->button[i]);
    (*s)["buttons"] = buttons;
    (*s)["chatter_ms"] = number(b->chatter_ms);
    (*s)["wheel"] = wheel_json(&b->wheel, "down", "up");
    (*s)["hwheel"] = wheel_json(&b->hwheel, "left", "right");
}

static void add_button_hints(json* hints, const ButtonsSnapshot* b) {
    bool chatter = false;
    for (const ButtonFigures& f : b->button)
        chatter = chatter || button_chattered(&f);
    (*hints)["chatter"] = chatter;
    (*hints)["wheel_reversals"] = wheel_reverses(&b->wheel);
    (*hints)["hwheel_reversals"] = wheel_reverses(&b->hwheel);
}

void json_report_summary(JsonReport* j, const char* name, const StatsReadings* r,
                         const Distribution* d, const ReportClockFigures* clock,
                         const MotionFigures* m, const JsonSummaryLog* log,
                         const ButtonsSnapshot* b) {
    json s = interval_json(d);
    s["name"] = name;
    s["seconds"] = known(r->arrival_count > 0, r->elapsed_s);
    s["report_clock"] = clock_json(clock);
    s["motion"] = {{"moving", m->moving}, {"idle", m->idle}, {"saturated", m->saturated},
                   {"median_speed", known(m->moving > 0, m->median_speed)}};
    s["while_moving"] = {{"n", m->moving_n}, {"median_hz", rate(m->moving_median_hz)},
                         {"p1_hz", rate(m->moving_p1_hz)}, {"p99_hz", rate(m->moving_p99_hz)}};
    if (b)
        add_buttons(&s, b);
    s["hints"] = hints_json(m, clock);
    if (b)
        add_button_hints(&s["hints"], b);
    s["log"] = {{"held_s", log->held_s >= 0 ? number(log->held_s) : json(nullptr)},
                {"out_of_memory_after", log->log_failed ? json(log->log_count) : json(nullptr)},
                {"intervals_failed", d->failed}};
    s["no_reports"] = r->report_count == 0;
    j->root["summary"] = s;
}

// endpoint null: the program's layer, which has none.
static json layer_json(const char* endpoint, uint64_t reports, const Distribution* g,
                       const ReportClockFigures* clock) {
    const double* p = g->pct_us;
    json l = json::object();
    if (endpoint)
        l["endpoint"] = endpoint;
    l["reports"] = reports;
    l["median_hz"] = rate(rate_at(p[PCT_50]));
    l["p1_hz"] = rate(rate_at(p[PCT_99]));
    l["p99_hz"] = rate(rate_at(p[PCT_1]));
    l["clock_us"] = clock->refusal == REPORT_CLOCK_OK ? number(clock->period_us) : json(nullptr);
    return l;
}

void json_report_layers(JsonReport* j, const char* endpoint, const LayerComparison* c) {
    json l = json::object();
    l["usb_layer"] = layer_json(endpoint, c->usb_reports, &c->usb_gaps, &c->usb_clock);
    l["program_layer"] = layer_json(NULL, c->program_reports, &c->program_gaps, &c->program_clock);
    const json none = nullptr;
    l["delivery"] = {{"matched", c->matched},
                     {"delay_p50_us", c->coarse ? none : number(c->delay_p50_us)},
                     {"delay_p99_us", c->coarse ? none : number(c->delay_p99_us)},
                     {"delay_max_us", c->coarse ? none : number(c->delay_max_us)}};
    l["per_delivery"] = {{"k0", c->k0}, {"k1", c->k1}, {"k2plus", c->k2plus}, {"merged", c->merged},
                         {"unsourced", c->unsourced}, {"reads_of_several", c->reads_of_several}};
    l["coarse"] = c->coarse;
    if (!c->matched)  // no delay to take a figure of
        for (const char* key : {"delay_p50_us", "delay_p99_us", "delay_max_us"})
            l["delivery"][key] = nullptr;
    j->root["layers"] = l;
}

void json_report_layers_apart(JsonReport* j, const char* endpoint, const LayerComparison* c) {
    json_report_layers(j, endpoint, c);
    j->root["layers"]["delivery"] = nullptr;
    j->root["layers"]["per_delivery"] = nullptr;
}

// An endpoint line's figures: those of its gaps only with two or more.
static void add_gap_figures(json* e, const UsbEndpoint* u) {
    Distribution d;
    distribution_of_histogram(&u->gaps, &d);
    const bool some = !d.failed && d.n >= 2;
    const json none = nullptr;
    (*e)["avg"] = some ? number(rate_at(d.mean_us)) : none;
    (*e)["lowest"] = some ? number(rate_at(d.max_us)) : none;
    (*e)["p50"] = some ? number(d.pct_us[PCT_50]) : none;
    (*e)["p99"] = some ? number(d.pct_us[PCT_99]) : none;
    (*e)["sd"] = some ? number(d.sd_us) : none;
}

static json endpoint_json(const UsbEndpoint* u) {
    char name[USB_ENDPOINT_NAME_BYTES];
    format_endpoint_name(name, u->bus, u->device, u->endpoint);
    json e = {{"endpoint", name}, {"reports", u->reports},
              {"transfer", u->transfer == USBPCAP_TRANSFER_BULK ? "bulk" : "interrupt"}};
    add_gap_figures(&e, u);
    const ReportClockFigures* c = &u->clock_figures;
    const bool clock = u->transfer == USBPCAP_TRANSFER_INTERRUPT && c->refusal == REPORT_CLOCK_OK;
    e["clock_us"] = clock ? number(c->period_us) : json(nullptr);
    e["filled"] = clock ? number(c->filled_pct) : json(nullptr);
    e["bInterval"] = u->binterval >= 0 ? json(u->binterval) : json(nullptr);
    BIntervalReading r = {};
    const bool read = u->binterval >= 0 && u->described_type == USB_ENDPOINT_TYPE_INTERRUPT;
    if (read)
        binterval_reading(u->binterval, 0, &r);
    e["fs_hz"] = read && r.full_valid ? number(r.full_hz) : json(nullptr);
    e["hs_hz"] = read && r.full_valid && r.high_valid ? number(r.high_hz) : json(nullptr);
    return e;
}

// The rates are the headline's: the mouse endpoint's alone.
void json_report_capture(JsonReport* j, const CaptureFileAnalysis* a, const char* file) {
    const CaptureTally* t = &a->count.tally;
    const CaptureHeadline* h = &a->headline;
    char mouse[USB_ENDPOINT_NAME_BYTES] = "";
    if (h->mouse)
        format_endpoint_name(mouse, h->mouse->bus, h->mouse->device, h->mouse->endpoint);
    const char* const speeds[] = {NULL, "not_high", "high"};
    const char* speed = speeds[h->speed.speed];
    const double span_s = (double)(a->last_ts_us - a->first_ts_us) / 1e6;
    json c = {{"file", file},
              {"span_s", known(a->usbpcap_records + a->usbmon_records > 0, span_s)},
              {"total_packets", t->total_packets},
              {"bulk_interrupt_packets", t->bulk_int_packets},
              {"control_packets", t->control_packets},
              {"valid_in_intervals", t->valid_in_intervals},
              {"mouse_endpoint", h->mouse ? json(mouse) : json(nullptr)},
              {"mouse_gaps", h->mouse && !h->failed ? json(h->gaps) : json(nullptr)},
              {"average_hz", h->failed ? json(nullptr) : rate(h->average_hz)},
              {"lowest_hz", h->failed ? json(nullptr) : rate(h->lowest_hz)},
              {"clock_step_us", h->clock_step_us > 0 ? number(h->clock_step_us) : json(nullptr)},
              {"speed", speed ? json(speed) : json(nullptr)},
              {"min_binterval", t->min_binterval >= 0 ? json(t->min_binterval) : json(nullptr)},
              {"theoretical_hz", h->theoretical_hz > 0 ? number(h->theoretical_hz) : json(nullptr)},
              {"non_interrupt_in", a->count.non_interrupt_in},
              {"ignored_tail_bytes", a->ignored_tail_bytes}};
    const UsbEndpoint* order[USB_ENDPOINT_SLOTS];
    const int n = capture_report_endpoints(a, order);
    c["endpoints"] = json::array();
    for (int i = 0; i < n; i++)
        c["endpoints"].push_back(endpoint_json(order[i]));
    j->root["capture"] = c;
}

static json ab_run_json(const char* file, const AbFigures* f) {
    json r = {{"file", file}, {"n", f->n}};
    for (int k = 0; k < AB_CLOCK_US; k++)
        r[kAbFigureKey[k]] = f->n ? number(f->v[k]) : json(nullptr);
    r["clock_us"] = f->has_clock ? number(f->v[AB_CLOCK_US]) : json(nullptr);
    return r;
}

void json_report_ab(JsonReport* j, const char* a_file, const char* b_file, const AbComparison* c) {
    j->root["A"] = ab_run_json(a_file, &c->a);
    j->root["B"] = ab_run_json(b_file, &c->b);
    json d = json::object();
    for (int k = 0; k < AB_FIGURES; k++) {
        if (c->verdict.compared[k])
            d[kAbFigureKey[k]] = {{"diff", number(c->d[k].diff)}, {"lo", number(c->d[k].lo)},
                                  {"hi", number(c->d[k].hi)}, {"differs", c->verdict.differs[k]}};
    }
    j->root["B-A"] = d;
    char verdict[1024];
    ab_verdict_text_in(LANG_EN, c, verdict, sizeof verdict);
    j->root["verdict"] = verdict;
}

bool json_report_write(const JsonReport* j, FILE* f) {
    const std::string text = j->root.dump(2, ' ', false, json::error_handler_t::replace);
    errno = 0;
    if (fwrite(text.data(), 1, text.size(), f) != text.size() || fputc('\n', f) == EOF) {
        if (!errno)
            errno = EIO;
        return false;
    }
    return true;
}
