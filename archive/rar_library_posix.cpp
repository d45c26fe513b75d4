// The native build has no RAR library to load: only the test override serves.
#include "archive/rar_library.h"
#include "archive/rar_library_platform.h"

void* RarLoadFromPlaces(const char16_t*, RarEntryPoints* entry) {
    *entry = RarEntryPoints{};
    return nullptr;
}

void RarFreeModule(void*) {}

bool RarLibraryAvailable(const char16_t*) {
    return false;
}

void RarSetSearchFolders(const char16_t*, const char16_t*) {}
