// Interval statistics: classifies the gap before every report by the
// accepted-gap rule (core/figures/gap_rule.h), and keeps count, sum, extremes,
// buckets, the exact histogram and the one-second windows of accepted
// intervals per record; and reads the figures without holding up the
// reader thread.
#include "core/figures/stats.h"

#include <math.h>
#include <string.h>

#include <chrono>
#include <thread>

const double g_bucket_us[STATS_BUCKETS] = {125, 250, 500, 1000, 2000, 4000, 8000, 1e9};

static const double kUsPerSecond = 1000000.0;
static const double kMsPerSecond = 1000.0;
// Widens every bucket upward in rate by 15 %, so a 1001 Hz mouse stays in the
// 1000 Hz bucket instead of lighting the next faster one.
static const double kBucketTolerance = 1.15;
static const double kWindowMs = 1000.0;
static const double kPeriodToleranceUs = 500.0;
static const uint32_t kSignatureMinIntervals = 10;

int stats_bucket_of(double iv) {
    if (iv < g_bucket_us[0])
        return 0;
    for (int i = 1; i < STATS_BUCKETS; i++) {
        if (iv <= g_bucket_us[i] / kBucketTolerance)
            return i;
    }
    return STATS_BUCKETS - 1;
}

static double ticks_to(const DeviceStats* rec, int64_t ticks, double units_per_second) {
    return (double)ticks / rec->freq * units_per_second;
}

static void update_window(DeviceStats* rec, int64_t t, double iv) {
    if (rec->window_count == 0)
        rec->window_start_ts = t;
    rec->window_count++;
    if (iv > rec->window_max_us)
        rec->window_max_us = iv;
    if (ticks_to(rec, t - rec->window_start_ts, kMsPerSecond) >= kWindowMs) {
        // The interval that reaches the window's age is its last, so a hitch
        // there shows; the closed window's worst stands beside the next one's.
        rec->window_closed_max_us = rec->window_max_us;
        rec->window_count = 0;
        rec->window_max_us = 0;
    }
}

bool near_period_multiple(double iv, double period) {
    if (!(period > 0))
        return false;
    double k = floor(iv / period + 0.5);
    return k >= 1 && fabs(iv - k * period) <= kPeriodToleranceUs;
}

// One-second windows of accepted intervals for the throttle signature; a
// closed window's counts stand until the next one closes.
static void update_signature(DeviceStats* rec, int64_t t, double iv) {
    if (rec->sig_start_ts == 0)
        rec->sig_start_ts = t;
    rec->sig_intervals++;
    if (near_period_multiple(iv, rec->throttle_period_us))
        rec->sig_on_period++;
    if (ticks_to(rec, t - rec->sig_start_ts, kMsPerSecond) >= kWindowMs) {
        rec->sig_closed_intervals = rec->sig_intervals;
        rec->sig_closed_on_period = rec->sig_on_period;
        rec->sig_start_ts = 0;
        rec->sig_intervals = 0;
        rec->sig_on_period = 0;
    }
}

static void count_accepted(DeviceStats* rec, int64_t ticks) {
    if (rec->gaps.units_per_second != rec->freq || rec->gaps.whole_us)
        gap_histogram_init_ticks(&rec->gaps, rec->freq);
    gap_histogram_add(&rec->gaps, ticks);
}

static ArrivalClass add_arrival(DeviceStats* rec, int64_t t) {
    if (rec->first_ts == 0) {
        rec->first_ts = t;
        rec->last_ts = t;
        return ARRIVAL_FIRST;
    }
    const int64_t ticks = t - rec->last_ts;
    const double iv = ticks_to_us(ticks, rec->freq);
    // Every report is the reference for the next interval and advances the
    // elapsed time, whatever becomes of its own interval.
    rec->last_ts = t;
    rec->elapsed_ms = ticks_to(rec, t - rec->first_ts, kMsPerSecond);
    const GapKind kind = rec->pause_before_next ? GAP_PAUSE : gap_kind(iv);
    rec->pause_before_next = 0;
    if (kind == GAP_PAUSE) {  // also NaN from a zero frequency
        rec->pause_count++;
        return ARRIVAL_PAUSE;
    }
    if (kind == GAP_COALESCED) {
        rec->coalesced_count++;
        return ARRIVAL_COALESCED;
    }
    count_accepted(rec, ticks);
    rec->interval_count++;
    rec->interval_sum_us += iv;
    if (iv > rec->max_interval_us)
        rec->max_interval_us = iv;
    if (rec->min_interval_us == 0 || rec->min_interval_us > iv)
        rec->min_interval_us = iv;
    rec->bucket_count[stats_bucket_of(iv)]++;
    update_window(rec, t, iv);
    update_signature(rec, t, iv);
    return ARRIVAL_ACCEPTED;
}

// The report is the (position+1)-th of the record's reports in its read.
static void count_batch(DeviceStats* rec, uint64_t position) {
    rec->batch_count += position == 0;
    rec->max_batch = position + 1 > rec->max_batch ? position + 1 : rec->max_batch;
    rec->batched_reports += position == 1 ? 2 : position > 1;
}

ArrivalClass record_arrival(DeviceStats* rec, int64_t t, bool background, uint64_t batch_position,
                            const ReportMotion* motion) {
    stats_lock_for_report(rec);
    const ArrivalClass c = record_arrival_locked(rec, t, background, batch_position, motion);
    stats_lock_leave(&rec->lock);
    return c;
}

void stats_lock_for_report(DeviceStats* rec) {
    rec->report_wants_lock.store(1, std::memory_order_relaxed);
    stats_lock_enter(&rec->lock);
    rec->report_wants_lock.store(0, std::memory_order_relaxed);
}

ArrivalClass record_arrival_locked(DeviceStats* rec, int64_t t, bool background,
                                   uint64_t batch_position, const ReportMotion* motion) {
    rec->arrival_count++;
    rec->background_count += background;
    rec->last_background = background;
    count_batch(rec, batch_position);
    const int64_t previous_t = rec->last_ts;
    ArrivalClass c = add_arrival(rec, t);
    if (motion)
        motion_tally_add(&rec->motion, motion,
                         c == ARRIVAL_ACCEPTED    ? MOTION_GAP_ACCEPTED
                         : c == ARRIVAL_COALESCED ? MOTION_GAP_COALESCED
                                                  : MOTION_GAP_OTHER,
                         t - previous_t, rec->freq);
    return c;
}

static void clear_statistics(DeviceStats* rec) {
    rec->interval_count = 0;
    rec->interval_sum_us = 0;
    rec->max_interval_us = 0;
    rec->min_interval_us = 0;
    for (int b = 0; b < STATS_BUCKETS; b++)
        rec->bucket_count[b] = 0;
    rec->first_ts = 0;
    rec->last_ts = 0;
    rec->elapsed_ms = 0;
    rec->window_start_ts = 0;
    rec->window_count = 0;
    rec->window_max_us = 0;
    rec->window_closed_max_us = 0;
    rec->coalesced_count = 0;
    rec->pause_before_next = 0;
    rec->arrival_count = 0;
    rec->background_count = 0;
    rec->last_background = 0;
    rec->sig_start_ts = 0;
    rec->sig_intervals = 0;
    rec->sig_on_period = 0;
    rec->sig_closed_intervals = 0;
    rec->sig_closed_on_period = 0;
    rec->pause_count = 0;
    rec->batch_count = 0;
    rec->max_batch = 0;
    rec->batched_reports = 0;
    gap_histogram_clear(&rec->gaps);
    motion_tally_clear(&rec->motion);
    button_tally_clear(&rec->buttons);
}


void stats_record_init(DeviceStats* rec, double freq) {
    memset((void*)rec, 0, sizeof *rec);
    stats_lock_init(&rec->lock);
    rec->freq = freq;
    rec->throttle_period_us = kDefaultThrottlePeriodUs;
    button_tally_init(&rec->buttons, freq);
}

void stats_record_free(DeviceStats* rec) {
    gap_histogram_free(&rec->gaps);
    motion_tally_free(&rec->motion);
    button_tally_free(&rec->buttons);
    stats_lock_delete(&rec->lock);
}

void stats_record_clear(DeviceStats* rec) {
    stats_lock_enter(&rec->lock);
    clear_statistics(rec);
    stats_lock_leave(&rec->lock);
}

void stats_record_pause(DeviceStats* rec) {
    stats_lock_enter(&rec->lock);
    rec->pause_before_next = 1;
    button_tally_pause(&rec->buttons);
    stats_lock_leave(&rec->lock);
}

void stats_take_snapshot(DeviceStats* rec, StatsSnapshot* out) {
    stats_lock_enter(&rec->lock);
    out->interval_count = rec->interval_count;
    out->interval_sum_us = rec->interval_sum_us;
    out->max_interval_us = rec->max_interval_us;
    out->min_interval_us = rec->min_interval_us;
    for (int b = 0; b < STATS_BUCKETS; b++)
        out->bucket_count[b] = rec->bucket_count[b];
    out->elapsed_ms = rec->elapsed_ms;
    out->window_max_us = rec->window_max_us;
    out->window_closed_max_us = rec->window_closed_max_us;
    out->coalesced_count = rec->coalesced_count;
    out->arrival_count = rec->arrival_count;
    out->background_count = rec->background_count;
    out->last_background = rec->last_background;
    out->sig_closed_intervals = rec->sig_closed_intervals;
    out->sig_closed_on_period = rec->sig_closed_on_period;
    out->batch_count = rec->batch_count;
    out->max_batch = rec->max_batch;
    out->batched_reports = rec->batched_reports;
    stats_lock_leave(&rec->lock);
}

static double rate_of(double interval_us) {
    return interval_us == 0 ? 0 : kUsPerSecond / interval_us;
}

void stats_derive_readings(const StatsSnapshot* s, StatsReadings* out) {
    out->average_hz = s->interval_count == 0
                          ? 0
                          : kUsPerSecond / (s->interval_sum_us / (double)s->interval_count);
    out->lowest_instant_hz = rate_of(s->max_interval_us);
    out->highest_instant_hz = rate_of(s->min_interval_us);
    // The worst of the last closed second and the one still open.
    out->last_second_lowest_hz = rate_of(s->window_max_us > s->window_closed_max_us
                                             ? s->window_max_us
                                             : s->window_closed_max_us);
    out->report_count = s->interval_count;
    out->elapsed_s = s->elapsed_ms / kMsPerSecond;
    out->coalesced_count = s->coalesced_count;
    for (int b = 0; b < STATS_BUCKETS; b++)
        out->bucket_count[b] = s->bucket_count[b];
    out->arrival_count = s->arrival_count;
    out->background_count = s->background_count;
    out->last_background = s->last_background != 0;
    out->throttle_signature = out->last_background &&
                              s->sig_closed_intervals >= kSignatureMinIntervals &&
                              s->sig_closed_on_period * 10 >= s->sig_closed_intervals * 9;
    out->batch_count = s->batch_count;
    out->max_batch = s->max_batch;
    out->batched_reports = s->batched_reports;
}

void stats_read(DeviceStats* rec, StatsReadings* out) {
    StatsSnapshot snap;
    stats_take_snapshot(rec, &snap);
    stats_derive_readings(&snap, out);
}

// In the program one thread reads a record's figures, so a turn is seldom
// waited for; when it is, for one walk of the copy at most.
static void take_figures_turn(DeviceStats* rec) {
    while (rec->figures_turn.exchange(1, std::memory_order_acquire))
        std::this_thread::yield();
}

static void end_figures_turn(DeviceStats* rec) { rec->figures_turn.store(0, std::memory_order_release); }

// The lock is not fair: a copy taking it again at once, page after page,
// would keep record_arrival waiting until the last page, for that thread
// wakes later than the copy asks again. So the copy waits while it wants the
// lock, a while at most (it may not be running).
static const int kGiveWayUs = 100;

static void enter_giving_way(void* record) {
    DeviceStats* rec = (DeviceStats*)record;
    if (rec->report_wants_lock.load(std::memory_order_relaxed)) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(kGiveWayUs);
        while (rec->report_wants_lock.load(std::memory_order_relaxed) &&
               std::chrono::steady_clock::now() < until)
            std::this_thread::yield();
    }
    stats_lock_enter(&rec->lock);
}

static void leave_record(void* record) { stats_lock_leave(&((DeviceStats*)record)->lock); }

void record_distribution(DeviceStats* rec, Distribution* out) {
    take_figures_turn(rec);
    const GapHistogramLock lock = {enter_giving_way, leave_record, rec};
    const GapHistogram* copy = gap_histogram_follow(&rec->gaps, &lock);  // returns holding the lock
    out->coalesced = rec->coalesced_count;
    out->pauses = rec->pause_count;
    out->background = rec->background_count;
    stats_lock_leave(&rec->lock);
    GapHistogram unmade = {};
    unmade.failed = true;
    distribution_of_histogram(copy ? copy : &unmade, out);
    end_figures_turn(rec);
}

void record_motion(DeviceStats* rec, MotionFigures* out) {
    stats_lock_enter(&rec->lock);
    motion_figures_of(&rec->motion, out);
    stats_lock_leave(&rec->lock);
}

void record_buttons(DeviceStats* rec, ButtonsSnapshot* out) {
    stats_lock_enter(&rec->lock);
    button_snapshot_of(&rec->buttons, out);
    stats_lock_leave(&rec->lock);
}

void record_set_chatter_ms(DeviceStats* rec, double ms) {
    stats_lock_enter(&rec->lock);
    button_tally_set_chatter_ms(&rec->buttons, ms);
    stats_lock_leave(&rec->lock);
}
