// The settings file's replacement on Windows: a temporary file beside the target,
// written, flushed to the disk, closed, and moved over the target with
// write-through, so that the target is always either the old file or the new one.
#include <windows.h>

#include "platform/owners_win.h"
#include "settings/settings_writer.h"

namespace {

constexpr char16_t kTempSuffix[] = u".tmp";

const wchar_t* W(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}

HANDLE H(const TempFile* temp) {
    return reinterpret_cast<HANDLE>(temp->handle);
}

// Moves the temporary file's handle out of the portable record into an owner;
// the record is left holding none (-1, which is also INVALID_HANDLE_VALUE).
KernelHandle TakeHandle(TempFile* temp) {
    KernelHandle owned(H(temp));
    temp->handle = -1;
    return owned;
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
    KernelHandle file = TakeHandle(temp);
    bool flushed = FlushFileBuffers(file.get()) != 0;
    bool closed = file.close();
    return flushed && closed;
}

bool Replace(void*, TempFile* temp, const char16_t* target) {
    return MoveFileExW(W(temp->path.Text()), W(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           0;
}

void Discard(void*, TempFile* temp) {
    TakeHandle(temp).reset();
    if (temp->path.length > 0) {
        DeleteFileW(W(temp->path.Text()));
    }
}

const SettingsFileOps kOps = {nullptr, OpenTemp, Write, Close, Replace, Discard};

}  // namespace

const SettingsFileOps& PlatformSettingsFileOps() {
    return kOps;
}
