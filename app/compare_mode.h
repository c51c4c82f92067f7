// --compare CAPTURE CSV [ENDPOINT] [--slot N]: a USBPcap capture and a console
// run's CSV, taken on the same UTC clock, compared report by report.
#pragma once

#include <stdio.h>

// Prints the four result lines and their reading, or one error line; returns
// the exit code. slot: compare only the CSV's rows of that slot (0 or less:
// every row, as the live path compares all mice for slot 0). json_path, when
// given, receives the four lines' figures as JSON.
int run_compare(const wchar_t* capture_path, const wchar_t* csv_path, const wchar_t* endpoint,
                int slot, FILE* out, const wchar_t* json_path = NULL);
