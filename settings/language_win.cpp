#include <windows.h>

#include <cstring>

#include "platform/owners_win.h"
#include "settings/language.h"

namespace {
ModuleOwner gLanguage;

const wchar_t* W(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}

bool HasMarker(HMODULE module) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(10));
    if (found == nullptr || SizeofResource(module, found) < sizeof kLanguageMarker) {
        return false;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    return bytes != nullptr && std::memcmp(bytes, kLanguageMarker, sizeof kLanguageMarker) == 0;
}
}  // namespace

bool LoadLanguage(StrBuf* languageFile) {
    FreeLanguage();
    if (languageFile->length == 0) {
        languageFile->Assign(GetUserDefaultUILanguage() == 1041 ? u"Japanese" : u"English");
    }
    const char16_t* tried[] = {languageFile->Text(), u"English", u"Japanese"};
    ModuleOwner module;
    const char16_t* name = nullptr;
    for (const char16_t* t : tried) {
        module.reset(LoadLibraryW(W(t)));
        if (module.valid()) {
            name = t;
            break;
        }
    }
    if (!module.valid() || !HasMarker(module.get())) {
        return false;
    }
    if (name != languageFile->Text()) {
        languageFile->Assign(name);
    }
    gLanguage = static_cast<ModuleOwner&&>(module);
    return true;
}

bool SwitchLanguage(StrBuf* languageFile, const char16_t* name) {
    ModuleOwner module(LoadLibraryW(W(name)));
    if (!module.valid() || !HasMarker(module.get())) {
        return false;
    }
    StrBuf chosen;
    chosen.Assign(name);
    if (chosen.length != TextLength(name)) {
        return false;
    }
    gLanguage = static_cast<ModuleOwner&&>(module);
    *languageFile = static_cast<StrBuf&&>(chosen);
    return true;
}

void FreeLanguage() {
    gLanguage.reset();
}

bool IsLanguageLibrary(const char16_t* path) {
    ModuleOwner module(
        LoadLibraryExW(W(path), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    return module.valid() && HasMarker(module.get());
}

void LanguageString(uint32_t id, StrBuf* out) {
    out->ResetReserve(127);
    if (out->buffer == nullptr || !gLanguage.valid()) {
        return;
    }
    int n = LoadStringW(gLanguage.get(), id, reinterpret_cast<wchar_t*>(out->buffer), 128);
    out->length = n > 0 ? static_cast<uint32_t>(n) : 0;
    out->buffer[out->length] = 0;
}

void* LanguageModule() {
    return gLanguage.get();
}
