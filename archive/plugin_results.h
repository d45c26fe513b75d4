// What a Susie plug-in hands back, turned into the program's records: a picture
// (BITMAPINFO block + pixel rows) into a DecodedImage, an archive-information
// block (444-byte records) into an ArchiveMemberList, a member's bytes into a
// virtual-memory block. Portable: the host locks the plug-in's handles and
// passes the bytes with their real sizes, so every length here comes from the
// block, never from what the block claims.
//
// Ownership: nothing here keeps or frees the plug-in's bytes. Results belong to
// the caller (FreeDecodedImage pixels, FreeMemberList, VmFree).
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/str_buf.h"
#include "decode/decoded_image.h"

struct ArchiveMemberList;

// Converts ANSI text of n bytes (no terminator needed) into out; false when the
// heap refuses. The Windows host uses the system code page; tests map bytes 1:1.
using AnsiToWide = bool (*)(const char* text, size_t n, StrBuf* out);

// Fills image's header, palette, source bits and pixel block from a plug-in's
// picture. info/infoSize: the BITMAPINFO block (a header of at least 40 bytes, as
// long as its size field says, then the colour table); bits/bitsSize: the pixel
// rows, bottom-up, 4-byte aligned. depth: the colour depth GetPictureInfo gave, 0
// for none. 1- and 4-bit rows become one byte per pixel; 8 and 24 bits are copied.
// False (image untouched but for a freed pixel block) for another bit count, a
// compression, a non-positive size, a header longer than its block, 1- or 4-bit
// rows shorter than the picture, or a result of 4 GiB or more.
[[nodiscard]] bool ConvertPluginPicture(const uint8_t* info,
                                        size_t infoSize,
                                        const uint8_t* bits,
                                        size_t bitsSize,
                                        int32_t depth,
                                        DecodedImage* image);

// The member list of an archive-information block of size bytes: one member per
// 444-byte record until a record whose first byte is 0. Null for a block of fewer
// than 444 bytes or of 4 GiB and more, or when the heap refuses.
[[nodiscard]] ArchiveMemberList* ParseArchiveInfo(const uint8_t* block,
                                                  size_t size,
                                                  uint64_t archiveTime,
                                                  AnsiToWide convert);

// FILETIME of a record's time stamp (the low 32 bits taken as signed seconds
// since 1970-01-01 UTC).
[[nodiscard]] uint64_t SusieTimeToFileTime(uint64_t stamp);

// A new VmAlloc block of size + 4 bytes holding data; *locator becomes size.
// Null for 0 bytes, 4 GiB or more, or no memory.
[[nodiscard]] uint8_t* CopyMemberBytes(const uint8_t* data, size_t size, uint32_t* locator);
