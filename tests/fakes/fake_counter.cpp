// Scripted performance counter: returns whatever the test set.
#include "tests/fakes/fake_counter.h"

#include "platform/counter.h"

int64_t g_fake_counter_now = 1;
int64_t g_fake_counter_freq = 10000000;

int64_t counter_read(void) { return g_fake_counter_now; }
int64_t counter_frequency(void) { return g_fake_counter_freq; }
