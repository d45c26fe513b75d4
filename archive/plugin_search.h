// The plug-in search shared by the host's operations: enumerating the plug-in
// folder (".spi" files, then ".sph" files, each in the order the folder gives
// them, disabled ones skipped), loading a candidate, asking it whether it takes
// a file (with the header buffer at offset 0, then 128) and of what kind it is.
// Internal to archive/plugin_*.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/str_buf.h"
#include "archive/plugin_host.h"

// ANSI names handed to plug-ins: at most 259 bytes and a terminator.
constexpr size_t kPluginAnsiPath = 260;

// Owns one loaded plug-in library.
class PluginModule {
  public:
    PluginModule() = default;
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;
    ~PluginModule() { reset(); }
    void* get() const { return m_; }
    // Gives the library up without freeing it (another owner takes it over).
    void* release() {
        void* m = m_;
        m_ = nullptr;
        return m;
    }
    void reset(const PluginPlatform* platform = nullptr, void* m = nullptr) {
        if (m_ != nullptr) {
            platform_->freeModule(m_);
        }
        platform_ = platform;
        m_ = m;
    }

  private:
    const PluginPlatform* platform_ = nullptr;
    void* m_ = nullptr;
};

// One operation's view of the host (the published design's per-call record).
struct PluginSearch {
    const PluginPlatform* platform = nullptr;
    const PluginSource* source = nullptr;
    StrBuf folder;              // copied under AppLock
    PluginModule module;        // the accepting or named plug-in
    uint32_t headerOffset = 0;  // 0 or 128: where the accepting plug-in found its data
};

// Copies the host tables and the plug-in folder (under AppLock). False when no
// host is set or the folder setting is not an existing folder.
[[nodiscard]] bool BeginPluginSearch(PluginSearch* s);

// Calls visit(context, file name, full path) for every enabled (or, with
// withDisabled, every) ".spi" then ".sph" file until visit returns false.
using PluginVisit = bool (*)(void* context, PluginSearch* s, const char16_t* name, const char16_t* path);
void ForEachPlugin(PluginSearch* s, bool withDisabled, PluginVisit visit, void* context);

// The kind GetPluginInfo(0) announces: kPluginPicture, kPluginArchive or 0.
[[nodiscard]] uint32_t PluginKind(const PluginPlatform* platform, void* module);

// Chooses the first enabled plug-in of the wanted kind that accepts the file:
// s->module holds it and s->headerOffset says where it found the data. header
// must hold kSusieHeaderBuffer bytes.
[[nodiscard]] bool FindPlugin(PluginSearch* s,
                              const char* ansiName,
                              const uint8_t* header,
                              uint32_t wantedKind);

// Loads fileName from the folder into s->module; false when it does not load.
[[nodiscard]] bool LoadNamedPlugin(PluginSearch* s, const char16_t* fileName);
