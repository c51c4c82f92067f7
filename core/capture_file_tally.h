// One record of a saved capture counted: the summary's tally (the live
// diagnostic's rules) and the per-endpoint table with its exact gap
// histograms.
#pragma once

#include <stdint.h>

#include "core/capture_file.h"

// A USBPcap packet (header and payload, incl_len bytes) stamped at ts_us.
void capture_file_count_packet(CaptureFileAnalysis* a, const CaptureSource* src, int64_t ts_us,
                               const uint8_t* packet, uint32_t incl_len);
