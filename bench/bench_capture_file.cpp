// Benchmark, run by hand: throughput of the offline capture analysis on a
// large synthetic file of small interrupt records, USBPcap's and then
// usbmon's, next to a loop that only reads the same file. Both are timed in
// the process' CPU time (user and system), which other work on a shared
// machine disturbs far less than the clock on the wall.
// Usage: bench_capture_file [MEGABYTES] [FILE]
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "core/captures/capture_file.h"
#include "tests/support/capture_builder.h"

static double now_seconds(void) {
    struct timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return (double)t.tv_sec + t.tv_nsec / 1e9;
}

static double plain_read_seconds(const char* path, uint64_t* bytes) {
    static uint8_t chunk[1 << 20];
    FILE* f = fopen(path, "rb");
    if (!f)
        return -1;
    double start = now_seconds();
    uint64_t total = 0, sum = 0;
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) {
        total += n;
        sum += chunk[n - 1];  // touch the data
    }
    double s = now_seconds() - start;
    fclose(f);
    *bytes = total + (sum & 0);
    return s;
}

static double analysis_seconds(const char* path, CaptureFileAnalysis* a) {
    FILE* f = fopen(path, "rb");
    if (!f)
        return -1;
    CaptureSource src = capture_source_of_file(f);
    double start = now_seconds();
    analyse_capture(&src, a);
    double s = now_seconds() - start;
    capture_analysis_free(a);
    fclose(f);
    return s;
}

static void bench(const char* kind, const char* path, CaptureFileAnalysis* a) {
    for (int run = 1; run <= 3; run++) {
        uint64_t bytes = 0;
        double plain = plain_read_seconds(path, &bytes);
        double analysis = analysis_seconds(path, a);
        double mb = (double)bytes / 1e6;
        const uint64_t records = a->usbpcap_records + a->usbmon_records;
        printf("%s run %d: %.0f MB, %llu records: plain read %.0f MB/s, --pcap analysis %.0f MB/s "
               "(%.1f ns a record, %.0f ms a GB; CPU time)\n",
               kind, run, mb, (unsigned long long)records, mb / plain, mb / analysis,
               analysis * 1e9 / (double)records, analysis * 1e3 * 1000 / mb);
    }
}

int main(int argc, char** argv) {
    uint64_t megabytes = argc > 1 ? strtoull(argv[1], NULL, 10) : 200;
    const char* path = argc > 2 ? argv[2] : "bench-capture.pcap";
    static CaptureFileAnalysis a;
    if (!write_bench_capture(path, megabytes)) {
        fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    bench("USBPcap", path, &a);
    if (!write_bench_usbmon_capture(path, megabytes)) {
        fprintf(stderr, "cannot write %s\n", path);
        remove(path);
        return 1;
    }
    bench("usbmon", path, &a);
    remove(path);
    return 0;
}
