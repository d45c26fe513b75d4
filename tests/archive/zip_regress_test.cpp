// Replays the saved fuzzing finds in tests/regress/zip: each must be listed and
// read member by member without harm; whatever it yields is accepted.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "archive/zip_reader.h"
#include "platform/vm.h"
#include "tests/support/zip_builder.h"

namespace {

TEST(ZipRegress, SavedInputsFailCleanly) {
    std::error_code ec;
    std::filesystem::directory_iterator it(PW_ZIP_REGRESS_DIR, ec);
    if (ec) {
        GTEST_SKIP() << "no regression folder";
    }
    int replayed = 0;
    for (const auto& entry : it) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        OpenedZip f(bytes);
        ASSERT_TRUE(f.handle.valid()) << entry.path();
        MemberListPtr list(ZipListMembers(f.id()));
        for (int32_t i = 0; list.get() != nullptr && i < list->count; ++i) {
            uint32_t locator = list->members[i].locator;
            VmBlock block(ZipReadMember(f.id(), &locator, nullptr));
        }
        ++replayed;
    }
    RecordProperty("replayed", replayed);
}

}  // namespace
