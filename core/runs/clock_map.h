// Maps performance-counter values to the system's precise UTC clock, the clock
// USBPcap stamps its records with, from pairs sampled while measuring: linear
// between two samples, the counter's own rate outside them.
// Publication rule: a run's map (core/runs/run.h) is written by the front end's own thread only
// (the window's or the console's: it samples the clock there, never on the
// reader thread); a worker of that front end that needs it takes a copy on
// that thread before it starts.
#pragma once

#include <stdint.h>

enum { CLOCK_MAP_SAMPLES = 4096 };

struct ClockSample {
    int64_t counter;
    int64_t utc_us;  // microseconds since 1970-01-01 UTC
};

struct ClockMap {
    ClockSample samples[CLOCK_MAP_SAMPLES];
    int count;
    double freq;  // counter ticks per second
};


void clock_map_clear(ClockMap* m, double freq);
// Adds a sample; a full map keeps every other sample, so it always spans the run.
void clock_map_add(ClockMap* m, int64_t counter, int64_t utc_us);
// Whole microseconds since 1970 UTC at a counter value (rounded down); 0
// when the map has no sample.
int64_t clock_map_utc(const ClockMap* m, int64_t counter);
