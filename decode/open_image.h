// Opening a picture: format sniffing by the first eight bytes, classification of a
// name by its extension, and the two entry points the page loader calls. Each
// entry point picks the built-in decoder by content (never by name) and, when the
// format is unknown or the decoder refuses the data, offers the picture to the
// fallback (the plug-in host) through ImageFallbackOps.
//
// Call order: the fallback table is set once at start, before the loader thread
// exists (null = no fallback), and only read afterwards. The entry points keep no
// other shared state and may run on any thread.
//
// Ownership: a returned DecodedImage (record and pixel block) belongs to the
// caller. OpenImageMemory takes over the VmAlloc block it is given and releases it
// on every path before it returns.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decoded_image.h"

// The plug-in host's picture operations. Either may be null. The memory form
// borrows the bytes for the duration of the call.
struct ImageFallbackOps {
    DecodedImage* (*openFile)(const char16_t* path);
    DecodedImage* (*openMemory)(const char16_t* name, const uint8_t* data, size_t size);
};

// Installs the fallback table (the pointer is kept; null removes it).
void SetImageFallbackOps(const ImageFallbackOps* ops);

// Reads the first 8 bytes of a file; kFormatUnopenable when it cannot be opened or
// is shorter than 8 bytes.
[[nodiscard]] ImageFormat SniffImageFile(const char16_t* path);
// Classifies the first 8 bytes of a block (the caller guarantees 8 bytes).
[[nodiscard]] ImageFormat SniffImageMemory(const uint8_t* bytes);
// The format the name's extension stands for (".jpg", ".png", ".gif", ".bmp",
// ".tif", ".tiff", ".jpe", ".jpeg", any letter case), or kFormatUnknown.
[[nodiscard]] ImageFormat ImageFormatFromExtension(const char16_t* name);

// *orientation is set to 1 by the caller; only the JPEG decoder changes it (to the
// EXIF orientation 1, 3, 6 or 8). Null when nothing could decode the file.
[[nodiscard]] DecodedImage* OpenImageFile(const char16_t* path, int32_t* orientation);
// block: a VmAlloc block of size bytes holding one encoded picture; name: the
// archive member's name, passed only to the fallback. The block is always freed.
[[nodiscard]] DecodedImage* OpenImageMemory(const char16_t* name,
                                            uint8_t* block,
                                            size_t size,
                                            int32_t* orientation);
