// The arrival log: every report that reached the statistics while measuring,
// in arrival order, with its counter value, registry slot, whether it came in
// the background, its class in the all-mice record, and what it carried
// (motion, buttons, wheel, flags). Memory is bounded: 56 blocks of 4 MiB
// (14.7 million reports), plus one block per reader (below): 240 MiB; beyond
// that the oldest block is reused, so the log always holds at least the
// latest 55 blocks, 14.4 million reports: 30 minutes at 8000 Hz.
//
// Publication rule. One thread writes (the reader thread while a run goes
// on; otherwise whoever owns the run: start, clear, teardown). Any number of
// other threads read through an ArrivalView, each with a reader id of its
// own, and never wait for the writer nor make it wait:
// - The writer fills an entry, then publishes it by moving `next` (release).
//   A published entry is never changed while it is kept.
// - A view takes `generation`, `first`, `next` and `base` together (retrying
//   while a clearing runs): it sees a consistent prefix of one run.
// - Before reading a block, a view pins it (its reader's pin, seq_cst) and
//   checks that the entries it wants are still kept in its generation. The
//   writer, before it reuses a block (the ring wrapped, or the log was
//   cleared), publishes `first` or `generation` (seq_cst) and then looks at
//   the pins: a pinned block is set aside and a spare takes its place. So a
//   block a reader uses is never reused under it. Blocks come back as spares
//   once unpinned, and new ones are made only when no spare is left, so the
//   bound grows by one block per reader (ARRIVAL_LOG_READERS × 4 MiB), and by
//   a few more only while readers keep moving their pins as the writer looks
//   (ARRIVAL_LOG_SET_ASIDE at most: 256 MiB in all).
// - Entries a view wanted but that were given up after it was taken (the ring
//   wrapped past them, or the log was cleared) are not read: the view is
//   marked lost and its walks end there.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <atomic>

#include "core/figures/gap_rule.h"
#include "core/figures/motion.h"

enum {
    ARRIVAL_LOG_BLOCK_SHIFT = 18,  // 256 Ki entries and their motion words, 4 MiB per block
    ARRIVAL_LOG_MAX_BLOCKS = 56,   // 224 MiB, and a block for each of the 4 readers
    ARRIVAL_LOG_SLOT_BITS = 6,     // registry slots 0..63
};

// Who reads the log besides its writer; each holds at most one pin.
enum ArrivalReader {
    ARRIVAL_READER_FRONT,   // the window's or the console's thread
    ARRIVAL_READER_PLOT,    // the plot's model
    ARRIVAL_READER_EXPORT,  // a CSV export
    ARRIVAL_READER_TEST,
    ARRIVAL_LOG_READERS,
    // A reader moves its pin while the writer looks at the pins, so the writer
    // may see more pinned blocks than readers: room for twice as many.
    ARRIVAL_LOG_SET_ASIDE = 2 * ARRIVAL_LOG_READERS,
};

// A block holds its entries, then as many motion words: a walk over the
// times alone (the interval plot) reads half the memory.
struct ArrivalEntry {
    // bits 0-1 class, bit 2 background, bits 3-8 slot, bits 9-63 counter ticks
    // since the log's base (2^55 ticks: over 100 days at 3 GHz)
    uint64_t packed;
};

struct ArrivalLog {
    // Shared with readers.
    std::atomic<ArrivalEntry*> blocks[ARRIVAL_LOG_MAX_BLOCKS] = {};
    std::atomic<uint64_t> first{0};       // absolute index of the oldest entry kept
    std::atomic<uint64_t> next{0};        // absolute index of the next entry
    std::atomic<int64_t> base{0};         // counter value of the first entry since clearing
    std::atomic<bool> failed{false};      // an allocation failed: logging stopped, measuring did not
    std::atomic<uint32_t> generation{0};  // counts clearings; odd while one runs
    std::atomic<const ArrivalEntry*> pins[ARRIVAL_LOG_READERS] = {};
    // The writer's own.
    uint32_t blocks_made = 0;
    uint32_t block_shift = ARRIVAL_LOG_BLOCK_SHIFT;  // entries per block = 1 << block_shift
    uint32_t max_blocks = ARRIVAL_LOG_MAX_BLOCKS;    // the bound, at most ARRIVAL_LOG_MAX_BLOCKS
    ArrivalEntry* set_aside[ARRIVAL_LOG_SET_ASIDE] = {};  // taken out of the ring while pinned
    ArrivalEntry* spare[ARRIVAL_LOG_READERS] = {};
};

// One entry as read back.
struct Arrival {
    int64_t t;  // counter value
    int slot;
    bool background;
    ArrivalClass cls;
    ReportMotion motion;
};


// Empties the log; its blocks are kept for the next run.
void arrival_log_clear(ArrivalLog* log);
// Gives back every block; no view may be open.
void arrival_log_free(ArrivalLog* log);
// Makes the bound smaller (tests); takes effect on an empty log.
void arrival_log_set_bound(ArrivalLog* log, uint32_t block_shift, uint32_t max_blocks);

// motion: what the report carried; null for none (all zero).
void arrival_log_append(ArrivalLog* log, int64_t t, int slot, bool background, ArrivalClass cls,
                        const ReportMotion* motion = nullptr);

// A reader's look at the log: what was published when it was taken.
struct ArrivalView {
    ArrivalLog* log;
    int reader;
    uint32_t generation;
    uint64_t first, next;  // absolute indexes: entries first..next-1
    int64_t base;
    bool failed;           // the log had stopped for want of memory
    bool lost;             // entries it wanted were given up after it was taken
    uint64_t pinned_block; // absolute block number pinned, with its memory
    const ArrivalEntry* pinned;
};

// Takes a view for reader (an ArrivalReader); release it when done with it.
void arrival_view_take(ArrivalView* v, ArrivalLog* log, int reader);
// Takes the view anew: what was published since (it stays on the same reader).
void arrival_view_refresh(ArrivalView* v);
// A view kept between uses: taken the first time (v zeroed), refreshed after.
ArrivalView* arrival_view_now(ArrivalView* v, ArrivalLog* log, int reader);
void arrival_view_release(ArrivalView* v);

inline uint64_t arrival_view_count(const ArrivalView* v) { return v->next - v->first; }
// Whether older entries had been given up to stay within the bound.
inline bool arrival_view_wrapped(const ArrivalView* v) { return v->first > 0; }
// The k-th oldest entry of the view, k < arrival_view_count(v); a zero entry
// when it was given up since (and the view is lost).
Arrival arrival_view_at(ArrivalView* v, uint64_t k);
// Seconds from the view's oldest entry to its newest when older ones were
// given up (what a run's summary says the log holds); -1 when the view holds
// the whole run, or freq is not known.
double arrival_view_held_s(ArrivalView* v, double freq);
// The view's entries from the k-th oldest that lie next to each other in
// memory: a pointer to the first and how many. 0 when k is out of range or
// the entry was given up since (the view is lost): walks end there.
uint64_t arrival_view_run(ArrivalView* v, uint64_t k, const ArrivalEntry** first);

inline int64_t arrival_view_entry_t(const ArrivalView* v, ArrivalEntry e) {
    return v->base + (int64_t)(e.packed >> 9);
}
inline int arrival_entry_slot(ArrivalEntry e) { return (int)((e.packed >> 3) & 63); }
inline bool arrival_entry_background(ArrivalEntry e) { return (e.packed >> 2) & 1; }
inline ArrivalClass arrival_entry_class(ArrivalEntry e) { return (ArrivalClass)(e.packed & 3); }
// The motion word of an entry: bits 0-15 dx, 16-31 dy (signed counts, held
// at +-32767; an absolute position's 16 bits as they are), 32-47 wheel, 48-59
// buttons, 60-63 flags. It lies one block's worth of entries after it.
inline uint64_t arrival_entry_motion_bits(const ArrivalView* v, const ArrivalEntry* e) {
    return e[(size_t)1 << v->log->block_shift].packed;
}
uint64_t arrival_motion_pack(const ReportMotion* m);
ReportMotion arrival_motion_unpack(uint64_t bits);
