#include "archive/plugin_extract.h"

#include "archive/file_ops.h"
#include "archive/plugin_host.h"
#include "platform/vm.h"

bool PluginExtractAll(FileJob* job) {
    JobOpen(*job);
    uint32_t written = 0;
    MemberListPtr list(PluginListArchive(job->source.Text()));
    if (list.get() != nullptr &&
        PrepareExtraction(list.get(), job->source.Text(), &job->destination, &job->unsafeMembers, job->ops)) {
        JobSetRange(*job, static_cast<uint32_t>(list->count) + 1);
        JobStep(*job);
        const uint32_t targetLength = job->destination.length;
        for (int32_t i = 0; i < list->count; ++i) {
            const ArchiveMember& m = list->members[i];
            uint32_t locator = m.locator;
            VmBlock block(m.name.length > 0 ? PluginReadMember(job->source.Text(), &locator) : nullptr);
            if (WriteJobMember(job, targetLength, m.name.buffer, m.name.length, block.get(), locator,
                               m.modified)) {
                ++written;
            }
            if (JobCancelled(*job)) {
                break;
            }
        }
    }
    JobClose(*job);
    return written > 0;
}
