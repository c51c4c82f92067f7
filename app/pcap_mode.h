// quorvin.exe --pcap FILE: analysis of a saved USBPcap capture.
#pragma once

#include <stdio.h>

// Prints the report (or one error line) to out; returns the exit code.
// csv_path, when given, receives one line per IN completion with data;
// json_path the report's figures as JSON.
int run_pcap(const wchar_t* path, FILE* out, const wchar_t* csv_path = NULL,
             const wchar_t* json_path = NULL);
