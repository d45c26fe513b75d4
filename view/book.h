// The open book: what kind of container a path names, the one open book with its
// page list, the view position, the start page, and the reload of a book whose
// container changed while the program was in the background.
//
// BookState holds everything; the shell keeps one for the program, tests keep
// their own. Everything outside this floor (archive readers other than ZIP, the
// plug-in host, the read-ahead, the show operation, the history, the file list,
// the slider, the page text, the title, the folder tree) is reached through
// BookOps, a table of function pointers with a context that the shell fills;
// missing entries do nothing (or list nothing).
//
// Call order: BookInit(state, ops) → SetBook(target) or SetBookFromTree(...) →
// OpenBook(target, start) → ... → on deactivation WatchFolder, on activation
// ReloadIfChanged → BookRelease at shut-down. All on the user-interface thread;
// OpenBook holds AppLock while it resets the read-ahead and rebuilds the list.
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
    StrBuf path;                    // folder or archive path; for a shell folder the tree's path text
    ShellItemId* itemId = nullptr;  // shell folders only; owned
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
    // Opening: loader to idle priority, wait cursor, page-error mark cleared; and
    // the arrow cursor back at the end.
    void (*beginOpen)(void* ctx);
    void (*endOpen)(void* ctx);
    void (*resetReadAhead)(void* ctx);  // called under AppLock
    void (*addToHistory)(void* ctx, const char16_t* bookPath);
    // Shows forward from currentIndex with the spread rules; sets endIndex.
    void (*showFrom)(void* ctx, int32_t index);
    // Releases the shown pages, lays out and repaints the empty view, page text 0.
    void (*showEmpty)(void* ctx);
    void (*selectFileListRow)(void* ctx, int32_t index);  // select and scroll to
    void (*updatePageText)(void* ctx);                    // page text and slider position
    void (*planReadAhead)(void* ctx);
    // The file list: rows are created here, drawn by the list from the page list.
    void (*clearFileList)(void* ctx);
    // Small-icon index for a name's extension (".jpg"), or the whole name when it
    // has none; asked once per run of equal extensions.
    int32_t (*fileIconIndex)(void* ctx, const char16_t* key);
    void (*insertFileListRow)(void* ctx, int32_t index, int32_t iconIndex);
    int32_t (*measureName)(void* ctx, const char16_t* name, uint32_t n);
    void (*setFileListColumnWidth)(void* ctx, int32_t widestName);
    void (*setSliderRange)(void* ctx, int32_t low, int32_t high);
    void (*setCountText)(void* ctx, const char16_t* text);  // "/" and the page count
    void (*setTitle)(void* ctx, const char16_t* text);
    // Forgets the tree item that named the book and clears the tree's selection
    // without the tree reacting to it.
    void (*forgetTreeItem)(void* ctx);
};

struct BookState {
    Book book;
    PageList* pages = nullptr;  // null for an empty book
    // View position: pages currentIndex .. endIndex - 1 are shown.
    int32_t pageCount = 0;
    int32_t currentIndex = 0;
    int32_t endIndex = 0;
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
// archive is a picture: selectName becomes its file name and the path its folder.
BookKind ClassifyPath(BookState* state, OpenTarget* target);
// Makes the target the open book unless its path already is (same length,
// EqualsNoCase); remembers startLocator in the target either way.
void SetBook(BookState* state, OpenTarget* target, uint32_t startLocator);
// The folder tree names a book. False (book unchanged) when a non-shell path does
// not exist.
bool SetBookFromTree(BookState* state, BookKind kind, const char16_t* path, const ShellItemId* itemId);
// Rebuilds the page list of the open book and shows the start page: the page
// named target->selectName, else (archives) the one with target->startLocator,
// else startIndex, clamped to the list. target may be null.
void OpenBook(BookState* state, const OpenTarget* target, int32_t startIndex);
// Lists, sorts and publishes the open book's pages (caller holds AppLock).
void BuildPageList(BookState* state);
// Creates the file list's rows and column width from the sorted list.
void PublishToFileList(BookState* state);

// Lists the archive of the open book by its kind: ZIP by the own reader (with
// the file's time as archive time), RAR through ops; when that gives nothing, or
// for plug-in archives, through the archive plug-ins (the kind then becomes
// kBookPluginArchive). Null when nothing lists it.
[[nodiscard]] ArchiveMemberList* ListArchive(BookState* state);
// Appends the picture files of a folder (not subfolders): name, size in KiB,
// last-write time. False when the folder cannot be read.
bool ListFolder(const char16_t* folder, PageListBuilder* out, ExtensionSet imagePluginExts);

// Program deactivated: start watching the open folder book for changes of file
// names and sizes (closing an earlier watch).
void WatchFolder(BookState* state);
// True when the open book's container changed or vanished since it was listed.
// A vanished container also clears the item identifier, recycle flag and time.
bool CheckChanged(BookState* state);
// Program activated: when the book changed, reopen it at the name of the page
// that was shown.
void ReloadIfChanged(BookState* state);

// The file a page is decoded from for folder and shell-folder books: book path
// \ name, or the entry's location. False for archives (they go by locator) and
// for an index out of range.
bool PageFilePath(const BookState* state, int32_t index, StrBuf* out);
