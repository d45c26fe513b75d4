// The platform-free half of the RAR library binding: the shell's prompt, the
// plug-in folder copy, the test override and the context's load and release.
#include "archive/rar_library.h"

#include "archive/rar_archive.h"
#include "archive/rar_library_platform.h"
#include "platform/lock.h"

namespace {
RarPromptOps gPrompt{};
StrBuf gPluginFolder;  // guarded by AppLock
const RarEntryPoints* gOverride = nullptr;

bool Complete(const RarEntryPoints& e) {
    return e.openArchiveEx != nullptr && e.closeArchive != nullptr && e.readHeaderEx != nullptr &&
           e.processFileW != nullptr;
}
}  // namespace

void RarSetPromptOps(const RarPromptOps* ops) {
    gPrompt = ops != nullptr ? *ops : RarPromptOps{};
}

bool RarAskPassword(void* owner, int32_t dialogId, StrBuf* password) {
    return gPrompt.askPassword != nullptr && gPrompt.askPassword(gPrompt.context, owner, dialogId, password);
}

void RarSetPluginFolder(const char16_t* folder) {
    AppLockGuard lock;
    gPluginFolder.Assign(folder != nullptr ? folder : u"");
}

void RarCopyPluginFolder(StrBuf* out) {
    AppLockGuard lock;
    out->Assign(gPluginFolder.Text());
}

void RarSetEntryPointsOverride(const RarEntryPoints* entry) {
    gOverride = entry;
}

bool RarLoadLibrary(RarContext* c) {
    if (Complete(c->entry)) {
        return true;
    }
    if (gOverride != nullptr) {
        c->entry = *gOverride;
        return Complete(c->entry);
    }
    c->library = RarLoadFromPlaces(c->pluginFolder.Text(), &c->entry);
    return c->library != nullptr;
}

void RarReleaseLibrary(RarContext* c) {
    if (c->library != nullptr) {
        RarFreeModule(c->library);
        c->library = nullptr;
    }
    c->entry = RarEntryPoints{};
}
