// Capture analyses for tests: a file in memory handed out in reads of a
// chosen size, and an analysis that frees itself.
#pragma once

#include <string.h>

#include <algorithm>
#include <memory>

#include "core/captures/capture_file.h"
#include "tests/support/capture_builder.h"

// A file in memory, handed out at most `chunk` bytes per read.
struct MemoryFile {
    const Bytes* bytes;
    size_t at;
    size_t chunk;
};

inline size_t read_memory(void* ctx, uint8_t* buf, size_t n) {
    MemoryFile* f = (MemoryFile*)ctx;
    size_t left = f->bytes->size() - f->at;
    size_t k = std::min(std::min(n, left), f->chunk);
    if (k)
        memcpy(buf, f->bytes->data() + f->at, k);
    f->at += k;
    return k;
}

struct FreeAnalysis {
    void operator()(CaptureFileAnalysis* a) const {
        capture_analysis_free(a);
        delete a;
    }
};
typedef std::unique_ptr<CaptureFileAnalysis, FreeAnalysis> Analysis;

inline Analysis analyse_source(const CaptureSource& src) {
    Analysis a(new CaptureFileAnalysis);
    analyse_capture(&src, a.get());
    return a;
}
