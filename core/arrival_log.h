// The arrival log: every report that reached the statistics while measuring,
// in arrival order, with its counter value, registry slot, whether it came in
// the background, and its class in the all-mice record. Memory is bounded:
// blocks of entries up to 256 MiB in all (33.5 million reports, an hour at
// 8000 Hz and more); beyond that the oldest block is reused.
#pragma once

#include <stdint.h>

#include "core/stats.h"

enum {
    ARRIVAL_LOG_BLOCK_SHIFT = 20,  // 1 Mi entries, 8 MiB per block
    ARRIVAL_LOG_MAX_BLOCKS = 32,   // 256 MiB
    ARRIVAL_LOG_SLOT_BITS = 6,     // registry slots 0..63
};

struct ArrivalEntry {
    // bits 0-1 class, bit 2 background, bits 3-8 slot, bits 9-63 counter ticks
    // since the log's base (2^55 ticks: over 100 days at 3 GHz)
    uint64_t packed;
};

struct ArrivalLog {
    ArrivalEntry* blocks[ARRIVAL_LOG_MAX_BLOCKS];
    uint32_t blocks_made;
    uint32_t block_shift;  // entries per block = 1 << block_shift
    uint32_t max_blocks;   // the bound, at most ARRIVAL_LOG_MAX_BLOCKS
    uint64_t first;        // absolute index of the oldest entry kept
    uint64_t next;         // absolute index of the next entry
    int64_t base;          // counter value of the first entry since clearing
    bool failed;           // an allocation failed: logging stopped, measuring did not
    uint32_t generation;   // counts clearings, so readers can tell a new run from a grown one
};

// One entry as read back.
struct Arrival {
    int64_t t;  // counter value
    int slot;
    bool background;
    ArrivalClass cls;
};

extern ArrivalLog g_arrival_log;

// Empties the log; its blocks are kept for the next run.
void arrival_log_clear(ArrivalLog* log);
// Gives back every block.
void arrival_log_free(ArrivalLog* log);
// Makes the bound smaller (tests); takes effect on an empty log.
void arrival_log_set_bound(ArrivalLog* log, uint32_t block_shift, uint32_t max_blocks);

void arrival_log_append(ArrivalLog* log, int64_t t, int slot, bool background, ArrivalClass cls);

inline uint64_t arrival_log_count(const ArrivalLog* log) { return log->next - log->first; }
// Whether older entries were given up to stay within the bound.
inline bool arrival_log_wrapped(const ArrivalLog* log) { return log->first > 0; }
// The k-th oldest entry kept, k < arrival_log_count(log).
Arrival arrival_log_at(const ArrivalLog* log, uint64_t k);

// The entries from the k-th oldest that lie next to each other in memory: a
// pointer to the first and how many (at least 1 while k is in range). For
// walks over millions of entries.
uint64_t arrival_log_run(const ArrivalLog* log, uint64_t k, const ArrivalEntry** first);

inline int64_t arrival_entry_t(const ArrivalLog* log, ArrivalEntry e) {
    return log->base + (int64_t)(e.packed >> 9);
}
inline int arrival_entry_slot(ArrivalEntry e) { return (int)((e.packed >> 3) & 63); }
inline bool arrival_entry_background(ArrivalEntry e) { return (e.packed >> 2) & 1; }
inline ArrivalClass arrival_entry_class(ArrivalEntry e) { return (ArrivalClass)(e.packed & 3); }
