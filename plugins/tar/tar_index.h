// Reading TAR archives (uncompressed ustar, GNU and pax long names) for the TAR
// plug-in: walking the 512-byte headers to the regular files, and finding one
// member again by its header's position. Portable; the plug-in supplies the
// positioned read.
//
// Every member's data must lie inside the file: a member whose size runs past
// the file's end ends the walk and is never read.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kTarBlock = 512;
constexpr uint32_t kTarNameMax = 1024;  // longer names are skipped

struct TarSource {
    void* context;
    // Reads exactly n bytes at offset; false on a short read.
    bool (*read)(void* context, uint64_t offset, void* buffer, uint32_t n);
    uint64_t size;  // bytes in the file
};

struct TarMember {
    uint64_t header;  // offset of the member's own header (after any long-name entries)
    uint64_t data;    // offset of its first data byte
    uint64_t size;
    int64_t modified;        // seconds since 1970-01-01 UTC
    char name[kTarNameMax];  // '/'-separated as stored, zero-terminated
};

// True when the 512 bytes form a TAR header: its checksum matches (unsigned or
// signed sum, as old tars wrote) and the size field reads.
[[nodiscard]] bool TarHeaderValid(const uint8_t* block);

// Calls visit for every regular file from offset start on, in archive order,
// until the end blocks, the file's end, a bad header or visit returning false.
// False when the first header is not a TAR header.
using TarVisit = bool (*)(void* context, const TarMember& member);
[[nodiscard]] bool TarWalk(const TarSource& source, uint64_t start, TarVisit visit, void* context);

// The member whose own header is at offset header; false unless it is a regular
// file lying wholly inside the file.
[[nodiscard]] bool TarMemberAt(const TarSource& source, uint64_t header, TarMember* out);
