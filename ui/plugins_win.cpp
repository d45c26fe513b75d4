#include "ui/plugins.h"

#include "app/text.h"
#include "archive/plugin_host.h"
#include "archive/plugin_platform.h"
#include "decode/open_image.h"
#include "platform/heap.h"
#include "settings/settings.h"

namespace {

// Longest pattern list the open dialog's filter takes.
constexpr uint32_t kMaxOpenPatterns = 1024;

// Both read gSettings; the host calls them only under AppLock, which the
// options dialog also holds while it changes the two settings.
void SettingsFolder(void* /*context*/, StrBuf* out) {
    out->Assign(gSettings.pluginFolder.Text());
}

bool SettingsDisabled(void* /*context*/, const char16_t* fileName) {
    for (uint32_t i = 0; i < gSettings.disabledPlugins.count; ++i) {
        if (EqualsNoCase(gSettings.disabledPlugins.items[i].Text(), fileName)) {
            return true;
        }
    }
    return false;
}

const PluginSource kSource = {nullptr, SettingsFolder, SettingsDisabled};
const ImageFallbackOps kFallback = {PluginOpenPictureFile, PluginOpenPictureMemory};

// The book borrows an extension set until it asks again; each request rebuilds
// it, so a changed folder or enabled set shows at the next listing.
struct OwnedExtensions {
    PluginTextList list;
    const char16_t** items = nullptr;

    void Release() {
        AppFree(items);
        items = nullptr;
        list.Clear();
    }

    ExtensionSet Refresh(uint32_t mask) {
        Release();
        PluginExtensions(mask, false, &list);
        if (list.count == 0) {
            return {nullptr, 0};
        }
        items = AppAllocArrayZero<const char16_t*>(list.count);
        if (items == nullptr) {
            return {nullptr, 0};
        }
        for (uint32_t i = 0; i < list.count; ++i) {
            items[i] = list.items[i].Text();
        }
        return {items, list.count};
    }
};

OwnedExtensions gImageExtensions;
OwnedExtensions gArchiveExtensions;

ArchiveMemberList* ListPluginArchive(void* /*ctx*/, const char16_t* path) {
    return PluginListArchive(path);
}

ExtensionSet ImageExtensions(void* /*ctx*/) {
    return gImageExtensions.Refresh(kPluginPicture);
}

ExtensionSet ArchiveExtensions(void* /*ctx*/) {
    return gArchiveExtensions.Refresh(kPluginArchive);
}

}  // namespace

void PluginsInit() {
    SetPluginHost(SystemPluginPlatform(), &kSource);
    SetImageFallbackOps(&kFallback);
}

void PluginsRelease() {
    gImageExtensions.Release();
    gArchiveExtensions.Release();
}

BookOps PluginBookOps() {
    BookOps ops{};
    ops.listPluginArchive = ListPluginArchive;
    ops.imagePluginExtensions = ImageExtensions;
    ops.archivePluginExtensions = ArchiveExtensions;
    return ops;
}

void PluginOpenPatterns(StrBuf* out) {
    PluginTextList patterns;
    PluginExtensions(kPluginPicture | kPluginArchive, true, &patterns);
    JoinPatterns(patterns, kMaxOpenPatterns, out);
}
