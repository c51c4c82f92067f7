// --analyze CSV [--slot N]: a saved run's end-of-run block printed again
// from its CSV alone.
#pragma once

#include <stdio.h>

#include "core/runs/run_csv.h"

// slot: the record (0 or less: all mice). 0 when the block was printed, 1
// (the reason on standard error) when the file cannot be read as a run.
// json_path, when given, receives the block's figures as JSON. chatter_ms:
// a press less than that after its button's release is chatter.
int run_analyze(const wchar_t* csv_path, int slot, FILE* out, const wchar_t* json_path = NULL,
                double chatter_ms = kChatterDefaultMs);

// The CSV at path read into run (run_csv_init done by the caller, so it can
// also feed an A/B run); false, with one error line naming the file and its
// line, when it cannot be read as a run or holds no rows of the slot.
bool read_run_csv(const wchar_t* path, int slot, RunCsv* run);
