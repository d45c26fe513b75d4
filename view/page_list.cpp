#include "view/page_list.h"

#include <new>
#include <utility>

#include "app/text.h"
#include "archive/archive_member.h"
#include "decode/open_image.h"
#include "platform/heap.h"
#include "view/natural_sort.h"

namespace {
constexpr int32_t kFirstGrowth = 64;

// One array of count constructed, empty entries, or null.
PageEntry* NewEntries(int32_t count) {
    auto* entries = AppAllocArrayZero<PageEntry>(static_cast<size_t>(count));
    if (entries != nullptr) {
        for (int32_t i = 0; i < count; ++i) {
            new (&entries[i]) PageEntry();
        }
    }
    return entries;
}

// Destroys the entries (last first, releasing their strings) and frees the array.
void FreeEntries(PageEntry* entries, int32_t count) {
    if (entries == nullptr) {
        return;
    }
    for (int32_t i = count; i > 0; --i) {
        entries[i - 1].~PageEntry();
    }
    AppFree(entries);
}

int CompareFolderOrder(const PageEntry& a, const PageEntry& b) {
    return LogicalCompare(a.name.Text(), b.name.Text());
}

int CompareArchiveOrder(const PageEntry& a, const PageEntry& b) {
    bool rootA = a.location.length == 0;
    bool rootB = b.location.length == 0;
    if (rootA != rootB) {
        return rootA ? -1 : 1;
    }
    if (!rootA) {
        int r = LogicalCompare(a.location.Text(), b.location.Text());
        if (r != 0) {
            return r;
        }
    }
    return LogicalCompare(a.name.Text(), b.name.Text());
}

using EntryCompare = int (*)(const PageEntry&, const PageEntry&);

// Bottom-up merge sort of an index array; `from` and `to` swap roles each pass.
// Every access is bounded by the run limits, whatever the comparison answers.
uint32_t* MergeSortIndexes(const PageEntry* entries,
                           uint32_t* from,
                           uint32_t* to,
                           uint32_t n,
                           EntryCompare cmp) {
    for (uint64_t width = 1; width < n; width *= 2) {
        for (uint64_t lo = 0; lo < n; lo += 2 * width) {
            uint64_t mid = lo + width < n ? lo + width : n;
            uint64_t hi = lo + 2 * width < n ? lo + 2 * width : n;
            uint64_t i = lo;
            uint64_t j = mid;
            uint64_t k = lo;
            // Runs already in order are copied with one comparison: a listing that
            // comes sorted by name (as NTFS returns it) costs about n comparisons.
            if (mid < hi && cmp(entries[from[mid]], entries[from[mid - 1]]) >= 0) {
                for (; k < hi; ++k) {
                    to[k] = from[k];
                }
                continue;
            }
            while (i < mid && j < hi) {
                // Ties take the left run first: the sort is stable.
                if (cmp(entries[from[j]], entries[from[i]]) < 0) {
                    to[k++] = from[j++];
                } else {
                    to[k++] = from[i++];
                }
            }
            while (i < mid) {
                to[k++] = from[i++];
            }
            while (j < hi) {
                to[k++] = from[j++];
            }
        }
        std::swap(from, to);
    }
    return from;
}

// Puts entries into the order of `order` (order[k] = source index of slot k) by
// following the permutation's cycles; order is consumed.
void ApplyOrder(PageEntry* entries, uint32_t* order, uint32_t n) {
    for (uint32_t start = 0; start < n; ++start) {
        if (order[start] == start) {
            continue;
        }
        PageEntry held = std::move(entries[start]);
        uint32_t k = start;
        while (order[k] != start) {
            uint32_t src = order[k];
            entries[k] = std::move(entries[src]);
            order[k] = k;
            k = src;
        }
        entries[k] = std::move(held);
        order[k] = k;
    }
}

// Fallback when the index arrays cannot be allocated: heap sort in place. Not
// stable, but bounded and without memory.
void SiftDown(PageEntry* entries, uint32_t root, uint32_t n, EntryCompare cmp) {
    for (;;) {
        uint64_t child = 2ull * root + 1;
        if (child >= n) {
            return;
        }
        if (child + 1 < n && cmp(entries[child], entries[child + 1]) < 0) {
            ++child;
        }
        if (cmp(entries[root], entries[child]) >= 0) {
            return;
        }
        std::swap(entries[root], entries[child]);
        root = static_cast<uint32_t>(child);
    }
}

void HeapSort(PageEntry* entries, uint32_t n, EntryCompare cmp) {
    for (uint32_t i = n / 2; i > 0; --i) {
        SiftDown(entries, i - 1, n, cmp);
    }
    for (uint32_t end = n; end > 1; --end) {
        std::swap(entries[0], entries[end - 1]);
        SiftDown(entries, 0, end - 1, cmp);
    }
}

void MoveMember(ArchiveMember* m, PageEntry* e) {
    e->name = std::move(m->name);
    e->location = std::move(m->folder);
    e->locator = m->locator;
    e->size = m->size;
    e->modified = m->modified;
}
}  // namespace

PageList* NewPageList(int32_t capacity) {
    if (capacity < 1) {
        return nullptr;
    }
    auto* list = static_cast<PageList*>(AppAllocZero(sizeof(PageList)));
    if (list == nullptr) {
        return nullptr;
    }
    list->entries = NewEntries(capacity);
    if (list->entries == nullptr) {
        AppFree(list);
        return nullptr;
    }
    list->capacity = capacity;
    return list;
}

void FreePageList(PageList* list) {
    if (list == nullptr) {
        return;
    }
    FreeEntries(list->entries, list->capacity);
    AppFree(list);
}

PageEntry* AppendPage(PageListBuilder* builder) {
    if (builder->failed) {
        return nullptr;
    }
    if (builder->list == nullptr) {
        builder->list = NewPageList(kFirstGrowth);
        if (builder->list == nullptr) {
            builder->failed = true;
            return nullptr;
        }
    }
    PageList* list = builder->list;
    if (builder->count == list->capacity) {
        if (list->capacity > INT32_MAX / 2) {
            builder->failed = true;
            return nullptr;
        }
        int32_t grown = list->capacity * 2;
        PageEntry* entries = NewEntries(grown);
        if (entries == nullptr) {
            builder->failed = true;
            return nullptr;
        }
        // Moving an entry hands over its string buffers; nothing is copied.
        for (int32_t i = 0; i < builder->count; ++i) {
            entries[i] = std::move(list->entries[i]);
        }
        FreeEntries(list->entries, list->capacity);
        list->entries = entries;
        list->capacity = grown;
    }
    return &list->entries[builder->count++];
}

bool HasExtensionIn(const char16_t* name, uint32_t n, ExtensionSet set) {
    uint32_t start = ExtensionStart(name, n);
    if (start == n) {
        return false;
    }
    for (uint32_t i = 0; i < set.count; ++i) {
        const char16_t* ext = set.items[i];
        if (ext != nullptr && EqualsNoCaseN(name + start, n - start, ext, TextLength(ext))) {
            return true;
        }
    }
    return false;
}

bool IsPageName(const char16_t* name, uint32_t n, ExtensionSet pluginExts) {
    // ImageFormatFromExtension reads up to the terminator; the names handed here
    // are whole zero-terminated texts of length n.
    return ImageFormatFromExtension(name) != kFormatUnknown || HasExtensionIn(name, n, pluginExts);
}

uint32_t SizeInKiB(uint64_t bytes) {
    uint64_t kib = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
    return kib > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(kib);
}

int32_t SelectArchivePages(ArchiveMemberList* members, PageList* list, ExtensionSet imagePluginExts) {
    if (members == nullptr || list == nullptr) {
        return 0;
    }
    int32_t count = 0;
    for (int32_t i = 0; i < members->count && count < list->capacity; ++i) {
        ArchiveMember* m = &members->members[i];
        if (m->name.length > 0 && ImageFormatFromExtension(m->name.Text()) != kFormatUnknown) {
            MoveMember(m, &list->entries[count++]);
        }
    }
    if (imagePluginExts.count == 0) {
        return count;
    }
    // Members taken in the first pass have empty names now and are skipped here.
    for (int32_t i = 0; i < members->count && count < list->capacity; ++i) {
        ArchiveMember* m = &members->members[i];
        if (m->name.length > 0 && HasExtensionIn(m->name.Text(), m->name.length, imagePluginExts)) {
            MoveMember(m, &list->entries[count++]);
        }
    }
    return count;
}

void SortPages(PageEntry* entries, int32_t count, bool archiveOrder) {
    if (entries == nullptr || count < 2) {
        return;
    }
    EntryCompare cmp = archiveOrder ? CompareArchiveOrder : CompareFolderOrder;
    auto n = static_cast<uint32_t>(count);
    AppPtr<uint32_t> a(AppAllocArrayZero<uint32_t>(n));
    AppPtr<uint32_t> b(AppAllocArrayZero<uint32_t>(n));
    if (a.get() == nullptr || b.get() == nullptr) {
        HeapSort(entries, n, cmp);
        return;
    }
    for (uint32_t i = 0; i < n; ++i) {
        a.get()[i] = i;
    }
    uint32_t* order = MergeSortIndexes(entries, a.get(), b.get(), n, cmp);
    ApplyOrder(entries, order, n);
}
