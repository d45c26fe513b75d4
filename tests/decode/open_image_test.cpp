#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "decode/blend_table.h"
#include "decode/open_image.h"
#include "platform/vm.h"
#include "tests/support/picture_fixtures.h"

namespace {

TEST(Sniff, Signatures) {
    struct Case {
        const char* name;
        uint8_t bytes[8];
        ImageFormat format;
    };
    static const Case kCases[] = {
        {"BM", {0x42, 0x4D, 0, 0, 0, 0, 0, 0}, kFormatBmp},
        {"PNG", {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A}, kFormatPng},
        {"PNG damaged in byte 2", {0x89, 0x50, 0x6E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A}, kFormatUnknown},
        {"PNG damaged in byte 7", {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x00}, kFormatUnknown},
        {"JPEG", {0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0, 0}, kFormatJpeg},
        {"TIFF MM 00 2A", {0x4D, 0x4D, 0x00, 0x2A, 0, 0, 0, 8}, kFormatTiff},
        {"TIFF MM 78 2A: byte 2 not examined", {0x4D, 0x4D, 0x78, 0x2A, 0, 0, 0, 8}, kFormatTiff},
        {"TIFF II 2A any", {0x49, 0x49, 0x2A, 0x77, 8, 0, 0, 0}, kFormatTiff},
        {"II without 2A", {0x49, 0x49, 0x2B, 0x00, 8, 0, 0, 0}, kFormatUnknown},
        {"GIF then anything", {'G', 'I', 'F', '0', 'x', 'y', 0, 0}, kFormatGif},
        {"GI alone", {'G', 'I', 'X', '8', '9', 'a', 0, 0}, kFormatUnknown},
        {"zeros", {0, 0, 0, 0, 0, 0, 0, 0}, kFormatUnknown},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(SniffImageMemory(c.bytes), c.format) << c.name;
    }
}

TEST(Sniff, ExtensionTable) {
    struct Case {
        const char16_t* name;
        ImageFormat format;
    };
    static const Case kCases[] = {
        {u"a.JPG", kFormatJpeg},        {u"b.JpEg", kFormatJpeg},
        {u"c.jpe", kFormatJpeg},        {u"d.png", kFormatPng},
        {u"e.gif", kFormatGif},         {u"f.Bmp", kFormatBmp},
        {u"g.tif", kFormatTiff},        {u"h.TIFF", kFormatTiff},
        {u"i.jpg.txt", kFormatUnknown}, {u"dir.jpg\\file", kFormatUnknown},
        {u"noext", kFormatUnknown},     {u"x.jp", kFormatUnknown},
        {u"x.jpgx", kFormatUnknown},    {u".png", kFormatPng},
        {u"", kFormatUnknown},          {u"C:\\a.b\\c.gif", kFormatGif},
        {u"name.", kFormatUnknown},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(ImageFormatFromExtension(c.name), c.format)
            << std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name));
    }
}

std::u16string TempPath(const char* leaf) {
    std::string p = testing::TempDir() + leaf;
    return std::u16string(p.begin(), p.end());
}

void WriteFile(const std::u16string& path, const Bytes& bytes) {
    std::ofstream out(std::string(path.begin(), path.end()), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(Sniff, FileNeedsEightBytes) {
    std::u16string seven = TempPath("pw_sniff7.bin");
    WriteFile(seven, {0x42, 0x4D, 0, 0, 0, 0, 0});
    EXPECT_EQ(SniffImageFile(seven.c_str()), kFormatUnopenable);
    std::u16string eight = TempPath("pw_sniff8.bin");
    WriteFile(eight, {0x42, 0x4D, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(SniffImageFile(eight.c_str()), kFormatBmp);
    EXPECT_EQ(SniffImageFile(TempPath("pw_missing_file.bin").c_str()), kFormatUnopenable);
}

// Records what the fallback was offered.
struct FallbackLog {
    int fileCalls = 0;
    int memoryCalls = 0;
    std::u16string lastName;
    size_t lastSize = 0;
};
FallbackLog gLog;

DecodedImage* FallbackFile(const char16_t*) {
    ++gLog.fileCalls;
    return nullptr;
}
DecodedImage* FallbackMemory(const char16_t* name, const uint8_t*, size_t size) {
    ++gLog.memoryCalls;
    gLog.lastName = name;
    gLog.lastSize = size;
    return nullptr;
}
const ImageFallbackOps kFallback = {FallbackFile, FallbackMemory};

uint8_t* BlockOf(const Bytes& bytes) {
    auto* block = static_cast<uint8_t*>(VmAlloc(bytes.size() + 4));
    std::copy(bytes.begin(), bytes.end(), block);
    return block;
}

Bytes SmallBmp() {
    BmpRecipe s;
    s.pixels = {1, 2, 3, 0};
    return MakeBmp(s);
}

TEST(OpenImage, DispatchByContentAndFallback) {
    FillBlendTable();
    SetImageFallbackOps(&kFallback);
    struct Case {
        const char* name;
        Bytes bytes;
        bool decoded;
        int fallbackCalls;
    };
    Bytes badCompression = SmallBmp();
    badCompression[30] = 1;
    const Case kCases[] = {
        {"BMP content under a .png name", SmallBmp(), true, 0},
        {"PNG", MakePng(1, 8, 0, {{9}}), true, 0},
        {"7 bytes go straight to the fallback", Bytes(7, 0x42), false, 1},
        {"unknown format", Bytes(64, 0x11), false, 1},
        {"BMP the decoder refuses", badCompression, false, 1},
    };
    for (const Case& c : kCases) {
        gLog = FallbackLog{};
        int32_t orientation = 1;
        DecodedImagePtr image(OpenImageMemory(u"member.png", BlockOf(c.bytes), c.bytes.size(), &orientation));
        EXPECT_EQ(image.get() != nullptr, c.decoded) << c.name;
        EXPECT_EQ(gLog.memoryCalls, c.fallbackCalls) << c.name;
        EXPECT_EQ(orientation, 1) << c.name;
        if (c.fallbackCalls != 0) {
            EXPECT_EQ(gLog.lastName, u"member.png") << c.name;
            EXPECT_EQ(gLog.lastSize, c.bytes.size()) << c.name;
        }

        std::u16string path = TempPath("pw_open_image.png");
        WriteFile(path, c.bytes);
        gLog = FallbackLog{};
        DecodedImagePtr fromFile(OpenImageFile(path.c_str(), &orientation));
        EXPECT_EQ(fromFile.get() != nullptr, c.decoded) << c.name << " (file)";
        EXPECT_EQ(gLog.fileCalls, c.fallbackCalls) << c.name << " (file)";
        if (fromFile) {
            EXPECT_NE(fromFile->sourceTime, 0u) << c.name;
        }
    }
    SetImageFallbackOps(nullptr);
    int32_t orientation = 1;
    EXPECT_EQ(OpenImageMemory(u"x", BlockOf(Bytes(7, 0)), 7, &orientation), nullptr);
}

#ifdef __linux__
size_t MappingCount() {
    std::ifstream maps("/proc/self/maps");
    size_t n = 0;
    std::string line;
    while (std::getline(maps, line)) {
        ++n;
    }
    return n;
}

// The block handed over is released on success, refusal and fallback alike.
TEST(OpenImage, MemoryBlockAlwaysReleased) {
    FillBlendTable();
    SetImageFallbackOps(&kFallback);
    const Bytes inputs[] = {SmallBmp(), Bytes(7, 0), Bytes(100, 0x42), MakePng(1, 8, 0, {{9}})};
    size_t before = MappingCount();
    for (int round = 0; round < 50; ++round) {
        for (const Bytes& b : inputs) {
            int32_t orientation = 1;
            DecodedImagePtr image(OpenImageMemory(u"m", BlockOf(b), b.size(), &orientation));
        }
    }
    EXPECT_LT(MappingCount(), before + 20);
    SetImageFallbackOps(nullptr);
}
#endif

TEST(BlendTable, Formula) {
    FillBlendTable();
    const uint8_t* t = BlendTable();
    for (int a = 0; a < 256; ++a) {
        EXPECT_EQ(t[size_t{256} * static_cast<size_t>(a)], 0) << a;
        EXPECT_EQ(t[a], 0) << a;
        if (a > 0) {
            EXPECT_EQ(t[255 * 256 + a], a) << a;
            EXPECT_EQ(t[a * 256 + 255], a) << a;
        }
        for (int c = 0; c < 256; ++c) {
            ASSERT_EQ(t[a * 256 + c], t[c * 256 + a]) << a << "," << c;
            // About a * c / 255, and a blend of a colour with its complement never
            // exceeds 255.
            int exact = (a * c + 127) / 255;
            ASSERT_LE(std::abs(t[a * 256 + c] - exact), 1) << a << "," << c;
            ASSERT_LE(t[a * 256 + c] + t[(255 - a) * 256 + 255], 255) << a << "," << c;
        }
    }
    EXPECT_EQ(t[128 * 256 + 128], 64);
    EXPECT_EQ(t[254 * 256 + 254], 253);
}

}  // namespace
