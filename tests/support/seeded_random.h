// A small seeded generator for the tests' synthetic streams (splitmix64):
// the same seed gives the same stream on every compiler and platform.
#pragma once

#include <math.h>
#include <stdint.h>

inline uint64_t next_random(uint64_t* state) {
    uint64_t z = (*state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

// Uniform in [0, 1).
inline double uniform(uint64_t* state) { return (double)(next_random(state) >> 11) / 9007199254740992.0; }

inline double exponential(uint64_t* state, double mean) { return -mean * log(1 - uniform(state)); }
