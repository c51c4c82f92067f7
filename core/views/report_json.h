// The JSON report written beside each analysis's text (--json FILE): one
// object per run, its figures taken from the same structs the text is
// formatted from, unrounded; a figure that is not finite is null. The schema
// is versioned by its "schema" key (docs/files.md, "JSON reports"). Its words
// (a mouse's name, why there is no clock, the A/B verdict) are English
// whatever language was chosen: scripts read it.
#pragma once

#include <stdint.h>
#include <stdio.h>
#include <wchar.h>

#include "core/figures/ab_compare.h"
#include "core/captures/capture_file.h"
#include "core/figures/distribution.h"
#include "core/figures/layer_compare.h"
#include "core/figures/motion.h"
#include "core/figures/report_clock.h"
#include "core/figures/stats.h"
#include "core/figures/throttle.h"

enum { JSON_SCHEMA = 2 };

struct JsonReport;  // the object being built; its contents stay in report_json.cpp

// What the run knows of the machine it measured on; a null pointer or a zero
// is written as null (the saved files say nothing of the Windows that ran).
struct JsonConditions {
    const ThrottleSettings* throttle;  // build and values; null: not known
    const ThrottleDecision* decision;  // whether the throttle applied; null: not known
    double counter_hz;                 // 0: not known
    const StatsReadings* readings;     // background share, reading batches; null: not known
};

// mode: "console", "pcap", "compare", "analyze" or "ab". Null when there is
// no memory for it.
JsonReport* json_report_new(const char* mode, const char* version, const JsonConditions* c);
void json_report_free(JsonReport* j);

// "device": the mouse's name (in English) and the ids in its Raw Input path (null: none).
void json_report_device(JsonReport* j, const wchar_t* name, const wchar_t* path);
// "status": the last status line's figures under its keys (Avg, MinInst, ...).
void json_report_status(JsonReport* j, const StatsReadings* r);
// "summary": the run's block as format_summary prints it, with the hints'
// figures; held_s: what the log holds when not the whole run (-1), log_count
// and log_failed: the log ran out of memory after that many reports. b: the
// buttons and wheels ("buttons", each of the five under its name, "wheel",
// "hwheel", "chatter_ms"), null for none.
struct JsonSummaryLog {
    double held_s;
    bool log_failed;
    uint64_t log_count;
};
void json_report_summary(JsonReport* j, const char* name, const StatsReadings* r,
                         const Distribution* d, const ReportClockFigures* clock,
                         const MotionFigures* m, const JsonSummaryLog* log,
                         const ButtonsSnapshot* b = nullptr);
// "layers": the comparison's four lines (endpoint like "1.3.0x81").
void json_report_layers(JsonReport* j, const char* endpoint, const LayerComparison* c);
// The same for layers on two clocks, never paired (compare_layers_apart): its
// text has no delivery lines, so "delivery" and "per_delivery" are null.
void json_report_layers_apart(JsonReport* j, const char* endpoint, const LayerComparison* c);
// "capture": --pcap's summary and endpoint lines; file in UTF-8.
void json_report_capture(JsonReport* j, const CaptureFileAnalysis* a, const char* file);
// "A", "B", "B-A" and "verdict" of --ab; files in UTF-8.
void json_report_ab(JsonReport* j, const char* a_file, const char* b_file, const AbComparison* c);

// The object, indented, then a line break; false with errno set when the
// file could not take it. Invalid UTF-8 in a name is replaced, never fatal.
bool json_report_write(const JsonReport* j, FILE* f);
