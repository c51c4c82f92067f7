// --analyze CSV [--slot N]: a saved run's end-of-run block printed again
// from its CSV alone.
#pragma once

#include <stdio.h>

// slot: the record (0 or less: all mice). 0 when the block was printed, 1
// (the reason on standard error) when the file cannot be read as a run.
int run_analyze(const wchar_t* csv_path, int slot, FILE* out);
