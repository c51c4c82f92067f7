// The layer comparison's text (core/figures/layer_compare finds the figures).
#pragma once

#include <stddef.h>

#include "core/figures/layer_compare.h"

// The four result lines, then one sentence that reads them; appended to out
// (at most cap bytes, always terminated). endpoint like "1.3.0x81".
void format_comparison(char* out, size_t cap, const char* endpoint, const LayerComparison* c);

// Two layers on clocks that are not the same (compare_layers_apart): the
// sentence that says so, then the USB and program layer lines, the
// comparison's own, side by side.
void format_layers_apart(char* out, size_t cap, const char* endpoint, const LayerComparison* c);
