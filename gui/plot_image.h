// "保存图片": the plot window's picture as it shows it now, at its client
// size, saved as PNG under a partial name and renamed when whole.
#pragma once

#include "gui/plot_state.h"

// Asks where, paints into a DIB section and writes it; says so in w's status
// line, or in a box. False after a box: an error, or a window too small to
// have a picture (then nothing is asked).
bool plot_save_image(PlotWin* w);
