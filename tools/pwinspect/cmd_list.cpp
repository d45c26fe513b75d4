// pwinspect list ARCHIVE [--password P] [--plugin-folder DIR]: one JSON line per member of a ZIP or
// RAR archive, in archive order, as the book lists them (RAR through the RAR
// library; its locator is the header's position); exit 1 when the archive cannot
// be listed.
#include <cinttypes>
#include <cstdio>

#include "archive/rar_archive.h"
#include "archive/zip_reader.h"
#include "platform/file.h"
#include "tools/pwinspect/commands.h"
#include "tools/pwinspect/output.h"
#include "tools/pwinspect/rar_option.h"

namespace {
MemberListPtr ListZip(const char16_t* path) {
    FileHandle file(FileOpenRead(path));
    return MemberListPtr(file.valid() ? ZipListMembers(file.get()) : nullptr);
}
}  // namespace

int CmdList(int argc, char16_t** argv) {
    argc = TakeRarOptions(argc, argv);
    if (argc != 1) {
        std::fputs("usage: pwinspect list ARCHIVE [--password P] [--plugin-folder DIR]\n", stderr);
        return 2;
    }
    MemberListPtr list;
    if (IsRarPath(argv[0])) {
        RarContext context;
        list.reset(RarListMembers(&context, argv[0]));
    } else {
        list = ListZip(argv[0]);
    }
    if (list.get() == nullptr) {
        std::fputs("pwinspect list: no listing\n", stderr);
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
