// Panel geometry: text column and histogram layout for any client width.
#include "core/views/panel_layout.h"

int panel_column_x(int width) { return width <= 780 ? 12 : (width >> 1) - 378; }

HistogramGeometry histogram_geometry(int width) {
    HistogramGeometry g;
    if (width <= 465) {
        g.bar_width = 50;
        g.total_width = 442;
    } else if (width <= 953) {
        g.bar_width = (width - 66) >> 3;
        g.total_width = ((width - 66) & ~7) + 42;
    } else {
        g.bar_width = 110;
        g.total_width = 922;
    }
    g.pitch = g.bar_width + 6;
    g.x0 = (width - g.total_width) / 2;  // truncated toward zero
    return g;
}

int histogram_bar_length(uint64_t count, uint64_t max_count) {
    if (max_count < 1)
        max_count = 1;
    return (int)((double)count / (double)max_count * PANEL_BAR_MAX_HEIGHT);
}
