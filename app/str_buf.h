// StrBuf: a growable, zero-terminated UTF-16 string on the application heap, and
// the path functions every subsystem uses on it. Paths use '\' as separator in
// both builds.
//
// capacity is in bytes, length in code units without the terminator. A null
// buffer reads as the empty string: Text() never returns null. Bytes between the
// terminator and capacity are zero when first handed out (Reserve's zero fill),
// which callers that let an outside writer fill the buffer rely on.
//
// Failures: Reserve and the operations built on it return null/false when the
// heap refuses; the text is then left as it was before the call.
#pragma once

#include <cstdint>

struct StrBuf {
    char16_t* buffer = nullptr;
    uint32_t capacity = 0;
    uint32_t length = 0;

    StrBuf() = default;
    StrBuf(const StrBuf&) = delete;
    StrBuf& operator=(const StrBuf&) = delete;
    StrBuf(StrBuf&& o) noexcept;
    StrBuf& operator=(StrBuf&& o) noexcept;
    ~StrBuf();

    // Frees the buffer (while the heap exists) and zeroes all three fields.
    void Release();
    const char16_t* Text() const { return buffer != nullptr ? buffer : u""; }

    char16_t* Reserve(uint32_t n);
    [[nodiscard]] bool Append(const char16_t* text, uint32_t n);
    void Assign(const char16_t* text);
    char16_t* AppendChar(char16_t c);
    char16_t* ResetReserve(uint32_t n);
    const char16_t* SyncLength();

    const char16_t* JoinPath(const char16_t* dir, uint32_t n, const char16_t* name, uint32_t m);
    const char16_t* AppendPathComponent(const char16_t* name, uint32_t m);
    const char16_t* ReplaceExtension(const char16_t* ext);
    const char16_t* AssignPathPart(int kind, const char16_t* path, uint32_t n);
    bool HasExtension(const char16_t* ext) const;
};

// Kinds of AssignPathPart.
enum PathPart : int {
    kPathFirstComponent = 1,
    kPathFolder = 2,
    kPathFileName = 3,
    kPathBaseName = 4,
    kPathExtension = 5,
    kPathWithoutExtension = 6,
    kPathLastTwo = 7,
};

// Number of code units before the terminator; 0 for null.
uint32_t TextLength(const char16_t* text);
// Index of the '.' that starts the extension of text[0..n), or n when it has none:
// scanning back from the end, a '\' or the start met first means no extension.
uint32_t ExtensionStart(const char16_t* text, uint32_t n);
// Length of the folder that holds the last component of path[0..n): the text
// before the last '\', except that a root keeps its '\' ("\p.jpg" gives "\",
// "C:\p.jpg" gives "C:\", since "C:" alone names the drive's current folder).
// n when the path has no '\'.
uint32_t ContainingFolderLength(const char16_t* path, uint32_t n);
