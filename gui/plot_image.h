// "Save picture" ("保存图片"): the plot window's picture as it shows it now,
// at its client size, saved as PNG under a partial name and renamed when
// whole; its foot says what, when and by which version instead of the
// window's status.
#pragma once

#include <stddef.h>

#include "gui/plot_state.h"

// Asks where, paints into a DIB section and writes it; says so in w's status
// line, or in a box. False after a box: an error, or a window too small to
// have a picture (then nothing is asked).
bool plot_save_image(PlotWin* w);
// The picture's line in place of the status: the version, the device as the
// window names it (a saved run: its file's name) and when the run was
// measured (a saved run: its first row) or the picture is taken (the live run).
void plot_image_info(PlotWin* w, wchar_t* out, size_t cap);
