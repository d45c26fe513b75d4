// Folders as the portable core sees them: what a path names (nothing, a file, a
// folder) and the enumeration of one folder's entries with the fields a page list
// needs. Paths are UTF-16 with '\' separators in both builds.
//
// Call order: DirReader::Open(folder), then Next() until it returns false, then
// Close() (or let the reader go out of scope). The entry handed out by Next()
// points into the reader and is valid until the following Next() or Close().
// Every call may fail and says so; a folder that cannot be read enumerates nothing.
#pragma once

#include <cstdint>

enum class PathKind : int32_t {
    kNone = 0,  // missing or unreadable
    kFile = 1,
    kFolder = 2,
};

[[nodiscard]] PathKind GetPathKind(const char16_t* path);
// Creates one folder (its parent must exist); false when it exists or fails.
[[nodiscard]] bool FolderCreate(const char16_t* path);
// The last-write FILETIME of a file or folder (a folder's own entry).
[[nodiscard]] bool GetPathTime(const char16_t* path, uint64_t* filetime);

// Attribute bits, the Windows FILE_ATTRIBUTE_ values; the native build derives
// them from the file mode (read-only, hidden for a leading '.', folder, normal).
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrFolder = 0x10;
constexpr uint32_t kAttrNormal = 0x80;

struct DirEntry {
    const char16_t* name;  // the entry's own (long) name, zero-terminated
    uint32_t nameLength;
    const char16_t* shortName;  // the 8.3 alias where the platform keeps one, else empty
    uint32_t shortNameLength;
    uint32_t attributes;
    bool isFolder;
    uint64_t size;      // bytes
    uint64_t modified;  // last-write FILETIME (100 ns since 1601, UTC)
};

// Enumerates every entry of one folder except "." and "..", hidden ones included,
// in the order the file system returns them. Move-only owner of the search.
class DirReader {
  public:
    DirReader() = default;
    DirReader(const DirReader&) = delete;
    DirReader& operator=(const DirReader&) = delete;
    DirReader(DirReader&& o) noexcept : state_(o.state_) { o.state_ = nullptr; }
    DirReader& operator=(DirReader&& o) noexcept {
        if (this != &o) {
            Close();
            state_ = o.state_;
            o.state_ = nullptr;
        }
        return *this;
    }
    ~DirReader() { Close(); }

    // False when the folder cannot be opened (missing, not a folder, no access,
    // no memory); an empty folder opens and yields nothing.
    [[nodiscard]] bool Open(const char16_t* folder);
    // False at the end or when the enumeration fails part-way.
    [[nodiscard]] bool Next(DirEntry* entry);
    void Close();

  private:
    void* state_ = nullptr;
};
