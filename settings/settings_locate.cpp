#include "settings/settings_locate.h"

#include "app/text.h"

namespace {
constexpr char16_t kProgramName[] = u"Pagewick";
constexpr char16_t kFileName[] = u"Pagewick.ini";

// Length of the path without its extension: scanning back, a '.' met before any
// '\' starts the extension.
uint32_t WithoutExtension(const char16_t* path, uint32_t n) {
    for (uint32_t i = n; i > 0; --i) {
        if (path[i - 1] == u'.') {
            return i - 1;
        }
        if (path[i - 1] == u'\\') {
            break;
        }
    }
    return n;
}

// Index of the last '\' in path[0..n), or n when there is none.
uint32_t LastSeparator(const char16_t* path, uint32_t n) {
    for (uint32_t i = n; i > 0; --i) {
        if (path[i - 1] == u'\\') {
            return i - 1;
        }
    }
    return n;
}

bool JoinName(StrBuf* out, const StrBuf& folder, const char16_t* name) {
    out->Assign(u"");
    if (!out->Append(folder.Text(), folder.length)) {
        return false;
    }
    uint32_t before = out->length;
    out->AppendPathComponent(name, TextLength(name));
    return out->length > before;
}
}  // namespace

bool IsProgramNameAccepted(const char16_t* programPath, uint32_t n) {
    uint32_t end = WithoutExtension(programPath, n);
    uint32_t sep = LastSeparator(programPath, end);
    uint32_t start = sep == end ? 0 : sep + 1;
    return EqualsNoCaseN(programPath + start, end - start, kProgramName, TextLength(kProgramName));
}

SettingsLocation SettingsLocate(const SettingsPlatformOps& ops, StrBuf* path) {
    StrBuf program;
    if (!ops.programPath(ops.context, &program) || !IsProgramNameAccepted(program.Text(), program.length)) {
        return SettingsLocation::kFailed;
    }
    uint32_t sep = LastSeparator(program.Text(), program.length);
    if (sep == program.length) {
        return SettingsLocation::kFailed;
    }
    // A program in a drive's root keeps its '\': "C:" alone would name the
    // drive's current folder instead of its root.
    uint32_t folderEnd = sep;
    if (sep > 0 && program.buffer[sep - 1] == u':') {
        folderEnd = sep + 1;
    }
    StrBuf folder;
    if (!folder.Append(program.Text(), folderEnd)) {
        return SettingsLocation::kFailed;
    }
    // The current folder only serves relative names later on; failing to set it
    // does not stop the program.
    (void)ops.setCurrentFolder(ops.context, folder.Text());

    StrBuf candidate;
    if (!JoinName(&candidate, folder, kFileName)) {
        return SettingsLocation::kFailed;
    }
    if (ops.fileExists(ops.context, candidate.Text())) {
        *path = static_cast<StrBuf&&>(candidate);
        return SettingsLocation::kProgramFolder;
    }

    StrBuf appData;
    if (!ops.specialFolder(ops.context, SpecialFolder::kRoamingAppData, &appData) || appData.length == 0) {
        return SettingsLocation::kFailed;
    }
    StrBuf own;
    if (!JoinName(&own, appData, kProgramName)) {
        return SettingsLocation::kFailed;
    }
    if (!ops.folderExists(ops.context, own.Text()) && !ops.createFolder(ops.context, own.Text())) {
        return SettingsLocation::kFailed;
    }
    if (!JoinName(&candidate, own, kFileName)) {
        return SettingsLocation::kFailed;
    }
    *path = static_cast<StrBuf&&>(candidate);
    return SettingsLocation::kAppData;
}
