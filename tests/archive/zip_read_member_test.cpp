// Reading one member: stored and deflated data, data descriptors, and every way
// the bytes can be wrong.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include <zlib.h>

#include "archive/zip_reader.h"
#include "platform/heap.h"
#include "platform/vm.h"
#include "tests/support/zip_builder.h"

namespace {

std::string Noise(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& ch : s) {
        ch = static_cast<char>(rng() & 0xFF);
    }
    return s;
}

// Reads a member and checks what every successful read promises: the size in
// the locator, the bytes, and 4 zero bytes after them.
void ExpectReads(FileId file, uint32_t locator, const std::string& data, const char* label) {
    uint32_t inout = locator;
    VmBlock block(ZipReadMember(file, &inout, nullptr));
    ASSERT_NE(block.get(), nullptr) << label;
    ASSERT_EQ(inout, data.size()) << label;
    EXPECT_EQ(std::memcmp(block.get(), data.data(), data.size()), 0) << label;
    const uint8_t* tail = block.get() + data.size();
    EXPECT_TRUE(tail[0] == 0 && tail[1] == 0 && tail[2] == 0 && tail[3] == 0) << label;
}

void ExpectFails(FileId file, uint32_t locator, const char* label) {
    uint32_t inout = locator;
    uint8_t* block = ZipReadMember(file, &inout, nullptr);
    EXPECT_EQ(block, nullptr) << label;
    EXPECT_EQ(inout, locator) << label << ": locator changed on failure";
    VmFree(block);
}

struct GoodCase {
    const char* label;
    ZipEntrySpec entry;
};

std::vector<GoodCase> GoodCases() {
    std::vector<GoodCase> cases;
    auto add = [&](const char* label, std::string data, uint16_t method, uint16_t flags) {
        ZipEntrySpec e;
        e.name = std::string(label) + ".bin";
        e.data = std::move(data);
        e.method = method;
        e.flags = flags;
        e.extra = std::string(20, 'e');
        cases.push_back({label, e});
    };
    add("empty stored", "", 0, 0);
    add("empty deflated", "", 8, 0);
    add("stored text", "hello, pages", 0, 0);
    add("deflated text", std::string(100000, 'q') + "tail", 8, 0);
    add("deflated noise", Noise(300000, 1), 8, 0);
    add("stored larger than the header buffer", Noise(5000, 2), 0, 0);
    add("stored with descriptor", Noise(777, 3), 0, 8);
    add("deflated with descriptor", std::string(5000, 'd') + Noise(100, 4), 8, 8);
    add("empty with descriptor", "", 8, 8);
    add("encryption flag ignored", "plain", 0, 1);
    return cases;
}

TEST(ZipReadMember, ReadsStoredAndDeflated) {
    std::vector<GoodCase> cases = GoodCases();
    std::vector<ZipEntrySpec> entries;
    entries.reserve(cases.size());
    for (const GoodCase& c : cases) {
        entries.push_back(c.entry);
    }
    ZipImage zip = MakeZip(entries, "archive comment");
    OpenedZip f(zip.bytes);
    for (size_t i = 0; i < cases.size(); ++i) {
        ExpectReads(f.id(), zip.locators[i], cases[i].entry.data, cases[i].label);
    }
}

TEST(ZipReadMember, LocalTimeOut) {
    ZipEntrySpec e;
    e.name = "t.jpg";
    e.data.assign(1, 't');
    e.dosDate = 0x0021;
    e.dosTime = 0;
    ZipImage zip = MakeZip({e});
    OpenedZip f(zip.bytes);
    uint32_t locator = zip.locators[0];
    uint64_t modified = 1;
    VmBlock block(ZipReadMember(f.id(), &locator, &modified));
    ASSERT_NE(block.get(), nullptr);
#ifndef _WIN32
    EXPECT_EQ(modified, 119600064000000000ull);
#else
    EXPECT_NE(modified, 1u);
#endif
}

struct BadCase {
    const char* label;
    ZipEntrySpec entry;
    // Patches applied to the built image: byte offset relative to the member's
    // local header (or to the directory when fromDirectory), and the new byte.
    int patchAt = -1;
    bool fromDirectory = false;
    uint8_t patchValue = 0;
    size_t cutTail = 0;  // bytes removed from the end of the member data (sizes unchanged)
};

std::vector<BadCase> BadCases() {
    const std::string pages = std::string(4000, 'p') + Noise(4000, 7);
    std::vector<BadCase> cases;
    auto entry = [&](uint16_t method, uint16_t flags) {
        ZipEntrySpec e;
        e.name = "m.jpg";
        e.data = pages;
        e.method = method;
        e.flags = flags;
        return e;
    };
    {
        BadCase c{"deflate stream cut short (sizes agree)", entry(8, 0)};
        std::string full = Deflate(pages);
        c.entry.useRaw = true;
        c.entry.raw = full.substr(0, full.size() / 2);
        cases.push_back(c);
    }
    {
        BadCase c{"deflated CRC differs", entry(8, 0)};
        c.entry.overrideCrc = true;
        c.entry.crc = 0x12345678;
        cases.push_back(c);
    }
    {
        BadCase c{"stored CRC differs", entry(0, 0)};
        c.entry.overrideCrc = true;
        c.entry.crc = 1;
        cases.push_back(c);
    }
    {
        BadCase c{"corrupt deflate data", entry(8, 0)};
        c.patchAt = 30 + 5 + 10;
        c.patchValue = 0xFF;
        cases.push_back(c);
    }
    {
        BadCase c{"local signature wrong", entry(8, 0)};
        c.patchAt = 2;
        c.patchValue = 0;
        cases.push_back(c);
    }
    {
        BadCase c{"bzip2 method", entry(12, 0)};
        cases.push_back(c);
    }
    {
        BadCase c{"local method changed to 14", entry(8, 0)};
        c.patchAt = 8;
        c.patchValue = 14;
        cases.push_back(c);
    }
    {
        // The stream ends early but the missing tail would be zeros: the CRC of
        // the zero-filled block matches, the size does not.
        BadCase c{"stream shorter than the size, CRC of zero-padded data", entry(8, 0)};
        c.entry.overrideSize = true;
        c.entry.size = static_cast<uint32_t>(pages.size() + 64);
        c.entry.overrideCrc = true;
        std::string padded = pages + std::string(64, '\0');
        c.entry.crc = static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(padded.data()), static_cast<uInt>(padded.size())));
        cases.push_back(c);
    }
    {
        BadCase c{"size beyond any deflate ratio", entry(8, 0)};
        c.entry.overrideSize = true;
        c.entry.size = 0xFFFFFFF0u;
        cases.push_back(c);
    }
    {
        BadCase c{"stored size past the end of the file", entry(0, 0)};
        c.entry.overrideSize = true;
        c.entry.size = 0x7FFFFFFFu;
        cases.push_back(c);
    }
    {
        BadCase c{"compressed size past the end of the file", entry(8, 0)};
        c.patchAt = 18 + 3;
        c.patchValue = 0x10;
        cases.push_back(c);
    }
    {
        // The descriptor member's central header points elsewhere, so its sizes
        // cannot be found.
        BadCase c{"descriptor without a matching central header", entry(8, 8)};
        c.patchAt = 42;
        c.fromDirectory = true;
        c.patchValue = 0x55;
        cases.push_back(c);
    }
    return cases;
}

TEST(ZipReadMember, BadMembersYieldNothing) {
    for (const BadCase& c : BadCases()) {
        ZipImage zip = MakeZip({c.entry});
        if (c.patchAt >= 0) {
            size_t base = c.fromDirectory ? zip.directoryOffset : zip.locators[0];
            zip.bytes[base + static_cast<size_t>(c.patchAt)] = c.patchValue;
        }
        OpenedZip f(zip.bytes);
        ExpectFails(f.id(), zip.locators[0], c.label);
    }
}

TEST(ZipReadMember, LocatorsThatPointNowhere) {
    ZipEntrySpec e;
    e.name = "a.jpg";
    e.data = "abc";
    ZipImage zip = MakeZip({e});
    OpenedZip f(zip.bytes);
    const struct {
        const char* label;
        uint32_t locator;
    } kCases[] = {
        {"central directory", zip.directoryOffset},
        {"end record", zip.endOffset},
        {"inside the header", 1},
        {"past the end", static_cast<uint32_t>(zip.bytes.size()) + 100},
        {"last offset", 0xFFFFFFFFu},
    };
    for (const auto& c : kCases) {
        ExpectFails(f.id(), c.locator, c.label);
    }
}

TEST(ZipReadMember, FileCutInsideData) {
    ZipEntrySpec e;
    e.name = "a.jpg";
    e.data = Noise(10000, 9);
    e.method = 0;
    ZipImage zip = MakeZip({e});
    zip.bytes.resize(zip.locators[0] + 30 + 5 + 5000);
    OpenedZip f(zip.bytes);
    ExpectFails(f.id(), zip.locators[0], "stored member cut by the end of the file");
}

TEST(ZipReadMember, HeapRefusalAnywhereGivesNothing) {
    ZipEntrySpec e;
    e.name = "d.jpg";
    e.data = std::string(20000, 'x');
    e.flags = 8;
    ZipImage zip = MakeZip({e});
    OpenedZip f(zip.bytes);
    bool read = false;
    for (int failAt = 0; failAt < 64 && !read; ++failAt) {
        uint32_t locator = zip.locators[0];
        AppHeapFailAfter(failAt);
        VmBlock block(ZipReadMember(f.id(), &locator, nullptr));
        AppHeapFailAfter(-1);
        read = block.get() != nullptr;
        EXPECT_EQ(locator, read ? e.data.size() : zip.locators[0]) << "failing allocation " << failAt;
    }
    EXPECT_TRUE(read);
}

}  // namespace
