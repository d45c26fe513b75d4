// The open book: what kind of container a path names, the one open book with its
// page list, the listing and sorting of its pages, the page to start at, and
// whether its container changed while the program was in the background. The
// book lists; it shows nothing: the shell's open sequence (ui/reader.h) calls it
// and then the reading view and the windows.
//
// BookState holds the book and its list; the shell keeps one for the program,
// tests keep their own. The listings of other readers (RAR, the plug-in host)
// and the plug-ins' extension sets are reached through BookOps, a table of
// function pointers with a context that the shell fills; missing entries list
// nothing.
//
// Call order: BookInit(state, ops) → SetBook(target) or SetBookFromTree(...) →
// BuildPageList (under AppLock, with the read-ahead reset) → ChooseStartPage →
// ... → on deactivation WatchFolder, on activation PrepareReload → BookRelease at
// shut-down. All on the user-interface thread.
//
// Ownership: the state owns the book's path, its shell item identifier, its
// change watch and the page list; BookRelease frees them. An OpenTarget belongs
// to its caller. Failures never reach the user from here: a path that cannot be
// read, a vanished container or an allocation failure all give an empty book.
#pragma once

#include <cstdint>

#include "app/str_buf.h"
#include "platform/watch.h"
#include "view/book_shell.h"
#include "view/page_list.h"

struct ArchiveMemberList;

enum BookKind : int32_t {
    kBookFolder = 0,         // a file-system folder; page path = book path \ name
    kBookShellFolder = 1,    // a shell folder by item identifier; page path = entry location
    kBookZip = 2,            // ".zip", ".cbz": the own ZIP reader; archive path + locator
    kBookRar = 3,            // ".rar", ".cbr": the RAR library
    kBookPluginArchive = 4,  // any archive an archive plug-in lists
};

struct Book {
    bool isOpen = false;  // a book has been chosen (it may have no pages)
    BookKind kind = kBookFolder;
    StrBuf path;         // folder or archive path; for a shell folder the tree's path text
    ItemIdOwner itemId;  // shell folders only
    bool isRecycleBin = false;
    uint64_t archiveTime = 0;  // archive's last-write FILETIME when listed; 0 otherwise
    FolderWatch changeWatch;
};

// What an open request names.
struct OpenTarget {
    StrBuf path;
    StrBuf selectName;          // page name to start at; empty for none
    uint32_t startLocator = 0;  // archive member locator to start at; 0 for none
};

struct BookOps {
    void* context;
    // Listings of other readers: each returns a list the book frees, or null.
    // The RAR reader and the plug-in host fill the list's archive time.
    ArchiveMemberList* (*listRar)(void* ctx, const char16_t* path);
    ArchiveMemberList* (*listPluginArchive)(void* ctx, const char16_t* path);
    // Extensions (".ext") declared by image plug-ins and by archive plug-ins.
    ExtensionSet (*imagePluginExtensions)(void* ctx);
    ExtensionSet (*archivePluginExtensions)(void* ctx);
};

struct BookState {
    Book book;
    PageList* pages = nullptr;  // null for an empty book
    int32_t pageCount = 0;
    BookOps ops{};
    // Recycle-bin index format (app/os_level.h); 0 reads the program's gOsLevel
    // when the bin is listed.
    int osLevel = 0;
};

// Copies ops (null allowed) with every missing entry made a no-op.
void BookInit(BookState* state, const BookOps* ops);
// Frees the page list, the item identifier and the watch; the book is closed.
// Called at shut-down while the application heap still exists.
void BookRelease(BookState* state);

// Decides the kind of target->path. A path that is neither a folder nor an
// archive is a picture: selectName becomes its file name and the path its folder
// (a picture at a root keeps the root's '\': "C:\p.jpg" gives "C:\").
BookKind ClassifyPath(BookState* state, OpenTarget* target);
// Makes the target the open book unless its path already is (same length,
// EqualsNoCase); remembers startLocator in the target either way. True when the
// book was reset to a new one: the folder tree then forgets the item that named
// the old book.
bool SetBook(BookState* state, OpenTarget* target, uint32_t startLocator);
// The folder tree names a book. False (book unchanged) when a non-shell path does
// not exist.
[[nodiscard]] bool SetBookFromTree(BookState* state,
                                   BookKind kind,
                                   const char16_t* path,
                                   const ShellItemId* itemId);
// Releases the old page list, then lists and sorts the open book's pages; the
// book is empty (pages null) when nothing is listed. The caller holds AppLock
// and has reset the read-ahead and emptied the file list.
void BuildPageList(BookState* state);
// The page to start at in the listed book: the page named target->selectName,
// else (archives) the one with target->startLocator, else startIndex; shell
// folders always take startIndex. Clamped to the list; 0 for an empty book.
// target may be null.
[[nodiscard]] int32_t ChooseStartPage(const BookState* state, const OpenTarget* target, int32_t startIndex);
// True when the listed book can be named again later by its path (history,
// resume, bookmarks): it has pages and is not a shell folder.
[[nodiscard]] bool IsReopenable(const BookState* state);
// The main window's title for the book: its path once a book was chosen (empty
// when that path did not exist), else the program's name.
[[nodiscard]] const char16_t* BookTitle(const BookState* state);

// Lists the archive of the open book by its kind: ZIP by the own reader (with
// the file's time as archive time), RAR through ops; when that gives nothing, or
// for plug-in archives, through the archive plug-ins (the kind then becomes
// kBookPluginArchive). Null when nothing lists it.
[[nodiscard]] ArchiveMemberList* ListArchive(BookState* state);
// Appends the picture files of a folder (not subfolders): name, size in KiB,
// last-write time. False when the folder cannot be read.
[[nodiscard]] bool ListFolder(const char16_t* folder, PageListBuilder* out, ExtensionSet imagePluginExts);

// Program deactivated: start watching the open folder book for changes of file
// names and sizes (closing an earlier watch).
void WatchFolder(BookState* state);
// True when the open book's container changed or vanished since it was listed.
// A vanished container also clears the item identifier, recycle flag and time.
[[nodiscard]] bool CheckChanged(BookState* state);
// Program activated: true when the open book changed and must be reopened;
// target then names the page at shownIndex (the first page shown), which the
// reopened book starts at.
[[nodiscard]] bool PrepareReload(BookState* state, int32_t shownIndex, OpenTarget* target);

// The file a page is decoded from for folder and shell-folder books: book path
// \ name, or the entry's location. False for archives (they go by locator) and
// for an index out of range.
[[nodiscard]] bool PageFilePath(const BookState* state, int32_t index, StrBuf* out);
