// The Susie plug-in interface as the host and our own plug-ins see it: the
// export names, their signatures and the records that cross the boundary, for
// 64-bit plug-ins (".sph"; ".spi" files are loaded the same way). Written from
// the published interface description; the layouts below are the byte offsets
// that description fixes, so both sides read them with memcpy, never through a
// packed struct.
//
// Handles crossing the boundary (picture info, pixel block, archive info, member
// bytes) are local-memory handles (LocalAlloc, moveable or fixed); the text
// handle inside the picture-information record is a global-memory handle. The
// receiver of a handle frees it.
#pragma once

#include <cstddef>
#include <cstdint>

// Portable stand-ins for the Windows types of the published signatures. On
// win64 there is one calling convention, so these pointer types describe the
// real exports exactly.
using SusieHandle = void*;
using SusieProgress = int (*)(int num, int denom, intptr_t userData);

using SusieGetPluginInfo = int (*)(int infoNo, char* buffer, int bufferLength);
using SusieIsSupported = int (*)(const char* fileName, void* header);
using SusieGetPictureInfo = int (*)(const char* source, intptr_t length, unsigned flag, void* info);
using SusieGetPicture = int (*)(const char* source,
                                intptr_t length,
                                unsigned flag,
                                SusieHandle* bitmapInfo,
                                SusieHandle* bits,
                                SusieProgress progress,
                                intptr_t userData);
using SusieGetArchiveInfo = int (*)(const char* source, intptr_t length, unsigned flag, SusieHandle* info);
using SusieGetFile = int (*)(const char* source,
                             intptr_t length,
                             char* destination,
                             unsigned flag,
                             SusieProgress progress,
                             intptr_t userData);
using SusieConfigurationDlg = int (*)(void* parentWindow, int function);

// Results of the plug-in calls.
constexpr int kSusieOk = 0;
constexpr int kSusieNotImplemented = -1;
constexpr int kSusieAborted = 1;
constexpr int kSusieUnknownFormat = 2;
constexpr int kSusieBadData = 3;
constexpr int kSusieNoMemory = 4;
constexpr int kSusieMemoryError = 5;
constexpr int kSusieReadError = 6;
constexpr int kSusieInternalError = 8;

// Flag bits of the source argument: bit 0 set, the source is a memory block
// (the length argument is its size); clear, a file name (the length argument is
// the offset of the data in the file). GetFile's bits 8-10 name the
// destination: 0 a folder, 1 (0x100) memory, with destination a SusieHandle*.
constexpr unsigned kSusieSourceMemory = 1;
constexpr unsigned kSusieDestinationMemory = 0x100;

// Kind texts of GetPluginInfo(0): the first four characters.
constexpr char kSusieKindPicture[] = "00IN";
constexpr char kSusieKindArchive[] = "00AM";

// The header buffer IsSupported reads: 2 KiB of the file's start, plus the 128
// bytes that let a plug-in find its data behind a 128-byte header.
constexpr size_t kSusieHeaderBytes = 2048;
constexpr size_t kSusieHeaderOffset = 128;
constexpr size_t kSusieHeaderBuffer = kSusieHeaderBytes + kSusieHeaderOffset;

// Picture-information record (GetPictureInfo), 32 bytes.
constexpr size_t kSusiePictureInfoSize = 32;
constexpr size_t kSusiePictureInfoLeft = 0;         // int32
constexpr size_t kSusiePictureInfoTop = 4;          // int32
constexpr size_t kSusiePictureInfoWidth = 8;        // int32
constexpr size_t kSusiePictureInfoHeight = 12;      // int32
constexpr size_t kSusiePictureInfoXDensity = 16;    // uint16
constexpr size_t kSusiePictureInfoYDensity = 18;    // uint16
constexpr size_t kSusiePictureInfoDepth = 20;       // int16, colour depth in bits
constexpr size_t kSusiePictureInfoTextHandle = 24;  // global-memory handle or 0

// Archive member record (GetArchiveInfo returns an array of them, ended by a
// record whose method text starts with 0), 444 bytes.
constexpr size_t kSusieMemberSize = 444;
constexpr size_t kSusieMemberMethod = 0;       // 8 bytes of text
constexpr size_t kSusieMemberPosition = 8;     // uint64: where the plug-in finds the member
constexpr size_t kSusieMemberCompressed = 16;  // uint64
constexpr size_t kSusieMemberSizeField = 24;   // uint64: bytes when extracted
constexpr size_t kSusieMemberTime = 32;        // int64: seconds since 1970-01-01 UTC
constexpr size_t kSusieMemberPath = 40;        // 200 bytes of ANSI text, zero-terminated
constexpr size_t kSusieMemberName = 240;       // 200 bytes of ANSI text, zero-terminated
constexpr size_t kSusieMemberCrc = 440;        // uint32
constexpr size_t kSusieMemberTextBytes = 200;
