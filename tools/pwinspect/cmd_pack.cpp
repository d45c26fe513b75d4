// pwinspect pack FOLDER DEST [--store]: the packing job without windows. DEST is
// the wanted archive path, renamed as the job renames it ("name+1.zip" when
// taken); the folder is deflated unless --store is given. Prints one JSON line
// with the archive's name; exit 1 when the packing fails (nothing is left at
// DEST then).
#include <cstdio>
#include <string_view>

#include "archive/file_job.h"
#include "archive/zip_writer.h"
#include "tools/pwinspect/commands.h"
#include "tools/pwinspect/output.h"

int CmdPack(int argc, char16_t** argv) {
    uint32_t mode = kJobPackDeflated;
    if (argc == 3 && std::u16string_view(argv[2]) == u"--store") {
        mode = kJobPackStored;
        argc = 2;
    }
    if (argc != 2) {
        std::fputs("usage: pwinspect pack FOLDER DEST [--store]\n", stderr);
        return 2;
    }
    FileJob job;
    job.source.Assign(argv[0]);
    job.destination.Assign(argv[1]);
    job.mode = mode;
    if (!ZipPackFolder(&job)) {
        std::fputs("{\"ok\":false}\n", stdout);
        return 1;
    }
    std::fputs("{\"ok\":true,\"archive\":", stdout);
    PrintJsonString(stdout, job.destination.Text(), job.destination.length);
    std::fputs("}\n", stdout);
    return 0;
}
