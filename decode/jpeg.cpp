// The library reports errors through a non-local jump (setjmp/longjmp). Only
// plain C data may live on the frames the jump leaves: GuardedDecode holds the
// jump target, DecodeSteps and the callbacks below run inside it and own nothing
// with a destructor. Everything they take is recorded in the JpegSession (in the
// caller's frame) and released there by hand after GuardedDecode has returned.
#include "decode/jpeg.h"

// jpeglib.h needs FILE and size_t declared first.
#include <cmath>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
// After jpeglib.h: the warning codes and macros.
#include <jerror.h>

#include "decode/jpeg_exif.h"
#include "decode/picture_blocks.h"

namespace {

// Rows handed to the library per read call: enough to cover an iMCU row of the
// common sampling factors, so the library writes straight into the pixel block.
constexpr int kRowsPerRead = 16;

struct JpegErrorManager {
    jpeg_error_mgr pub;  // first: the library sees only this part
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// Source manager over the whole input. The spare buffer holds just the end-of-image
// marker handed out once the input is used up.
struct JpegSourceManager {
    jpeg_source_mgr pub;  // first: the library sees only this part
    JOCTET endMarker[2];
};

// All state of one decode. Trivially destructible so that it may sit in the
// caller's frame of the jump.
struct JpegSession {
    jpeg_decompress_struct cinfo;
    JpegErrorManager error;
    const uint8_t* data;
    size_t size;
    DecodedImage* image;  // the caller's record; pixels are allocated here
    DecodeStatus status;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    JpegErrorManager* error = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, error->message);
    longjmp(error->jump, 1);
}

// Warnings and traces are counted by the library but never printed.
void DropMessage(j_common_ptr) {}

void InitSource(j_decompress_ptr) {}

void TermSource(j_decompress_ptr) {}

// Called only when the library has used every input byte: a picture cut short
// ends as if its end marker had been there.
boolean FillInputBuffer(j_decompress_ptr cinfo) {
    JpegSourceManager* src = reinterpret_cast<JpegSourceManager*>(cinfo->src);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->endMarker[0] = 0xFF;
    src->endMarker[1] = JPEG_EOI;
    src->pub.next_input_byte = src->endMarker;
    src->pub.bytes_in_buffer = 2;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) {
        return;
    }
    jpeg_source_mgr* src = cinfo->src;
    // A skip past the end stops at the end; the next read gets the end marker.
    size_t n = static_cast<unsigned long>(count) < src->bytes_in_buffer ? static_cast<size_t>(count)
                                                                        : src->bytes_in_buffer;
    src->next_input_byte += n;
    src->bytes_in_buffer -= n;
}

void InstallSource(JpegSession* s) {
    j_decompress_ptr cinfo = &s->cinfo;
    void* block = (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT,
                                             sizeof(JpegSourceManager));
    JpegSourceManager* src = static_cast<JpegSourceManager*>(block);
    src->pub.next_input_byte = s->data;
    src->pub.bytes_in_buffer = s->size;
    src->pub.init_source = InitSource;
    src->pub.fill_input_buffer = FillInputBuffer;
    src->pub.skip_input_data = SkipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = TermSource;
    cinfo->src = &src->pub;
}

// Adobe applications store CMYK inverted (255 = no ink), so the colour is each of
// C, M, Y scaled by K: floor(a * b / 255).
void CmykRowToBgr(const uint8_t* cmyk, uint8_t* bgr, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x) {
        uint32_t k = cmyk[3];
        bgr[0] = static_cast<uint8_t>(cmyk[2] * k / 255);
        bgr[1] = static_cast<uint8_t>(cmyk[1] * k / 255);
        bgr[2] = static_cast<uint8_t>(cmyk[0] * k / 255);
        cmyk += 4;
        bgr += 3;
    }
}

int32_t PixelsPerMetre(uint8_t unit, uint16_t density) {
    if (unit == 1) {
        return static_cast<int32_t>(std::lround(density / 0.0254));
    }
    if (unit == 2) {
        return int32_t{density} * 100;
    }
    return 0;
}

bool Fail(JpegSession* s, DecodeStatus status) {
    s->status = status;
    return false;
}

// Runs inside GuardedDecode: any library call may jump out of here.
bool DecodeSteps(JpegSession* s) {
    j_decompress_ptr cinfo = &s->cinfo;
    jpeg_create_decompress(cinfo);
    InstallSource(s);
    jpeg_read_header(cinfo, TRUE);
    // The library's RGB output is red first; the pixel block wants blue first.
    if (cinfo->out_color_space == JCS_RGB) {
        cinfo->out_color_space = JCS_EXT_BGR;
    }

    // Settle the output size before starting: a picture that cannot be held is
    // refused before the library allocates its own buffers for it.
    jpeg_calc_output_dimensions(cinfo);
    uint32_t width = cinfo->output_width;
    uint32_t height = cinfo->output_height;
    int components = cinfo->output_components;
    if (width == 0 || height == 0) {
        return Fail(s, kDecodeBadHeader);
    }
    int bitCount = components == 1 ? 8 : (components == 3 || components == 4) ? 24 : 0;
    if (bitCount == 0) {
        return Fail(s, kDecodeBadHeader);
    }
    uint32_t stride = RowStride(width, bitCount);
    if (stride == 0 || uint64_t{stride} * height > UINT32_MAX) {
        return Fail(s, kDecodeBadHeader);
    }

    jpeg_start_decompress(cinfo);
    if (cinfo->output_width != width || cinfo->output_height != height ||
        cinfo->output_components != components) {
        return Fail(s, kDecodeBadHeader);
    }
    DecodedImage* image = s->image;
    DecodeStatus status = kDecodeOk;
    // Every row is written below: the loop runs until the library has given the
    // last scan line, and a damaged stream still yields whole rows.
    if (!AllocateWrittenPixels(image, width, height, bitCount, &status)) {
        return Fail(s, status);
    }
    if (bitCount == 8) {
        for (int i = 0; i < 256; ++i) {
            uint8_t v = static_cast<uint8_t>(i);
            image->palette[i] = RgbQuad{v, v, v, 0};
        }
    }

    // Rows arrive top-down; the block's first row is the picture's bottom row.
    uint8_t* bottom = image->pixels;
    JSAMPARRAY cmykRow = nullptr;
    if (components == 4) {
        cmykRow =
            (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, width * 4, 1);
    }
    while (cinfo->output_scanline < height) {
        uint32_t y = cinfo->output_scanline;
        JDIMENSION got;
        if (cmykRow != nullptr) {
            got = jpeg_read_scanlines(cinfo, cmykRow, 1);
            if (got == 1) {
                CmykRowToBgr(cmykRow[0], bottom + uint64_t{stride} * (height - 1 - y), width);
            }
        } else {
            JSAMPROW rows[kRowsPerRead];
            uint32_t want = height - y < kRowsPerRead ? height - y : kRowsPerRead;
            for (uint32_t i = 0; i < want; ++i) {
                rows[i] = bottom + uint64_t{stride} * (height - 1 - y - i);
            }
            got = jpeg_read_scanlines(cinfo, rows, want);
        }
        // Our source never suspends, so no progress means a library fault.
        if (got == 0) {
            return Fail(s, kDecodeShortInput);
        }
    }
    jpeg_finish_decompress(cinfo);

    image->header.xPelsPerMeter = PixelsPerMetre(cinfo->density_unit, cinfo->X_density);
    image->header.yPelsPerMeter = PixelsPerMetre(cinfo->density_unit, cinfo->Y_density);
    image->sourceBits = bitCount;
    image->sourceFormat = kFormatJpeg;
    return true;
}

// The one frame with a jump target; returns false after a library error.
bool GuardedDecode(JpegSession* s) {
    if (setjmp(s->error.jump) != 0) {
        if (s->status == kDecodeOk) {
            s->status = kDecodeBadHeader;
        }
        return false;
    }
    return DecodeSteps(s);
}

// Decodes the range into the record. On failure the pixel block is released and
// the record left for the caller to free.
bool DecodeRange(const uint8_t* data, size_t size, DecodedImage* image, int32_t* orientation) {
    JpegSession s{};
    s.data = data;
    s.size = size;
    s.image = image;
    s.status = kDecodeOk;
    s.cinfo.err = jpeg_std_error(&s.error.pub);
    s.error.pub.error_exit = ErrorExit;
    s.error.pub.output_message = DropMessage;

    bool ok = GuardedDecode(&s);
    // Safe on a decompressor that was never created (its memory manager is null).
    jpeg_destroy_decompress(&s.cinfo);
    if (!ok) {
        GivePixelBlock(image->pixels);
        image->pixels = nullptr;
        return false;
    }
    if (orientation != nullptr) {
        *orientation = JpegScanOrientation(data, size);
    }
    return true;
}

}  // namespace

DecodedImage* JpegDecodeFile(const char16_t* path, int32_t* orientation) {
    if (path == nullptr) {
        return nullptr;
    }
    DecodedImagePtr image(NewDecodedImage());
    if (!image) {
        return nullptr;
    }
    MappedInput input;
    if (!OpenMappedInputFile(&input, path, image.get())) {
        return nullptr;
    }
    if (!DecodeRange(input.start, static_cast<size_t>(input.end - input.start), image.get(), orientation)) {
        return nullptr;
    }
    return image.release();
}

DecodedImage* JpegDecodeMemory(const uint8_t* data, size_t size, int32_t* orientation) {
    // The record keeps the input size in 32 bits, as for a mapped file.
    if (data == nullptr || size == 0 || uint64_t{size} > UINT32_MAX) {
        return nullptr;
    }
    DecodedImagePtr image(NewDecodedImage());
    if (!image) {
        return nullptr;
    }
    MappedInput input;
    OpenMappedInputMemory(&input, data, size, image.get());
    if (!DecodeRange(data, size, image.get(), orientation)) {
        return nullptr;
    }
    return image.release();
}
