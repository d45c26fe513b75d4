// FetchArchiveMember: one member of the open book's archive into a new memory
// block, for the picture decoders' memory entry point. The book kind picks the
// reader: 2 (Zip) the ZIP reader, 3 (Rar) the RAR library, any other the
// plug-in host (kinds as the book numbers them: 0 Folder, 1 ShellFolder, 2 Zip,
// 3 Rar, 4 PluginArchive).
//
// The caller owns the returned block (VmAlloc, size + 4 bytes, the 4 after the
// data zero) and frees it with VmFree. Each call opens and closes the archive
// itself, so calls may come from any thread.
#pragma once

#include <cstdint>

// *locator: in, the member's locator from the listing; out, the block's size in
// bytes (set only on success). Null when the archive cannot be opened, the
// member cannot be read, or no reader serves the kind.
[[nodiscard]] uint8_t* FetchArchiveMember(int32_t kind, const char16_t* archivePath, uint32_t* locator);

// One archive reader's member fetch. A reader that is not built yet leaves its
// entry empty and its members cannot be fetched.
struct ArchiveFetchOps {
    uint8_t* (*fetch)(const char16_t* archivePath, uint32_t* locator);
};

// The reader for a book kind (never null; fetch may be).
const ArchiveFetchOps* ArchiveFetchOpsFor(int32_t kind);
