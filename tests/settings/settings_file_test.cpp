// Saving to the disk: the old file or the new one survives every failure of the
// write, never a damaged file; a file that cannot be read is left alone.
#include <gtest/gtest.h>

#include <map>

#include "settings/settings_reader.h"
#include "settings/settings_writer.h"
#include "tests/settings/settings_test_util.h"

namespace {

// Passes every call to the real file operations, but writes only the first
// `bytesLeft` bytes and then fails, or fails when closing or replacing.
struct FailingFiles {
    const SettingsFileOps* inner = &PlatformSettingsFileOps();
    int64_t bytesLeft = INT64_MAX;
    bool failClose = false;
    bool failReplace = false;
    bool discarded = false;

    SettingsFileOps Ops() {
        SettingsFileOps ops;
        ops.context = this;
        ops.openTemp = [](void* c, TempFile* t, const char16_t* target) {
            FailingFiles* f = static_cast<FailingFiles*>(c);
            return f->inner->openTemp(f->inner->context, t, target);
        };
        ops.write = [](void* c, TempFile* t, const uint8_t* data, uint32_t n) {
            FailingFiles* f = static_cast<FailingFiles*>(c);
            uint32_t take = f->bytesLeft < n ? static_cast<uint32_t>(f->bytesLeft) : n;
            f->bytesLeft -= take;
            bool wrote = take == 0 || f->inner->write(f->inner->context, t, data, take);
            return wrote && take == n;
        };
        ops.close = [](void* c, TempFile* t) {
            FailingFiles* f = static_cast<FailingFiles*>(c);
            bool closed = f->inner->close(f->inner->context, t);
            return closed && !f->failClose;
        };
        ops.replace = [](void* c, TempFile* t, const char16_t* target) {
            FailingFiles* f = static_cast<FailingFiles*>(c);
            return !f->failReplace && f->inner->replace(f->inner->context, t, target);
        };
        ops.discard = [](void* c, TempFile* t) {
            FailingFiles* f = static_cast<FailingFiles*>(c);
            f->discarded = true;
            f->inner->discard(f->inner->context, t);
        };
        return ops;
    }
};

Bytes OldFile() {
    FileBuilder b;
    b.Text(kSlotLanguageFile, u"Old.dll").Int(kSlotPaneWidth, 99).Int(kSlotUnusedLow, 7);
    b.Data(kSlotUnusedHigh, {0xAA, 0xBB});
    b.List(kSlotTreeFolders, {u"C:\\old"});
    return b.Build();
}

void ChangedSettings(FakePlatform* platform, const Bytes& old, Settings* s) {
    SettingsReset(s);
    ASSERT_TRUE(SettingsReadMemory(old.data(), old.size(), s, platform->Ops()));
    s->languageFile.Assign(u"New.dll");
    s->paneWidth = 300;
    s->history[0].Assign(u"D:\\a.zip");
    s->historyCount = 1;
}

// The same operations over files held in memory: the sweep over every failing
// byte runs there, the disk sees the points where the outcome can change.
struct MemoryFiles {
    std::map<std::u16string, Bytes> files;
    std::u16string open;  // the temporary file being written

    SettingsFileOps Ops() {
        SettingsFileOps ops;
        ops.context = this;
        ops.openTemp = [](void* c, TempFile* t, const char16_t* target) {
            MemoryFiles* m = static_cast<MemoryFiles*>(c);
            m->open = std::u16string(target) + u".tmp";
            m->files[m->open].clear();
            t->path.Assign(m->open.c_str());
            t->handle = 1;
            return true;
        };
        ops.write = [](void* c, TempFile*, const uint8_t* data, uint32_t n) {
            MemoryFiles* m = static_cast<MemoryFiles*>(c);
            m->files[m->open].insert(m->files[m->open].end(), data, data + n);
            return true;
        };
        ops.close = [](void*, TempFile* t) {
            t->handle = -1;
            return true;
        };
        ops.replace = [](void* c, TempFile* t, const char16_t* target) {
            MemoryFiles* m = static_cast<MemoryFiles*>(c);
            std::u16string from(t->path.Text());
            m->files[target] = m->files[from];
            m->files.erase(from);
            return true;
        };
        ops.discard = [](void* c, TempFile* t) {
            static_cast<MemoryFiles*>(c)->files.erase(std::u16string(t->path.Text()));
            t->handle = -1;
        };
        return ops;
    }
};

struct SaveFixture {
    ScratchFolder folder;
    std::u16string path = folder.Path(u"Pagewick.ini");
    FakePlatform platform;
    Bytes old = OldFile();
    Settings s;
    Bytes expected;

    // The old file on the disk, the changed settings and the file they make.
    void SetUp() {
        ASSERT_TRUE(WriteWholeFile(path, old));
        ChangedSettings(&platform, old, &s);
        MemorySource m;
        OpenMemorySource(&m, old.data(), old.size());
        ByteBuf built;
        ASSERT_EQ(BuildSettingsFile(&m.source, s, platform.Ops(), &built), SaveResult::kSaved);
        expected.assign(built.data, built.data + built.size);
        ASSERT_NE(expected, old);
    }
};

TEST(SettingsFile, EveryFailedWriteLeavesTheOldFile) {
    SaveFixture f;
    f.SetUp();
    for (int64_t n = 0; n <= int64_t(f.expected.size()); ++n) {
        MemoryFiles memory;
        memory.files[f.path] = f.old;
        FailingFiles files;
        SettingsFileOps inner = memory.Ops();
        files.inner = &inner;
        files.bytesLeft = n;
        SaveResult r = SettingsWrite(f.path.c_str(), f.s, f.platform.Ops(), files.Ops());
        bool complete = n == int64_t(f.expected.size());
        ASSERT_EQ(r, complete ? SaveResult::kSaved : SaveResult::kWriteFailed) << "after " << n << " bytes";
        ASSERT_EQ(memory.files[f.path], complete ? f.expected : f.old) << "after " << n << " bytes";
        ASSERT_EQ(memory.files.size(), 1u) << "after " << n << " bytes: the temporary file remains";
    }
}

TEST(SettingsFile, FailedWritesOnDiskLeaveTheOldFile) {
    SaveFixture f;
    f.SetUp();
    const int64_t size = int64_t(f.expected.size());
    const int64_t kPoints[] = {0, 1, 4, 835, 836, size / 2, size - 1, size};
    for (int64_t n : kPoints) {
        FailingFiles files;
        files.bytesLeft = n;
        SaveResult r = SettingsWrite(f.path.c_str(), f.s, f.platform.Ops(), files.Ops());
        Bytes now;
        ASSERT_TRUE(ReadWholeFile(f.path, &now)) << "after " << n << " bytes";
        if (n < size) {
            EXPECT_EQ(r, SaveResult::kWriteFailed) << "after " << n << " bytes";
            EXPECT_EQ(now, f.old) << "after " << n << " bytes";
            EXPECT_TRUE(files.discarded) << "after " << n << " bytes";
        } else {
            EXPECT_EQ(r, SaveResult::kSaved);
            EXPECT_EQ(now, f.expected);
        }
        EXPECT_FALSE(PathExists(f.path + u".tmp")) << "after " << n << " bytes";
    }
}

TEST(SettingsFile, FailedFlushOrReplaceLeavesTheOldFile) {
    struct Case {
        const char* name;
        bool failClose, failReplace;
        bool oldExists;
    };
    static const Case kCases[] = {
        {"flush fails", true, false, true},
        {"replace fails", false, true, true},
        {"replace fails, no old file", false, true, false},
    };
    FakePlatform platform;
    Bytes old = OldFile();
    for (const Case& c : kCases) {
        ScratchFolder folder;
        std::u16string path = folder.Path(u"Pagewick.ini");
        if (c.oldExists) {
            ASSERT_TRUE(WriteWholeFile(path, old));
        }
        Settings s;
        ChangedSettings(&platform, old, &s);
        FailingFiles files;
        files.failClose = c.failClose;
        files.failReplace = c.failReplace;
        EXPECT_EQ(SettingsWrite(path.c_str(), s, platform.Ops(), files.Ops()), SaveResult::kWriteFailed)
            << c.name;
        Bytes now;
        EXPECT_EQ(ReadWholeFile(path, &now), c.oldExists) << c.name;
        if (c.oldExists) {
            EXPECT_EQ(now, old) << c.name;
        }
        EXPECT_FALSE(PathExists(path + u".tmp")) << c.name;
    }
}

TEST(SettingsFile, SavesAndReadsBackOnDisk) {
    ScratchFolder folder;
    std::u16string path = folder.Path(u"Pagewick.ini");
    FakePlatform platform;
    // A temporary file left by an earlier run that died while saving is ignored
    // and overwritten.
    ASSERT_TRUE(WriteWholeFile(path + u".tmp", Bytes{0x68, 0x00}));
    Settings s;
    EXPECT_FALSE(SettingsRead(path.c_str(), &s, platform.Ops()));
    s.resumePath.Assign(u"E:\\last.cbz");
    s.resumePage = 12;
    ASSERT_EQ(SettingsWrite(path.c_str(), s, platform.Ops(), PlatformSettingsFileOps()), SaveResult::kSaved);
    EXPECT_FALSE(PathExists(path + u".tmp"));
    Settings r;
    EXPECT_TRUE(SettingsRead(path.c_str(), &r, platform.Ops()));
    EXPECT_EQ(std::u16string(r.resumePath.Text()), u"E:\\last.cbz");
    EXPECT_EQ(r.resumePage, 12);
    // The second save starts from the first one's file.
    r.resumePage = 13;
    ASSERT_EQ(SettingsWrite(path.c_str(), r, platform.Ops(), PlatformSettingsFileOps()), SaveResult::kSaved);
    Settings again;
    EXPECT_TRUE(SettingsRead(path.c_str(), &again, platform.Ops()));
    EXPECT_EQ(again.resumePage, 13);
}

TEST(SettingsFile, UnreadableOldFileIsNotOverwritten) {
    ScratchFolder folder;
    // A folder where the file should be: it exists but cannot be read as a file.
    std::u16string path = folder.Path();
    Settings s;
    EXPECT_EQ(SettingsWrite(path.c_str(), s, PlatformSettingsOps(), PlatformSettingsFileOps()),
              SaveResult::kOldFileUnreadable);
    EXPECT_FALSE(PathExists(path + u".tmp"));
}

}  // namespace
