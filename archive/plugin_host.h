// PluginHost: pictures and archives that no built-in reader handles, through
// Susie plug-ins (".spi", then ".sph") in the plug-in folder. No plug-in stays
// loaded between operations: each one enumerates the folder, loads candidates
// one by one until one accepts the file, uses it and releases it.
//
// Call order: SetPluginHost(platform, source) once at start, before the loader
// thread exists; then any operation from any thread. Every operation but
// PluginConfigure holds AppLock for its whole duration, so one plug-in call runs
// at a time, and reads the plug-in folder and the disabled set (through the
// source) only under it.
//
// Ownership: results belong to the caller (FreeDecodedImage, FreeMemberList,
// VmFree, PluginTextList). Plug-in handles are freed here. Failures return
// nothing and are never shown: no folder, no accepting plug-in, a refused
// result.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/str_buf.h"
#include "archive/plugin_results.h"
#include "archive/susie_abi.h"
#include "decode/decoded_image.h"

struct ArchiveMemberList;

// The operating system as the host needs it. Filled by plugin_platform_win.cpp
// on Windows; tests fill it with a table of fake plug-ins.
struct PluginPlatform {
    void* (*loadModule)(const char16_t* path);  // null when it does not load
    void* (*getProc)(void* module, const char* name);
    void (*freeModule)(void* module);
    // Local-memory handles: the bytes and their size, null when not lockable.
    const uint8_t* (*lockHandle)(SusieHandle handle, size_t* size);
    void (*unlockHandle)(SusieHandle handle);
    void (*freeHandle)(SusieHandle handle);
    void (*freeGlobal)(SusieHandle handle);  // the picture information's text
    // Into the system code page, zero-terminated; false when it does not fit cap.
    bool (*toAnsi)(const char16_t* text, char* out, size_t cap);
    AnsiToWide fromAnsi;
};

// Where the plug-ins are and which are disabled (file names without folder).
// Called only under AppLock.
struct PluginSource {
    void* context;
    void (*folder)(void* context, StrBuf* out);
    bool (*isDisabled)(void* context, const char16_t* fileName);
};

// Both are kept (null removes the host: every operation then gives nothing).
void SetPluginHost(const PluginPlatform* platform, const PluginSource* source);

// A growable list of texts on AppHeap.
struct PluginTextList {
    StrBuf* items = nullptr;
    uint32_t count = 0;
    uint32_t capacity = 0;

    PluginTextList() = default;
    PluginTextList(const PluginTextList&) = delete;
    PluginTextList& operator=(const PluginTextList&) = delete;
    ~PluginTextList() { Clear(); }
    void Clear();
    [[nodiscard]] bool Append(const char16_t* text, uint32_t n);
    [[nodiscard]] bool ContainsNoCase(const char16_t* text, uint32_t n) const;
};

// Kind bits of PluginExtensions' mask.
constexpr uint32_t kPluginPicture = 1;
constexpr uint32_t kPluginArchive = 2;

// Decoding a picture file; files shorter than the 2,176-byte header buffer are
// never offered. The record's source size and time are the file's.
[[nodiscard]] DecodedImage* PluginOpenPictureFile(const char16_t* path);
// Decoding a picture in memory (an archive member); the bytes stay the caller's.
[[nodiscard]] DecodedImage* PluginOpenPictureMemory(const char16_t* name, const uint8_t* data, size_t size);
// Listing an archive; the list's archive time is the file's last-write time.
[[nodiscard]] ArchiveMemberList* PluginListArchive(const char16_t* path);
// One member into a VmAlloc block of size + 4 bytes; *locator: in, the member's
// locator; out, the block's size.
[[nodiscard]] uint8_t* PluginReadMember(const char16_t* path, uint32_t* locator);
// The patterns announced by every enabled plug-in of the kinds in mask, without
// those a built-in decoder reads and without repeats (ASCII case ignored).
// whole: "*.xyz" as announced; otherwise the extension ".xyz".
void PluginExtensions(uint32_t mask, bool whole, PluginTextList* out);
// File names of every picture or archive plug-in in the folder, disabled ones too.
void PluginList(PluginTextList* out);
// The named plug-in's patterns (";"-joined) and descriptions ("/"-joined); false
// when it does not load or announces nothing.
[[nodiscard]] bool PluginDescribe(const char16_t* fileName, StrBuf* patterns, StrBuf* descriptions);
// Opens the named plug-in's own settings dialog, owned by ownerWindow. Does not
// take AppLock (the dialog runs its own message loop).
void PluginConfigure(void* ownerWindow, const char16_t* fileName);

// patterns joined by ";" into out, stopping before the pattern that would take
// the text past maxChars (the list is cut at a whole pattern).
void JoinPatterns(const PluginTextList& patterns, uint32_t maxChars, StrBuf* out);
