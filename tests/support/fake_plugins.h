// A table of fake Susie plug-ins for the host's native tests: each fake is a
// file in a temporary plug-in folder whose exports are C functions of this
// module, answering from its FakePlugin record and recording what the host
// passed. Handles are counted so a test can see that the host freed them all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/plugin_host.h"

struct FakePlugin {
    std::u16string file;  // e.g. u"a.spi"
    std::string kind = "00IN";
    bool accepts = true;  // IsSupported takes data starting "FAKE"
    bool hasIsSupported = true;
    std::vector<std::string> patterns;      // GetPluginInfo 2, 4, ...
    std::vector<std::string> descriptions;  // 3, 5, ...
    std::vector<uint8_t> bitmapInfo;        // GetPicture's BITMAPINFO
    std::vector<uint8_t> bits;              // GetPicture's pixel rows
    int16_t depth = 0;                      // GetPictureInfo's colour depth
    std::vector<uint8_t> archiveInfo;       // GetArchiveInfo's block
    std::vector<uint8_t> member;            // GetFile's bytes
    int result = 0;                         // what GetPicture and GetFile return

    // Recorded.
    int loads = 0;
    int open = 0;                 // loaded and not yet freed
    bool usedWhileFreed = false;  // an export fetched from a freed library
    int supportedCalls = 0;
    intptr_t infoLength = -1;
    intptr_t pictureLength = -1;
    unsigned pictureFlag = 99;
    intptr_t fileLength = -1;
    std::string supportedName;
};

// Installs the fakes as the host (folder created on disk with one empty file per
// fake; disabled names as given) and removes it on destruction.
class FakePluginHost {
  public:
    explicit FakePluginHost(std::vector<FakePlugin> plugins, std::vector<std::u16string> disabled = {});
    FakePluginHost(const FakePluginHost&) = delete;
    FakePluginHost& operator=(const FakePluginHost&) = delete;
    ~FakePluginHost();

    FakePlugin& operator[](size_t i) { return plugins_[i]; }
    void SetFolder(const std::u16string& folder) { folder_ = folder; }
    const std::u16string& Folder() const { return root_; }
    // A file of n bytes in the folder's parent; its program path.
    std::u16string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes);
    static int LiveHandles();
    // Every library freed after use (and none used after its release), every
    // handle freed.
    [[nodiscard]] bool AllReleased() const;

  private:
    static void GetFolder(void* ctx, StrBuf* out);
    static bool IsDisabled(void* ctx, const char16_t* name);
    std::vector<FakePlugin> plugins_;
    std::vector<std::u16string> disabled_;
    std::filesystem::path native_;
    std::u16string root_;
    std::u16string folder_;
    PluginSource source_{};
};

// A 40-byte BITMAPINFOHEADER followed by palette entries.
std::vector<uint8_t> MakeBitmapInfo(int32_t width,
                                    int32_t height,
                                    uint16_t bitCount,
                                    uint32_t compression = 0,
                                    std::vector<uint32_t> palette = {},
                                    uint32_t headerSize = 40);
// One 444-byte archive record.
std::vector<uint8_t> MakeMemberRecord(const std::string& path,
                                      const std::string& name,
                                      uint64_t position,
                                      uint64_t size,
                                      int64_t time);
