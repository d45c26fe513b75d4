// Fixtures for the book tests: a temporary folder filled from code, a fake of
// the book's listing providers (BookOps) that answers the listing and extension
// questions from tables, a recording file list (FileListOps) that logs every
// call as one text line, and a book opened as the shell's open sequence opens
// it, less the windows and the reading view.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/archive_member.h"
#include "view/book.h"
#include "view/file_list_rows.h"

// UTF-16 text as UTF-8 for messages and logs.
std::string Narrow(const char16_t* text);
std::string Narrow(const std::u16string& text);

// A fresh folder under the system's temporary folder, removed with its content.
class TempFolder {
  public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    // The folder as the program writes paths: UTF-16 with '\' separators.
    const std::u16string& path() const { return path_; }
    std::u16string Join(const std::u16string& name) const { return path_ + u"\\" + name; }
    std::filesystem::path Native(const std::u16string& name) const;

    // Creates (or rewrites) a file of `bytes` bytes; name may hold '\' for subfolders.
    bool AddFile(const std::u16string& name, size_t bytes = 0);
    bool AddBytes(const std::u16string& name, const std::vector<uint8_t>& bytes);
    bool AddFolder(const std::u16string& name);
    bool Remove(const std::u16string& name);
    // Moves the file's last-write time by the given number of seconds.
    bool Touch(const std::u16string& name, int seconds);

  private:
    std::filesystem::path root_;
    std::u16string path_;
};

// A member list as an archive reader would return it: paths are split as the
// readers split them ("ch2\01.jpg" → folder "ch2\", name "01.jpg").
ArchiveMemberList* MakeMemberList(const std::vector<std::u16string>& paths, uint64_t archiveTime = 0);

struct FakeShell {
    BookState* state = nullptr;
    std::vector<std::string> log;
    // Answers.
    std::vector<std::u16string> imageExtensions;
    std::vector<std::u16string> archiveExtensions;
    std::vector<std::u16string> rarMembers;     // listed when the archive file exists
    std::vector<std::u16string> pluginMembers;  // listed when non-empty and the file exists
    int32_t nameWidthPerChar = 7;
    // The extension sets handed out point into these.
    std::vector<const char16_t*> imagePointers;
    std::vector<const char16_t*> archivePointers;

    BookOps Ops();
    // A file list that logs "clear", "icon KEY", "row INDEX ICON" and
    // "columnWidth W"; a name measures nameWidthPerChar per character.
    FileListOps FileList();
    // Log lines that start with prefix.
    std::vector<std::string> Calls(const std::string& prefix) const;
    void Clear() { log.clear(); }
};

// A BookState initialised with the fake's operations and a fixed recycle-bin level.
struct FakeBook {
    FakeBook();
    ~FakeBook();
    FakeBook(const FakeBook&) = delete;
    FakeBook& operator=(const FakeBook&) = delete;

    // SetBook(path, startLocator), then Reopen at startIndex.
    void Open(const std::u16string& path, int32_t startIndex = 0, uint32_t startLocator = 0);
    // The book's steps of the open sequence: the file list emptied, the page
    // list rebuilt and published, the start page chosen into `start`.
    void Reopen(const OpenTarget* target, int32_t startIndex);
    // Activation: when PrepareReload says so, reopens at the page that was
    // shown (`start`); false when nothing changed.
    bool Reload();
    std::vector<std::u16string> Names() const;
    // The name of the page at `start`.
    std::u16string CurrentName() const;

    FakeShell shell;
    BookState state;
    FileListOps fileList{};
    int32_t start = 0;     // the page the shell would show first
    bool newBook = false;  // the last SetBook named a new book
};
