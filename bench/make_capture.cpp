// Writes a synthetic capture for the benchmarks: one interrupt-IN endpoint, a
// report every 125 us. USBPcap by default, 51 bytes a record (about 19.6
// million records a GB); with --usbmon a Linux capture (link type 220), each
// report a submission and its completion (168 bytes a report).
// Usage: make_capture [--usbmon] MEGABYTES FILE
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tests/support/capture_builder.h"

int main(int argc, char** argv) {
    const bool usbmon = argc == 4 && strcmp(argv[1], "--usbmon") == 0;
    if (argc != 3 && !usbmon) {
        fprintf(stderr, "usage: make_capture [--usbmon] MEGABYTES FILE\n");
        return 2;
    }
    const uint64_t megabytes = strtoull(argv[argc - 2], NULL, 10);
    const char* path = argv[argc - 1];
    if (!(usbmon ? write_bench_usbmon_capture : write_bench_capture)(path, megabytes)) {
        fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    return 0;
}
