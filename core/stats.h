// Interval statistics: one record per measured source (slot 0 = all mice,
// slot i = registry slot i), fed with the counter value of every report, and the
// derived readings that both front ends format.
#pragma once

#include <stdint.h>

#include "core/stats_lock.h"

enum {
    STATS_RECORDS = 65,
    STATS_BUCKETS = 8,
};

struct DeviceStats {
    StatsLock lock;          // guards every field below except running
    int32_t running;         // measuring switch; only slot 0's is used
    uint64_t interval_count;
    double interval_sum_us;
    double max_interval_us;  // 0 while there is none
    double min_interval_us;  // 0 while there is none
    uint64_t bucket_count[STATS_BUCKETS];
    int64_t first_ts;        // 0: no report since reset
    int64_t last_ts;
    double elapsed_ms;
    int64_t window_start_ts;
    uint64_t window_count;   // 0: no one-second window open
    double window_max_us;
    uint64_t coalesced_count;
    int32_t pause_before_next;  // the next interval is a pause, whatever its length
};

// What a reader copies out of a record under its lock.
struct StatsSnapshot {
    uint64_t interval_count;
    double interval_sum_us;
    double max_interval_us;
    double min_interval_us;
    uint64_t bucket_count[STATS_BUCKETS];
    double elapsed_ms;
    double window_max_us;
    uint64_t coalesced_count;
};

// The figures shown to the user; each rate is 0 when its source is 0.
struct StatsReadings {
    double average_hz;
    double lowest_instant_hz;
    double highest_instant_hz;
    double last_second_lowest_hz;
    uint64_t report_count;
    double elapsed_s;
    uint64_t coalesced_count;
    uint64_t bucket_count[STATS_BUCKETS];
};

extern DeviceStats g_dev_stats[STATS_RECORDS];
extern const double g_bucket_us[STATS_BUCKETS];
extern double g_qpc_freq;

void stats_init_locks(void);
void stats_delete_locks(void);
void record_arrival(DeviceStats* rec, int64_t t);
void stats_reset_all(void);
// Every record treats its next interval as a pause: the program was not
// listening for a while, so that interval says nothing about the mouse.
void stats_pause_all(void);
int stats_bucket_of(double interval_us);

// The global measuring switch lives in slot 0.
inline bool stats_measuring(void) { return g_dev_stats[0].running != 0; }
inline void stats_set_measuring(bool on) { g_dev_stats[0].running = on ? 1 : 0; }

void stats_take_snapshot(DeviceStats* rec, StatsSnapshot* out);
void stats_derive_readings(const StatsSnapshot* snap, StatsReadings* out);
// Snapshot under the lock, then derive after releasing it.
void stats_read(DeviceStats* rec, StatsReadings* out);
