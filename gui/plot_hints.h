// The motion hints as the plot window's foot shows them, in the chosen
// language.
#pragma once

#include <stddef.h>
#include <wchar.h>

#include "core/figures/motion.h"

// The hints that apply, one after another with wide spaces between; empty
// when none does. The number of characters written.
int plot_hints_text(wchar_t* buf, size_t cap, const MotionHints* h, const MotionFigures* m);
