// The arrival log's blocks form a ring: entry i lives in block (i >> shift) %
// max_blocks. A block is allocated when the log first reaches it; once all
// exist, reaching the next drops the oldest block's entries.
#include "core/arrival_log.h"

#include "core/heap.h"

ArrivalLog g_arrival_log = {{}, 0, ARRIVAL_LOG_BLOCK_SHIFT, ARRIVAL_LOG_MAX_BLOCKS, 0, 0, 0, false, 0};

static const uint64_t kTickMask = (1ull << 55) - 1;

void arrival_log_clear(ArrivalLog* log) {
    log->first = 0;
    log->next = 0;
    log->base = 0;
    log->failed = false;
    log->generation++;
}

void arrival_log_free(ArrivalLog* log) {
    for (uint32_t i = 0; i < log->blocks_made; i++) {
        heap_free(log->blocks[i]);
        log->blocks[i] = 0;
    }
    log->blocks_made = 0;
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

// Makes room for entry log->next, which starts a block.
static bool start_block(ArrivalLog* log) {
    uint64_t block = log->next >> log->block_shift;
    uint32_t ring = (uint32_t)(block % log->max_blocks);
    if (ring >= log->blocks_made) {
        void* b = heap_alloc(sizeof(ArrivalEntry) << log->block_shift);
        if (!b) {
            log->failed = true;
            return false;
        }
        log->blocks[log->blocks_made++] = (ArrivalEntry*)b;
    }
    // Reusing a block gives up the entries it held.
    uint64_t oldest_kept = block >= log->max_blocks ? (block - log->max_blocks + 1) << log->block_shift : 0;
    if (log->first < oldest_kept)
        log->first = oldest_kept;
    return true;
}

void arrival_log_append(ArrivalLog* log, int64_t t, int slot, bool background, ArrivalClass cls) {
    if (log->failed)
        return;
    if (log->next == 0)
        log->base = t;
    const uint64_t mask = (1ull << log->block_shift) - 1;
    if ((log->next & mask) == 0 && !start_block(log))
        return;
    ArrivalEntry* block = log->blocks[(log->next >> log->block_shift) % log->max_blocks];
    uint64_t ticks = (uint64_t)(t - log->base) & kTickMask;
    block[log->next & mask].packed = (ticks << 9) | ((uint64_t)(slot & 63) << 3) |
                                     ((uint64_t)background << 2) | (uint64_t)cls;
    log->next++;
}

uint64_t arrival_log_run(const ArrivalLog* log, uint64_t k, const ArrivalEntry** first) {
    uint64_t i = log->first + k;
    const uint64_t per_block = 1ull << log->block_shift;
    const uint64_t offset = i & (per_block - 1);
    *first = log->blocks[(i >> log->block_shift) % log->max_blocks] + offset;
    uint64_t in_block = per_block - offset;
    uint64_t left = log->next - i;
    return in_block < left ? in_block : left;
}

Arrival arrival_log_at(const ArrivalLog* log, uint64_t k) {
    uint64_t i = log->first + k;
    const ArrivalEntry* block = log->blocks[(i >> log->block_shift) % log->max_blocks];
    uint64_t v = block[i & ((1ull << log->block_shift) - 1)].packed;
    Arrival a;
    a.t = log->base + (int64_t)(v >> 9);
    a.slot = (int)((v >> 3) & 63);
    a.background = (v >> 2) & 1;
    a.cls = (ArrivalClass)(v & 3);
    return a;
}
