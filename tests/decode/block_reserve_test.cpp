// The block reserve over a counting source: which block a request gets, the
// bound on what is kept, the release, and many threads taking and giving at once
// (run under ASan in the native-asan build).
#include "decode/block_reserve.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// Blocks from the C heap with their size in a header, counted.
struct CountingSource {
    std::atomic<int64_t> live{0};
    std::atomic<int64_t> allocs{0};
};

void* SourceAlloc(void* ctx, size_t bytes) {
    auto* s = static_cast<CountingSource*>(ctx);
    auto* raw = static_cast<uint8_t*>(std::calloc(bytes + 16, 1));
    std::memcpy(raw, &bytes, sizeof bytes);
    ++s->live;
    ++s->allocs;
    return raw + 16;
}

void SourceFree(void* ctx, void* block) {
    --static_cast<CountingSource*>(ctx)->live;
    std::free(static_cast<uint8_t*>(block) - 16);
}

size_t SourceCapacity(void*, void* block) {
    size_t bytes = 0;
    std::memcpy(&bytes, static_cast<uint8_t*>(block) - 16, sizeof bytes);
    return bytes;
}

struct Fixture {
    CountingSource source;
    BlockReserve reserve;
    Fixture() {
        BlockReserveInit(&reserve, BlockSourceOps{&source, SourceAlloc, SourceFree, SourceCapacity});
    }
    ~Fixture() { BlockReserveRelease(&reserve); }
    // A fresh block of bytes, given to the reserve.
    void Keep(size_t bytes) { ReserveGive(&reserve, SourceAlloc(&source, bytes)); }
};

TEST(BlockReserve, ARequestTakesTheSmallestKeptBlockThatFitsClosely) {
    struct Case {
        const char* name;
        std::vector<size_t> kept;
        size_t want;
        size_t got;  // 0: a fresh block
    };
    static const Case kCases[] = {
        {"same size", {100000}, 100000, 100000},
        {"a little smaller", {100000}, 90000, 100000},
        {"a quarter smaller at most", {125000}, 100000, 125000},
        {"much smaller: not wasted on it", {125100}, 100000, 0},
        {"a page more serves a small one", {4096}, 100, 4096},
        {"larger: never", {99999}, 100000, 0},
        {"best fit among several", {120000, 100000, 110000}, 95000, 100000},
        {"nothing kept", {}, 10, 0},
    };
    for (const Case& c : kCases) {
        Fixture f;
        ReserveSetCap(&f.reserve, 1 << 22);
        for (size_t k : c.kept) {
            f.Keep(k);
        }
        const int64_t before = f.source.allocs;
        bool reused = true;
        void* block = ReserveTake(&f.reserve, c.want, &reused);
        ASSERT_NE(block, nullptr) << c.name;
        EXPECT_EQ(reused, c.got != 0) << c.name;
        EXPECT_EQ(f.source.allocs - before, c.got != 0 ? 0 : 1) << c.name;
        if (c.got != 0) {
            EXPECT_EQ(SourceCapacity(nullptr, block), c.got) << c.name;
        }
        ReserveGive(&f.reserve, block);
    }
}

TEST(BlockReserve, WhatIsKeptStaysWithinTheCapOldestGoingFirst) {
    struct Case {
        const char* name;
        uint64_t cap;
        std::vector<size_t> given;
        std::vector<size_t> kept;  // oldest first
    };
    static const Case kCases[] = {
        {"no cap keeps nothing", 0, {100, 200}, {}},
        {"all fit", 1000, {100, 200, 300}, {100, 200, 300}},
        {"the oldest go to make room", 500, {100, 200, 300}, {200, 300}},
        {"a block above the cap is not kept", 500, {100, 600}, {100}},
        {"at most eight blocks", 1 << 20, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {3, 4, 5, 6, 7, 8, 9, 10}},
    };
    for (const Case& c : kCases) {
        Fixture f;
        ReserveSetCap(&f.reserve, c.cap);
        std::vector<void*> blocks;
        for (size_t bytes : c.given) {
            bool reused = false;
            blocks.push_back(ReserveTake(&f.reserve, bytes, &reused));
        }
        for (void* b : blocks) {
            ReserveGive(&f.reserve, b);
        }
        ASSERT_EQ(f.reserve.count, static_cast<int32_t>(c.kept.size())) << c.name;
        uint64_t total = 0;
        for (size_t i = 0; i < c.kept.size(); ++i) {
            EXPECT_EQ(f.reserve.sizes[i], c.kept[i]) << c.name << " block " << i;
            total += c.kept[i];
        }
        EXPECT_EQ(ReserveBytes(&f.reserve), total) << c.name;
        EXPECT_LE(total, c.cap) << c.name;
        EXPECT_EQ(f.source.live, static_cast<int64_t>(c.kept.size())) << c.name << ": the rest went back";
    }
}

TEST(BlockReserve, LoweringTheCapAndReleasingGiveBlocksBack) {
    Fixture f;
    ReserveSetCap(&f.reserve, 1000);
    for (size_t bytes : {size_t{100}, size_t{200}, size_t{300}}) {
        f.Keep(bytes);
    }
    ReserveSetCap(&f.reserve, 450);
    EXPECT_EQ(ReserveBytes(&f.reserve), 300u);
    EXPECT_EQ(f.source.live, 1);
    ReserveSetCeiling(&f.reserve, 0);  // no cap may keep anything now
    ReserveSetCap(&f.reserve, 1000);
    EXPECT_EQ(f.source.live, 0);
    f.Keep(100);
    EXPECT_EQ(f.source.live, 0);
    ReserveSetCeiling(&f.reserve, UINT64_MAX);
    ReserveSetCap(&f.reserve, 450);
    f.Keep(300);
    BlockReserveRelease(&f.reserve);
    EXPECT_EQ(ReserveBytes(&f.reserve), 0u);
    EXPECT_EQ(f.source.live, 0);
    f.Keep(100);  // the cap stays after a release
    EXPECT_EQ(ReserveBytes(&f.reserve), 100u);
}

// Threads take, stamp, check and give blocks of a few sizes at once: a block
// handed to two takers at the same time shows as a foreign stamp, and every
// block ends back in the source.
TEST(BlockReserve, ManyThreadsNeverShareABlock) {
    Fixture f;
    ReserveSetCap(&f.reserve, uint64_t{64} * 1024);
    std::atomic<int> clashes{0};
    auto worker = [&](uint8_t id) {
        for (int i = 0; i < 500; ++i) {
            const size_t bytes = 1024 * static_cast<size_t>(1 + (i + id) % 4);
            bool reused = false;
            auto* block = static_cast<uint8_t*>(ReserveTake(&f.reserve, bytes, &reused));
            ASSERT_NE(block, nullptr);
            std::memset(block, id, bytes);
            std::this_thread::yield();
            for (size_t k = 0; k < bytes; k += 97) {
                if (block[k] != id) {
                    ++clashes;
                    break;
                }
            }
            ReserveGive(&f.reserve, block);
        }
    };
    std::vector<std::thread> threads;
    for (uint8_t id = 1; id <= 4; ++id) {
        threads.emplace_back(worker, id);
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(clashes, 0);
    EXPECT_LE(ReserveBytes(&f.reserve), 64u * 1024);
    const BlockReserveCounts n = ReserveCounts(&f.reserve);
    EXPECT_EQ(n.fresh + n.reused, 2000u);
    EXPECT_GT(n.reused, n.fresh) << "blocks of the same sizes are reused";
    BlockReserveRelease(&f.reserve);
    EXPECT_EQ(f.source.live, 0);
}

}  // namespace
