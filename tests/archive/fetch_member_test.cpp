// FetchArchiveMember: the book kind picks the reader; only ZIP is served so far.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/fetch_member.h"
#include "platform/vm.h"
#include "tests/support/zip_builder.h"

namespace {

TEST(FetchArchiveMember, ZipBooksReadThroughTheZipReader) {
    ZipEntrySpec e;
    e.name = "p.jpg";
    e.data = std::string(5000, 'j');
    ZipImage zip = MakeZip({e});
    TempFile file(zip.bytes);

    const struct {
        const char* label;
        int32_t kind;
        bool served;
    } kCases[] = {{"zip", 2, true},
                  {"rar, no library", 3, false},
                  {"plug-in (no host set)", 4, false},
                  {"folder", 0, false},
                  {"unknown", 99, false}};
    for (const auto& c : kCases) {
        uint32_t locator = zip.locators[0];
        VmBlock block(FetchArchiveMember(c.kind, file.path(), &locator));
        EXPECT_EQ(block.get() != nullptr, c.served) << c.label;
        if (block.get() != nullptr) {
            EXPECT_EQ(locator, e.data.size()) << c.label;
            EXPECT_EQ(std::memcmp(block.get(), e.data.data(), e.data.size()), 0) << c.label;
        }
    }
}

TEST(FetchArchiveMember, MissingArchiveOrMember) {
    ZipEntrySpec e;
    e.name = "p.jpg";
    e.data.assign(1, 'x');
    ZipImage zip = MakeZip({e});
    TempFile file(zip.bytes);
    uint32_t locator = 0;
    EXPECT_EQ(FetchArchiveMember(2, u"no_such_folder\\no_such.zip", &locator), nullptr);
    EXPECT_EQ(FetchArchiveMember(2, nullptr, &locator), nullptr);
    locator = zip.directoryOffset;
    EXPECT_EQ(FetchArchiveMember(2, file.path(), &locator), nullptr);
    EXPECT_EQ(locator, zip.directoryOffset);
}

}  // namespace
