// Benchmark, run by hand: how long the report path spends inside or waiting
// for its record's lock while another thread reads the record's figures
// (distribution and motion) every 2 ms. The record first counts 600000
// moving reports whose intervals spread evenly over 100 us..50 ms (a slow
// hand: the histograms span their whole range); then one thread records a
// report every 200 us or so of real time, timing each run_take_report (both
// records and the log, as the reader thread takes a report), while another
// reads the figures. Each report also goes to a record that nobody reads,
// timed the same way: what the machine itself adds (the thread descheduled
// inside the call). Prints the 99.9th percentile and the longest time of
// each, and what a read of the figures took; asserts nothing.
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "core/runs/run.h"

typedef std::chrono::steady_clock Clock;

static const int kPrefilled = 600000;
static const int kSeconds = 5;
static const double kTicksPerSecond = 1e7;

static double us_since(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// 100 us..50 ms in ticks of the 10 MHz counter, evenly spread.
static int64_t spread_ticks(uint32_t* seed) {
    *seed = *seed * 1664525u + 1013904223u;
    return 1000 + (int64_t)(*seed >> 8) % 499001;
}

static double at_share(std::vector<double>* v, double share) {
    std::sort(v->begin(), v->end());
    size_t at = (size_t)(share * (double)v->size());
    return (*v)[at < v->size() ? at : v->size() - 1];
}

int main(void) {
    static Run run;
    run_init(&run, kTicksPerSecond);
    DeviceStats* rec = &run.records[1];
    const ReportMotion moved = {1, 0, 0, 0, 0};
    uint32_t seed = 12345;
    int64_t t = 1;
    for (int i = 0; i <= kPrefilled; i++) {
        t += i ? spread_ticks(&seed) : 0;
        run_take_report(&run, t, 1, false, NULL, &moved);
    }

    std::atomic<bool> done(false);
    std::vector<double> reads;
    std::thread reader([&] {
        Clock::time_point next = Clock::now();
        while (!done.load()) {
            const Clock::time_point start = Clock::now();
            Distribution d;
            MotionFigures m;
            record_distribution(rec, &d);
            record_motion(rec, &m);
            reads.push_back(us_since(start));
            // A read that overran waits for the next tick of the 2 ms clock,
            // as a timer's missed ticks fold into one.
            do
                next += std::chrono::milliseconds(2);
            while (next <= Clock::now());
            std::this_thread::sleep_until(next);
        }
    });

    DeviceStats* unread = &run.records[2];
    int64_t unread_t = 1;
    std::vector<double> held, unread_held;
    const Clock::time_point end = Clock::now() + std::chrono::seconds(kSeconds);
    while (Clock::now() < end) {
        t += spread_ticks(&seed);
        Clock::time_point start = Clock::now();
        run_take_report(&run, t, 1, false, NULL, &moved);
        held.push_back(us_since(start));
        unread_t += spread_ticks(&seed);
        start = Clock::now();
        record_arrival(unread, unread_t, false, 0, &moved);
        unread_held.push_back(us_since(start));
        std::this_thread::sleep_for(std::chrono::microseconds(150));
    }
    done.store(true);
    reader.join();

    const double longest = *std::max_element(held.begin(), held.end());
    printf("Lock hold: report path p99.9=%.1f us max=%.1f us while figures are read every 2 ms "
           "(%d intervals over 100 us-50 ms)\n",
           at_share(&held, 0.999), longest, kPrefilled);
    const double unread_longest = *std::max_element(unread_held.begin(), unread_held.end());
    printf("Same path, a record nobody reads: p99.9=%.1f us max=%.1f us (the machine's own delays)\n",
           at_share(&unread_held, 0.999), unread_longest);
    printf("Figures read: median %.2f ms, longest %.2f ms (%zu reads, %zu reports timed)\n",
           at_share(&reads, 0.5) / 1000, *std::max_element(reads.begin(), reads.end()) / 1000,
           reads.size(), held.size());
    run_free(&run);
    return 0;
}
