// The ZIP writer: packs a folder with all its subfolders into one archive,
// stored (method 0) or deflated at level 9 (method 8, libdeflate), names in UTF-8 with flag
// bit 11. The archive is built in a temporary file and copied to its name only
// when complete, so a failed or cancelled packing leaves nothing at the
// destination.
#pragma once

#include <cstdint>

#include "app/str_buf.h"
#include "archive/file_job.h"

// Replaces the VmAlloc block *block of *size bytes by its raw deflate stream
// (libdeflate, level 9, in one call over the whole block) in a new block, and
// *size by the compressed size.
// False (block and size untouched) when the stream fails or memory is short.
[[nodiscard]] bool DeflateBlock(uint8_t** block, uint64_t* size);

// Fixes the archive name in *destination: empty becomes source + ".zip"; another
// extension becomes ".zip"; a taken name becomes "name+n.zip" with the first free
// n. False when the name would pass 259 units or the numbering runs out.
[[nodiscard]] bool NamePackArchive(StrBuf* destination, const char16_t* source);

// The field limits the writer keeps to: offsets and sizes in 32 bits, the entry
// count in 16. Tests lower them to reach the overflow paths with small folders.
struct ZipLimits {
    uint64_t maxOffset;  // the archive's last byte lies below this
    uint32_t maxEntries;
    uint64_t maxFileSize;  // files of this size or more cannot be packed
};
constexpr ZipLimits kZipLimits = {0xFFFFFFFFull, 0xFFFF, 0xFFFFFFFFull};

// The packing job body: job.source is the folder, job.destination the wanted
// archive path (renamed by NamePackArchive; it holds the name used on success),
// job.mode store or deflate. False when the folder is missing or empty, an entry
// cannot be read or written, a name passes 259 UTF-8 bytes, a file or the
// archive would pass the limits, the user cancels, or the final copy fails.
[[nodiscard]] bool ZipPackFolder(FileJob* job, const ZipLimits& limits = kZipLimits);
