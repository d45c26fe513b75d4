// The version resource of Pagewick.exe, read as Windows reads it (the file's
// properties, installers), must be the build's version: the numbers and the texts.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "pw_version.h"

namespace {

// The version block of Pagewick.exe beside this test program; empty when absent.
std::vector<char> ProgramVersionBlock() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        return {};
    }
    std::wstring file(path, n);
    file.resize(file.find_last_of(L'\\') + 1);
    file += L"Pagewick.exe";
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    std::vector<char> block(size);
    if (size == 0 || !GetFileVersionInfoW(file.c_str(), 0, size, block.data())) {
        return {};
    }
    return block;
}

std::string StringValue(std::vector<char>& block, const wchar_t* name) {
    std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) {
        return "(missing)";
    }
    std::string out;
    for (const wchar_t* c = static_cast<const wchar_t*>(value); *c; ++c) {
        out.push_back(*c < 0x80 ? static_cast<char>(*c) : '?');
    }
    return out;
}

TEST(VersionResourceTest, NumbersAreTheBuildVersion) {
    std::vector<char> block = ProgramVersionBlock();
    ASSERT_FALSE(block.empty()) << "Pagewick.exe has no version resource";
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    const DWORD wantMs = (PW_VERSION_MAJOR << 16) | PW_VERSION_MINOR;
    const DWORD wantLs = (PW_VERSION_PATCH << 16) | PW_VERSION_TWEAK;
    struct Row {
        const char* field;
        DWORD got;
        DWORD want;
    } rows[] = {
        {"file version, high", fixed->dwFileVersionMS, wantMs},
        {"file version, low", fixed->dwFileVersionLS, wantLs},
        {"product version, high", fixed->dwProductVersionMS, wantMs},
        {"product version, low", fixed->dwProductVersionLS, wantLs},
        {"file type", fixed->dwFileType, static_cast<DWORD>(VFT_APP)},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.got, row.want) << row.field;
    }
}

TEST(VersionResourceTest, TextsNameTheProgramAndTheBuildVersion) {
    std::vector<char> block = ProgramVersionBlock();
    ASSERT_FALSE(block.empty()) << "Pagewick.exe has no version resource";
    const std::string version = std::string(PW_VERSION_TEXT) + " (64-bit)";
    struct Row {
        const wchar_t* name;
        std::string want;
    } rows[] = {
        {L"FileVersion", version},
        {L"ProductVersion", version},
        {L"ProductName", "Pagewick"},
        {L"OriginalFilename", "Pagewick.exe"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(StringValue(block, row.name), row.want)
            << std::string(row.name, row.name + wcslen(row.name));
    }
}

}  // namespace
