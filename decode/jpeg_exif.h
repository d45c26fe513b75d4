// EXIF orientation of a JPEG byte range: walks the marker segments from the
// start of image to the first start of scan, and reads tag 0x0112 of image
// directory 0 of every APP1 "Exif\0\0" segment it meets (a later one wins).
//
// Both functions only read the range they are given and never look outside it:
// every length, offset and count from the input is checked in 64-bit arithmetic
// against the bytes that remain. They hold no state and allocate nothing.
//
// Results are the orientations a page can be turned by: 1, 3, 6 or 8. Mirrored
// orientations (2, 4, 5, 7), unknown values and anything unreadable give 1.
#pragma once

#include <cstddef>
#include <cstdint>

// Orientation of a whole JPEG file; 1 when it has no EXIF directory before its
// first scan.
[[nodiscard]] int32_t JpegScanOrientation(const uint8_t* data, size_t size);

// Orientation from one EXIF TIFF structure (the bytes after "Exif\0\0", up to the
// end of the APP1 segment): byte order mark, directory 0 offset, directory 0.
[[nodiscard]] int32_t ExifOrientationFromTiff(const uint8_t* tiff, size_t size);
