// Panel geometry for the widths where its rules change.
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
}

}  // namespace
