#include "view/book.h"

#include <utility>

#include "app/os_level.h"
#include "app/text.h"
#include "archive/archive_member.h"
#include "archive/zip_reader.h"
#include "platform/dir.h"
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

int32_t Clamp(int32_t index, int32_t count) {
    if (index >= count) {
        index = count - 1;
    }
    return index < 0 ? 0 : index;
}

// Clears what belongs to the previous container (identifier, recycle flag, time,
// watch); used when the book is reset and when its container vanished.
void ForgetContainer(Book* book) {
    book->itemId.reset();
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

// The start page before clamping: the page named selectName, else the one with
// the locator (archives), else startIndex.
int32_t FindStart(const BookState* s, const OpenTarget* target, int32_t startIndex) {
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

void ListFolderBook(BookState* s, PageListBuilder* builder) {
    (void)ListFolder(s->book.path.Text(), builder, ImagePluginExtensions(s));
}

void ListShellFolderBook(BookState* s, PageListBuilder* builder) {
    (void)ListShellFolder(s->book.itemId.get(), builder, ImagePluginExtensions(s));
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
}

void BookRelease(BookState* s) {
    ReleaseList(s);
    ForgetContainer(&s->book);
    s->book.path.Release();
    s->book.isOpen = false;
    s->book.kind = kBookFolder;
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
    const uint32_t folder = ContainingFolderLength(path.Text(), path.length);
    if (folder < path.length) {
        path.length = folder;
        path.buffer[folder] = 0;
    }
    return kBookFolder;
}

bool SetBook(BookState* s, OpenTarget* target, uint32_t startLocator) {
    BookKind kind = ClassifyPath(s, target);
    Book& book = s->book;
    target->startLocator = startLocator;
    if (book.path.length > 0 && SamePath(book.path, target->path)) {
        return false;
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
    return true;
}

bool SetBookFromTree(BookState* s, BookKind kind, const char16_t* path, const ShellItemId* itemId) {
    Book& book = s->book;
    if (kind == kBookShellFolder) {
        ForgetContainer(&book);
        book.isOpen = true;
        book.kind = kind;
        book.itemId.reset(CloneItemId(itemId));
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

void BuildPageList(BookState* s) {
    ReleaseList(s);
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
    }
}

int32_t ChooseStartPage(const BookState* s, const OpenTarget* target, int32_t startIndex) {
    if (s->pages == nullptr) {
        return 0;
    }
    const int32_t start = s->book.kind == kBookShellFolder ? startIndex : FindStart(s, target, startIndex);
    return Clamp(start, s->pageCount);
}

bool IsReopenable(const BookState* s) {
    return s->pages != nullptr && s->book.kind != kBookShellFolder && s->book.path.length > 0;
}

const char16_t* BookTitle(const BookState* s) {
    return s->book.isOpen ? s->book.path.Text() : kProgramTitle;
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

bool PrepareReload(BookState* s, int32_t shownIndex, OpenTarget* target) {
    if (!s->book.isOpen || !CheckChanged(s)) {
        return false;
    }
    target->selectName.Assign(u"");
    if (s->pages != nullptr && shownIndex >= 0 && shownIndex < s->pageCount) {
        const StrBuf& name = s->pages->entries[shownIndex].name;
        (void)target->selectName.Append(name.Text(), name.length);
    }
    return true;
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
