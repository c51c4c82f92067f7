// Benchmark, run by hand: throughput of the offline capture analysis on a
// large synthetic file of small interrupt records, next to a loop that only
// reads the same file. Usage: bench_capture_file [MEGABYTES] [FILE]
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "capture/capture_file.h"

static double now_seconds(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + t.tv_nsec / 1e9;
}

static void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; i++)
        p[i] = (uint8_t)(v >> (8 * i));
}

// Records of 16 + 35 bytes: a 27-byte USBPcap header and an 8-byte report.
static bool write_capture(const char* path, uint64_t megabytes) {
    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    uint8_t header[24] = {0};
    put32(header, 0xA1B2C3D4);
    header[4] = 2;
    header[6] = 4;
    put32(header + 16, 65535);
    put32(header + 20, 249);
    fwrite(header, 1, sizeof header, f);
    enum { RECORD = 16 + 35, BATCH = 4096 };
    static uint8_t batch[RECORD * BATCH];
    uint64_t records = megabytes * 1000000 / RECORD;
    uint64_t us = 0;
    for (uint64_t done = 0; done < records;) {
        size_t n = 0;
        for (; n < BATCH && done < records; n++, done++) {
            uint8_t* r = batch + n * RECORD;
            memset(r, 0, RECORD);
            us += 125;
            put32(r, (uint32_t)(us / 1000000));
            put32(r + 4, (uint32_t)(us % 1000000));
            put32(r + 8, 35);
            put32(r + 12, 35);
            uint8_t* p = r + 16;
            p[0] = 27;
            p[14] = 9;
            p[16] = 1;
            p[17] = 1;
            p[19] = 2;
            p[21] = 0x81;
            p[22] = 1;
            put32(p + 23, 8);
        }
        fwrite(batch, RECORD, n, f);
    }
    return fclose(f) == 0;
}

static size_t read_file(void* ctx, uint8_t* buf, size_t n) {
    FILE* f = (FILE*)ctx;
    size_t got = fread(buf, 1, n, f);
    return got == 0 && ferror(f) ? (size_t)-1 : got;
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
    CaptureSource src = {read_file, f, UINT64_MAX, 0};
    double start = now_seconds();
    analyse_capture(&src, a);
    double s = now_seconds() - start;
    fclose(f);
    return s;
}

int main(int argc, char** argv) {
    uint64_t megabytes = argc > 1 ? strtoull(argv[1], NULL, 10) : 200;
    const char* path = argc > 2 ? argv[2] : "bench-capture.pcap";
    if (!write_capture(path, megabytes)) {
        fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    static CaptureFileAnalysis a;
    for (int run = 1; run <= 3; run++) {
        uint64_t bytes = 0;
        double plain = plain_read_seconds(path, &bytes);
        double analysis = analysis_seconds(path, &a);
        double mb = (double)bytes / 1e6;
        printf("run %d: %.0f MB, %llu records: plain read %.0f MB/s, --pcap analysis %.0f MB/s (%.0f %%)\n",
               run, mb, (unsigned long long)a.usbpcap_records, mb / plain, mb / analysis,
               100.0 * plain / analysis);
    }
    remove(path);
    return 0;
}
