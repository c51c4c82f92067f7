// The A/B comparison's verdict in words: which figures of B differ from
// A's and by how much, from the verdict core/figures/ab_compare.cpp reaches.
#pragma once

#include <stddef.h>

#include "core/figures/ab_compare.h"
#include "core/views/texts.h"

// "Verdict: ..." (the key in English, the sentence in the chosen language),
// one line without its line end; the length written.
size_t ab_verdict_text(const AbComparison* c, char* out, size_t cap);
// The same in a given language (--json's verdict is English whatever was chosen).
size_t ab_verdict_text_in(Lang lang, const AbComparison* c, char* out, size_t cap);
