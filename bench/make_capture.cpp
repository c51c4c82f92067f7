// Writes a synthetic USBPcap capture for the benchmarks: one interrupt-IN
// endpoint, a report every 125 us, 51 bytes a record (about 19.6 million
// records a GB). Usage: make_capture MEGABYTES FILE
#include <stdio.h>
#include <stdlib.h>

#include "tests/support/capture_builder.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: make_capture MEGABYTES FILE\n");
        return 2;
    }
    if (!write_bench_capture(argv[2], strtoull(argv[1], NULL, 10))) {
        fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
