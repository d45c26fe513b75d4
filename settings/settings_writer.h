// Writing the settings file, once at exit after the windows are torn down.
//
// The new content is built whole in memory: a 104-entry index, every slot of the
// record in the slot table's order (settings_slots.h), then the byte values of
// slots this program does not know, carried over from the old file (integers of
// unknown slots survive in the index as they were). An empty key table is stored
// as a value of no bytes, which the reader keeps empty; an absent one would give
// the built-in keys. It then goes to a temporary file beside the settings file,
// is flushed to the disk, and only then replaces the old file in one step: a
// failed or interrupted save leaves the previous file as it was, never a
// truncated one.
//
// Failures are silent for the user; the result says what happened. The record is
// only read: the caller frees its lists afterwards.
#pragma once

#include <cstdint>

#include "app/str_buf.h"
#include "settings/byte_buf.h"
#include "settings/settings.h"
#include "settings/settings_ops.h"
#include "settings/settings_reader.h"

// A temporary file being written; the file operations own its fields.
struct TempFile {
    intptr_t handle = -1;
    StrBuf path;
};

// Writing a file beside the target and putting it in the target's place.
// settings_file_win.cpp and settings_file_posix.cpp give the real ones; tests
// wrap them to fail at any byte.
struct SettingsFileOps {
    void* context = nullptr;
    // Creates (or empties) the temporary file in the target's folder.
    bool (*openTemp)(void* context, TempFile* temp, const char16_t* target) = nullptr;
    // Appends n bytes; false when not all of them were written.
    bool (*write)(void* context, TempFile* temp, const uint8_t* data, uint32_t n) = nullptr;
    // Flushes the file to the disk and closes it.
    bool (*close)(void* context, TempFile* temp) = nullptr;
    // Puts the closed temporary file in the target's place in one step.
    bool (*replace)(void* context, TempFile* temp, const char16_t* target) = nullptr;
    // After a failure: closes the temporary file if it is open and deletes it.
    void (*discard)(void* context, TempFile* temp) = nullptr;
};

const SettingsFileOps& PlatformSettingsFileOps();

enum class SaveResult : uint8_t {
    kSaved,
    kOldFileUnreadable,  // the old file exists but cannot be read: kept as it is
    kOutOfMemory,
    kTooLarge,  // the content would pass the 4 GiB the offsets can address
    kWriteFailed,
};

// The complete new file content. old is the current file's content (null when
// there is none); ops checks which disabled plug-ins still exist.
[[nodiscard]] SaveResult BuildSettingsFile(const SettingsSource* old,
                                           const Settings& s,
                                           const SettingsPlatformOps& ops,
                                           ByteBuf* out);

// Builds the content from the file at path and the record, and replaces the file.
[[nodiscard]] SaveResult SettingsWrite(const char16_t* path,
                                       const Settings& s,
                                       const SettingsPlatformOps& ops,
                                       const SettingsFileOps& files);
