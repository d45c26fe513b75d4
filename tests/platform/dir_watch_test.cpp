// The folder services under the book: what a path names, enumeration of one
// folder, and change watching.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>

#include "platform/dir.h"
#include "platform/heap.h"
#include "platform/watch.h"
#include "tests/support/book_fixture.h"

namespace {

TEST(DirTest, PathKinds) {
    TempFolder dir;
    ASSERT_TRUE(dir.AddFile(u"f.jpg", 3));
    ASSERT_TRUE(dir.AddFolder(u"sub"));
    struct Case {
        std::u16string path;
        PathKind want;
    };
    const Case kCases[] = {
        {dir.path(), PathKind::kFolder},          {dir.Join(u"sub"), PathKind::kFolder},
        {dir.Join(u"f.jpg"), PathKind::kFile},    {dir.Join(u"none"), PathKind::kNone},
        {dir.Join(u"f.jpg\\x"), PathKind::kNone}, {u"", PathKind::kNone},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(GetPathKind(c.path.c_str()), c.want) << Narrow(c.path);
    }
}

TEST(DirTest, EnumeratesEveryEntryOnce) {
    TempFolder dir;
    ASSERT_TRUE(dir.AddFile(u"a.jpg", 2048));
    ASSERT_TRUE(dir.AddFile(u"\u00e9t\u00e9 \u7b2c1\u8a71.png", 5));
    ASSERT_TRUE(dir.AddFile(u"sub\\inner.jpg", 1));
    ASSERT_TRUE(dir.AddFolder(u"empty"));
    std::map<std::u16string, DirEntry> seen;
    std::map<std::u16string, int> times;
    DirReader reader;
    ASSERT_TRUE(reader.Open(dir.path().c_str()));
    DirEntry e{};
    while (reader.Next(&e)) {
        std::u16string name(e.name, e.nameLength);
        EXPECT_EQ(name.size(), std::char_traits<char16_t>::length(e.name)) << "terminated name";
        seen[name] = e;
        ++times[name];
    }
    reader.Close();
    EXPECT_FALSE(reader.Next(&e)) << "closed reader yields nothing";
    ASSERT_EQ(seen.size(), 4u);
    for (const auto& [name, n] : times) {
        EXPECT_EQ(n, 1) << Narrow(name);
    }
    EXPECT_EQ(seen[u"a.jpg"].size, 2048u);
    EXPECT_FALSE(seen[u"a.jpg"].isFolder);
    EXPECT_EQ(seen[u"a.jpg"].attributes & kAttrFolder, 0u);
    EXPECT_NE(seen[u"a.jpg"].modified, 0u);
    EXPECT_EQ(seen[u"\u00e9t\u00e9 \u7b2c1\u8a71.png"].size, 5u);
    EXPECT_TRUE(seen[u"sub"].isFolder);
    EXPECT_NE(seen[u"sub"].attributes & kAttrFolder, 0u);
    EXPECT_EQ(seen[u"sub"].size, 0u);
    EXPECT_TRUE(seen[u"empty"].isFolder);
}

TEST(DirTest, FoldersThatCannotBeEnumerated) {
    TempFolder dir;
    ASSERT_TRUE(dir.AddFolder(u"empty"));
    ASSERT_TRUE(dir.AddFile(u"file.jpg"));
    DirReader reader;
    DirEntry e{};
    ASSERT_TRUE(reader.Open(dir.Join(u"empty").c_str()));
    EXPECT_FALSE(reader.Next(&e));
    EXPECT_FALSE(reader.Open(dir.Join(u"missing").c_str()));
    EXPECT_FALSE(reader.Next(&e));
    EXPECT_FALSE(reader.Open(dir.Join(u"file.jpg").c_str()));
    EXPECT_FALSE(reader.Open(u""));
    AppHeapFailAfter(0);
    EXPECT_FALSE(reader.Open(dir.path().c_str()));
    AppHeapFailAfter(-1);
}

TEST(WatchTest, FiresOnNamesAndSizesOnly) {
    struct Case {
        const char* what;
        void (*change)(TempFolder&);
        bool want;
    };
    static const Case kCases[] = {
        {"nothing", [](TempFolder&) {}, false},
        {"file added", [](TempFolder& d) { (void)d.AddFile(u"new.jpg"); }, true},
        {"file removed", [](TempFolder& d) { (void)d.Remove(u"a.jpg"); }, true},
        {"file grown", [](TempFolder& d) { (void)d.AddFile(u"a.jpg", 900); }, true},
        {"change inside a subfolder", [](TempFolder& d) { (void)d.AddFile(u"sub\\deep.jpg"); }, false},
    };
    for (const Case& c : kCases) {
        TempFolder dir;
        ASSERT_TRUE(dir.AddFile(u"a.jpg", 10));
        ASSERT_TRUE(dir.AddFolder(u"sub"));
        FolderWatch watch(WatchStart(dir.path().c_str()));
        ASSERT_TRUE(watch.valid()) << c.what;
        c.change(dir);
        bool fired = false;
        // The Windows notification arrives asynchronously; give it a moment.
        for (int i = 0; i < 50 && !fired; ++i) {
            fired = WatchFired(watch.get());
            if (!c.want) {
                break;
            }
#ifdef _WIN32
            if (!fired) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
#endif
        }
        EXPECT_EQ(fired, c.want) << c.what;
        if (c.want) {
            EXPECT_TRUE(WatchFired(watch.get())) << c.what << ": a fired watch stays fired";
        }
    }
    EXPECT_EQ(WatchStart(u""), kNoWatch);
    TempFolder dir;
    EXPECT_EQ(WatchStart(dir.Join(u"missing").c_str()), kNoWatch);
    EXPECT_FALSE(WatchFired(kNoWatch));
}

}  // namespace
