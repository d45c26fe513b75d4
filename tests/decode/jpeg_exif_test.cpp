#include "decode/jpeg_exif.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/decode/jpeg_test_util.h"

namespace {

constexpr uint16_t kOrientation = 0x0112;

// The bytes in a block of exactly their size, so that a read past the end is a
// heap overflow the sanitizers report.
struct ExactCopy {
    explicit ExactCopy(const Bytes& b, size_t n) : size(n) {
        data = static_cast<uint8_t*>(malloc(n == 0 ? 1 : n));
        if (n != 0) {
            memcpy(data, b.data(), n);
        }
    }
    ~ExactCopy() { free(data); }
    ExactCopy(const ExactCopy&) = delete;
    ExactCopy& operator=(const ExactCopy&) = delete;
    uint8_t* data;
    size_t size;
};

int32_t TiffOrientation(const Bytes& tiff, size_t n) {
    ExactCopy copy(tiff, n);
    return ExifOrientationFromTiff(copy.data, copy.size);
}

int32_t ScanOrientation(const Bytes& file, size_t n) {
    ExactCopy copy(file, n);
    return JpegScanOrientation(copy.data, copy.size);
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes b;
    for (const Bytes& p : parts) {
        b.insert(b.end(), p.begin(), p.end());
    }
    return b;
}

// Entries that commonly precede the orientation in camera files.
const ExifEntry kMake = {0x010F, 2, 6, 0x100};
const ExifEntry kModel = {0x0110, 2, 8, 0x108};
const ExifEntry kWidth = {0x0100, 4, 1, 1800};
const ExifEntry kXRes = {0x011A, 5, 1, 0x110};

ExifEntry Orient(uint32_t v) {
    return ExifEntry{kOrientation, 3, 1, v};
}

TEST(JpegExifTest, DirectorySearch) {
    struct Case {
        const char* name;
        bool bigEndian;
        std::vector<ExifEntry> entries;
        uint32_t directoryOffset;
        int entryCount;
        int32_t want;
    };
    const Case kCases[] = {
        {"le first entry", false, {Orient(6)}, 8, -1, 6},
        {"be first entry", true, {Orient(6)}, 8, -1, 6},
        {"be 3", true, {Orient(3)}, 8, -1, 3},
        {"le 8", false, {Orient(8)}, 8, -1, 8},
        {"be 8 after four entries", true, {kWidth, kMake, kModel, kXRes, Orient(8)}, 8, -1, 8},
        {"le 3 between entries", false, {kMake, Orient(3), kXRes}, 8, -1, 3},
        {"directory after a gap", true, {kMake, Orient(6)}, 64, -1, 6},
        {"mirrored 2", false, {Orient(2)}, 8, -1, 1},
        {"mirrored 4", true, {Orient(4)}, 8, -1, 1},
        {"mirrored 5", false, {Orient(5)}, 8, -1, 1},
        {"mirrored 7", true, {Orient(7)}, 8, -1, 1},
        {"zero", false, {Orient(0)}, 8, -1, 1},
        {"nine", true, {Orient(9)}, 8, -1, 1},
        {"large value", false, {Orient(0xFF06)}, 8, -1, 1},
        {"no orientation tag", true, {kMake, kModel, kXRes}, 8, -1, 1},
        {"count zero hides the entry", false, {Orient(6)}, 8, 0, 1},
        {"count stops before the tag", true, {kMake, Orient(6)}, 8, 1, 1},
        {"count beyond the entries present", false, {kMake, Orient(6)}, 8, 0xFFFF, 6},
        {"count beyond, tag absent", true, {kMake, kModel}, 8, 0xFFFF, 1},
        {"empty directory", false, {}, 8, -1, 1},
    };
    for (const Case& c : kCases) {
        Bytes tiff = MakeExifTiff(c.bigEndian, c.entries, c.directoryOffset, c.entryCount);
        EXPECT_EQ(TiffOrientation(tiff, tiff.size()), c.want) << c.name;
    }
}

TEST(JpegExifTest, ByteOrderIsTakenFromTheHeader) {
    // Big-endian 6 read as little-endian would be 0x0600; a little-endian tag
    // read as big-endian would be 0x1201. Both must come out as stored.
    Bytes be = MakeExifTiff(true, {Orient(6)});
    Bytes le = MakeExifTiff(false, {Orient(6)});
    EXPECT_EQ(be[8 + 2], 0x01);
    EXPECT_EQ(le[8 + 2], 0x12);
    EXPECT_EQ(TiffOrientation(be, be.size()), 6);
    EXPECT_EQ(TiffOrientation(le, le.size()), 6);
    // Any mark other than "II" reads big-endian.
    Bytes odd = be;
    odd[0] = 'X';
    odd[1] = 'Y';
    EXPECT_EQ(TiffOrientation(odd, odd.size()), 6);
}

TEST(JpegExifTest, DirectoryOffsetOutsideTheStructure) {
    struct Case {
        const char* name;
        uint32_t offset;
    };
    static const Case kCases[] = {
        {"just past the end", 0},
        {"one short of a count", 1},
        {"far", 0x7FFFFFF0},
        {"top", 0xFFFFFFFF},
    };
    for (bool bigEndian : {false, true}) {
        for (const Case& c : kCases) {
            Bytes tiff = MakeExifTiff(bigEndian, {Orient(6)});
            uint32_t offset = c.offset < 2 ? static_cast<uint32_t>(tiff.size()) - c.offset : c.offset;
            Bytes patched = WithDirectoryOffset(tiff, offset);
            EXPECT_EQ(TiffOrientation(patched, patched.size()), 1) << c.name << (bigEndian ? " be" : " le");
        }
    }
}

TEST(JpegExifTest, TruncatedStructureNeverReadsPastItsEnd) {
    for (bool bigEndian : {false, true}) {
        for (size_t index : {size_t{0}, size_t{2}, size_t{4}}) {
            std::vector<ExifEntry> entries = {kWidth, kMake, kModel, kXRes, Orient(3)};
            std::swap(entries[index], entries[4]);
            Bytes tiff = MakeExifTiff(bigEndian, entries, 8 + 4 * static_cast<uint32_t>(index));
            // The whole 12-byte entry must lie inside the structure.
            size_t entryEnd = 8 + 4 * index + 2 + 12 * (index + 1);
            for (size_t n = 0; n <= tiff.size(); ++n) {
                int32_t want = n >= entryEnd ? 3 : 1;
                ASSERT_EQ(TiffOrientation(tiff, n), want)
                    << (bigEndian ? "be" : "le") << " entry " << index << " cut at " << n;
            }
        }
    }
}

// Marker streams for the segment walk.
const Bytes kSoi = {0xFF, 0xD8};
const Bytes kEoi = {0xFF, 0xD9};
const Bytes kSos = {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x12, 0x34, 0xFF, 0x00, 0x56};

Bytes Jfif() {
    return MakeSegment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
}

Bytes Exif(bool bigEndian, uint32_t value) {
    return MakeExifApp1(MakeExifTiff(bigEndian, {kMake, Orient(value)}));
}

TEST(JpegExifTest, SegmentWalk) {
    const Bytes xmp = MakeSegment(0xE1, {'h', 't', 't', 'p', ':', '/', '/', 'n', 's', 0, '<', 'x', '>'});
    const Bytes comment = MakeSegment(0xFE, {'h', 'i', 0xFF, 0xE1});
    const Bytes quant = MakeSegment(0xDB, Bytes(65, 1));
    // An APP1 whose directory lies beyond its own end, where the next segment
    // holds bytes that would read as an orientation-6 directory.
    Bytes shortTiff = MakeExifTiff(true, {}, 8);
    shortTiff.resize(8);
    shortTiff[7] = 20;  // where the comment's directory starts, past this segment's end
    Bytes spill = MakeSegment(0xFE, MakeExifTiff(true, {Orient(6)}));
    struct Case {
        const char* name;
        Bytes stream;
        int32_t want;
    };
    const Case kCases[] = {
        {"no app1", Cat({kSoi, Jfif(), quant, kSos, kEoi}), 1},
        {"exif le 6", Cat({kSoi, Exif(false, 6), kSos, kEoi}), 6},
        {"exif be 8", Cat({kSoi, Exif(true, 8), kSos, kEoi}), 8},
        {"after app0 comment and tables", Cat({kSoi, Jfif(), comment, quant, Exif(true, 3), kSos}), 3},
        {"later exif wins", Cat({kSoi, Exif(false, 6), Exif(true, 3), kSos}), 3},
        {"later exif without tag resets",
         Cat({kSoi, Exif(false, 6), MakeExifApp1(MakeExifTiff(true, {kMake})), kSos}), 1},
        {"xmp app1 is not exif", Cat({kSoi, Exif(false, 6), xmp, kSos}), 6},
        {"after start of scan", Cat({kSoi, Jfif(), kSos, Exif(false, 6), kEoi}), 1},
        {"after end of image", Cat({kSoi, kEoi, Exif(false, 6)}), 1},
        {"fill bytes before markers", Cat({kSoi, {0xFF, 0xFF, 0xFF}, Exif(false, 8), kSos}), 8},
        {"second start of image", Cat({kSoi, kSoi, Exif(true, 6), kSos}), 6},
        {"app1 length past the end", Cat({kSoi, {0xFF, 0xE1, 0x40, 0x00, 'E', 'x', 'i', 'f', 0, 0}}), 1},
        {"segment length 1 stops the walk", Cat({kSoi, {0xFF, 0xFE, 0x00, 0x01}, Exif(false, 6)}), 1},
        {"app1 length 0 stops the walk", Cat({kSoi, {0xFF, 0xE1, 0x00, 0x00}, Exif(false, 6)}), 1},
        {"exif header cut short", Cat({kSoi, MakeSegment(0xE1, {'E', 'x', 'i', 'f', 0}), kSos}), 1},
        {"exif without tiff header",
         Cat({kSoi, MakeSegment(0xE1, {'E', 'x', 'i', 'f', 0, 0, 'M', 'M'}), kSos}), 1},
        {"directory outside its segment", Cat({kSoi, MakeExifApp1(shortTiff), spill, kSos}), 1},
        {"empty", {}, 1},
        {"lone marker prefix", {0xFF}, 1},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(ScanOrientation(c.stream, c.stream.size()), c.want) << c.name;
    }
}

TEST(JpegExifTest, TruncatedFileNeverReadsPastItsEnd) {
    for (bool bigEndian : {false, true}) {
        Bytes head = Cat({kSoi, Jfif(), Exif(bigEndian, 6)});
        Bytes file = Cat({head, kSos, kEoi});
        for (size_t n = 0; n <= file.size(); ++n) {
            // The APP1 segment counts only once it lies wholly inside the input.
            int32_t want = n >= head.size() ? 6 : 1;
            ASSERT_EQ(ScanOrientation(file, n), want) << (bigEndian ? "be" : "le") << " cut at " << n;
        }
    }
}

}  // namespace
