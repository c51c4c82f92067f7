// What the plot draws, computed from the arrival log for one record, one view
// and a visible time range. Per pixel column: in the interval view the span of
// its intervals (and the first few, to draw as dots) and its merged
// deliveries; in the counts view the span of its dx and of its dy (and their
// first few distinct values) and its reports without motion; in the speed
// view the span of its reports' speeds; in the buttons view which buttons
// were held there (by a press that chattered or not), where presses began,
// and the wheels' notches each way. And the y axis: round values around
// the shown intervals' 0.1st and 99.9th percentiles, symmetric about 0 for
// counts, from 0 for speeds (or the range the user zoomed to). Building it is
// one pass over the visible reports, so a repaint stays cheap however long
// the run. Where the axis rows and the labels of the distribution lines go is
// worked out here too, and the words around the plot: the summary's figures,
// a saved picture's line of device, date and version, and how such texts
// break into lines at the width the window gives them.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

#include <atomic>

#include "core/figures/buttons.h"
#include "core/figures/distribution.h"
#include "core/figures/report_clock.h"
#include "core/runs/arrival_log.h"

enum {
    PLOT_MAX_COLUMNS = 4096,
    PLOT_FEW = 3,  // a column with this many reports or fewer shows each as a dot
};

// What the plot shows against time.
enum PlotKind {
    PLOT_INTERVALS,  // each report's interval ("间隔")
    PLOT_COUNTS,     // each report's dx and dy ("计数")
    PLOT_SPEED,      // each report's counts per second over its accepted interval ("速度")
    PLOT_BUTTONS,    // each press from press to release, the wheels' notches ("按键")
    PLOT_KINDS,
};

// The buttons view's rows: the five buttons (ButtonId), then the wheel and
// the horizontal wheel. A model's rows are bits (1 << row).
enum PlotButtonRow {
    PLOT_ROW_WHEEL = BUTTONS,
    PLOT_ROW_HWHEEL,
    PLOT_BUTTON_ROWS,
};

// What a column of the buttons view holds for each button.
enum {
    PLOT_HELD = 1,          // a press that did not chatter holds the button in the column
    PLOT_HELD_CHATTER = 2,  // a press that chattered does (drawn in the warning colour)
    PLOT_PRESSED = 4,       // a press begins in it
};
struct PlotButtonColumn {
    uint8_t button[BUTTONS];  // PLOT_HELD, PLOT_HELD_CHATTER, PLOT_PRESSED
    uint8_t up[2], down[2];   // notches of the wheel [0] and the horizontal wheel [1] (right: up), at most 255
    uint8_t reversed;         // bit w: a notch of wheel w in the column was a reversal
};

// One motion axis (dx or dy) of a column: the span of its values and its
// first few distinct ones, so that values that alternate show as levels, not
// as a bar between them.
struct PlotCounts {
    int16_t min, max;
    int16_t few[PLOT_FEW];
    uint8_t distinct;  // how many of few[] are set; PLOT_FEW + 1 once there are more
};

struct PlotColumn {
    // Intervals: accepted intervals and pauses; counts: moving reports;
    // speed: moving reports with an accepted interval.
    uint32_t count;
    float min_us;
    float max_us;
    float few_us[PLOT_FEW];
    uint32_t coalesced;
    // Counts and speed: reports with relative motion of 0 (idle, or a button
    // or the wheel only).
    uint32_t still;
    PlotCounts dx, dy;
    float speed_min, speed_max;  // counts per second
    float speed_few[PLOT_FEW];
};

// The y axis, in ms for intervals, in counts or counts per second for the
// other views: its range, and ticks at the multiples of step within it.
struct PlotAxis {
    double lo_ms, hi_ms;
    double step_ms;
    int decimals;  // enough for a tick label to tell the ticks apart
};

// What to build: the record, the visible range and the y axis.
struct PlotRequest {
    int slot;        // 0: all mice
    int kind;        // a PlotKind
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
    double y_lo_ms, y_hi_ms;  // in the axis's unit (ms only for intervals)
    // Buttons: a press less than chatter_ms after its button's release
    // chattered (the record's threshold; 0: the default); the rows shown
    // whatever the range holds (plot_button_rows_of the record's figures).
    double chatter_ms;
    unsigned button_rows;
    // When set and true, the walk ends at the next block of the log: the
    // model is being thrown away (its window is closing).
    const std::atomic<bool>* stop;
};

struct PlotModel {
    int kind;  // a PlotKind
    int columns;
    double t0_s, t1_s;    // the visible range, seconds since the record's first report
    double span_s;        // from the record's first report to the run's end
    uint64_t shown;       // intervals, moving reports or speeds in the visible range
    uint64_t absolute;    // counts and speed: visible absolute-position reports, not drawn
    PlotAxis axis;
    PlotColumn col[PLOT_MAX_COLUMNS];
    // Buttons: the rows (the request's and any the log shows), and per column
    // what they hold. shown counts the presses begun and notches turned in range.
    unsigned button_rows;
    PlotButtonColumn buttons[PLOT_MAX_COLUMNS];
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
// Counts: from -top to top, top the first round value above the largest count
// (at least 2).
PlotAxis plot_axis_of_counts(double largest);
// Speeds: from 0 to the first round value above the fastest.
PlotAxis plot_axis_of_speeds(double fastest);
// Scales the range of a view of kind by scale about at (Shift+wheel),
// bounded: intervals at least 0.01 ms wide within 0..60 ms (every longer gap
// is a pause, drawn as an arrow); counts at least 2 wide within the 16 bits
// the log keeps; speeds at least 10 counts/s wide from 0.
PlotAxis plot_zoom_axis(const PlotAxis* axis, int kind, double at, double scale);
// The pixel row of an interval in an area from row top to row bottom
// (unbounded: beyond the axis it lies outside them).
int plot_row_of(const PlotAxis* axis, double us, int top, int bottom);
// The same for a value in the axis's own unit (counts, counts per second).
int plot_row_of_value(const PlotAxis* axis, double v, int top, int bottom);

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

// --- The buttons view ------------------------------------------------------

// The rows a record's figures call for: each button pressed, each wheel turned.
unsigned plot_button_rows_of(const ButtonsSnapshot* s);
// The rows of a model top to bottom (PlotButtonRow values); how many.
int plot_button_row_list(unsigned rows, int out[PLOT_BUTTON_ROWS]);
// Row i of n in a plot area from row top to row bottom: its band, and within
// it the bar of a button (at most `most` rows tall, centred on mid) or a
// wheel's zero line at mid with its ticks reaching reach rows up and down.
struct PlotBand {
    int top, bottom;          // the band
    int mid;
    int bar_top, bar_bottom;  // bar_bottom excluded
    int reach;
};
PlotBand plot_button_band(int i, int n, int top, int bottom, int most);
// How far a column's ticks reach for n notches, of reach at most: a single
// notch half of it, more notches further.
int plot_notch_reach(int notches, int reach);

// --- The words around the plot ---------------------------------------------

// The gap between two pieces of a line: a piece (a figure with its name, a
// legend item, a hint) is kept whole on one line wherever it fits.
#define PLOT_GAP L"   "
enum { PLOT_GAP_LEN = 3, PLOT_TEXT_LINES = 16 };

// How wide n characters of text are drawn, in pixels: the window's font, or a test's.
struct PlotMeasure {
    int (*width)(void* ctx, const wchar_t* text, int n);
    void* ctx;
};

// A line of a text: text[start, start + len), without the gaps at its ends.
struct PlotTextLine {
    int start, len;
};

// Lays text into at most `most` lines, line k at most widths[k] wide (the
// last of the n widths for every later line): as many whole pieces on a line
// as fit. A line where not even the next piece fits, narrower than the
// widest, is left empty (the text goes on below); on the widest a piece too
// long for it is broken where text may break (after a space, a path's
// separator or Chinese punctuation, between Chinese characters), never
// inside a word or a number. How many lines; none for an empty text.
int plot_wrap(const wchar_t* text, const int* widths, int n, const PlotMeasure* m, PlotTextLine* out,
              int most);

// The foot's lines: the status on the bottom lines from the left, each at
// most last wide (the bottom line's room, less where the export's bar
// stands); the hints right-aligned on the bottom line when they fit there
// whole at least gap right of the status, else on lines of their own above
// it, each at most width wide. Neither is ever drawn over the other.
struct PlotFoot {
    PlotTextLine status[PLOT_TEXT_LINES / 2];  // top to bottom: the last on the bottom line
    PlotTextLine hints[PLOT_TEXT_LINES / 2];   // top to bottom, above the status
    int status_n;  // at least 1 (an empty line for no status)
    int hint_n;    // 0 when none, or all beside the status
    bool beside;   // the hints (not empty) end the bottom line
};
void plot_foot_layout(const wchar_t* status, const wchar_t* hints, int width, int last, int gap,
                      const PlotMeasure* m, PlotFoot* out);

// The summary's figures, pieces joined by PLOT_GAP: the count, the three
// rates, the deviation and the stability (only the count without an
// interval), the report clock (null: not known yet) or why there is none,
// then the plot's notes: its log reaches back only span_s seconds (wrapped),
// or has stopped for want of memory (failed). The characters written.
int plot_summary_text(wchar_t* out, size_t cap, const Distribution* d, const ReportClockFigures* clock,
                      bool wrapped, double span_s, bool failed);

// When a picture's run was measured (a saved run: its first report) or the
// picture was taken (the live run), as local time with its offset from UTC.
struct PlotStamp {
    bool known;
    int year, month, day, hour, minute, second;
    int utc_offset_min;
};

// A saved picture's line in place of the status (which may name local
// files): the program and its version, the device as the window names it,
// and the stamp, as pieces joined by PLOT_GAP. The characters written.
int plot_picture_info(wchar_t* out, size_t cap, const wchar_t* device, bool saved_run, const PlotStamp* when);
