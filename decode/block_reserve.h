// BlockReserve: a small store of freed blocks kept for reuse, so that the next
// picture of the same or a slightly smaller size takes a block whose pages are
// already in memory instead of a fresh one that faults in page by page.
//
// The blocks come from and go back to a BlockSourceOps (the program's is
// virtual memory, decode/picture_blocks.h; tests count with their own). The
// reserve keeps at most kReserveBlocks blocks and at most `cap` bytes of them
// (0 keeps nothing); when a block given back does not fit, the oldest kept ones
// go back to the source first, and a block larger than the cap is never kept.
//
// A block handed out again keeps its old contents: the caller clears what it
// does not write (ReserveTake says whether the block was reused). A block is
// taken whole or not at all, so it is never handed out twice.
//
// Threads: every operation takes the reserve's own lock; the source's alloc and
// free run outside it. Call order: BlockReserveInit, then any of the others
// from any thread, BlockReserveRelease before the source goes away.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

struct BlockSourceOps {
    void* context;
    // A zero-filled block of at least bytes, or null.
    void* (*alloc)(void* ctx, size_t bytes);
    void (*free)(void* ctx, void* block);
    // The bytes a block may hold (at least what it was allocated for); 0 when
    // unknown, and such a block is never kept.
    size_t (*capacity)(void* ctx, void* block);
};

constexpr int32_t kReserveBlocks = 8;
// A kept block serves a request it exceeds by less than this, whatever its size
// (blocks are whole pages).
constexpr uint64_t kReserveSlack = 4096;

struct BlockReserveCounts {
    uint64_t fresh;   // blocks taken from the source
    uint64_t reused;  // blocks taken from the reserve
    uint64_t kept;    // blocks given back and kept
    uint64_t freed;   // blocks given back to the source (at once or later)
};

struct BlockReserve {
    BlockSourceOps source{};
    std::mutex lock;
    uint64_t cap = 0;               // the most bytes kept
    uint64_t ceiling = UINT64_MAX;  // the most any cap may be
    uint64_t bytes = 0;             // the bytes kept now
    int32_t count = 0;              // oldest first
    void* blocks[kReserveBlocks]{};
    uint64_t sizes[kReserveBlocks]{};
    BlockReserveCounts counts{};
};

void BlockReserveInit(BlockReserve* reserve, const BlockSourceOps& source);

// A block of at least bytes: the smallest kept block that is no more than a
// quarter (or kReserveSlack) larger than asked (*reused true, old contents left in it), otherwise a
// fresh zero-filled one from the source (*reused false). Null when the source
// refuses.
[[nodiscard]] void* ReserveTake(BlockReserve* reserve, size_t bytes, bool* reused);
// The same from kept blocks only: null when none fits (nothing is allocated).
[[nodiscard]] void* ReserveTakeKept(BlockReserve* reserve, size_t bytes);
// Keeps the block when it fits the cap, otherwise gives it to the source. Null
// is allowed.
void ReserveGive(BlockReserve* reserve, void* block);
// Sets the most bytes kept (at most the ceiling), giving the oldest blocks back
// until it holds.
void ReserveSetCap(BlockReserve* reserve, uint64_t cap);
// Bounds every later cap (measurements turn reuse off with 0).
void ReserveSetCeiling(BlockReserve* reserve, uint64_t ceiling);
// Gives every kept block back to the source (the cap stays).
void BlockReserveRelease(BlockReserve* reserve);
// Gives back the oldest kept blocks until at most bytes are kept.
void ReserveTrimTo(BlockReserve* reserve, uint64_t bytes);

[[nodiscard]] uint64_t ReserveBytes(BlockReserve* reserve);
[[nodiscard]] BlockReserveCounts ReserveCounts(BlockReserve* reserve);
