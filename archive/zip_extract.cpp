#include "archive/zip_extract.h"

#include "archive/file_ops.h"
#include "archive/zip_reader.h"
#include "platform/file.h"
#include "platform/vm.h"

bool ZipExtractAll(FileJob* job) {
    FileHandle file(FileOpenRead(job->source.Text()));
    if (!file.valid()) {
        return false;
    }
    JobOpen(*job);
    bool ok = false;
    MemberListPtr list(ZipListMembers(file.get()));
    if (list.get() != nullptr &&
        PrepareExtraction(list.get(), job->source.Text(), &job->destination, &job->unsafeMembers, job->ops)) {
        ok = true;
        JobSetRange(*job, static_cast<uint32_t>(list->count) + 1);
        JobStep(*job);
        const uint32_t targetLength = job->destination.length;
        for (int32_t i = 0; i < list->count; ++i) {
            const ArchiveMember& m = list->members[i];
            uint32_t locator = m.locator;
            uint64_t time = 0;
            VmBlock block(m.name.length > 0 ? ZipReadMember(file.get(), &locator, &time) : nullptr);
            (void)WriteJobMember(job, targetLength, m.name.buffer, m.name.length, block.get(), locator, time);
            if (JobCancelled(*job)) {
                break;
            }
        }
    }
    JobClose(*job);
    return ok;
}
