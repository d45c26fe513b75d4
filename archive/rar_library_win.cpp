// Loading the RAR library on Windows from the plug-in folder, the program's
// folder and the system folder, in that order.
#include <windows.h>
#include <shlobj.h>

#include "archive/rar_library.h"
#include "archive/rar_library_platform.h"
#include "app/text.h"
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

// The library a context last loaded stays loaded between contexts: every page
// read is its own context, and loading the library afresh for each would cost
// more than reading the page. Guarded by AppLock.
HMODULE gKept = nullptr;
StrBuf gKeptPath;

void KeepLoaded(const StrBuf& path) {
    AppLockGuard lock;
    if (gKept != nullptr && EqualsNoCase(gKeptPath.Text(), path.Text())) {
        return;
    }
    if (gKept != nullptr) {
        FreeLibrary(gKept);
    }
    gKept = LoadLibraryW(Wide(path.Text()));
    gKeptPath.Assign(path.Text());
}

template <typename Fn>
Fn Entry(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

void* RarLoadFromPlaces(const char16_t* pluginFolder, RarEntryPoints* entry) {
    *entry = RarEntryPoints{};
    for (int place = kPlugin; place < kPlaceCount; ++place) {
        StrBuf path;
        if (!PlacePath(static_cast<Place>(place), pluginFolder, &path)) {
            continue;
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
            KeepLoaded(path);
            return module;
        }
        FreeLibrary(module);
    }
    return nullptr;
}

void RarFreeModule(void* module) {
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
