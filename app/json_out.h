// --json FILE for every mode that prints figures: the file is checked and
// created under its partial name before anything is read or measured, the
// report is built as the figures are printed, and written whole at the end.
#pragma once

#include <wchar.h>

#include "core/views/report_json.h"
#include "platform/output_file.h"

struct JsonOutput {
    OutputFile file;     // f null: no --json
    JsonReport* report;  // made by json_output_report once the figures are known
};

// Nothing to do for a null path; otherwise the target checked and its partial
// file created, or false after the error line (as --csv's).
bool json_output_open(JsonOutput* o, const wchar_t* path);
// The report of this program in this mode, made on first use; null without
// --json or without memory (the run's end then says so).
JsonReport* json_output_report(JsonOutput* o, const char* mode, const JsonConditions* c);
// result 0: the report written and put in the target's place; otherwise, or
// when that fails (its error line printed, 1 returned), the partial file goes.
int json_output_finish(JsonOutput* o, int result);
