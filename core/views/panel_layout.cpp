// Main window geometry: the controls' rows, the panel's rows and the
// histogram for any client size.
#include "core/views/panel_layout.h"

// The controls' widths: the chooser, start/stop, clear, diagnostic, about,
// plot; wide enough for either language's caption at any DPI (the unit tests
// measure them). One row up to a client 838 pixels wide.
static const int kControlWidth[PANEL_CONTROLS] = {280, 96, 96, 130, 72, 100};
static const int kMargin = 12, kTop = 8, kGap = 8, kRowPitch = PANEL_CONTROL_HEIGHT + 6;

int panel_column_x(int width) { return width <= 780 ? 12 : (width >> 1) - 378; }

int panel_column_width(int width) {
    const int x = panel_column_x(width);
    return width - 2 * x > 756 ? 756 : width - 2 * x;
}

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

int histogram_bar_length_within(uint64_t count, uint64_t max_count, int full) {
    if (max_count < 1)
        max_count = 1;
    return (int)((double)count / (double)max_count * full);
}

int histogram_bar_length(uint64_t count, uint64_t max_count) {
    return histogram_bar_length_within(count, max_count, PANEL_BAR_MAX_HEIGHT);
}

int control_flow(int width, ControlBox out[PANEL_CONTROLS]) {
    int x = kMargin, y = kTop;
    for (int i = 0; i < PANEL_CONTROLS; i++) {
        int w = kControlWidth[i];
        if (i == 0 && w > width - 2 * kMargin)
            w = width - 2 * kMargin > 40 ? width - 2 * kMargin : 40;
        if (x > kMargin && x + w > width - kMargin) {
            x = kMargin;
            y += kRowPitch;
        }
        out[i] = ControlBox{x, y, w, PANEL_CONTROL_HEIGHT};
        x += w + kGap;
    }
    return y + PANEL_CONTROL_HEIGHT;
}

PanelRows panel_rows(int width, int height, bool coalesced, int hint_lines, int button_lines) {
    ControlBox boxes[PANEL_CONTROLS];
    PanelRows r;
    // One row of controls puts the status where it always was, at 46.
    const int top = control_flow(width, boxes) + 12;
    r.status = top;
    r.rate = top + 18;  // the large line
    r.device = top + 48;
    r.reading = top + 70;
    r.reading_pitch = 21;
    int y = r.reading + 5 * r.reading_pitch;
    r.coalesced = y;
    y += coalesced ? 22 : 0;
    r.buttons = y;
    button_lines = button_lines < PANEL_BUTTON_LINES ? button_lines : PANEL_BUTTON_LINES;
    y += button_lines > 0 ? button_lines * PANEL_HINT_LINE + 4 : 0;
    r.hints = y;
    // Title, legend, the least bars, labels and shares below the hints.
    const int below = 40 + PANEL_BAR_MIN_HEIGHT + 31;
    int fit = (height - y - below) / PANEL_HINT_LINE;
    fit = fit < 0 ? 0 : fit;
    r.hint_lines = hint_lines < fit ? hint_lines : fit;
    y += r.hint_lines * PANEL_HINT_LINE;
    r.title = y + 2;
    r.legend = r.title + 18;
    const int bar_top = r.legend + 20;
    int bars = height - bar_top - 31;
    r.bar_max = bars > PANEL_BAR_MAX_HEIGHT ? PANEL_BAR_MAX_HEIGHT
                : bars < PANEL_BAR_MIN_HEIGHT ? PANEL_BAR_MIN_HEIGHT : bars;
    r.baseline = bar_top + r.bar_max;
    r.labels = r.baseline + 3;
    r.shares = r.baseline + 16;
    r.bottom = r.baseline + 31;
    return r;
}
