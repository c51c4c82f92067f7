// A test suite whose tests use a run's records and log: one run for the
// suite, made on a 10 MHz counter at its start and given back at its end.
#pragma once

#include <gtest/gtest.h>

#include "core/runs/run.h"

class StatsSuite : public ::testing::Test {
protected:
    // The suite's run; static storage, as a run is too large for a stack.
    // (::Run: inside a test, Run names gtest's own member function.)
    static ::Run* run() {
        static ::Run r;
        return &r;
    }
    static void SetUpTestSuite() { run_init(run(), 1e7); }
    static void TearDownTestSuite() { run_free(run()); }
    // Gives back everything the run holds and makes it anew at freq.
    static void restart_run(double freq) {
        run_free(run());
        run_init(run(), freq);
    }
};
