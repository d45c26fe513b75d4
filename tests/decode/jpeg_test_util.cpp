#include "tests/decode/jpeg_test_util.h"

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include <jerror.h>

namespace {

// Library errors jump back to the guarded call; the frames in between hold no
// objects with destructors.
struct TestErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

[[noreturn]] void TestErrorExit(j_common_ptr cinfo) {
    longjmp(reinterpret_cast<TestErrorManager*>(cinfo->err)->jump, 1);
}

void Quiet(j_common_ptr) {}

struct CompressJob {
    jpeg_compress_struct cinfo;
    TestErrorManager error;
    unsigned char* out;
    unsigned long outSize;
};

bool CompressSteps(CompressJob* job, const JpegSpec& recipe, const uint8_t* pixels, bool tablesOnly) {
    jpeg_compress_struct* cinfo = &job->cinfo;
    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, &job->out, &job->outSize);
    cinfo->image_width = static_cast<JDIMENSION>(recipe.width);
    cinfo->image_height = static_cast<JDIMENSION>(recipe.height);
    cinfo->input_components = recipe.components;
    cinfo->in_color_space = recipe.inSpace;
    jpeg_set_defaults(cinfo);
    if (recipe.storeAs != JCS_UNKNOWN) {
        jpeg_set_colorspace(cinfo, recipe.storeAs);
    }
    jpeg_set_quality(cinfo, recipe.quality, TRUE);
    cinfo->comp_info[0].h_samp_factor = recipe.hSamp;
    cinfo->comp_info[0].v_samp_factor = recipe.vSamp;
    for (int c = 1; c < cinfo->num_components; ++c) {
        cinfo->comp_info[c].h_samp_factor = 1;
        cinfo->comp_info[c].v_samp_factor = 1;
    }
    if (cinfo->num_components == 1) {
        cinfo->comp_info[0].h_samp_factor = 1;
        cinfo->comp_info[0].v_samp_factor = 1;
    }
    cinfo->arith_code = recipe.arithmetic ? TRUE : FALSE;
    cinfo->restart_interval = recipe.restartInterval;
    cinfo->write_JFIF_header = recipe.writeJfif ? TRUE : FALSE;
    cinfo->density_unit = recipe.densityUnit;
    cinfo->X_density = recipe.xDensity;
    cinfo->Y_density = recipe.yDensity;
    if (recipe.progressive) {
        jpeg_simple_progression(cinfo);
    }
    if (tablesOnly) {
        jpeg_write_tables(cinfo);
        return true;
    }
    jpeg_start_compress(cinfo, TRUE);
    size_t rowBytes = static_cast<size_t>(recipe.width) * static_cast<size_t>(recipe.components);
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + rowBytes * cinfo->next_scanline);
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

bool GuardedCompress(CompressJob* job, const JpegSpec& recipe, const uint8_t* pixels, bool tablesOnly) {
    if (setjmp(job->error.jump) != 0) {
        return false;
    }
    return CompressSteps(job, recipe, pixels, tablesOnly);
}

Bytes RunCompress(const JpegSpec& recipe, const uint8_t* pixels, bool tablesOnly) {
    CompressJob job{};
    job.cinfo.err = jpeg_std_error(&job.error.pub);
    job.error.pub.error_exit = TestErrorExit;
    job.error.pub.output_message = Quiet;
    bool ok = GuardedCompress(&job, recipe, pixels, tablesOnly);
    jpeg_destroy_compress(&job.cinfo);
    Bytes result;
    if (ok && job.out != nullptr) {
        result.assign(job.out, job.out + job.outSize);
    }
    free(job.out);
    return result;
}

struct DecompressJob {
    jpeg_decompress_struct cinfo;
    TestErrorManager error;
};

bool ReferenceSteps(DecompressJob* job, const Bytes& jpeg, ReferenceImage* out) {
    jpeg_decompress_struct* cinfo = &job->cinfo;
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(cinfo, TRUE);
    if (cinfo->out_color_space == JCS_RGB) {
        cinfo->out_color_space = JCS_EXT_BGR;
    }
    jpeg_start_decompress(cinfo);
    out->width = static_cast<int>(cinfo->output_width);
    out->height = static_cast<int>(cinfo->output_height);
    out->components = cinfo->output_components;
    out->densityUnit = cinfo->density_unit;
    size_t rowBytes = size_t{cinfo->output_width} * static_cast<size_t>(cinfo->output_components);
    out->pixels.assign(rowBytes * cinfo->output_height, 0);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = out->pixels.data() + rowBytes * cinfo->output_scanline;
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1) {
            return false;
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

bool GuardedReference(DecompressJob* job, const Bytes& jpeg, ReferenceImage* out) {
    if (setjmp(job->error.jump) != 0) {
        return false;
    }
    return ReferenceSteps(job, jpeg, out);
}

void Put16(Bytes* b, bool bigEndian, uint32_t v) {
    if (bigEndian) {
        b->push_back(static_cast<uint8_t>(v >> 8));
        b->push_back(static_cast<uint8_t>(v));
    } else {
        b->push_back(static_cast<uint8_t>(v));
        b->push_back(static_cast<uint8_t>(v >> 8));
    }
}

void Put32(Bytes* b, bool bigEndian, uint32_t v) {
    if (bigEndian) {
        Put16(b, true, v >> 16);
        Put16(b, true, v & 0xFFFF);
    } else {
        Put16(b, false, v & 0xFFFF);
        Put16(b, false, v >> 16);
    }
}

}  // namespace

Bytes MakePattern(int width, int height, int components, uint32_t seed) {
    Bytes p(static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(components));
    uint32_t state = seed * 2654435761u + 1;
    size_t i = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < components; ++c) {
                state = state * 1664525u + 1013904223u;
                int v = (x * 255 / (width > 1 ? width - 1 : 1) + y * 3 + c * 85) & 0xFF;
                if (((x / 7) + (y / 5)) % 3 == 0) {
                    v = 255 - v;  // hard edges
                }
                v += static_cast<int>(state >> 28) - 8;  // noise
                p[i++] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
            }
        }
    }
    return p;
}

Bytes CompressJpeg(const JpegSpec& recipe) {
    if (!recipe.pixels.empty()) {
        return RunCompress(recipe, recipe.pixels.data(), false);
    }
    Bytes pattern = MakePattern(recipe.width, recipe.height, recipe.components, 7);
    return RunCompress(recipe, pattern.data(), false);
}

Bytes CompressTablesOnly() {
    JpegSpec recipe;
    return RunCompress(recipe, nullptr, true);
}

ReferenceImage ReferenceDecode(const Bytes& jpeg) {
    ReferenceImage out;
    DecompressJob job{};
    job.cinfo.err = jpeg_std_error(&job.error.pub);
    job.error.pub.error_exit = TestErrorExit;
    job.error.pub.output_message = Quiet;
    out.ok = !jpeg.empty() && GuardedReference(&job, jpeg, &out);
    jpeg_destroy_decompress(&job.cinfo);
    if (!out.ok) {
        out.pixels.clear();
    }
    return out;
}

Bytes MakeExifTiff(bool bigEndian,
                   const std::vector<ExifEntry>& entries,
                   uint32_t directoryOffset,
                   int entryCount) {
    Bytes b;
    b.push_back(bigEndian ? 'M' : 'I');
    b.push_back(bigEndian ? 'M' : 'I');
    Put16(&b, bigEndian, 42);
    Put32(&b, bigEndian, directoryOffset);
    while (b.size() < directoryOffset) {  // callers keep the offset small
        b.push_back(0);
    }
    Put16(&b, bigEndian,
          entryCount >= 0 ? static_cast<uint32_t>(entryCount) : static_cast<uint32_t>(entries.size()));
    for (const ExifEntry& e : entries) {
        Put16(&b, bigEndian, e.tag);
        Put16(&b, bigEndian, e.type);
        Put32(&b, bigEndian, e.count);
        if (e.type == 3) {
            Put16(&b, bigEndian, e.value);
            Put16(&b, bigEndian, 0);
        } else {
            Put32(&b, bigEndian, e.value);
        }
    }
    Put32(&b, bigEndian, 0);  // no next directory
    return b;
}

Bytes WithDirectoryOffset(Bytes tiff, uint32_t offset) {
    bool bigEndian = tiff[0] == 'M';
    for (size_t i = 0; i < 4; ++i) {
        unsigned shift = bigEndian ? 24 - 8 * static_cast<unsigned>(i) : 8 * static_cast<unsigned>(i);
        tiff[4 + i] = static_cast<uint8_t>(offset >> shift);
    }
    return tiff;
}

// The builders below size their result first and copy into it: GCC 12 at -O3
// misreads vector growth through insert() as an out-of-bounds copy.
Bytes MakeSegment(uint8_t marker, const Bytes& payload) {
    size_t length = payload.size() + 2;
    Bytes b(length + 2);
    b[0] = 0xFF;
    b[1] = marker;
    b[2] = static_cast<uint8_t>(length >> 8);
    b[3] = static_cast<uint8_t>(length);
    if (!payload.empty()) {
        memcpy(b.data() + 4, payload.data(), payload.size());
    }
    return b;
}

Bytes MakeExifApp1(const Bytes& tiff) {
    static const uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
    Bytes payload(sizeof kExif + tiff.size());
    memcpy(payload.data(), kExif, sizeof kExif);
    if (!tiff.empty()) {
        memcpy(payload.data() + sizeof kExif, tiff.data(), tiff.size());
    }
    return MakeSegment(0xE1, payload);
}

Bytes InsertAfterSoi(const Bytes& jpeg, const Bytes& segment) {
    Bytes b(jpeg.size() + segment.size());
    memcpy(b.data(), jpeg.data(), 2);
    if (!segment.empty()) {
        memcpy(b.data() + 2, segment.data(), segment.size());
    }
    memcpy(b.data() + 2 + segment.size(), jpeg.data() + 2, jpeg.size() - 2);
    return b;
}

long FindMarker(const Bytes& jpeg, uint8_t code) {
    size_t pos = 2;
    // Marker segments up to the first scan, then entropy-coded data where a marker
    // is FF followed by anything but 00.
    while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF) {
        uint8_t marker = jpeg[pos + 1];
        if (marker == code) {
            return static_cast<long>(pos);
        }
        size_t length = (size_t{jpeg[pos + 2]} << 8) | jpeg[pos + 3];
        pos += 2 + length;
        if (marker == 0xDA) {
            break;
        }
    }
    for (; pos + 1 < jpeg.size(); ++pos) {
        if (jpeg[pos] == 0xFF && jpeg[pos + 1] == code) {
            return static_cast<long>(pos);
        }
    }
    return -1;
}
