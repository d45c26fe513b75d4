// Replays the saved inputs in tests/regress/zip (fuzzing finds and the archives
// of make_cases.py): each must be listed and read member by member without
// harm; whatever it yields is accepted.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "archive/zip_reader.h"
#include "platform/vm.h"
#include "tests/support/regress_inputs.h"
#include "tests/support/zip_builder.h"

namespace {

TEST(ZipRegress, SavedInputsFailCleanly) {
    int replayed = 0;
    for (const std::filesystem::path& path : RegressInputs(PW_ZIP_REGRESS_DIR)) {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        OpenedZip f(bytes);
        ASSERT_TRUE(f.handle.valid()) << path.string();
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
