#include <windows.h>

#include "archive/plugin_platform.h"

namespace {

void* LoadPlugin(const char16_t* path) {
    // A plug-in that fails to load must not raise the system's error box; its
    // own libraries are looked for beside it first.
    const DWORD oldMode = GetThreadErrorMode();
    SetThreadErrorMode(oldMode | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, nullptr);
    HMODULE m =
        LoadLibraryExW(reinterpret_cast<const wchar_t*>(path), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    SetThreadErrorMode(oldMode, nullptr);
    return m;
}

void* GetExport(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void FreePlugin(void* module) {
    FreeLibrary(static_cast<HMODULE>(module));
}

const uint8_t* LockLocal(SusieHandle handle, size_t* size) {
    *size = LocalSize(handle);
    void* p = LocalLock(handle);
    return *size == 0 ? nullptr : static_cast<const uint8_t*>(p);
}

void UnlockLocal(SusieHandle handle) {
    LocalUnlock(handle);
}

void FreeLocal(SusieHandle handle) {
    LocalFree(handle);
}

void FreeGlobal(SusieHandle handle) {
    GlobalFree(handle);
}

bool ToAnsi(const char16_t* text, char* out, size_t cap) {
    const int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text), -1, out,
                                      static_cast<int>(cap), nullptr, nullptr);
    return n > 0;
}

bool FromAnsi(const char* text, size_t n, StrBuf* out) {
    out->Assign(u"");
    if (n == 0) {
        return true;
    }
    const int need = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(n), nullptr, 0);
    if (need <= 0) {
        return true;  // an unconvertible name stays empty
    }
    char16_t* p = out->ResetReserve(static_cast<uint32_t>(need) + 1);
    if (p == nullptr) {
        return false;
    }
    const int got =
        MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(n), reinterpret_cast<wchar_t*>(p), need);
    p[got > 0 ? got : 0] = 0;
    out->SyncLength();
    return true;
}

const PluginPlatform kWindows = {LoadPlugin, GetExport,  FreePlugin, LockLocal, UnlockLocal,
                                 FreeLocal,  FreeGlobal, ToAnsi,     FromAnsi};

}  // namespace

const PluginPlatform* SystemPluginPlatform() {
    return &kWindows;
}
