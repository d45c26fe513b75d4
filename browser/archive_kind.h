// Which archive kind the folder tree shows a file as, by its name's extension.
// Portable: the Windows tree asks it for every file it lists, the child check
// for every file it meets.
#pragma once

#include <cstdint>

struct TextList;

// Item kinds of the folder tree's nodes.
enum TreeItemKind : uint32_t {
    kKindFolder = 0,   // file-system folder
    kKindVirtual = 1,  // shell folder outside the file system
    kKindZip = 2,
    kKindRar = 3,
    kKindPlugin = 4,
};

// What decides a file's kind beyond ".zip": whether the RAR library can be used
// and the extensions (".xyz", each with its dot) that archive plug-ins announce.
struct ArchiveKindRules {
    bool rarAvailable = false;
    const TextList* pluginExtensions = nullptr;  // may be null
};

// The kind of the file name[0..n) by the text after its last '.' (ASCII case
// folded): kKindZip for ".zip", kKindRar for ".rar" when RAR is available,
// kKindPlugin for a plug-in extension, else 0 (not shown). ".cbz" and ".cbr" are
// not archive kinds of the tree.
uint32_t ArchiveKindOfFile(const char16_t* name, uint32_t n, const ArchiveKindRules& rules);
