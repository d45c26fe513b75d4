// Placeholder: replaced by the ZIP reader's module.
#include "archive/archive_member.h"

ArchiveMemberList* NewMemberList(int32_t) {
    return nullptr;
}
void FreeMemberList(ArchiveMemberList*) {}
void SplitMemberPath(ArchiveMember*) {}
