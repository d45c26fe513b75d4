// ArchiveMember and ArchiveMemberList: every archive reader's listing (ZIP, RAR,
// plug-ins), from which the book builds its page list and the extraction job
// walks the archive.
//
// NewMemberList(capacity) makes a list with that many empty members and count 0;
// a reader fills members[0..count) in archive order. FreeMemberList releases each
// member's strings (last first), the array, then the record. Every receiver of a
// list releases it with FreeMemberList; MemberListPtr does that on scope exit.
#pragma once

#include <cstdint>

#include "app/str_buf.h"

struct ArchiveMember {
    StrBuf name;    // last path component; empty for a folder entry
    StrBuf folder;  // folder inside the archive with '\' separators and a trailing '\'; empty at the root
    uint32_t locator = 0;   // how the owning reader finds the member again
    uint32_t size = 0;      // uncompressed size in bytes
    uint64_t modified = 0;  // FILETIME (UTC)
};

struct ArchiveMemberList {
    ArchiveMember* members;
    int32_t capacity;
    int32_t count;
    uint64_t archiveTime;  // FILETIME of the archive file
};

// Null when capacity is negative or the heap refuses. A capacity of 0 gives a
// list without a member array.
[[nodiscard]] ArchiveMemberList* NewMemberList(int32_t capacity);
void FreeMemberList(ArchiveMemberList* list);

// Splits a member path held in member->folder: '/' becomes '\'; a text that is
// empty or ends in '\' stays as the folder with an empty name; otherwise the part
// after the last '\' becomes the name and the folder keeps the rest including it.
// False when the heap refuses the name (the member is then left half split and
// the caller drops the listing).
[[nodiscard]] bool SplitMemberPath(ArchiveMember* member);

// Owns one list.
class MemberListPtr {
  public:
    MemberListPtr() = default;
    explicit MemberListPtr(ArchiveMemberList* p) : p_(p) {}
    MemberListPtr(const MemberListPtr&) = delete;
    MemberListPtr& operator=(const MemberListPtr&) = delete;
    MemberListPtr(MemberListPtr&& o) noexcept : p_(o.release()) {}
    MemberListPtr& operator=(MemberListPtr&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~MemberListPtr() { reset(); }
    ArchiveMemberList* get() const { return p_; }
    ArchiveMemberList* operator->() const { return p_; }
    ArchiveMemberList* release() {
        ArchiveMemberList* p = p_;
        p_ = nullptr;
        return p;
    }
    void reset(ArchiveMemberList* p = nullptr) {
        if (p_ != nullptr) {
            FreeMemberList(p_);
        }
        p_ = p;
    }

  private:
    ArchiveMemberList* p_ = nullptr;
};
