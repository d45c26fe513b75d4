#include "decode/block_reserve.h"

namespace {

// Blocks leaving the reserve, given to the source once the lock is let go.
struct Leaving {
    void* blocks[kReserveBlocks + 1];
    int32_t count = 0;
};

// Removes kept block i (the order of the others stays: oldest first).
void* Remove(BlockReserve* r, int32_t i) {
    void* block = r->blocks[i];
    r->bytes -= r->sizes[i];
    for (int32_t k = i; k + 1 < r->count; ++k) {
        r->blocks[k] = r->blocks[k + 1];
        r->sizes[k] = r->sizes[k + 1];
    }
    --r->count;
    r->blocks[r->count] = nullptr;
    r->sizes[r->count] = 0;
    return block;
}

// Oldest first, until at most bytes and fewer than room blocks are kept.
void Evict(BlockReserve* r, uint64_t bytes, int32_t room, Leaving* out) {
    while (r->count > 0 && (r->bytes > bytes || r->count > kReserveBlocks - room)) {
        out->blocks[out->count++] = Remove(r, 0);
    }
}

void FreeAll(BlockReserve* r, const Leaving& leaving) {
    for (int32_t i = 0; i < leaving.count; ++i) {
        r->source.free(r->source.context, leaving.blocks[i]);
    }
}

}  // namespace

void BlockReserveInit(BlockReserve* reserve, const BlockSourceOps& source) {
    reserve->source = source;
}

namespace {

// The kept block that serves bytes best, taken out; null when none does.
void* TakeBest(BlockReserve* reserve, size_t bytes) {
    const std::lock_guard<std::mutex> guard(reserve->lock);
    int32_t best = -1;
    for (int32_t i = 0; i < reserve->count; ++i) {
        const uint64_t size = reserve->sizes[i];
        // A much larger block would hold memory the picture does not use;
        // up to a page more is only the system's rounding.
        const bool fits = size >= bytes && (size - bytes <= bytes / 4 || size - bytes < kReserveSlack);
        if (fits && (best < 0 || size < reserve->sizes[best])) {
            best = i;
        }
    }
    if (best < 0) {
        return nullptr;
    }
    ++reserve->counts.reused;
    return Remove(reserve, best);
}

}  // namespace

void* ReserveTake(BlockReserve* reserve, size_t bytes, bool* reused) {
    void* block = TakeBest(reserve, bytes);
    *reused = block != nullptr;
    if (block != nullptr) {
        return block;
    }
    {
        const std::lock_guard<std::mutex> guard(reserve->lock);
        ++reserve->counts.fresh;
    }
    return reserve->source.alloc(reserve->source.context, bytes);
}

void* ReserveTakeKept(BlockReserve* reserve, size_t bytes) {
    return TakeBest(reserve, bytes);
}

void ReserveGive(BlockReserve* reserve, void* block) {
    if (block == nullptr) {
        return;
    }
    const size_t size = reserve->source.capacity(reserve->source.context, block);
    Leaving leaving;
    {
        const std::lock_guard<std::mutex> guard(reserve->lock);
        if (size == 0 || size > reserve->cap) {
            leaving.blocks[leaving.count++] = block;
            ++reserve->counts.freed;
        } else {
            Evict(reserve, reserve->cap - size, 1, &leaving);
            reserve->counts.freed += static_cast<uint64_t>(leaving.count);
            reserve->blocks[reserve->count] = block;
            reserve->sizes[reserve->count] = size;
            ++reserve->count;
            reserve->bytes += size;
            ++reserve->counts.kept;
        }
    }
    FreeAll(reserve, leaving);
}

void ReserveTrimTo(BlockReserve* reserve, uint64_t bytes) {
    Leaving leaving;
    {
        const std::lock_guard<std::mutex> guard(reserve->lock);
        Evict(reserve, bytes, 0, &leaving);
        reserve->counts.freed += static_cast<uint64_t>(leaving.count);
    }
    FreeAll(reserve, leaving);
}

void ReserveSetCap(BlockReserve* reserve, uint64_t cap) {
    {
        const std::lock_guard<std::mutex> guard(reserve->lock);
        reserve->cap = cap < reserve->ceiling ? cap : reserve->ceiling;
        cap = reserve->cap;
    }
    ReserveTrimTo(reserve, cap);
}

void ReserveSetCeiling(BlockReserve* reserve, uint64_t ceiling) {
    uint64_t cap = 0;
    {
        const std::lock_guard<std::mutex> guard(reserve->lock);
        reserve->ceiling = ceiling;
        reserve->cap = reserve->cap < ceiling ? reserve->cap : ceiling;
        cap = reserve->cap;
    }
    ReserveTrimTo(reserve, cap);
}

void BlockReserveRelease(BlockReserve* reserve) {
    ReserveTrimTo(reserve, 0);
}

uint64_t ReserveBytes(BlockReserve* reserve) {
    const std::lock_guard<std::mutex> guard(reserve->lock);
    return reserve->bytes;
}

BlockReserveCounts ReserveCounts(BlockReserve* reserve) {
    const std::lock_guard<std::mutex> guard(reserve->lock);
    return reserve->counts;
}
