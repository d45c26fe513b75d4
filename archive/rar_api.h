// The RAR extraction library's calling interface, declared from its publisher's
// documentation: the two records the program fills and reads, the four calls it
// uses, the callback and the constants. Only what the program needs is named;
// the reserved tails keep the records at the size the library writes into.
//
// The library packs both records to 1-byte alignment. Text fields are UTF-16
// (wchar_t on Windows), declared char16_t so the portable reader and its test
// double share the layout with the real library.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rar {

constexpr int kOpenList = 0;     // RAR_OM_LIST
constexpr int kOpenExtract = 1;  // RAR_OM_EXTRACT

constexpr int kSkip = 0;     // RAR_SKIP
constexpr int kTest = 1;     // RAR_TEST
constexpr int kExtract = 2;  // RAR_EXTRACT

constexpr int kVolumeAsk = 0;     // RAR_VOL_ASK: the next volume is missing
constexpr int kVolumeNotify = 1;  // RAR_VOL_NOTIFY: the next volume was found

constexpr int kEndArchive = 10;  // ERAR_END_ARCHIVE

// Archive flags in RAROpenArchiveDataEx::Flags.
constexpr uint32_t kFlagVolume = 0x0001;
constexpr uint32_t kFlagEncryptedHeaders = 0x0080;
constexpr uint32_t kFlagNewNumbering = 0x0010;
constexpr uint32_t kFlagFirstVolume = 0x0100;

// Header flags in RARHeaderDataEx::Flags.
constexpr uint32_t kHeaderSplitBefore = 0x01;  // continues a member from the previous volume
constexpr uint32_t kHeaderDirectory = 0x20;

// Callback messages.
enum CallbackMessage : uint32_t {
    kChangeVolume = 0,   // UCM_CHANGEVOLUME (narrow names)
    kProcessData = 1,    // UCM_PROCESSDATA: p1 data, p2 byte count
    kNeedPassword = 2,   // UCM_NEEDPASSWORD (narrow)
    kChangeVolumeW = 3,  // UCM_CHANGEVOLUMEW: p1 volume name, p2 kVolumeAsk/kVolumeNotify
    kNeedPasswordW = 4,  // UCM_NEEDPASSWORDW: p1 buffer, p2 its size in code units
};

using CallbackFn = int (*)(uint32_t message, intptr_t userData, intptr_t p1, intptr_t p2);

#pragma pack(push, 1)
struct OpenArchiveDataEx {
    char* ArcName;
    char16_t* ArcNameW;
    uint32_t OpenMode;
    uint32_t OpenResult;
    char* CmtBuf;
    uint32_t CmtBufSize;
    uint32_t CmtSize;
    uint32_t CmtState;
    uint32_t Flags;
    CallbackFn Callback;
    intptr_t UserData;
    uint32_t OpFlags;
    char16_t* CmtBufW;
    uint32_t Reserved[25];
};

struct HeaderDataEx {
    char ArcName[1024];
    char16_t ArcNameW[1024];
    char FileName[1024];
    char16_t FileNameW[1024];
    uint32_t Flags;
    uint32_t PackSize;
    uint32_t PackSizeHigh;
    uint32_t UnpSize;
    uint32_t UnpSizeHigh;
    uint32_t HostOS;
    uint32_t FileCRC;
    uint32_t FileTime;  // DOS date in the high 16 bits, DOS time in the low 16, local time
    uint32_t UnpVer;
    uint32_t Method;
    uint32_t FileAttr;
    char* CmtBuf;
    uint32_t CmtBufSize;
    uint32_t CmtSize;
    uint32_t CmtState;
    uint32_t DictSize;
    uint32_t HashType;
    char Hash[32];
    uint32_t RedirType;  // from here to the end zero-filled before the first read
    char16_t* RedirName;
    uint32_t RedirNameSize;
    uint32_t DirTarget;
    uint32_t MtimeLow;
    uint32_t MtimeHigh;
    uint32_t CtimeLow;
    uint32_t CtimeHigh;
    uint32_t AtimeLow;
    uint32_t AtimeHigh;
    uint32_t Reserved[988];
};
#pragma pack(pop)

// The library's 64-bit layout.
static_assert(sizeof(void*) != 8 || sizeof(OpenArchiveDataEx) == 176);
static_assert(sizeof(void*) != 8 || sizeof(HeaderDataEx) == 10244);

// The four entry points, by their exported names.
using OpenArchiveExFn = void* (*)(OpenArchiveDataEx* data);      // RAROpenArchiveEx
using CloseArchiveFn = int (*)(void* archive);                   // RARCloseArchive
using ReadHeaderExFn = int (*)(void* archive, HeaderDataEx* h);  // RARReadHeaderEx
using ProcessFileWFn = int (*)(void* archive,
                               int operation,
                               char16_t* destPath,
                               char16_t* destName);  // RARProcessFileW

}  // namespace rar

// The library's entry points as one table: the loaded library's, or a test
// double's. All four are needed; a table with a null entry is not a library.
struct RarEntryPoints {
    rar::OpenArchiveExFn openArchiveEx;
    rar::CloseArchiveFn closeArchive;
    rar::ReadHeaderExFn readHeaderEx;
    rar::ProcessFileWFn processFileW;
};
