#include "settings/option_edits.h"

#include "app/text.h"

void BookmarkRowText(const Bookmark& b, StrBuf* out) {
    out->Assign(u"");
    char16_t number[12];
    const uint32_t digits = FormatDecimal(number, b.page + 1);
    if (!out->Append(b.path.Text(), b.path.length) || !out->Append(u" - ", 3) ||
        !out->Append(number, digits)) {
        out->Assign(u"");
    }
}

uint32_t RemoveClearedBookmarks(Settings* s, const bool* cleared) {
    uint32_t kept = 0;
    const uint32_t count = s->bookmarkCount < kBookmarkCount ? s->bookmarkCount : kBookmarkCount;
    for (uint32_t i = 0; i < count; ++i) {
        if (cleared[i]) {
            s->bookmarks[i].path.Release();
            s->bookmarks[i].page = 0;
            continue;
        }
        if (kept != i) {
            s->bookmarks[kept].path = static_cast<StrBuf&&>(s->bookmarks[i].path);
            s->bookmarks[kept].page = s->bookmarks[i].page;
            s->bookmarks[i].page = 0;
        }
        ++kept;
    }
    s->bookmarkCount = kept;
    return kept;
}

int32_t PaneDelayFromText(const char16_t* text, uint32_t n) {
    if (n == 0 || n > kPaneDelayDigits) {
        return 0;
    }
    int32_t value = 0;
    for (uint32_t i = 0; i < n; ++i) {
        if (text[i] < u'0' || text[i] > u'9') {
            return 0;
        }
        value = value * 10 + (text[i] - u'0');
    }
    return value;
}

bool PluginFolderChanged(const StrBuf& copy, const char16_t* text, uint32_t n) {
    return !EqualsNoCaseN(copy.Text(), copy.length, text, n);
}

bool PluginEnabled(const char16_t* name, uint32_t n, const TextList* disabled) {
    if (disabled == nullptr) {
        return true;
    }
    for (uint32_t i = 0; i < disabled->count; ++i) {
        if (EqualsNoCaseN(disabled->items[i].Text(), disabled->items[i].length, name, n)) {
            return false;
        }
    }
    return true;
}

bool DisabledFromRows(const StrBuf* names, const bool* checked, uint32_t count, TextList* disabled) {
    TextList fresh;
    for (uint32_t i = 0; i < count; ++i) {
        if (!checked[i] && !fresh.Append(names[i].Text(), names[i].length)) {
            return false;
        }
    }
    // The new list takes the old one's place whole; the old one goes with fresh.
    StrBuf* items = disabled->items;
    const uint32_t n = disabled->count;
    const uint32_t capacity = disabled->capacity;
    disabled->items = fresh.items;
    disabled->count = fresh.count;
    disabled->capacity = fresh.capacity;
    fresh.items = items;
    fresh.count = n;
    fresh.capacity = capacity;
    return true;
}
