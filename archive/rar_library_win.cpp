// Loading the RAR library on Windows from the plug-in folder, the program's
// folder and the system folder, in that order.
#include <shlobj.h>
#include <windows.h>

#include "app/text.h"
#include "archive/rar_library.h"
#include "archive/rar_library_platform.h"
#include "platform/lock.h"

namespace {

enum Place { kPlugin, kProgram, kSystem, kPlaceCount };

// Test replacements for the program and system folders (empty: the real ones).
// Set before any context runs.
StrBuf gProgramFolder;
StrBuf gSystemFolder;

const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

void ProgramFolder(StrBuf* out) {
    if (gProgramFolder.length > 0) {
        out->Assign(gProgramFolder.Text());
        return;
    }
    wchar_t module[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        out->Assign(u"");
        return;
    }
    const auto* text = reinterpret_cast<const char16_t*>(module);
    uint32_t cut = n;
    while (cut > 0 && text[cut - 1] != u'\\') {
        --cut;
    }
    out->ResetReserve(cut + 1);
    (void)out->Append(text, cut);
}

bool SystemFolder(StrBuf* out) {
    if (gSystemFolder.length > 0) {
        out->Assign(gSystemFolder.Text());
        return true;
    }
    wchar_t folder[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_SYSTEM, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return false;
    }
    out->Assign(reinterpret_cast<const char16_t*>(folder));
    return true;
}

// The library's path at one place; false when the place names no path (an empty
// plug-in folder; an unknown system folder gives the bare name instead).
bool PlacePath(Place place, const char16_t* pluginFolder, StrBuf* out) {
    StrBuf folder;
    switch (place) {
        case kPlugin:
            folder.Assign(pluginFolder != nullptr ? pluginFolder : u"");
            break;
        case kProgram:
            ProgramFolder(&folder);
            break;
        case kSystem:
            if (!SystemFolder(&folder)) {
                out->Assign(kRarLibraryName);
                return true;
            }
            break;
        default:
            return false;
    }
    if (folder.length == 0) {
        return false;
    }
    out->Assign(folder.Text());
    if (out->Text()[out->length - 1] != u'\\') {
        (void)out->AppendChar(u'\\');
    }
    (void)out->Append(kRarLibraryName, TextLength(kRarLibraryName));
    return true;
}

// Every complete library once loaded stays loaded, with its entry points, until
// the process ends: each page read is its own context, and loading the library
// afresh per page (a file search and the loader's lock, even for a module
// already mapped) costs a large share of reading the page. The table holds the
// few places a user ever configures; a context that finds its place here takes
// the kept entry points and holds no reference of its own. Guarded by AppLock.
struct Kept {
    StrBuf path;
    HMODULE module = nullptr;
    RarEntryPoints entry{};
};
constexpr int kKeptMax = 4;
Kept gKept[kKeptMax];
int gKeptCount = 0;

const Kept* FindKept(const StrBuf& path) {
    for (int i = 0; i < gKeptCount; ++i) {
        if (EqualsNoCase(gKept[i].path.Text(), path.Text())) {
            return &gKept[i];
        }
    }
    return nullptr;
}

// True when the table took the module's reference.
bool Keep(const StrBuf& path, HMODULE module, const RarEntryPoints& entry) {
    if (gKeptCount == kKeptMax) {
        return false;
    }
    Kept* k = &gKept[gKeptCount++];
    k->path.Assign(path.Text());
    k->module = module;
    k->entry = entry;
    return true;
}

template <typename Fn>
Fn Entry(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

void* RarLoadFromPlaces(const char16_t* pluginFolder, RarEntryPoints* entry) {
    *entry = RarEntryPoints{};
    AppLockGuard lock;  // LoadLibrary runs no code of ours that waits on the lock
    for (int place = kPlugin; place < kPlaceCount; ++place) {
        StrBuf path;
        if (!PlacePath(static_cast<Place>(place), pluginFolder, &path)) {
            continue;
        }
        if (const Kept* k = FindKept(path)) {
            *entry = k->entry;
            return k->module;
        }
        HMODULE module = LoadLibraryW(Wide(path.Text()));
        if (module == nullptr) {
            continue;
        }
        RarEntryPoints e{Entry<rar::OpenArchiveExFn>(module, "RAROpenArchiveEx"),
                         Entry<rar::CloseArchiveFn>(module, "RARCloseArchive"),
                         Entry<rar::ReadHeaderExFn>(module, "RARReadHeaderEx"),
                         Entry<rar::ProcessFileWFn>(module, "RARProcessFileW")};
        if (e.openArchiveEx != nullptr && e.closeArchive != nullptr && e.readHeaderEx != nullptr &&
            e.processFileW != nullptr) {
            *entry = e;
            // With the table full, this context holds the only reference.
            (void)Keep(path, module, e);
            return module;
        }
        FreeLibrary(module);
    }
    return nullptr;
}

void RarFreeModule(void* module) {
    {
        AppLockGuard lock;
        for (int i = 0; i < gKeptCount; ++i) {
            if (gKept[i].module == module) {
                return;  // the table's reference, kept to the end of the process
            }
        }
    }
    FreeLibrary(static_cast<HMODULE>(module));
}

bool RarLibraryAvailable(const char16_t* pluginFolder) {
    for (int place = kPlugin; place < kPlaceCount; ++place) {
        StrBuf path;
        if (!PlacePath(static_cast<Place>(place), pluginFolder, &path)) {
            continue;
        }
        if (place == kSystem && path.length == TextLength(kRarLibraryName)) {
            // The bare name: only a search would tell, and nothing is loaded here.
            return false;
        }
        const DWORD attributes = GetFileAttributesW(Wide(path.Text()));
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            return true;
        }
    }
    return false;
}

void RarSetSearchFolders(const char16_t* programFolder, const char16_t* systemFolder) {
    gProgramFolder.Assign(programFolder != nullptr ? programFolder : u"");
    gSystemFolder.Assign(systemFolder != nullptr ? systemFolder : u"");
}
