// --compare CAPTURE CSV [ENDPOINT]: a USBPcap capture and a console run's CSV,
// taken on the same UTC clock, compared report by report.
#pragma once

#include <stdio.h>

// Prints the four result lines and their reading, or one error line; returns
// the exit code.
int run_compare(const wchar_t* capture_path, const wchar_t* csv_path, const wchar_t* endpoint,
                FILE* out);
