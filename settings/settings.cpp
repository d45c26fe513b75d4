#include "settings/settings.h"

#include <new>

#include "platform/heap.h"

Settings gSettings;
StrBuf gSettingsPath;

namespace {

// Grows an array of heap-owned records to hold `need` items. The records are
// moved into the new block one by one, so their own buffers stay theirs.
template <typename T>
bool GrowItems(T*& items, uint32_t count, uint32_t& capacity, uint32_t need) {
    if (need <= capacity) {
        return true;
    }
    uint64_t grown = capacity < 8 ? 8 : uint64_t{capacity} * 2;
    if (grown < need) {
        grown = need;
    }
    if (grown > UINT32_MAX / sizeof(T)) {
        return false;
    }
    T* fresh = AppAllocArrayZero<T>(static_cast<size_t>(grown));
    if (fresh == nullptr) {
        return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
        new (&fresh[i]) T(static_cast<T&&>(items[i]));
        items[i].~T();
    }
    if (items != nullptr) {
        AppFree(items);
    }
    items = fresh;
    capacity = static_cast<uint32_t>(grown);
    return true;
}

template <typename T>
void FreeItems(T*& items, uint32_t& count, uint32_t& capacity) {
    for (uint32_t i = 0; i < count; ++i) {
        items[i].~T();
    }
    if (items != nullptr && AppHeapAlive()) {
        AppFree(items);
    }
    items = nullptr;
    count = 0;
    capacity = 0;
}

}  // namespace

void TextList::Clear() {
    FreeItems(items, count, capacity);
}

bool TextList::Append(const char16_t* text, uint32_t n) {
    StrBuf copy;
    if (!copy.Append(text, n) || !GrowItems(items, count, capacity, count + 1)) {
        return false;
    }
    new (&items[count]) StrBuf(static_cast<StrBuf&&>(copy));
    ++count;
    return true;
}

void TreeFolderList::Clear() {
    FreeItems(items, count, capacity);
}

bool TreeFolderList::Append(const char16_t* path, uint32_t n, uint8_t expand) {
    StrBuf copy;
    if (!copy.Append(path, n) || !GrowItems(items, count, capacity, count + 1)) {
        return false;
    }
    TreeFolder* f = new (&items[count]) TreeFolder();
    f->path = static_cast<StrBuf&&>(copy);
    f->expand = expand;
    ++count;
    return true;
}

Settings::Settings() {
    SettingsResetInts(this);
    SetDefaultKeyBindings(keyBindings);
    keyTableCount = AccelTableFromKeyBindings(keyBindings, keyTable);
}

void SettingsRelease(Settings* s) {
    s->languageFile.Release();
    s->pluginFolder.Release();
    s->openDialogFolder.Release();
    s->resumePath.Release();
    for (StrBuf& f : s->favouriteFolders) {
        f.Release();
    }
    for (Bookmark& b : s->bookmarks) {
        b.path.Release();
    }
    for (StrBuf& h : s->history) {
        h.Release();
    }
    s->treeFolders.Clear();
    s->disabledPlugins.Clear();
}

void SettingsReset(Settings* s) {
    SettingsRelease(s);
    SettingsResetInts(s);
    SetDefaultKeyBindings(s->keyBindings);
    s->keyTableCount = AccelTableFromKeyBindings(s->keyBindings, s->keyTable);
    s->bookmarkCount = 0;
    s->historyCount = 0;
}

void SettingsTakeWindowAtExit(Settings* s, const WindowAtExit& w) {
    s->fullScreen = w.fullScreen;
    WindowRect r;
    if (w.fullScreen) {
        s->windowShowState = w.keptShowState == kShowMaximized ? kShowMaximized : kShowNormal;
        r = w.kept;
    } else {
        // A minimised window comes back maximised next time only if it would
        // have been restored that way.
        bool maximized =
            w.show == WindowShow::kMaximized || (w.show == WindowShow::kMinimized && w.restoreToMaximized);
        s->windowShowState = maximized ? kShowMaximized : kShowNormal;
        r = w.normal;
    }
    s->windowLeft = r.left;
    s->windowTop = r.top;
    // Wrapping arithmetic: a rectangle from the platform never overflows, and a
    // nonsense one must not be undefined behaviour.
    s->windowWidth = static_cast<int32_t>(static_cast<uint32_t>(r.right) - static_cast<uint32_t>(r.left));
    s->windowHeight = static_cast<int32_t>(static_cast<uint32_t>(r.bottom) - static_cast<uint32_t>(r.top));
}
