// The arrival log's blocks form a ring: entry i lives in block (i >> shift) %
// max_blocks. A block is allocated when the log first reaches it; once all
// exist, reaching the next drops the oldest block's entries. The pins and the
// blocks set aside for them are the publication rule of the header.
#include "core/runs/arrival_log.h"

#include "core/heap.h"


static const uint64_t kTickMask = (1ull << 55) - 1;

void arrival_log_clear(ArrivalLog* log) {
    log->generation.fetch_add(1);  // odd: views wait
    log->first.store(0);
    log->next.store(0);
    log->base.store(0);
    log->failed.store(false);
    log->generation.fetch_add(1);
}

static void free_all(ArrivalEntry** blocks, int n) {
    for (int i = 0; i < n; i++) {
        heap_free(blocks[i]);
        blocks[i] = 0;
    }
}

void arrival_log_free(ArrivalLog* log) {
    for (uint32_t i = 0; i < log->blocks_made; i++) {
        heap_free(log->blocks[i].load());
        log->blocks[i].store(0);
    }
    log->blocks_made = 0;
    free_all(log->set_aside, ARRIVAL_LOG_SET_ASIDE);
    free_all(log->spare, ARRIVAL_LOG_READERS);
    arrival_log_clear(log);
}

void arrival_log_set_bound(ArrivalLog* log, uint32_t block_shift, uint32_t max_blocks) {
    arrival_log_free(log);
    log->block_shift = block_shift;
    if (max_blocks < 1)
        max_blocks = 1;
    if (max_blocks > (uint32_t)ARRIVAL_LOG_MAX_BLOCKS)
        max_blocks = (uint32_t)ARRIVAL_LOG_MAX_BLOCKS;
    log->max_blocks = max_blocks;
}

// A block's entries and their motion words.
static size_t block_bytes(const ArrivalLog* log) { return (2 * sizeof(ArrivalEntry)) << log->block_shift; }

static bool pinned(const ArrivalLog* log, const ArrivalEntry* block) {
    for (int r = 0; r < ARRIVAL_LOG_READERS; r++) {
        if (log->pins[r].load() == block)
            return true;
    }
    return false;
}

// Blocks set aside whose readers moved on become spares.
static void recycle_set_aside(ArrivalLog* log) {
    for (int i = 0; i < ARRIVAL_LOG_SET_ASIDE; i++) {
        ArrivalEntry* b = log->set_aside[i];
        if (!b || pinned(log, b))
            continue;
        log->set_aside[i] = 0;
        for (int j = 0; j < ARRIVAL_LOG_READERS && b; j++) {
            if (!log->spare[j]) {
                log->spare[j] = b;
                b = 0;
            }
        }
        heap_free(b);  // more than readers' worth of spares: not needed
    }
}

static ArrivalEntry* take_spare(ArrivalLog* log) {
    for (int j = 0; j < ARRIVAL_LOG_READERS; j++) {
        ArrivalEntry* b = log->spare[j];
        if (b) {
            log->spare[j] = 0;
            return b;
        }
    }
    return 0;
}

// The block to take the place of `old`, whose entries were given up: `old`
// itself when no reader uses it, else a spare or a new one while `old` is set
// aside. Null when none can be had: logging then stops rather than write into
// a block in use.
static ArrivalEntry* reusable_block(ArrivalLog* log, ArrivalEntry* old) {
    recycle_set_aside(log);
    if (!pinned(log, old))
        return old;
    int place = 0;
    while (place < ARRIVAL_LOG_SET_ASIDE && log->set_aside[place])
        place++;
    if (place == ARRIVAL_LOG_SET_ASIDE)
        return 0;
    ArrivalEntry* fresh = take_spare(log);
    if (!fresh)
        fresh = (ArrivalEntry*)heap_alloc(block_bytes(log));
    if (fresh)
        log->set_aside[place] = old;
    return fresh;
}

// Makes room for entry `next`, which starts a block.
static bool start_block(ArrivalLog* log, uint64_t next) {
    const uint64_t block = next >> log->block_shift;
    const uint32_t ring = (uint32_t)(block % log->max_blocks);
    // Reusing a block gives up the entries it held: said before it is touched.
    if (block >= log->max_blocks)
        log->first.store((block - log->max_blocks + 1) << log->block_shift);
    ArrivalEntry* b;
    if (ring >= log->blocks_made) {
        b = (ArrivalEntry*)heap_alloc(block_bytes(log));
        if (b)
            log->blocks_made++;
    } else {
        b = reusable_block(log, log->blocks[ring].load(std::memory_order_relaxed));
    }
    if (!b) {
        log->failed.store(true);
        return false;
    }
    log->blocks[ring].store(b, std::memory_order_release);
    return true;
}

static uint64_t counts16(int32_t v, bool absolute) {
    if (!absolute)
        v = v > 32767 ? 32767 : v < -32767 ? -32767 : v;
    return (uint64_t)(uint16_t)v;
}

uint64_t arrival_motion_pack(const ReportMotion* m) {
    const bool absolute = (m->flags & MOTION_FLAG_ABSOLUTE) != 0;
    return counts16(m->dx, absolute) | counts16(m->dy, absolute) << 16 |
           (uint64_t)(uint16_t)m->wheel << 32 | (uint64_t)(m->buttons & 0xFFF) << 48 |
           (uint64_t)(m->flags & 0xF) << 60;
}

ReportMotion arrival_motion_unpack(uint64_t bits) {
    ReportMotion m;
    m.flags = (uint16_t)(bits >> 60);
    m.buttons = (uint16_t)((bits >> 48) & 0xFFF);
    m.wheel = (int16_t)(uint16_t)(bits >> 32);
    const uint16_t x = (uint16_t)bits, y = (uint16_t)(bits >> 16);
    const bool absolute = (m.flags & MOTION_FLAG_ABSOLUTE) != 0;
    m.dx = absolute ? (int32_t)x : (int32_t)(int16_t)x;
    m.dy = absolute ? (int32_t)y : (int32_t)(int16_t)y;
    return m;
}

void arrival_log_append(ArrivalLog* log, int64_t t, int slot, bool background, ArrivalClass cls,
                        const ReportMotion* motion) {
    if (log->failed.load(std::memory_order_relaxed))
        return;
    const uint64_t next = log->next.load(std::memory_order_relaxed);
    if (next == 0)
        log->base.store(t, std::memory_order_relaxed);
    const uint64_t mask = (1ull << log->block_shift) - 1;
    if ((next & mask) == 0 && !start_block(log, next))
        return;
    ArrivalEntry* block = log->blocks[(next >> log->block_shift) % log->max_blocks].load(std::memory_order_relaxed);
    const int64_t base = log->base.load(std::memory_order_relaxed);
    uint64_t ticks = (uint64_t)(t - base) & kTickMask;
    ArrivalEntry* e = &block[next & mask];
    e->packed = (ticks << 9) | ((uint64_t)(slot & 63) << 3) | ((uint64_t)background << 2) | (uint64_t)cls;
    e[mask + 1].packed = motion ? arrival_motion_pack(motion) : 0;
    log->next.store(next + 1, std::memory_order_release);
}

void arrival_view_refresh(ArrivalView* v) {
    ArrivalLog* log = v->log;
    for (;;) {
        const uint32_t g = log->generation.load();
        if (g & 1)
            continue;  // a clearing is under way: a few stores
        // first before next: both only grow, so the pair read is ordered.
        v->first = log->first.load();
        v->next = log->next.load(std::memory_order_acquire);
        v->base = log->base.load();
        v->failed = log->failed.load();
        if (log->generation.load() != g)
            continue;
        if (v->generation != g)
            v->pinned = 0;  // another run's block: pin afresh
        v->generation = g;
        v->lost = false;
        return;
    }
}

void arrival_view_take(ArrivalView* v, ArrivalLog* log, int reader) {
    *v = ArrivalView{};
    v->log = log;
    v->reader = reader;
    v->generation = 1;  // odd: never a settled generation, so nothing counts as pinned
    arrival_view_refresh(v);
}

ArrivalView* arrival_view_now(ArrivalView* v, ArrivalLog* log, int reader) {
    if (v->log)
        arrival_view_refresh(v);
    else
        arrival_view_take(v, log, reader);
    return v;
}

void arrival_view_release(ArrivalView* v) {
    if (v->log)
        v->log->pins[v->reader].store(0);
    v->pinned = 0;
}

// Pins the block of absolute entry i; false when the log gave it up since
// the view was taken.
static bool pin_block_of(ArrivalView* v, uint64_t i) {
    ArrivalLog* log = v->log;
    const uint64_t block = i >> log->block_shift;
    if (v->pinned && v->pinned_block == block)
        return true;
    ArrivalEntry* b = log->blocks[block % log->max_blocks].load(std::memory_order_acquire);
    log->pins[v->reader].store(b);
    if (log->generation.load() != v->generation || log->first.load() > i) {
        log->pins[v->reader].store(0);
        v->pinned = 0;
        v->lost = true;
        return false;
    }
    v->pinned = b;
    v->pinned_block = block;
    return true;
}

uint64_t arrival_view_run(ArrivalView* v, uint64_t k, const ArrivalEntry** first) {
    const uint64_t i = v->first + k;
    if (i >= v->next || v->lost || !pin_block_of(v, i))
        return 0;
    const uint64_t per_block = 1ull << v->log->block_shift;
    const uint64_t offset = i & (per_block - 1);
    *first = v->pinned + offset;
    const uint64_t in_block = per_block - offset, left = v->next - i;
    return in_block < left ? in_block : left;
}

double arrival_view_held_s(ArrivalView* v, double freq) {
    const uint64_t count = arrival_view_count(v);
    if (!arrival_view_wrapped(v) || count == 0 || !(freq > 0))
        return -1;
    return (double)(arrival_view_at(v, count - 1).t - arrival_view_at(v, 0).t) / freq;
}

Arrival arrival_view_at(ArrivalView* v, uint64_t k) {
    Arrival a = {};
    const ArrivalEntry* e;
    if (arrival_view_run(v, k, &e) == 0)
        return a;
    a.t = arrival_view_entry_t(v, *e);
    a.slot = arrival_entry_slot(*e);
    a.background = arrival_entry_background(*e);
    a.cls = arrival_entry_class(*e);
    a.motion = arrival_motion_unpack(arrival_entry_motion_bits(v, e));
    return a;
}
