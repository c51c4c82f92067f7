// Main window geometry for the widths where its rules change, and the rows
// that must fit the smallest client.
#include <gtest/gtest.h>

#include "core/views/panel_layout.h"

namespace {

TEST(PanelLayoutTest, TextColumnCentresOnlyAboveSevenHundredEighty) {
    EXPECT_EQ(panel_column_x(300), 12);
    EXPECT_EQ(panel_column_x(780), 12);
    EXPECT_EQ(panel_column_x(781), 12);
    EXPECT_EQ(panel_column_x(800), 22);
    EXPECT_EQ(panel_column_x(1001), 122);
}

TEST(PanelLayoutTest, HistogramGeometryAcrossWidthClasses) {
    struct Row {
        int width, bar, pitch, total, x0;
    } rows[] = {
        {465, 50, 56, 442, 11},  {466, 50, 56, 442, 12},   {700, 79, 85, 674, 13},
        {780, 89, 95, 754, 13},  {953, 110, 116, 922, 15}, {954, 110, 116, 922, 16},
        {1000, 110, 116, 922, 39}, {300, 50, 56, 442, -71}, {1, 50, 56, 442, -220},
    };
    for (const Row& r : rows) {
        HistogramGeometry g = histogram_geometry(r.width);
        EXPECT_EQ(g.bar_width, r.bar) << r.width;
        EXPECT_EQ(g.pitch, r.pitch) << r.width;
        EXPECT_EQ(g.total_width, r.total) << r.width;
        EXPECT_EQ(g.x0, r.x0) << r.width;
        EXPECT_EQ(g.total_width, 8 * g.bar_width + 42) << r.width;
    }
}

TEST(PanelLayoutTest, BarLengthsScaleToTheFullestBucket) {
    EXPECT_EQ(histogram_bar_length(0, 0), 0);  // empty histogram divides by 1
    EXPECT_EQ(histogram_bar_length(0, 1), 0);
    EXPECT_EQ(histogram_bar_length(5000, 5000), 130);
    EXPECT_EQ(histogram_bar_length(128, 16770), 0);   // under 1/130 of the fullest
    EXPECT_EQ(histogram_bar_length(131, 16900), 1);
    EXPECT_EQ(histogram_bar_length(1, 2), 65);
    EXPECT_EQ(histogram_bar_length(18446744073709551615ull, 18446744073709551615ull), 130);
    EXPECT_EQ(histogram_bar_length_within(1, 2, 40), 20);
}

// One row of controls from a client 838 wide, at its old place (the status
// at 46); narrower, they wrap and the chooser narrows, never past the edge.
TEST(PanelLayoutTest, ControlsWrapIntoRowsThatStayInside) {
    ControlBox b[PANEL_CONTROLS];
    EXPECT_EQ(control_flow(838, b), 34);
    EXPECT_EQ(b[5].x + b[5].width, 826);
    EXPECT_EQ(panel_rows(838, 500, false, 0).status, 46);
    EXPECT_EQ(control_flow(837, b), 66);
    EXPECT_EQ(b[5].x, 12);
    EXPECT_EQ(b[5].y, 40);
    for (int width : {200, 320, (int)PANEL_MIN_WIDTH, 700, 837, 838, 2000}) {
        const int bottom = control_flow(width, b);
        for (int i = 0; i < PANEL_CONTROLS; i++) {
            EXPECT_GE(b[i].x, 12) << width << " " << i;
            EXPECT_LE(b[i].x + b[i].width, width - 12) << width << " " << i;
            EXPECT_LE(b[i].y + b[i].height, bottom) << width << " " << i;
            for (int j = 0; j < i; j++)  // none overlaps one before it
                EXPECT_TRUE(b[j].y != b[i].y || b[j].x + b[j].width <= b[i].x) << width << " " << i;
        }
    }
    EXPECT_EQ(control_flow(PANEL_MIN_WIDTH, b), 66) << "two rows at the smallest width";
}

// The smallest client holds every line and the histogram's labels in the
// worst case (with a line of presses); a tall one gives the bars their whole
// 130 pixels.
TEST(PanelLayoutTest, RowsFitTheSmallestClientAndGrowWithRoom) {
    const PanelRows worst = panel_rows(PANEL_MIN_WIDTH, PANEL_MIN_HEIGHT, true, 2, 1);
    EXPECT_EQ(worst.hint_lines, 2);
    EXPECT_LE(worst.bottom, PANEL_MIN_HEIGHT);
    EXPECT_GE(worst.bar_max, PANEL_BAR_MIN_HEIGHT);
    EXPECT_GT(worst.coalesced, worst.reading + 4 * worst.reading_pitch);
    EXPECT_GE(worst.buttons, worst.coalesced + 20);
    EXPECT_GE(worst.hints, worst.buttons + PANEL_HINT_LINE);
    EXPECT_GE(worst.title, worst.hints + 2 * PANEL_HINT_LINE);
    EXPECT_EQ(worst.baseline, worst.legend + 20 + worst.bar_max);

    const PanelRows roomy = panel_rows(880, 700, false, 1);
    EXPECT_EQ(roomy.bar_max, 130);
    EXPECT_EQ(roomy.hints, roomy.coalesced) << "no coalesced line: the hints take its place";
    // Hints beyond the room give way to the histogram's least height.
    const PanelRows crowded = panel_rows(PANEL_MIN_WIDTH, PANEL_MIN_HEIGHT, true, 9, 1);
    EXPECT_EQ(crowded.hint_lines, 2);
    EXPECT_LE(crowded.bottom, PANEL_MIN_HEIGHT);
    // Two lines of presses: the hints give up a line, never the histogram.
    const PanelRows presses = panel_rows(PANEL_MIN_WIDTH, PANEL_MIN_HEIGHT, true, 9, 5);
    EXPECT_EQ(presses.hints, crowded.hints + PANEL_HINT_LINE);
    EXPECT_EQ(presses.hint_lines, 1);
    EXPECT_LE(presses.bottom, PANEL_MIN_HEIGHT);
}

}  // namespace
