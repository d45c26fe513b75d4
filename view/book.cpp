#include "view/book.h"

#include <utility>

#include "app/os_level.h"
#include "app/text.h"
#include "archive/archive_member.h"
#include "archive/zip_reader.h"
#include "platform/dir.h"
#include "platform/lock.h"
#include "view/recycle_bin.h"

namespace {

constexpr char16_t kProgramTitle[] = u"Pagewick";

// The no-op entries a missing BookOps field becomes.
ArchiveMemberList* NoList(void*, const char16_t*) {
    return nullptr;
}
ExtensionSet NoExtensions(void*) {
    return ExtensionSet{nullptr, 0};
}
void Nothing(void*) {}
void NothingText(void*, const char16_t*) {}
void NothingIndex(void*, int32_t) {}
void NothingRange(void*, int32_t, int32_t) {}
int32_t NoIcon(void*, const char16_t*) {
    return 0;
}
int32_t NoWidth(void*, const char16_t*, uint32_t) {
    return 0;
}

template <typename F>
void Fill(F*& field, F* fallback) {
    if (field == nullptr) {
        field = fallback;
    }
}

bool SamePath(const StrBuf& a, const StrBuf& b) {
    return EqualsNoCaseN(a.Text(), a.length, b.Text(), b.length);
}

bool IsArchiveKind(BookKind kind) {
    return kind == kBookZip || kind == kBookRar || kind == kBookPluginArchive;
}

ExtensionSet ImagePluginExtensions(BookState* s) {
    return s->ops.imagePluginExtensions(s->ops.context);
}

void ReleaseList(BookState* s) {
    FreePageList(s->pages);
    s->pages = nullptr;
    s->pageCount = 0;
}

// Clears what belongs to the previous container (identifier, recycle flag, time,
// watch); used when the book is reset and when its container vanished.
void ForgetContainer(Book* book) {
    ReleaseItemId(book->itemId);
    book->itemId = nullptr;
    book->isRecycleBin = false;
    book->archiveTime = 0;
    book->changeWatch.reset();
}

// Lists a ZIP archive with the own reader; the file's last-write time becomes the
// list's archive time.
ArchiveMemberList* ListZip(const char16_t* path) {
    FileHandle file(FileOpenRead(path));
    if (!file.valid()) {
        return nullptr;
    }
    ArchiveMemberList* list = ZipListMembers(file.get());
    if (list != nullptr) {
        uint64_t time = 0;
        list->archiveTime = FileGetTime(file.get(), &time) ? time : 0;
    }
    return list;
}

bool HasMembers(const ArchiveMemberList* list) {
    return list != nullptr && list->count > 0;
}

// The start page: the page named selectName, else the one with the locator
// (archives), else startIndex.
int32_t ChooseStart(const BookState* s, const OpenTarget* target, int32_t startIndex) {
    if (target == nullptr) {
        return startIndex;
    }
    const PageEntry* entries = s->pages->entries;
    if (target->selectName.length > 0) {
        for (int32_t i = 0; i < s->pageCount; ++i) {
            if (EqualsNoCaseN(entries[i].name.Text(), entries[i].name.length, target->selectName.Text(),
                              target->selectName.length)) {
                return i;
            }
        }
        return startIndex;
    }
    if (IsArchiveKind(s->book.kind) && target->startLocator != 0) {
        for (int32_t i = 0; i < s->pageCount; ++i) {
            if (entries[i].locator == target->startLocator) {
                return i;
            }
        }
    }
    return startIndex;
}

void PublishCount(BookState* s) {
    bool empty = s->pageCount == 0;
    s->ops.setSliderRange(s->ops.context, empty ? 0 : 1, s->pageCount);
    char16_t text[16];
    text[0] = u'/';
    FormatDecimal(text + 1, s->pageCount);
    s->ops.setCountText(s->ops.context, text);
    s->ops.setTitle(s->ops.context, s->book.isOpen ? s->book.path.Text() : kProgramTitle);
}

void ListFolderBook(BookState* s, PageListBuilder* builder) {
    (void)ListFolder(s->book.path.Text(), builder, ImagePluginExtensions(s));
}

void ListShellFolderBook(BookState* s, PageListBuilder* builder) {
    (void)ListShellFolder(s->book.itemId, builder, ImagePluginExtensions(s));
    if (!builder->failed && builder->count > 0 && s->book.isRecycleBin) {
        RecycleBinNames(builder->list->entries, builder->count, s->osLevel > 0 ? s->osLevel : gOsLevel);
    }
}

void ListArchiveBook(BookState* s, PageListBuilder* builder) {
    ArchiveMemberList* members = ListArchive(s);
    if (members == nullptr) {
        return;
    }
    s->book.archiveTime = members->archiveTime;
    builder->list = NewPageList(members->count);
    if (builder->list == nullptr) {
        builder->failed = true;
    } else {
        builder->count = SelectArchivePages(members, builder->list, ImagePluginExtensions(s));
    }
    FreeMemberList(members);
}

}  // namespace

void BookInit(BookState* s, const BookOps* ops) {
    s->ops = ops != nullptr ? *ops : BookOps{};
    BookOps& o = s->ops;
    Fill(o.listRar, NoList);
    Fill(o.listPluginArchive, NoList);
    Fill(o.imagePluginExtensions, NoExtensions);
    Fill(o.archivePluginExtensions, NoExtensions);
    Fill(o.beginOpen, Nothing);
    Fill(o.endOpen, Nothing);
    Fill(o.resetReadAhead, Nothing);
    Fill(o.addToHistory, NothingText);
    Fill(o.showFrom, NothingIndex);
    Fill(o.showEmpty, Nothing);
    Fill(o.selectFileListRow, NothingIndex);
    Fill(o.updatePageText, Nothing);
    Fill(o.planReadAhead, Nothing);
    Fill(o.clearFileList, Nothing);
    Fill(o.fileIconIndex, NoIcon);
    Fill(o.insertFileListRow, NothingRange);
    Fill(o.measureName, NoWidth);
    Fill(o.setFileListColumnWidth, NothingIndex);
    Fill(o.setSliderRange, NothingRange);
    Fill(o.setCountText, NothingText);
    Fill(o.setTitle, NothingText);
    Fill(o.forgetTreeItem, Nothing);
}

void BookRelease(BookState* s) {
    ReleaseList(s);
    ForgetContainer(&s->book);
    s->book.path.Release();
    s->book.isOpen = false;
    s->book.kind = kBookFolder;
    s->currentIndex = 0;
    s->endIndex = 0;
}

BookKind ClassifyPath(BookState* s, OpenTarget* target) {
    StrBuf& path = target->path;
    if (GetPathKind(path.Text()) == PathKind::kFolder) {
        return kBookFolder;
    }
    if (path.HasExtension(u".zip") || path.HasExtension(u".cbz")) {
        return kBookZip;
    }
    if (path.HasExtension(u".rar") || path.HasExtension(u".cbr")) {
        return kBookRar;
    }
    if (HasExtensionIn(path.Text(), path.length, s->ops.archivePluginExtensions(s->ops.context))) {
        return kBookPluginArchive;
    }
    // A picture: the book is its folder, starting at the picture.
    target->selectName.AssignPathPart(kPathFileName, path.Text(), path.length);
    uint32_t cut = path.length;
    while (cut > 0 && path.buffer[cut - 1] != u'\\') {
        --cut;
    }
    if (cut > 0) {
        // Keep the separator of a path at the root ("\p.jpg" → "\"); otherwise cut before it.
        path.length = cut == 1 ? 1 : cut - 1;
        path.buffer[path.length] = 0;
    }
    return kBookFolder;
}

void SetBook(BookState* s, OpenTarget* target, uint32_t startLocator) {
    BookKind kind = ClassifyPath(s, target);
    Book& book = s->book;
    if (book.path.length > 0 && SamePath(book.path, target->path)) {
        target->startLocator = startLocator;
        return;
    }
    book.isOpen = true;
    book.kind = kBookFolder;
    ForgetContainer(&book);
    if (GetPathKind(target->path.Text()) != PathKind::kNone) {
        book.path.Assign(target->path.Text());
    } else {
        book.path.Assign(u"");
    }
    book.kind = kind;
    s->ops.forgetTreeItem(s->ops.context);
    target->startLocator = startLocator;
}

bool SetBookFromTree(BookState* s, BookKind kind, const char16_t* path, const ShellItemId* itemId) {
    Book& book = s->book;
    if (kind == kBookShellFolder) {
        ForgetContainer(&book);
        book.isOpen = true;
        book.kind = kind;
        book.itemId = CloneItemId(itemId);
        book.path.Assign(path);
        book.isRecycleBin = IsRecycleBinItemId(itemId);
        return true;
    }
    if (GetPathKind(path) == PathKind::kNone) {
        return false;
    }
    ForgetContainer(&book);
    book.isOpen = true;
    book.kind = kind;
    book.path.Assign(path);
    return true;
}

void OpenBook(BookState* s, const OpenTarget* target, int32_t startIndex) {
    void* ctx = s->ops.context;
    s->ops.beginOpen(ctx);
    {
        AppLockGuard lock;
        s->ops.resetReadAhead(ctx);
        BuildPageList(s);
    }
    if (s->pages != nullptr) {
        int32_t start = startIndex;
        if (s->book.kind != kBookShellFolder) {
            start = ChooseStart(s, target, startIndex);
            s->ops.addToHistory(ctx, s->book.path.Text());
        }
        if (start >= s->pageCount) {
            start = s->pageCount - 1;
        }
        if (start < 0) {
            start = 0;
        }
        s->currentIndex = start;
        s->endIndex = start + 1;
        s->ops.showFrom(ctx, start);
        s->ops.selectFileListRow(ctx, s->currentIndex);
        s->ops.updatePageText(ctx);
        s->ops.planReadAhead(ctx);
    } else {
        s->currentIndex = 0;
        s->endIndex = 0;
        s->ops.showEmpty(ctx);
    }
    s->ops.endOpen(ctx);
}

void BuildPageList(BookState* s) {
    ReleaseList(s);
    s->ops.clearFileList(s->ops.context);
    PageListBuilder builder{nullptr, 0, false};
    if (s->book.isOpen) {
        switch (s->book.kind) {
            case kBookFolder:
                ListFolderBook(s, &builder);
                break;
            case kBookShellFolder:
                ListShellFolderBook(s, &builder);
                break;
            case kBookZip:
            case kBookRar:
            case kBookPluginArchive:
                ListArchiveBook(s, &builder);
                break;
        }
    }
    if (builder.failed || builder.count == 0) {
        // No pages, or a list the heap could not hold: an empty book.
        FreePageList(builder.list);
    } else {
        s->pages = builder.list;
        s->pageCount = builder.count;
        SortPages(s->pages->entries, s->pageCount, IsArchiveKind(s->book.kind));
        PublishToFileList(s);
    }
    PublishCount(s);
}

void PublishToFileList(BookState* s) {
    if (s->pages == nullptr) {
        return;
    }
    void* ctx = s->ops.context;
    const char16_t* lastExt = nullptr;
    uint32_t lastExtLength = 0;
    int32_t icon = 0;
    int32_t widest = 0;
    for (int32_t i = 0; i < s->pageCount; ++i) {
        const StrBuf& name = s->pages->entries[i].name;
        uint32_t start = ExtensionStart(name.Text(), name.length);
        const char16_t* ext = name.Text() + start;
        uint32_t extLength = name.length - start;
        if (lastExt == nullptr || !EqualsNoCaseN(ext, extLength, lastExt, lastExtLength)) {
            // A name without an extension is asked for whole.
            icon = s->ops.fileIconIndex(ctx, extLength > 0 ? ext : name.Text());
            lastExt = ext;
            lastExtLength = extLength;
        }
        s->ops.insertFileListRow(ctx, i, icon);
        int32_t width = s->ops.measureName(ctx, name.Text(), name.length);
        if (width > widest) {
            widest = width;
        }
    }
    s->ops.setFileListColumnWidth(ctx, widest);
}

ArchiveMemberList* ListArchive(BookState* s) {
    const char16_t* path = s->book.path.Text();
    ArchiveMemberList* list = nullptr;
    if (s->book.kind == kBookZip) {
        list = ListZip(path);
    } else if (s->book.kind == kBookRar) {
        list = s->ops.listRar(s->ops.context, path);
    }
    if (HasMembers(list)) {
        return list;
    }
    FreeMemberList(list);
    // A ".zip" the own reader cannot list may still be one a plug-in reads.
    list = s->ops.listPluginArchive(s->ops.context, path);
    if (list != nullptr) {
        s->book.kind = kBookPluginArchive;
    }
    return list;
}

bool ListFolder(const char16_t* folder, PageListBuilder* out, ExtensionSet imagePluginExts) {
    DirReader reader;
    if (!reader.Open(folder)) {
        return false;
    }
    // One pass over the folder: each entry is classified by its own name, so a
    // file is listed once and never through a short 8.3 alias (x.jpeg is not a
    // ".jpe" page).
    DirEntry e{};
    while (reader.Next(&e)) {
        if (e.isFolder || !IsPageName(e.name, e.nameLength, imagePluginExts)) {
            continue;
        }
        PageEntry* page = AppendPage(out);
        if (page == nullptr || !page->name.Append(e.name, e.nameLength)) {
            out->failed = true;
            return false;
        }
        page->size = SizeInKiB(e.size);
        page->modified = e.modified;
    }
    return true;
}

void WatchFolder(BookState* s) {
    Book& book = s->book;
    if (!book.isOpen || book.kind != kBookFolder) {
        return;
    }
    book.changeWatch.reset();
    book.changeWatch.reset(WatchStart(book.path.Text()));
}

bool CheckChanged(BookState* s) {
    Book& book = s->book;
    if (book.kind != kBookShellFolder && book.path.length == 0) {
        return false;  // a path that did not exist: nothing was listed, nothing can change
    }
    switch (book.kind) {
        case kBookShellFolder:
            return false;
        case kBookFolder:
            if (GetPathKind(book.path.Text()) != PathKind::kFolder) {
                ForgetContainer(&book);
                return true;
            }
            if (book.changeWatch.valid()) {
                bool fired = WatchFired(book.changeWatch.get());
                book.changeWatch.reset();
                return fired;
            }
            return false;
        case kBookZip:
        case kBookRar:
        case kBookPluginArchive: {
            if (GetPathKind(book.path.Text()) == PathKind::kNone) {
                ForgetContainer(&book);
                return true;
            }
            FileHandle file(FileOpenRead(book.path.Text()));
            uint64_t time = 0;
            return file.valid() && FileGetTime(file.get(), &time) && time != book.archiveTime;
        }
    }
    return false;
}

void ReloadIfChanged(BookState* s) {
    if (!s->book.isOpen || !CheckChanged(s)) {
        return;
    }
    OpenTarget target;
    if (s->pages != nullptr && s->currentIndex >= 0 && s->currentIndex < s->pageCount) {
        const StrBuf& name = s->pages->entries[s->currentIndex].name;
        (void)target.selectName.Append(name.Text(), name.length);
    }
    OpenBook(s, &target, 0);
}

bool PageFilePath(const BookState* s, int32_t index, StrBuf* out) {
    if (s->pages == nullptr || index < 0 || index >= s->pageCount) {
        return false;
    }
    const PageEntry& e = s->pages->entries[index];
    if (s->book.kind == kBookFolder) {
        out->JoinPath(s->book.path.Text(), s->book.path.length, e.name.Text(), e.name.length);
        return s->book.path.length > 0;
    }
    if (s->book.kind == kBookShellFolder) {
        out->Assign(e.location.Text());
        return e.location.length > 0;
    }
    return false;
}
