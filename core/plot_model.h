// What the interval plot draws, computed from the arrival log for one record
// and a visible time range: per pixel column the span of its intervals (and
// the first few, to draw as dots), its merged deliveries, and the y axis,
// round values around the shown intervals' 0.1st and 99.9th percentiles (or
// the range the user zoomed to). Building it is one pass over the visible
// reports, so a repaint stays cheap however long the run. Where the axis
// rows and the labels of the distribution lines go is worked out here too.
#pragma once

#include <stdint.h>

#include <atomic>

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

// The y axis in ms: its range, and ticks at the multiples of step within it.
struct PlotAxis {
    double lo_ms, hi_ms;
    double step_ms;
    int decimals;  // enough for a tick label to tell the ticks apart
};

// What to build: the record, the visible range and the y axis.
struct PlotRequest {
    int slot;        // 0: all mice
    double freq;     // counter ticks per second
    int columns;     // clamped to PLOT_MAX_COLUMNS
    bool whole;      // the whole run instead of [t0_s, t1_s]
    double t0_s, t1_s;
    // The run's end in counter ticks (the stop, or now while measuring): the
    // time axis reaches it. 0 or earlier than the last report: the last report.
    int64_t end_t;
    // The record's own 0.1st and 99.9th percentiles, when known: the whole
    // run's axis then comes from them, without a histogram.
    double record_p001_us, record_p999_us;
    bool y_fixed;    // the user's y range (Shift+wheel) instead of the percentiles'
    double y_lo_ms, y_hi_ms;
    // When set and true, the walk ends at the next block of the log: the
    // model is being thrown away (its window is closing).
    const std::atomic<bool>* stop;
};

struct PlotModel {
    int columns;
    double t0_s, t1_s;    // the visible range, seconds since the record's first report
    double span_s;        // from the record's first report to the run's end
    uint64_t shown;       // intervals in the visible range
    PlotAxis axis;
    PlotColumn col[PLOT_MAX_COLUMNS];
};

// The axis top for a 99.9th percentile: the first of 1, 1.5, 2, 2.5, 3, 4,
// 5, 6, 8 times a power of ten that lies above it.
double plot_nice_top_ms(double p999_ms);

// The axis for intervals whose 0.1st and 99.9th percentiles are given: from 0
// to plot_nice_top_ms when they reach down towards 0, else a tighter range of
// round ticks with a margin on either side. 0..1 ms when there are none.
PlotAxis plot_axis_from_percentiles(double p001_us, double p999_us);
// Ticks for a range the user chose.
PlotAxis plot_axis_of_range(double lo_ms, double hi_ms);
// Scales the range by scale about at_ms (Shift+wheel), bounded: at least
// 0.01 ms wide, within 0..60 ms (every longer gap is a pause, drawn as an arrow).
PlotAxis plot_zoom_axis(const PlotAxis* axis, double at_ms, double scale);
// The pixel row of an interval in an area from row top to row bottom
// (unbounded: beyond the axis it lies outside them).
int plot_row_of(const PlotAxis* axis, double us, int top, int bottom);

// Labels of a given height beside lines: want[] are the top rows they would
// take, in order down the plot; out[] keeps that order, each label at least
// height below the one before, within [top, bottom - height] when they fit.
void plot_place_labels(const int* want, int n, int height, int top, int bottom, int* out);

// Seconds from the record's first logged report to the run's end (end_t as
// in PlotRequest); 1 when it has none (the axis of an empty plot).
double plot_record_span_s(ArrivalView* log, int slot, double freq, int64_t end_t);

// Bounds a visible range [t0_s, t1_s] for a record of span_s seconds: at most
// three spans wide, its centre within the run, so any zoom or pan still shows
// the data. False when the range is empty or not a number (show the whole run).
bool plot_bound_view(double span_s, double* t0_s, double* t1_s);

// Safe on any thread, each with its own view; builds on different threads do
// not share scratch memory.
void plot_model_build(PlotModel* m, ArrivalView* log, const PlotRequest* r);
