#include "archive/archive_member.h"

#include <cstring>
#include <new>

#include "platform/heap.h"

ArchiveMemberList* NewMemberList(int32_t capacity) {
    if (capacity < 0) {
        return nullptr;
    }
    auto* list = static_cast<ArchiveMemberList*>(AppAllocZero(sizeof(ArchiveMemberList)));
    if (list == nullptr) {
        return nullptr;
    }
    if (capacity > 0) {
        void* block = AppAllocArrayZero<ArchiveMember>(static_cast<size_t>(capacity));
        if (block == nullptr) {
            AppFree(list);
            return nullptr;
        }
        auto* members = static_cast<ArchiveMember*>(block);
        for (int32_t i = 0; i < capacity; ++i) {
            new (&members[i]) ArchiveMember();
        }
        list->members = members;
    }
    list->capacity = capacity;
    return list;
}

void FreeMemberList(ArchiveMemberList* list) {
    if (list == nullptr) {
        return;
    }
    for (int32_t i = list->capacity; i-- > 0;) {
        list->members[i].~ArchiveMember();
    }
    if (list->members != nullptr) {
        AppFree(list->members);
    }
    AppFree(list);
}

bool SplitMemberPath(ArchiveMember* member) {
    StrBuf& path = member->folder;
    uint32_t n = path.length;
    char16_t* text = path.buffer;
    uint32_t lastSep = n;  // n: no separator
    for (uint32_t i = 0; i < n; ++i) {
        if (text[i] == u'/') {
            text[i] = u'\\';
        }
        if (text[i] == u'\\') {
            lastSep = i;
        }
    }
    if (n == 0 || lastSep == n - 1) {
        return true;  // a folder entry (or an empty path) keeps the whole text as folder
    }
    if (lastSep == n) {
        // No folder part: the buffer moves over to the name as it is.
        member->name = static_cast<StrBuf&&>(path);
        return true;
    }
    uint32_t start = lastSep + 1;
    if (!member->name.Append(text + start, n - start)) {
        return false;
    }
    // Cut the folder after its last separator; the freed units go back to zero
    // as StrBuf's fill promise says.
    std::memset(text + start, 0, (n - start) * sizeof(char16_t));
    path.length = start;
    return true;
}
