// What the interval plot draws, computed from the arrival log for one record
// and a visible time range: per pixel column the span of its intervals (and
// the first few, to draw as dots), its merged deliveries, and the y axis top,
// a round value just above the visible intervals' 99.9th percentile. Building
// it is one pass over the visible reports, so a repaint stays cheap however
// long the run.
#pragma once

#include <stdint.h>

#include "core/arrival_log.h"

enum {
    PLOT_MAX_COLUMNS = 4096,
    PLOT_FEW = 3,  // a column with this many reports or fewer shows each as a dot
};

struct PlotColumn {
    uint32_t count;  // accepted intervals and pauses
    float min_us;
    float max_us;
    float few_us[PLOT_FEW];
    uint32_t coalesced;
};

struct PlotModel {
    int columns;
    double t0_s, t1_s;    // the visible range, seconds since the record's first report
    double span_s;        // the whole logged span of the record
    uint64_t shown;       // intervals in the visible range
    double top_ms;        // top of the y axis
    PlotColumn col[PLOT_MAX_COLUMNS];
};

// The axis top for a 99.9th percentile: the first of 1, 1.5, 2, 2.5, 3, 4,
// 5, 6, 8 times a power of ten that lies above it.
double plot_nice_top_ms(double p999_ms);

// Seconds from the record's first logged report to its last; 1 when it has
// none (the axis of an empty plot).
double plot_record_span_s(const ArrivalLog* log, int slot, double freq);

// Bounds a visible range [t0_s, t1_s] for a record of span_s seconds: at most
// three spans wide, its centre within the run, so any zoom or pan still shows
// the data. False when the range is empty or not a number (show the whole run).
bool plot_bound_view(double span_s, double* t0_s, double* t1_s);

// Builds the model for record slot (0: all mice) over [t0_s, t1_s]; whole
// takes the record's entire span instead. columns is clamped to
// PLOT_MAX_COLUMNS. record_p999_us, when positive, is the record's own 99.9th
// percentile: the whole run's axis top then comes from it, without a histogram.
void plot_model_build(PlotModel* m, const ArrivalLog* log, int slot, double freq, int columns,
                      double t0_s, double t1_s, bool whole, double record_p999_us = 0);
