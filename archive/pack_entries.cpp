#include "archive/pack_entries.h"

#include <cstring>
#include <new>

#include "platform/dir.h"
#include "platform/heap.h"
#include "platform/utf.h"

namespace {
struct FolderNode {
    FolderNode* next;
    StrBuf path;
};

void FreeFolders(FolderNode* node) {
    while (node != nullptr) {
        FolderNode* next = node->next;
        node->~FolderNode();
        AppFree(node);
        node = next;
    }
}

FolderNode* NewFolder(const char16_t* path, uint32_t n, const char16_t* name, uint32_t m) {
    void* raw = AppAllocZero(sizeof(FolderNode));
    if (raw == nullptr) {
        return nullptr;
    }
    auto* node = new (raw) FolderNode{};
    node->path.JoinPath(path, n, name, m);
    if (node->path.length == 0) {
        node->~FolderNode();
        AppFree(raw);
        return nullptr;
    }
    return node;
}

// Appends an entry for fullPath[0..n) named by the text after `skip` units.
bool AddEntry(PackList* list, const char16_t* fullPath, uint32_t n, uint32_t skip, bool folder) {
    void* raw = AppAllocZero(sizeof(PackEntry));
    if (raw == nullptr) {
        return false;
    }
    auto* e = new (raw) PackEntry{};
    if (!e->fullPath.Append(fullPath, n) || (folder && e->fullPath.AppendChar(u'\\') == nullptr)) {
        e->~PackEntry();
        AppFree(raw);
        return false;
    }
    e->attributes = folder ? 0x10 : 0x20;
    const char16_t* rel = e->fullPath.buffer + skip;
    const uint32_t relLength = e->fullPath.length - skip;
    size_t need = Utf16ToUtf8(rel, relLength, e->name, sizeof e->name);
    e->nameTooLong = need > kMaxPackName;
    e->nameLength = e->nameTooLong ? 0 : static_cast<uint32_t>(need);
    for (uint32_t i = 0; i < e->nameLength; ++i) {
        if (e->name[i] == '\\') {
            e->name[i] = '/';
        }
    }
    if (list->last != nullptr) {
        list->last->next = e;
    } else {
        list->first = e;
    }
    list->last = e;
    ++list->count;
    return true;
}

void Clear(PackList* list) {
    PackEntry* e = list->first;
    while (e != nullptr) {
        PackEntry* next = e->next;
        e->~PackEntry();
        AppFree(e);
        e = next;
    }
    list->first = nullptr;
    list->last = nullptr;
    list->count = 0;
}
}  // namespace

PackList::~PackList() {
    Clear(this);
}

uint32_t CollectPackEntries(const char16_t* folder, PackList* list) {
    Clear(list);
    uint32_t n = TextLength(folder);
    while (n > 1 && folder[n - 1] == u'\\') {
        --n;
    }
    void* raw = n > 0 ? AppAllocZero(sizeof(FolderNode)) : nullptr;
    if (raw == nullptr) {
        return 0;
    }
    auto* first = new (raw) FolderNode{};
    if (!first->path.Append(folder, n)) {
        FreeFolders(first);
        return 0;
    }
    // Names start after the source folder and its separator (a root keeps its own).
    const uint32_t skip = n + (folder[n - 1] == u'\\' ? 0 : 1);
    FolderNode* last = first;
    bool ok = true;
    for (FolderNode* node = first; node != nullptr && ok; node = node->next) {
        if (node != first) {
            ok = AddEntry(list, node->path.buffer, node->path.length, skip, true);
        }
        DirReader dir;
        if (!ok || !dir.Open(node->path.Text())) {
            continue;
        }
        DirEntry entry{};
        while (ok && dir.Next(&entry)) {
            if (!entry.isFolder) {
                StrBuf path;
                path.JoinPath(node->path.buffer, node->path.length, entry.name, entry.nameLength);
                ok = path.length > 0 && AddEntry(list, path.buffer, path.length, skip, false);
            } else if (entry.name[0] != u'.') {
                FolderNode* sub =
                    NewFolder(node->path.buffer, node->path.length, entry.name, entry.nameLength);
                ok = sub != nullptr;
                if (ok) {
                    last->next = sub;
                    last = sub;
                }
            }
        }
    }
    FreeFolders(first);
    if (!ok) {
        Clear(list);
    }
    return list->count;
}
