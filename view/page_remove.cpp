#include "view/page_remove.h"

#include <utility>

#include "view/book.h"

bool PageDeleteAllowed(const BookState* book) {
    const Book& b = book->book;
    return book->pages != nullptr && b.isOpen && (b.kind == kBookFolder || b.kind == kBookShellFolder) &&
           !b.isRecycleBin;
}

bool PageRevealAllowed(const BookState* book) {
    return book->pages != nullptr && book->book.kind == kBookFolder;
}

bool PageCopyText(const BookState* book, int32_t index, StrBuf* out) {
    out->Assign(u"");
    if (book->pages == nullptr || index < 0 || index >= book->pageCount) {
        return false;
    }
    const PageEntry& e = book->pages->entries[index];
    const BookKind kind = book->book.kind;
    const bool archive = kind == kBookZip || kind == kBookRar || kind == kBookPluginArchive;
    // The archive's folder already ends in its separator, so the two join as they are.
    if (archive && !out->Append(e.location.Text(), e.location.length)) {
        return false;
    }
    if (!out->Append(e.name.Text(), e.name.length)) {
        out->Assign(u"");
        return false;
    }
    return true;
}

int32_t RemovePageEntry(BookState* book, int32_t index) {
    const int32_t count = book->pageCount;
    if (book->pages == nullptr || index < 0 || index >= count || count < 2) {
        return -1;
    }
    PageEntry* entries = book->pages->entries;
    for (int32_t i = index; i + 1 < count; ++i) {
        entries[i] = std::move(entries[i + 1]);
    }
    // The last slot keeps no strings of its own after the moves; it is emptied so
    // that a later release of the list finds nothing twice.
    PageEntry& last = entries[count - 1];
    last.name.Release();
    last.location.Release();
    last.locator = 0;
    last.size = 0;
    last.modified = 0;
    book->pageCount = count - 1;
    return index >= book->pageCount ? 0 : index;
}
