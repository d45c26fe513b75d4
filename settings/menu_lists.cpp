#include "settings/menu_lists.h"

#include <cstdint>

#include "app/text.h"

namespace {

// Index of the first character after the last separator in path[0..n).
uint32_t LastComponentStart(const char16_t* path, uint32_t n) {
    uint32_t start = 0;
    for (uint32_t i = 0; i < n; ++i) {
        if (path[i] == u'\\') {
            start = i + 1;
        }
    }
    return start;
}

// Index of the first character after the second-to-last separator, or 0.
uint32_t LastTwoStart(const char16_t* path, uint32_t n) {
    uint32_t last = LastComponentStart(path, n);
    return last == 0 ? 0 : LastComponentStart(path, last - 1);
}

}  // namespace

void MenuEntryText(int kind, const char16_t* path, int32_t page, StrBuf* out) {
    out->Assign(u"");
    const uint32_t n = TextLength(path);
    const uint32_t start = kind == kEntryFavourite ? LastComponentStart(path, n) : LastTwoStart(path, n);
    bool ok = out->Append(path + start, n - start);
    if (ok && kind == kEntryBookmark) {
        // A stored page is an index; the largest one cannot grow by one.
        char16_t number[12];
        uint32_t digits = FormatDecimal(number, page < INT32_MAX ? page + 1 : page);
        ok = out->Append(u" - ", 3) && out->Append(number, digits);
    }
    if (!ok) {
        out->Assign(u"");
    }
}

bool HistoryAdd(Settings* s, const char16_t* path) {
    const uint32_t n = TextLength(path);
    if (n == 0) {
        return false;
    }
    StrBuf entry;
    if (!entry.Append(path, n)) {
        return false;
    }
    uint32_t count = s->historyCount < kHistoryCount ? s->historyCount : kHistoryCount;
    // The slot that opens up: the matching entry's, else the oldest kept one's.
    uint32_t hole = count < kHistoryCount ? count : kHistoryCount - 1;
    for (uint32_t i = 0; i < count; ++i) {
        if (s->history[i].length == n && EqualsNoCaseN(s->history[i].Text(), n, path, n)) {
            hole = i;
            break;
        }
    }
    if (hole == count) {
        ++count;
    }
    for (uint32_t i = hole; i > 0; --i) {
        s->history[i] = static_cast<StrBuf&&>(s->history[i - 1]);
    }
    s->history[0] = static_cast<StrBuf&&>(entry);
    s->historyCount = count;
    return true;
}

void HistoryClear(Settings* s) {
    for (StrBuf& h : s->history) {
        h.Release();
    }
    s->historyCount = 0;
}

bool BookmarkAllowed(bool shellFolder, bool pageShown, uint32_t bookmarkCount) {
    return !shellFolder && pageShown && bookmarkCount < kBookmarkCount;
}

int32_t BookmarkAdd(Settings* s, const char16_t* path, int32_t page) {
    const uint32_t i = s->bookmarkCount;
    const uint32_t n = TextLength(path);
    if (i >= kBookmarkCount || n == 0) {
        return -1;
    }
    StrBuf copy;
    if (!copy.Append(path, n)) {
        return -1;
    }
    s->bookmarks[i].path = static_cast<StrBuf&&>(copy);
    s->bookmarks[i].page = page;
    s->bookmarkCount = i + 1;
    return static_cast<int32_t>(i);
}
