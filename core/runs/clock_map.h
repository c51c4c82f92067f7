// Maps performance-counter values to the system's precise UTC clock, the clock
// USBPcap stamps its records with, from pairs sampled while measuring: linear
// between two samples, the counter's own rate outside them.
// Publication rule: a run's map (core/runs/run.h) is written by the front end's own thread only
// (the window's or the console's: it samples the clock there, never on the
// reader thread); a worker of that front end that needs it takes a copy on
// that thread before it starts.
#pragma once

#include <stdint.h>

enum {
    CLOCK_MAP_SAMPLES = 4096,
    // A sample's two counter reads around its UTC read lie at most this far
    // apart, or the thread was held between them and the UTC's place among
    // them is unknown: it is read again, up to CLOCK_SAMPLE_TRIES times in
    // all, and the tightest read is kept.
    CLOCK_SAMPLE_SPREAD_US = 5,
    CLOCK_SAMPLE_TRIES = 8,
};

struct ClockSample {
    int64_t counter;
    int64_t utc_us;    // microseconds since 1970-01-01 UTC
    int64_t floor_us;  // the least the map gives from here on: what it gave before a step back
};

struct ClockMap {
    ClockSample samples[CLOCK_MAP_SAMPLES];
    int count;
    double freq;  // counter ticks per second
};


void clock_map_clear(ClockMap* m, double freq);
// Whether two counter reads taken around a UTC read place it closely enough.
bool clock_sample_tight(int64_t before, int64_t after, double freq);
// Adds a sample; a full map keeps every other sample, so it always spans the
// run. A UTC earlier than the last sample's (the system clock was set back)
// starts a new segment: no line is drawn back across the step, and the map
// holds at what it reached until the new segment passes it, so its times
// never go back within a run.
void clock_map_add(ClockMap* m, int64_t counter, int64_t utc_us);
// Whole microseconds since 1970 UTC at a counter value (rounded down); 0
// when the map has no sample. Never less at a later counter value.
int64_t clock_map_utc(const ClockMap* m, int64_t counter);
