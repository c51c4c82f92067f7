// Interval statistics: one record per measured source (slot 0 = all mice,
// slot i = registry slot i), fed with the counter value of every report, and the
// derived readings that both front ends format.
#pragma once

#include <stdint.h>

#include <atomic>

#include "core/figures/buttons.h"
#include "core/figures/distribution.h"
#include "core/figures/gap_histogram.h"
#include "core/figures/gap_rule.h"
#include "core/figures/motion.h"
#include "core/figures/stats_lock.h"

enum {
    STATS_RECORDS = 65,
    STATS_BUCKETS = 8,
};

struct DeviceStats {
    StatsLock lock;          // guards every field below except the atomics
    // Set by the report path from before it asks for the lock until it has
    // it: a reader copying the figures a page at a time lets it go first.
    std::atomic<int32_t> report_wants_lock;
    // Readers of the figures take turns on the histogram's reader copy
    // (1: one is reading); the reader thread never looks at it.
    std::atomic<int32_t> figures_turn;
    // The run's counter ticks per second, and the background throttle's
    // period the signature looks for: set with the run, read by every report.
    double freq;
    double throttle_period_us;
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
    double window_closed_max_us;  // the last closed window's longest (0 before one closes)
    uint64_t coalesced_count;
    int32_t pause_before_next;  // the next interval is a pause, whatever its length
    uint64_t arrival_count;     // every report since reset
    uint64_t background_count;  // reports that arrived while the listener was in the background
    int32_t last_background;    // the latest report arrived in the background
    // The throttle signature, over one-second windows of accepted intervals:
    // how many lay near a whole multiple of the throttle period.
    int64_t sig_start_ts;       // 0: no signature window open
    uint32_t sig_intervals;
    uint32_t sig_on_period;
    uint32_t sig_closed_intervals;  // the last closed window's counts
    uint32_t sig_closed_on_period;
    // Every accepted interval by its length in counter ticks, for the exact
    // distribution of the whole run in memory that does not grow with it.
    // Made at the first accepted interval, again if the frequency changed.
    GapHistogram gaps;
    uint64_t pause_count;       // intervals that were pauses
    // How the reports were read: each read (a batch) stamps all its reports
    // with one counter value, so a batch of n makes n - 1 coalesced deliveries.
    uint64_t batch_count;
    uint64_t max_batch;
    uint64_t batched_reports;   // reports read in batches of 2 or more
    // Moving, idle and saturated reports, their speeds and the intervals
    // between consecutive moving reports, over the whole run.
    MotionTally motion;
    // Every press timed and the wheel's notches (core/figures/buttons.h),
    // fed by run_take_report; a pause of the record forgets what was held.
    ButtonTally buttons;
};

// What a reader copies out of a record under its lock.
struct StatsSnapshot {
    uint64_t interval_count;
    double interval_sum_us;
    double max_interval_us;
    double min_interval_us;
    uint64_t bucket_count[STATS_BUCKETS];
    double elapsed_ms;
    double window_max_us;         // the open window's
    double window_closed_max_us;  // the last closed one's
    uint64_t coalesced_count;
    uint64_t arrival_count;
    uint64_t background_count;
    int32_t last_background;
    uint32_t sig_closed_intervals;
    uint32_t sig_closed_on_period;
    uint64_t batch_count;
    uint64_t max_batch;
    uint64_t batched_reports;
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
    uint64_t arrival_count;     // every report, whatever became of its interval
    uint64_t background_count;
    bool last_background;       // the latest report arrived in the background
    // At least 90 % of the last closed second's accepted intervals (10 or more)
    // lay within 0.5 ms of a whole multiple of the throttle period, and the
    // latest report arrived in the background: Windows is throttling it.
    bool throttle_signature;
    uint64_t batch_count;       // reads that brought this record's reports
    uint64_t max_batch;         // the most of its reports one read brought
    uint64_t batched_reports;   // its reports that came in reads of 2 or more
};

extern const double g_bucket_us[STATS_BUCKETS];
// The period the throttle signature looks for unless the system says otherwise.
constexpr double kDefaultThrottlePeriodUs = 8000.0;

// A record ready to count at freq ticks a second (its lock made, every count
// zero); stats_record_free gives back its pages and its lock.
void stats_record_init(DeviceStats* rec, double freq);
void stats_record_free(DeviceStats* rec);
// Forgets every count (under the lock); histogram pages are kept.
void stats_record_clear(DeviceStats* rec);
// The record's next interval is a pause: the program was not listening for a
// while, so that interval says nothing about the mouse.
void stats_record_pause(DeviceStats* rec);

// batch_position: how many of the record's reports the same read brought
// before this one (0: it starts a batch), for the batch figures. motion: what
// the report carried; null leaves the motion figures alone.
ArrivalClass record_arrival(DeviceStats* rec, int64_t t, bool background = false,
                            uint64_t batch_position = 0, const ReportMotion* motion = nullptr);
// The same with the record's lock held by the caller, who may do more under
// it (the run appends the report to its log before a reader can count it);
// the caller takes the lock with stats_lock_for_report, which a reader of
// figures copying page by page gives way to.
void stats_lock_for_report(DeviceStats* rec);
ArrivalClass record_arrival_locked(DeviceStats* rec, int64_t t, bool background,
                                   uint64_t batch_position, const ReportMotion* motion);
// Whether an interval lies within 0.5 ms of a whole multiple (1 or more) of period_us.
bool near_period_multiple(double interval_us, double period_us);
int stats_bucket_of(double interval_us);

void stats_take_snapshot(DeviceStats* rec, StatsSnapshot* out);
void stats_derive_readings(const StatsSnapshot* snap, StatsReadings* out);
// Snapshot under the lock, then derive after releasing it.
void stats_read(DeviceStats* rec, StatsReadings* out);
// The distribution of the record's accepted intervals over the whole run
// since reset, read from a copy of its histogram that follows it a page at a
// time (gap_histogram_follow): the reader thread waits at most for a few
// pages to be copied, however widely the intervals spread. Coalesced, pauses
// and background are the record's at the same moment.
void record_distribution(DeviceStats* rec, Distribution* out);
// The record's motion-gated figures over the whole run, under its lock: a
// few ranks looked up through page and octave totals.
void record_motion(DeviceStats* rec, MotionFigures* out);
// The record's buttons and wheel over the whole run, under its lock (a
// median walks at most a few hundred counts per button).
void record_buttons(DeviceStats* rec, ButtonsSnapshot* out);
// Chatter is a press less than ms after the same button's release (10 by default).
void record_set_chatter_ms(DeviceStats* rec, double ms);
