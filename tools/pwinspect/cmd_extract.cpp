// pwinspect extract ARCHIVE DEST [--password P] [--plugin-folder DIR]: the
// extraction job without windows (ZIP by the program's reader; RAR through the
// RAR library, found as for list and read). Writes the archive's members below a fresh
// folder DEST\BASE (numbered when taken) and prints one JSON line with the
// target folder and the count of members skipped for leaving it; exit 1 when
// the job fails.
#include <cstdio>

#include "archive/file_job.h"
#include "archive/rar_extract.h"
#include "archive/zip_extract.h"
#include "tools/pwinspect/commands.h"
#include "tools/pwinspect/output.h"
#include "tools/pwinspect/rar_option.h"

int CmdExtract(int argc, char16_t** argv) {
    argc = TakeRarOptions(argc, argv);
    if (argc != 2) {
        std::fputs("usage: pwinspect extract ARCHIVE DEST [--password P] [--plugin-folder DIR]\n", stderr);
        return 2;
    }
    FileJob job;
    job.source.Assign(argv[0]);
    job.destination.Assign(argv[1]);
    job.mode = kJobExtract;
    bool ok = false;
    if (IsRarPath(argv[0])) {
        RarContext context;
        ok = RarExtractAll(&context, &job);
    } else {
        ok = ZipExtractAll(&job);
    }
    if (!ok) {
        std::fputs("{\"ok\":false}\n", stdout);
        return 1;
    }
    std::fputs("{\"ok\":true,\"target\":", stdout);
    PrintJsonString(stdout, job.destination.Text(), job.destination.length);
    std::printf(",\"unsafe\":%u}\n", job.unsafeMembers);
    return 0;
}
