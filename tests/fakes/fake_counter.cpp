// Scripted performance counter: returns whatever the test set.
#include "tests/fakes/fake_counter.h"

#include "platform/counter.h"

int64_t g_fake_counter_now = 1;
int64_t g_fake_counter_freq = 10000000;

static int64_t s_script[FAKE_READS];
static int s_script_n, s_script_at;

void fake_counter_script(const int64_t* reads, int n) {
    s_script_n = n < FAKE_READS ? n : FAKE_READS;
    s_script_at = 0;
    for (int i = 0; i < s_script_n; i++)
        s_script[i] = reads[i];
}

int fake_counter_script_left(void) { return s_script_n - s_script_at; }

int64_t counter_read(void) {
    return s_script_at < s_script_n ? s_script[s_script_at++] : g_fake_counter_now;
}
int64_t counter_frequency(void) { return g_fake_counter_freq; }
