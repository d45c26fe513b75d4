// The host with our own plug-ins, in process under Wine: the WebP pictures equal
// libwebp's decode (dwebp's PAM, composited over black) in the file and memory
// forms, and a TAR book lists and reads through the TAR plug-in, also behind a
// 128-byte header.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/text.h"
#include "archive/archive_member.h"
#include "archive/fetch_member.h"
#include "archive/plugin_host.h"
#include "archive/plugin_platform.h"
#include "platform/vm.h"
#include "tests/support/tar_builder.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::u16string WinePath(const char* unixPath) {
    std::u16string out = u"Z:";
    for (const char* p = unixPath; *p != 0; ++p) {
        out += *p == '/' ? u'\\' : static_cast<char16_t>(*p);
    }
    return out;
}

Bytes ReadAll(const std::string& path) {
    Bytes b;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return b;
    }
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        b.insert(b.end(), buf, buf + n);
    }
    std::fclose(f);
    return b;
}

std::u16string WriteTemp(const char16_t* name, const Bytes& bytes) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::u16string path = reinterpret_cast<const char16_t*>(dir);
    path += name;
    HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD wrote = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(h);
    return path;
}

uint8_t Blend(uint32_t a, uint32_t c) {
    if (a == 0 || c == 0) {
        return 0;
    }
    if (a == 255 || c == 255) {
        return static_cast<uint8_t>(a == 255 ? c : a);
    }
    const uint32_t lo = a < c ? a : c;
    const uint32_t hi = a < c ? c : a;
    return static_cast<uint8_t>((hi * (lo * 65536u / 255u) + 32768u) >> 16);
}

// dwebp's PAM (RGBA, top-down) against a 24-bit bottom-up picture.
void ExpectSamePixels(const Bytes& pam, const DecodedImage& image, const char* label) {
    const char* text = reinterpret_cast<const char*>(pam.data());
    int width = 0;
    int height = 0;
    ASSERT_EQ(std::sscanf(text, "P7\nWIDTH %d\nHEIGHT %d", &width, &height), 2) << label;
    const char* end = std::strstr(text, "ENDHDR\n");
    ASSERT_NE(end, nullptr) << label;
    const uint8_t* rgba = pam.data() + (end - text) + 7;
    ASSERT_EQ(image.header.width, width) << label;
    ASSERT_EQ(image.header.height, height) << label;
    ASSERT_EQ(image.header.bitCount, 24) << label;
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t{3};
    int differing = 0;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = image.pixels + size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const uint8_t* s = rgba + (size_t(y) * width + x) * 4;
            const uint8_t* d = row + x * 3;
            differing += d[0] != Blend(s[3], s[2]) || d[1] != Blend(s[3], s[1]) || d[2] != Blend(s[3], s[0]);
        }
    }
    EXPECT_EQ(differing, 0) << label;
}

// The settings of a program: our build's plug-in folder, nothing disabled.
std::u16string gFolder;
void Folder(void*, StrBuf* out) {
    out->Assign(gFolder.c_str());
}
bool NoneDisabled(void*, const char16_t*) {
    return false;
}
const PluginSource kSource = {nullptr, Folder, NoneDisabled};

class OurPlugins : public ::testing::Test {
  protected:
    void SetUp() override {
        gFolder = WinePath(PW_PLUGIN_DIR);
        SetPluginHost(SystemPluginPlatform(), &kSource);
    }
    void TearDown() override { SetPluginHost(nullptr, nullptr); }
};

TEST_F(OurPlugins, WebPPicturesEqualLibwebp) {
    for (const char* name : {"lossy", "lossless", "alpha"}) {
        const std::string base = std::string(PW_WEBP_FIXTURES) + "/" + name;
        const Bytes webp = ReadAll(base + ".webp");
        const Bytes pam = ReadAll(base + ".pam");
        ASSERT_GT(webp.size(), 2176u) << name;
        const std::u16string path = WinePath((base + ".webp").c_str());
        DecodedImagePtr file(PluginOpenPictureFile(path.c_str()));
        ASSERT_TRUE(file) << name;
        ExpectSamePixels(pam, *file.get(), name);
        EXPECT_EQ(file->sourceSize, webp.size()) << name;
        EXPECT_EQ(file->sourceBits, std::string(name) == "alpha" ? 32 : 24) << name;
        DecodedImagePtr memory(PluginOpenPictureMemory(u"page.webp", webp.data(), webp.size()));
        ASSERT_TRUE(memory) << name;
        ExpectSamePixels(pam, *memory.get(), name);
    }
    const Bytes broken(3000, 'R');
    EXPECT_EQ(PluginOpenPictureMemory(u"x.webp", broken.data(), broken.size()), nullptr);
}

TEST_F(OurPlugins, TarBooksListAndRead) {
    const Bytes webp = ReadAll(std::string(PW_WEBP_FIXTURES) + "/lossless.webp");
    const std::string page(webp.begin(), webp.end());
    const TarBytes tar =
        TarJoin({TarEntry("book/", "", '5'), TarEntry("book/01.webp", page), TarEntry("book/02.txt", "notes"),
                 TarEntry("empty.webp", ""), TarBytes(1024, 0)});
    const struct {
        const char16_t* file;
        size_t junk;
    } kCases[] = {{u"pw_plugin_book.cbt", 0}, {u"pw_plugin_book128.tar", 128}};
    for (const auto& c : kCases) {
        Bytes bytes(c.junk, 0x42);
        bytes.insert(bytes.end(), tar.begin(), tar.end());
        const std::u16string path = WriteTemp(c.file, bytes);
        MemberListPtr list(PluginListArchive(path.c_str()));
        ASSERT_NE(list.get(), nullptr) << c.junk;
        ASSERT_EQ(list->count, 3) << c.junk;
        EXPECT_EQ(std::u16string(list->members[0].folder.Text()), u"book\\") << c.junk;
        EXPECT_EQ(std::u16string(list->members[0].name.Text()), u"01.webp") << c.junk;
        EXPECT_EQ(list->members[0].size, webp.size()) << c.junk;
        EXPECT_EQ(list->members[0].modified, (1700000000ull + 11644473600ull) * 10000000ull) << c.junk;
        uint32_t locator = list->members[0].locator;
        VmBlock block(FetchArchiveMember(4, path.c_str(), &locator));
        ASSERT_NE(block.get(), nullptr) << c.junk;
        ASSERT_EQ(locator, webp.size()) << c.junk;
        EXPECT_EQ(std::memcmp(block.get(), webp.data(), webp.size()), 0) << c.junk;
        DecodedImagePtr image(PluginOpenPictureMemory(u"01.webp", block.get(), locator));
        EXPECT_TRUE(image) << c.junk;
        locator = list->members[2].locator;  // the 0-byte member
        EXPECT_EQ(FetchArchiveMember(4, path.c_str(), &locator), nullptr) << c.junk;
        DeleteFileW(reinterpret_cast<const wchar_t*>(path.c_str()));
    }
}

TEST_F(OurPlugins, AnnouncedPatternsAndList) {
    PluginTextList list;
    PluginExtensions(kPluginPicture, false, &list);
    ASSERT_EQ(list.count, 1u);
    EXPECT_EQ(std::u16string(list.items[0].Text()), u".webp");
    PluginExtensions(kPluginArchive, false, &list);
    EXPECT_EQ(list.count, 2u);
    EXPECT_TRUE(list.ContainsNoCase(u".cbt", 4));
    PluginList(&list);
    EXPECT_EQ(list.count, 2u);
    StrBuf patterns;
    StrBuf descriptions;
    ASSERT_TRUE(PluginDescribe(u"pwtar.sph", &patterns, &descriptions));
    EXPECT_EQ(std::u16string(patterns.Text()), u"*.tar;*.cbt");
}

}  // namespace
