// The settings file's replacement on Windows: a temporary file beside the target,
// written, flushed to the disk, closed, and moved over the target with
// write-through, so that the target is always either the old file or the new one.
#include <windows.h>

#include "settings/settings_writer.h"

namespace {

constexpr char16_t kTempSuffix[] = u".tmp";

const wchar_t* W(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}

HANDLE H(const TempFile* temp) {
    return reinterpret_cast<HANDLE>(temp->handle);
}

bool OpenTemp(void*, TempFile* temp, const char16_t* target) {
    temp->path.Assign(target);
    if (!temp->path.Append(kTempSuffix, TextLength(kTempSuffix))) {
        return false;
    }
    HANDLE h = CreateFileW(W(temp->path.Text()), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    temp->handle = reinterpret_cast<intptr_t>(h);
    return true;
}

bool Write(void*, TempFile* temp, const uint8_t* data, uint32_t n) {
    uint32_t done = 0;
    while (done < n) {
        DWORD written = 0;
        if (!WriteFile(H(temp), data + done, n - done, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

bool Close(void*, TempFile* temp) {
    HANDLE h = H(temp);
    temp->handle = -1;
    bool flushed = FlushFileBuffers(h) != 0;
    bool closed = CloseHandle(h) != 0;
    return flushed && closed;
}

bool Replace(void*, TempFile* temp, const char16_t* target) {
    return MoveFileExW(W(temp->path.Text()), W(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           0;
}

void Discard(void*, TempFile* temp) {
    if (temp->handle != -1) {
        CloseHandle(H(temp));
        temp->handle = -1;
    }
    if (temp->path.length > 0) {
        DeleteFileW(W(temp->path.Text()));
    }
}

const SettingsFileOps kOps = {nullptr, OpenTemp, Write, Close, Replace, Discard};

}  // namespace

const SettingsFileOps& PlatformSettingsFileOps() {
    return kOps;
}
