// Geometry of the statistics panel: the text column and the histogram, from
// the client width alone. Pure arithmetic, no Windows API.
#pragma once

#include <stdint.h>

enum {
    PANEL_BAR_MAX_HEIGHT = 130,
};

struct HistogramGeometry {
    int bar_width;
    int pitch;        // bar width plus the 6-pixel gap
    int total_width;  // eight bars and seven gaps
    int x0;           // left edge of bar 0; negative when the client is narrower
};

// Left edge of the text column: 12, or a centred 756-pixel column when wider than 780.
int panel_column_x(int width);
HistogramGeometry histogram_geometry(int width);
// Pixel length of a bar for count when the fullest bucket holds max_count (at least 1).
int histogram_bar_length(uint64_t count, uint64_t max_count);
