// Archives written by Info-ZIP zip, Python's zipfile, 7-Zip and bsdtar (made by
// make_interop_zips.sh at test time) must list the same paths as `unzip -Z1` and
// read the same bytes as `unzip -p`. Writers that are not installed are left
// out; without unzip or without any archive the test is skipped.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/zip_reader.h"
#include "platform/vm.h"
#include "tests/support/zip_builder.h"

namespace {

#ifndef _WIN32
bool RunCommand(const std::string& command, std::string* out) {
    FILE* p = popen(command.c_str(), "r");
    if (p == nullptr) {
        return false;
    }
    char chunk[65536];
    size_t n = 0;
    out->clear();
    while ((n = std::fread(chunk, 1, sizeof chunk, p)) > 0) {
        out->append(chunk, n);
    }
    return pclose(p) == 0;
}

std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

// unzip takes member names as patterns; a leading '-' would read as an option.
std::string Pattern(const std::string& name) {
    return Quote(name[0] == '-' ? "\\" + name : name);
}

std::string SlashPath(const ArchiveMember& m) {
    std::string path = Utf8(m.folder.Text(), m.folder.length) + Utf8(m.name.Text(), m.name.length);
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return path;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}
#endif

TEST(ZipInterop, MatchesUnzipOnArchivesOfCommonWriters) {
#ifdef _WIN32
    GTEST_SKIP() << "the writers run natively";
#else
    std::string ignored;
    if (!RunCommand("command -v unzip", &ignored)) {
        GTEST_SKIP() << "unzip is not installed";
    }
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec) /
                                ("pw_zip_interop_" + std::to_string(static_cast<long>(getpid())));
    ASSERT_TRUE(
        RunCommand(std::string("bash ") + PW_ZIP_INTEROP_SCRIPT + " " + Quote(dir.string()), &ignored));
    int archives = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (entry.path().extension() != ".zip") {
            continue;
        }
        ++archives;
        const std::string zip = entry.path().string();
        const std::string label = entry.path().filename().string();
        std::string listing;
        ASSERT_TRUE(RunCommand("LC_ALL=C.UTF-8 unzip -Z1 " + Quote(zip), &listing)) << label;
        std::vector<std::string> expected = Lines(listing);

        FileHandle file(FileOpenRead(entry.path().u16string().c_str()));
        ASSERT_TRUE(file.valid()) << label;
        MemberListPtr list(ZipListMembers(file.get()));
        ASSERT_NE(list.get(), nullptr) << label;
        ASSERT_EQ(static_cast<size_t>(list->count), expected.size()) << label;
        for (int32_t i = 0; i < list->count; ++i) {
            const ArchiveMember& m = list->members[i];
            const std::string path = SlashPath(m);
            EXPECT_EQ(path, expected[static_cast<size_t>(i)]) << label << " member " << i;
            if (m.name.length == 0) {
                continue;  // folder entry
            }
            std::string bytes;
            ASSERT_TRUE(RunCommand("LC_ALL=C.UTF-8 unzip -p " + Quote(zip) + " " + Pattern(path), &bytes))
                << label << " " << path;
            uint32_t locator = m.locator;
            VmBlock block(ZipReadMember(file.get(), &locator, nullptr));
            ASSERT_NE(block.get(), nullptr) << label << " " << path;
            EXPECT_EQ(locator, m.size) << label << " " << path;
            ASSERT_EQ(locator, bytes.size()) << label << " " << path;
            EXPECT_EQ(std::memcmp(block.get(), bytes.data(), bytes.size()), 0) << label << " " << path;
        }
    }
    std::filesystem::remove_all(dir, ec);
    if (archives == 0) {
        GTEST_SKIP() << "no ZIP writer installed";
    }
    RecordProperty("archives", archives);
#endif
}

}  // namespace
