// A run's lifetime and the one way every report enters it.
#include "core/runs/run.h"

#include <string.h>

#include "core/heap.h"

void run_init(Run* run, double freq) {
    memset((void*)run, 0, sizeof *run);
    run->freq = freq;
    run->chosen_slot = -1;
    run->keeps_log = true;
    run->throttle = ThrottleDecision{false, THROTTLE_DEFAULT_MS};
    for (int i = 0; i < STATS_RECORDS; i++)
        stats_record_init(&run->records[i], freq);
    arrival_log_set_bound(&run->log, ARRIVAL_LOG_BLOCK_SHIFT, ARRIVAL_LOG_MAX_BLOCKS);
    clock_map_clear(&run->clock_map, freq);
}

void run_free(Run* run) {
    for (int i = 0; i < STATS_RECORDS; i++)
        stats_record_free(&run->records[i]);
    arrival_log_free(&run->log);
}

Run* run_new(double freq) {
    Run* run = (Run*)heap_alloc(sizeof(Run));
    if (run)
        run_init(run, freq);
    return run;
}

void run_delete(Run* run) {
    if (!run)
        return;
    run_free(run);
    heap_free(run);
}

void run_clear(Run* run) {
    arrival_log_clear(&run->log);
    for (int i = 0; i < STATS_RECORDS; i++)
        stats_record_clear(&run->records[i]);
    run->stop_t = 0;
    clock_map_clear(&run->clock_map, run->freq);
}

void run_set_throttle(Run* run, const ThrottleSettings* settings, ThrottleDecision decision) {
    run->throttle_settings = *settings;
    run->throttle = decision;
    for (int i = 0; i < STATS_RECORDS; i++) {
        DeviceStats* rec = &run->records[i];
        stats_lock_enter(&rec->lock);
        rec->throttle_period_us = 1000.0 * decision.duration_ms;
        stats_lock_leave(&rec->lock);
    }
}

ArrivalClass run_take_report(Run* run, int64_t t, int slot, bool background, uint64_t* positions,
                             const ReportMotion* motion, ArrivalClass* own_class) {
    // The log takes the report before the all-mice record's lock is let go,
    // and before its mouse's record counts it: whatever count a reader of
    // figures sees, the log already holds those reports (rows on disk are
    // never fewer than the status line says).
    DeviceStats* all = &run->records[0];
    stats_lock_for_report(all);
    const ArrivalClass cls =
        record_arrival_locked(all, t, background, positions ? positions[0]++ : 0, motion);
    button_tally_add(&all->buttons, t, motion);
    if (run->keeps_log)
        arrival_log_append(&run->log, t, slot, background, cls, motion);
    stats_lock_leave(&all->lock);
    ArrivalClass own = cls;
    if (slot > 0 && slot < RUN_SLOTS) {
        DeviceStats* mine = &run->records[slot];
        stats_lock_for_report(mine);
        own = record_arrival_locked(mine, t, background, positions ? positions[slot]++ : 0, motion);
        button_tally_add(&mine->buttons, t, motion);
        stats_lock_leave(&mine->lock);
    }
    if (own_class)
        *own_class = own;
    return cls;
}

void run_set_chatter_ms(Run* run, double ms) {
    for (int i = 0; i < STATS_RECORDS; i++)
        record_set_chatter_ms(&run->records[i], ms);
}

void run_pause_all(Run* run) {
    for (int i = 0; i < STATS_RECORDS; i++)
        stats_record_pause(&run->records[i]);
}
