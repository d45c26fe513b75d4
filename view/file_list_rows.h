// The rows of the file list for a listed book: one row per page in sorted order,
// each with the system small-icon index of its name's extension, and the list's
// only column as wide as the widest name. The file list draws the rows itself
// from the page list; this module only creates them.
//
// The file list is a window above this floor, reached through FileListOps, which
// the file list fills when it exists; missing entries do nothing, so without a
// file list nothing is published. The shell's open sequence empties the list
// before the page list is rebuilt and publishes it afterwards, both under
// AppLock. User-interface thread only.
#pragma once

#include <cstdint>

struct BookState;

struct FileListOps {
    void* context;
    // Removes every row (before the page list the rows refer to is released).
    void (*clear)(void* ctx);
    // Small-icon index for a name's extension (".jpg"), or for the whole name
    // when it has none; asked once per run of equal extensions.
    int32_t (*iconIndex)(void* ctx, const char16_t* key);
    void (*insertRow)(void* ctx, int32_t index, int32_t iconIndex);
    // Text width of a name in the list's font.
    int32_t (*measureName)(void* ctx, const char16_t* name, uint32_t n);
    void (*setColumnWidth)(void* ctx, int32_t widestName);
    // Around the rows of one book: count rows are coming (the list may make room
    // and hold its redraws and its measuring font), then they have all come.
    void (*beginRows)(void* ctx, int32_t count);
    void (*endRows)(void* ctx);
};

// Empties the file list; null ops or a missing entry do nothing.
void ClearFileList(const FileListOps* ops);
// Creates one row per page of the book's list and sets the column width from the
// widest name. Nothing for an empty book.
void PublishToFileList(const BookState* book, const FileListOps* ops);
