// Shared by our own plug-ins: the export marker and the small file helpers
// every plug-in needs (ANSI path, positioned reads, local-memory results).
#pragma once

#include <windows.h>

#include <cstdint>

#define PW_SUSIE_EXPORT extern "C" __declspec(dllexport)

// Owns a file handle opened by an ANSI name for reading.
class PluginFile {
  public:
    explicit PluginFile(const char* path)
        : h_(CreateFileA(path,
                         GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr,
                         OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL,
                         nullptr)) {}
    PluginFile(const PluginFile&) = delete;
    PluginFile& operator=(const PluginFile&) = delete;
    ~PluginFile() {
        if (valid()) {
            CloseHandle(h_);
        }
    }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    uint64_t size() const {
        LARGE_INTEGER s{};
        return valid() && GetFileSizeEx(h_, &s) ? static_cast<uint64_t>(s.QuadPart) : 0;
    }
    // Exactly n bytes at offset.
    bool ReadAt(uint64_t offset, void* buffer, uint32_t n) const {
        OVERLAPPED o{};
        o.Offset = static_cast<DWORD>(offset);
        o.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        return ReadFile(h_, buffer, n, &got, &o) && got == n;
    }

  private:
    HANDLE h_;
};

// Copies text into the caller's buffer of length bytes; the count written.
inline int CopyInfoText(const char* text, char* buffer, int length) {
    if (buffer == nullptr || length <= 0) {
        return 0;
    }
    int n = 0;
    while (text[n] != 0 && n < length - 1) {
        buffer[n] = text[n];
        ++n;
    }
    buffer[n] = 0;
    return n;
}
