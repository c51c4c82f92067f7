// Geometry of the main window at 96 DPI: the controls' rows, the panel's rows
// below them and the histogram, from the client size alone. Pure arithmetic,
// no Windows API; the window scales every value to its DPI.
#pragma once

#include <stdint.h>

enum {
    PANEL_BAR_MAX_HEIGHT = 130,
    PANEL_BAR_MIN_HEIGHT = 24,
    PANEL_CONTROLS = 6,      // the chooser, then the five buttons
    PANEL_CONTROL_HEIGHT = 26,
    PANEL_HINT_LINE = 18,    // the motion hints' and the buttons' line pitch
    PANEL_BUTTON_LINES = 2,  // the buttons' line wraps onto a second at most
    // The smallest client area: the worst case (two rows of controls, the
    // coalesced line, a line of presses and two lines of hints) still shows
    // the histogram with its labels; at 144 DPI with its frame it fits a
    // 1024 x 768 screen. A second line of presses (four or five buttons
    // pressed) takes a line of hints' room there.
    PANEL_MIN_WIDTH = 600,
    PANEL_MIN_HEIGHT = 428,
};

struct HistogramGeometry {
    int bar_width;
    int pitch;        // bar width plus the 6-pixel gap
    int total_width;  // eight bars and seven gaps
    int x0;           // left edge of bar 0; negative when the client is narrower
};

// Left edge of the text column: 12, or a centred 756-pixel column when wider than 780.
int panel_column_x(int width);
// The text column's width: from its left edge to as far on the right.
int panel_column_width(int width);
HistogramGeometry histogram_geometry(int width);
// Pixel length of a bar for count when the fullest bucket holds max_count (at least 1).
int histogram_bar_length(uint64_t count, uint64_t max_count);
// The same for bars at most full pixels tall.
int histogram_bar_length_within(uint64_t count, uint64_t max_count, int full);

// A control's place in the client area.
struct ControlBox {
    int x, y, width, height;
};
// The controls left to right from (12, 8) in rows of 26-pixel-high controls,
// a control that would end past width - 12 starting the next row; the chooser
// (the first) narrows to the width. The bottom of the last row.
int control_flow(int width, ControlBox out[PANEL_CONTROLS]);

// Where the panel's lines lie (their tops) in a client of width x height.
struct PanelRows {
    int status, rate, device;
    int reading;        // the first of the five readings
    int reading_pitch;
    int coalesced;      // when shown
    int buttons;        // the buttons' first line, when shown
    int hints;          // the first hint line, when there are any
    int hint_lines;     // of those wanted, how many fit above the histogram's least height
    int title, legend;
    int bar_max;        // the tallest bar: up to 130, down to 24 when room is short
    int baseline;       // the bars stand on it
    int labels, shares; // under each bar: its nominal rate, then its share
    int bottom;         // below the shares
};
// button_lines: how many lines the buttons' presses take (0: none pressed).
PanelRows panel_rows(int width, int height, bool coalesced, int hint_lines, int button_lines = 0);
