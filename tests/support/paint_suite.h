// A test suite that paints the window's panels or plots: the suite's run
// and the bar brushes made once for the suite.
#pragma once

#include "gui/panel.h"
#include "tests/support/stats_suite.h"

class PaintSuite : public StatsSuite {
protected:
    static void SetUpTestSuite() {
        StatsSuite::SetUpTestSuite();
        gui_create_bar_brushes();
    }
};
