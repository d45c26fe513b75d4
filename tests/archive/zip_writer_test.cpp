// Packing folders: which entries, in which order, under which archive name, and
// that every failure leaves nothing at the destination. Archives are read back
// with the program's own reader.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "archive/pack_entries.h"
#include "archive/zip_reader.h"
#include "archive/zip_writer.h"
#include "platform/vm.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/zip_builder.h"

namespace {

std::vector<std::string> Names(const PackList& list) {
    std::vector<std::string> out;
    for (const PackEntry* e = list.first; e != nullptr; e = e->next) {
        out.emplace_back(e->name, e->nameLength);
    }
    return out;
}

size_t IndexOf(const std::vector<std::string>& v, const std::string& s) {
    return static_cast<size_t>(std::find(v.begin(), v.end(), s) - v.begin());
}

TEST(CollectPackEntries, ListsFoldersBreadthFirstAndLeavesDotFoldersOut) {
    ScratchDir dir;
    dir.Write("src/a.txt", "a");
    dir.Write("src/.nomedia", "");
    dir.Write("src/one/b.txt", "b");
    dir.Write("src/one/deep/c.txt", "c");
    dir.Write("src/two/d.txt", "d");
    dir.Write("src/.git/config", "x");
    dir.Write("src/.git/sub/e.txt", "x");
    PackList list;
    ASSERT_EQ(CollectPackEntries(dir.Path("src").c_str(), &list), 8u);
    std::vector<std::string> names = Names(list);
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{".nomedia", "a.txt", "one/", "one/b.txt", "one/deep/",
                                                "one/deep/c.txt", "two/", "two/d.txt"}));
    // Root files first; each folder entry right before its own files; depth
    // never decreases along the folder entries.
    EXPECT_LT(IndexOf(names, "a.txt"), IndexOf(names, "one/"));
    EXPECT_LT(IndexOf(names, ".nomedia"), IndexOf(names, "two/"));
    EXPECT_EQ(IndexOf(names, "one/") + 1, IndexOf(names, "one/b.txt"));
    EXPECT_EQ(IndexOf(names, "two/") + 1, IndexOf(names, "two/d.txt"));
    EXPECT_EQ(IndexOf(names, "one/deep/") + 1, IndexOf(names, "one/deep/c.txt"));
    EXPECT_LT(IndexOf(names, "two/"), IndexOf(names, "one/deep/"));
    EXPECT_EQ(list.last->attributes, 0x20u);

    ScratchDir empty;
    empty.Write("src/.git/config", "x");
    PackList none;
    EXPECT_EQ(CollectPackEntries(empty.Path("src").c_str(), &none), 0u);
    EXPECT_EQ(CollectPackEntries(empty.Path("missing").c_str(), &none), 0u);
}

// Reads every member of an archive with the program's reader: "folder/name" -> bytes.
std::map<std::string, std::string> ReadBack(const std::u16string& path) {
    std::map<std::string, std::string> out;
    FileHandle file(FileOpenRead(path.c_str()));
    MemberListPtr list(file.valid() ? ZipListMembers(file.get()) : nullptr);
    if (list.get() == nullptr) {
        return out;
    }
    for (int32_t i = 0; i < list->count; ++i) {
        const ArchiveMember& m = list->members[i];
        std::string key = Utf8(m.folder.Text(), m.folder.length) + Utf8(m.name.Text(), m.name.length);
        std::replace(key.begin(), key.end(), '\\', '/');
        uint32_t locator = m.locator;
        VmBlock block(ZipReadMember(file.get(), &locator, nullptr));
        out[key] =
            block.get() != nullptr ? std::string(reinterpret_cast<char*>(block.get()), locator) : "<unread>";
    }
    return out;
}

bool Pack(const ScratchDir& dir, uint32_t mode, FileJob* job, const ZipLimits& limits = kZipLimits) {
    job->source.Assign(dir.Path("src").c_str());
    job->destination.Assign(dir.Path("out/src.zip").c_str());
    job->mode = mode;
    return ZipPackFolder(job, limits);
}

TEST(ZipPackFolder, StoredAndDeflatedArchivesReadBackUnchanged) {
    for (uint32_t mode : {kJobPackStored, kJobPackDeflated}) {
        SCOPED_TRACE(mode);
        ScratchDir dir;
        std::string big;
        for (int i = 0; i < 20000; ++i) {
            big += static_cast<char>(i * 7 % 251);
        }
        dir.Write("src/p01.jpg", big);
        dir.Write("src/empty.txt", "");
        dir.Write("src/日本語/ページ01.txt", "kana");
        dir.Write("out/.keep", "");
        FileJob job;
        ASSERT_TRUE(Pack(dir, mode, &job));
        std::map<std::string, std::string> want = {
            {"p01.jpg", big}, {"empty.txt", ""}, {"日本語/ページ01.txt", "kana"}};
        std::map<std::string, std::string> got = ReadBack(job.destination.Text());
        got.erase("日本語/");  // a folder entry: the reader lists it with an empty name
        EXPECT_EQ(got, want);
    }
}

TEST(ZipPackFolder, PackingTwiceNumbersTheSecondArchive) {
    ScratchDir dir;
    dir.Write("src/a.txt", "a");
    dir.Write("out/.keep", "");
    FileJob first;
    ASSERT_TRUE(Pack(dir, kJobPackDeflated, &first));
    EXPECT_EQ(std::u16string(first.destination.Text()), dir.Path("out/src.zip"));
    FileJob second;
    ASSERT_TRUE(Pack(dir, kJobPackDeflated, &second));
    EXPECT_EQ(std::u16string(second.destination.Text()), dir.Path("out/src+1.zip"));
}

struct NameCase {
    const char* label;
    std::u16string destination;  // relative to the scratch folder; empty stays empty
    std::vector<std::string> taken;
    std::u16string result;
};

TEST(NamePackArchive, EndsInZipAndNumbersATakenName) {
    const NameCase cases[] = {
        {"empty: source + .zip", u"", {}, u"Vol.2.zip"},
        {"last extension replaced", u"Vol.2", {}, u"Vol.zip"},
        {"no extension", u"Vol", {}, u"Vol.zip"},
        {"ZIP in capitals kept", u"Vol.ZIP", {}, u"Vol.ZIP"},
        {"taken", u"Vol.zip", {"Vol.zip"}, u"Vol+1.zip"},
        {"taken twice", u"Vol.2", {"Vol.zip", "Vol+1.zip"}, u"Vol+2.zip"},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        for (const std::string& t : c.taken) {
            dir.Write(t, "x");
        }
        StrBuf destination;
        if (!c.destination.empty()) {
            destination.Assign((dir.Path() + u"\\" + c.destination).c_str());
        }
        ASSERT_TRUE(NamePackArchive(&destination, (dir.Path() + u"\\Vol.2").c_str()));
        EXPECT_EQ(std::u16string(destination.Text()), dir.Path() + u"\\" + c.result);
    }
}

struct FailCase {
    const char* label;
    std::vector<std::pair<std::string, std::string>> files;  // below src/
    ZipLimits limits;
    bool cancel;
};

const std::string kLongFolder(220, 'f');

// Bytes that deflate cannot shrink.
std::string Noise(size_t n) {
    std::string s(n, '\0');
    uint32_t x = 2463534242u;
    for (char& c : s) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    return s;
}
const std::string kLongName = std::string(40, 'n') + "\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82.txt";  // あああ

const FailCase kFailCases[] = {
    {"empty folder", {}, kZipLimits, false},
    {"cancel after the first entry", {{"a.txt", "a"}, {"b.txt", "b"}}, kZipLimits, true},
    {"archive would pass the offset field", {{"a.txt", Noise(5000)}}, {4096, 0xFFFF, 0xFFFFFFFF}, false},
    {"too many entries for the count field",
     {{"a.txt", "a"}, {"b.txt", "b"}},
     {0xFFFFFFFF, 1, 0xFFFFFFFF},
     false},
    {"a file at the size limit", {{"a.txt", std::string(100, 'a')}}, {0xFFFFFFFF, 0xFFFF, 100}, false},
    {"a name past 259 UTF-8 bytes, cut inside a letter",
     {{kLongFolder + "/" + kLongName, "x"}},
     kZipLimits,
     false},
};

TEST(ZipPackFolder, EveryFailureLeavesNothingAtTheDestination) {
    for (const FailCase& c : kFailCases) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        dir.Write("src/.keep-folder/x", "");  // a dot folder: never packed
        for (const auto& [name, bytes] : c.files) {
            dir.Write("src/" + name, bytes);
        }
        dir.Write("out/.keep", "");
        JobOps ops{};
        ops.cancelled = [](void*) { return true; };
        FileJob job;
        job.ops = c.cancel ? &ops : nullptr;
        EXPECT_FALSE(Pack(dir, kJobPackDeflated, &job, c.limits));
        std::vector<std::string> out;
        for (const std::string& rel : dir.List()) {
            if (rel.rfind("out/", 0) == 0) {
                out.push_back(rel);
            }
        }
        EXPECT_EQ(out, std::vector<std::string>{"out/.keep"});
    }
}

#ifndef _WIN32
// A sparse file of 4 GiB costs no disk here; such a file was once packed as an
// empty entry.
TEST(ZipPackFolder, AFileOfFourGibibytesFailsThePacking) {
    ScratchDir dir;
    dir.Write("src/huge.bin", "");
    std::filesystem::resize_file(dir.native() / "src/huge.bin", 1ull << 32);
    dir.Write("out/.keep", "");
    FileJob job;
    EXPECT_FALSE(Pack(dir, kJobPackStored, &job));
    EXPECT_FALSE(dir.Exists("out/src.zip"));
}
#endif

std::string Inflate(const uint8_t* data, uint64_t n, size_t expected) {
    std::string out(expected + 16, '\0');
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) {
        return "<no stream>";
    }
    z.next_in = const_cast<uint8_t*>(data);
    z.avail_in = static_cast<uInt>(n);
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    int r = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    out.resize(z.total_out);
    return r == Z_STREAM_END ? out : "<broken stream>";
}

TEST(DeflateBlock, ShrinksRepetitiveBytesIntoARawStreamThatInflatesBack) {
    const uint64_t n = 100000;
    auto* block = static_cast<uint8_t*>(VmAlloc(n + 4));
    ASSERT_NE(block, nullptr);
    std::fill(block, block + n, 'z');
    uint64_t size = n;
    ASSERT_TRUE(DeflateBlock(&block, &size));
    EXPECT_LT(size, 1000u);
    EXPECT_EQ(Inflate(block, size, n), std::string(n, 'z'));
    VmFree(block);
}

}  // namespace
