#include "tests/support/book_fixture.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>

#include "platform/dir.h"
#include "platform/utf.h"

#ifdef _WIN32
#include <process.h>
#define PW_GETPID _getpid
#else
#include <unistd.h>
#define PW_GETPID getpid
#endif

namespace fs = std::filesystem;

std::string Narrow(const char16_t* text) {
    size_t n = Utf16Length(text);
    std::string out(n * 3 + 1, '\0');
    size_t len = Utf16ToUtf8(text, n, out.data(), out.size());
    out.resize(len);
    return out;
}

std::string Narrow(const std::u16string& text) {
    return Narrow(text.c_str());
}

namespace {
std::u16string ProgramPath(const fs::path& p) {
    std::u16string s = p.u16string();
    for (char16_t& c : s) {
        if (c == u'/') {
            c = u'\\';
        }
    }
    return s;
}

fs::path NativeRelative(const std::u16string& name) {
    std::u16string s = name;
    for (char16_t& c : s) {
        if (c == u'\\') {
            c = u'/';
        }
    }
    return fs::path(s);
}
}  // namespace

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    root_ = base / ("pw_book_" + std::to_string(PW_GETPID()) + "_" + std::to_string(counter++));
    fs::remove_all(root_, ec);
    fs::create_directories(root_, ec);
    path_ = ProgramPath(root_);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
}

fs::path TempFolder::Native(const std::u16string& name) const {
    return root_ / NativeRelative(name);
}

bool TempFolder::AddFile(const std::u16string& name, size_t bytes) {
    return AddBytes(name, std::vector<uint8_t>(bytes, 0x5A));
}

bool TempFolder::AddBytes(const std::u16string& name, const std::vector<uint8_t>& bytes) {
    fs::path p = Native(name);
    std::error_code ec;
    fs::create_directories(p.parent_path(), ec);
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    if (!out) {
        return false;
    }
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool TempFolder::AddFolder(const std::u16string& name) {
    std::error_code ec;
    fs::create_directories(Native(name), ec);
    return !ec;
}

bool TempFolder::Remove(const std::u16string& name) {
    std::error_code ec;
    return fs::remove_all(Native(name), ec) > 0 && !ec;
}

bool TempFolder::Touch(const std::u16string& name, int seconds) {
    std::error_code ec;
    fs::path p = Native(name);
    auto t = fs::last_write_time(p, ec);
    if (ec) {
        return false;
    }
    fs::last_write_time(p, t + std::chrono::seconds(seconds), ec);
    return !ec;
}

ArchiveMemberList* MakeMemberList(const std::vector<std::u16string>& paths, uint64_t archiveTime) {
    ArchiveMemberList* list = NewMemberList(static_cast<int32_t>(paths.size()));
    if (list == nullptr) {
        return nullptr;
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        ArchiveMember& m = list->members[i];
        m.folder.Assign(paths[i].c_str());
        (void)SplitMemberPath(&m);
        m.locator = static_cast<uint32_t>(100 + i);
        m.size = static_cast<uint32_t>(1000 + i);
        m.modified = 5000 + i;
    }
    list->count = static_cast<int32_t>(paths.size());
    list->archiveTime = archiveTime;
    return list;
}

namespace {
FakeShell* Me(void* ctx) {
    return static_cast<FakeShell*>(ctx);
}

ExtensionSet Extensions(const std::vector<std::u16string>& exts, std::vector<const char16_t*>* ptrs) {
    ptrs->clear();
    for (const std::u16string& e : exts) {
        ptrs->push_back(e.c_str());
    }
    return ExtensionSet{ptrs->data(), static_cast<uint32_t>(ptrs->size())};
}

ArchiveMemberList* ListIfExists(FakeShell* shell,
                                const char16_t* path,
                                const std::vector<std::u16string>& members,
                                const char* what) {
    shell->log.push_back(std::string(what) + " " + Narrow(path));
    if (members.empty() || GetPathKind(path) != PathKind::kFile) {
        return nullptr;
    }
    return MakeMemberList(members, 777);
}
}  // namespace

BookOps FakeShell::Ops() {
    BookOps ops{};
    ops.context = this;
    ops.listRar = [](void* ctx, const char16_t* path) {
        return ListIfExists(Me(ctx), path, Me(ctx)->rarMembers, "listRar");
    };
    ops.listPluginArchive = [](void* ctx, const char16_t* path) {
        return ListIfExists(Me(ctx), path, Me(ctx)->pluginMembers, "listPlugin");
    };
    ops.imagePluginExtensions = [](void* ctx) {
        return Extensions(Me(ctx)->imageExtensions, &Me(ctx)->imagePointers);
    };
    ops.archivePluginExtensions = [](void* ctx) {
        return Extensions(Me(ctx)->archiveExtensions, &Me(ctx)->archivePointers);
    };
    return ops;
}

FileListOps FakeShell::FileList() {
    FileListOps ops{};
    ops.context = this;
    ops.clear = [](void* ctx) { Me(ctx)->log.push_back("clear"); };
    ops.iconIndex = [](void* ctx, const char16_t* key) {
        Me(ctx)->log.push_back("icon " + Narrow(key));
        return static_cast<int32_t>(Utf16Length(key));
    };
    ops.insertRow = [](void* ctx, int32_t index, int32_t icon) {
        Me(ctx)->log.push_back("row " + std::to_string(index) + " " + std::to_string(icon));
    };
    ops.measureName = [](void* ctx, const char16_t*, uint32_t n) {
        return static_cast<int32_t>(n) * Me(ctx)->nameWidthPerChar;
    };
    ops.setColumnWidth = [](void* ctx, int32_t width) {
        Me(ctx)->log.push_back("columnWidth " + std::to_string(width));
    };
    ops.beginRows = [](void* ctx, int32_t count) {
        Me(ctx)->log.push_back("begin " + std::to_string(count));
    };
    ops.endRows = [](void* ctx) { Me(ctx)->log.push_back("end"); };
    return ops;
}

std::vector<std::string> FakeShell::Calls(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& line : log) {
        if (line.compare(0, prefix.size(), prefix) == 0) {
            out.push_back(line);
        }
    }
    return out;
}

FakeBook::FakeBook() {
    shell.state = &state;
    BookOps ops = shell.Ops();
    BookInit(&state, &ops);
    fileList = shell.FileList();
    state.osLevel = 5;
}

FakeBook::~FakeBook() {
    BookRelease(&state);
}

void FakeBook::Open(const std::u16string& path, int32_t startIndex, uint32_t startLocator) {
    OpenTarget target;
    target.path.Assign(path.c_str());
    newBook = SetBook(&state, &target, startLocator);
    Reopen(&target, startIndex);
}

void FakeBook::Reopen(const OpenTarget* target, int32_t startIndex) {
    ClearFileList(&fileList);
    BuildPageList(&state);
    PublishToFileList(&state, &fileList);
    start = ChooseStartPage(&state, target, startIndex);
}

bool FakeBook::Reload() {
    OpenTarget target;
    if (!PrepareReload(&state, start, &target)) {
        return false;
    }
    Reopen(&target, 0);
    return true;
}

std::vector<std::u16string> FakeBook::Names() const {
    std::vector<std::u16string> names;
    for (int32_t i = 0; i < state.pageCount; ++i) {
        const StrBuf& n = state.pages->entries[i].name;
        names.emplace_back(n.Text(), n.length);
    }
    return names;
}

std::u16string FakeBook::CurrentName() const {
    if (state.pages == nullptr || start < 0 || start >= state.pageCount) {
        return u"";
    }
    const StrBuf& n = state.pages->entries[start].name;
    return std::u16string(n.Text(), n.length);
}
