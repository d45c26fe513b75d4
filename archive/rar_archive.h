// RAR archives through the outside RAR library: the volume kind of an archive,
// its member list, and one member read into memory.
//
// A RarContext is one use of the library (a listing, one member read, one
// extraction) on one thread; it loads the library at its first need and releases
// it, and wipes the password, when it ends. Every page read of an encrypted
// archive has its own context, so it asks for the password again.
//
// The password prompt and the plug-in folder (the first place the library is
// looked for) come from the shell: RarSetPromptOps and RarSetPluginFolder
// (archive/rar_library.h). Nothing here reports to the user: failures give null
// or 0 after releasing whatever the call allocated.
#pragma once

#include <cstdint>

#include "app/str_buf.h"
#include "archive/archive_member.h"
#include "archive/rar_api.h"

constexpr int32_t kRarPasswordDialog = 2700;  // its edit control is 2701

struct RarContext {
    RarContext();  // copies the shell's plug-in folder (under AppLock)
    ~RarContext();
    RarContext(const RarContext&) = delete;
    RarContext& operator=(const RarContext&) = delete;

    void* ownerWindow = nullptr;  // owner of the password dialog; borrowed
    int32_t passwordDialogId = kRarPasswordDialog;
    StrBuf password;
    bool passwordGiven = false;
    bool memoryTarget = false;  // a member is being read into block
    uint8_t* block = nullptr;
    uint8_t* writePos = nullptr;
    uint8_t* end = nullptr;
    void* library = nullptr;  // module handle once loaded
    StrBuf pluginFolder;
    RarEntryPoints entry{};
};

enum RarVolume : int32_t {
    kRarSingle = 0,     // one archive, or one that cannot be opened
    kRarOldVolume = 1,  // a volume of a set numbered the old way (.r00 ...)
    kRarLaterPart = 2,  // name.partN.rar with N > 1
    kRarFirstPart = 3,  // name.part1.rar
};

// Maps the archive flags of an open to a volume kind.
[[nodiscard]] RarVolume RarVolumeFromFlags(uint32_t flags);
// Opens path in list mode without a callback and reads its flags; 0 when the
// library is missing or the archive does not open.
[[nodiscard]] RarVolume RarVolumeKind(RarContext* context, const char16_t* path);
// "book.part3.rar" → "book.part1.rar": the last two extensions replaced.
void RarFirstVolumeName(const char16_t* path, StrBuf* out);

// Lists the archive (a later part of a new-style set from its first part) in
// header order: locator = the header's 0-based position, folder and name split,
// size = the low 32 bits of the unpacked size, time as UTC. Null when the library
// is missing, the archive does not open, a skip fails or it has no header. The
// caller frees the list.
[[nodiscard]] ArchiveMemberList* RarListMembers(RarContext* context, const char16_t* path);

// *locator: in, the header's position; out, the member's size (on success).
// Decompresses and checks the member into a new block (VmAlloc, size + 4, the 4
// after the data zero). Null when the member is 4 GiB or more, the library's
// checks fail, the data runs past or stops short of the announced size, or the
// password prompt is cancelled. The caller frees the block with VmFree.
[[nodiscard]] uint8_t* RarReadMember(RarContext* context, const char16_t* path, uint32_t* locator);

// The library's callback; userData is the RarContext. 0 to go on, -1 to abort.
int RarCallback(uint32_t message, intptr_t userData, intptr_t p1, intptr_t p2);
