// pwinspect list ARCHIVE: one JSON line per member of a ZIP archive, in archive
// order, as the ZIP reader lists them; exit 1 when the archive cannot be listed.
#include <cinttypes>
#include <cstdio>

#include "archive/zip_reader.h"
#include "platform/file.h"
#include "tools/pwinspect/commands.h"
#include "tools/pwinspect/output.h"

int CmdList(int argc, char16_t** argv) {
    if (argc != 1) {
        std::fputs("usage: pwinspect list ARCHIVE\n", stderr);
        return 2;
    }
    FileHandle file(FileOpenRead(argv[0]));
    if (!file.valid()) {
        std::fputs("pwinspect list: cannot open the archive\n", stderr);
        return 1;
    }
    MemberListPtr list(ZipListMembers(file.get()));
    if (list.get() == nullptr) {
        std::fputs("pwinspect list: no ZIP listing\n", stderr);
        return 1;
    }
    for (int32_t i = 0; i < list->count; ++i) {
        const ArchiveMember& m = list->members[i];
        std::fputs("{\"name\":", stdout);
        PrintJsonString(stdout, m.name.Text(), m.name.length);
        std::fputs(",\"folder\":", stdout);
        PrintJsonString(stdout, m.folder.Text(), m.folder.length);
        std::printf(",\"locator\":%" PRIu32 ",\"size\":%" PRIu32 ",\"modified\":%" PRIu64 "}\n", m.locator,
                    m.size, m.modified);
    }
    return 0;
}
