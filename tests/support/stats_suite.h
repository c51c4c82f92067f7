// A test suite whose tests use the statistics records: their locks made once
// for the suite, their histograms given back at its end.
#pragma once

#include <gtest/gtest.h>

#include "core/stats.h"

class StatsSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { stats_init_locks(); }
    static void TearDownTestSuite() {
        stats_free_all();
        stats_delete_locks();
    }
};
