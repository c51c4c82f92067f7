// --ab A.csv B.csv [--slot N]: two saved runs compared, each run's figures
// and B - A with 95 % intervals from core/figures/ab_compare, then the verdict.
#pragma once

#include <stdio.h>

// slot: the record of both runs (0 or less: all mice). 0 when the comparison
// was printed, 1 (one error line naming the file) when a file cannot be read
// as a run or memory ran out.
// json_path, when given, receives the lines' figures as JSON.
int run_ab(const wchar_t* a_path, const wchar_t* b_path, int slot, FILE* out,
           const wchar_t* json_path = NULL);
