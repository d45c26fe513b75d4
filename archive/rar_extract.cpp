#include "archive/rar_extract.h"

#include "archive/file_ops.h"
#include "archive/rar_library.h"
#include "platform/dir.h"
#include "platform/heap.h"

namespace {
// Cuts the text at its last extension.
void CutExtension(StrBuf* s) {
    const uint32_t cut = ExtensionStart(s->Text(), s->length);
    if (cut < s->length) {
        s->length = cut;
        s->buffer[cut] = 0;
    }
}

// Chooses and makes the folder the library writes into; false when it cannot.
bool ChooseTarget(const ArchiveMemberList* list, const StrBuf& base, StrBuf* destination) {
    StrBuf target;
    if (!target.Append(destination->Text(), destination->length) ||
        target.AppendPathComponent(base.Text(), base.length) == nullptr ||
        target.length != destination->length + 1 + base.length) {
        return false;
    }
    if (GetPathKind(target.Text()) == PathKind::kFolder) {
        if (!MakeUniqueFolder(&target)) {
            return false;
        }
    } else if (HasOwnTopFolder(list, base.Text(), base.length) > 0) {
        return true;  // the archive's own top folder lands in the destination
    } else if (!FolderCreate(target.Text())) {
        return false;
    }
    *destination = static_cast<StrBuf&&>(target);
    return true;
}
}  // namespace

bool RarExtractAll(RarContext* c, FileJob* job) {
    if (!RarLoadLibrary(c)) {
        return false;
    }
    const RarVolume volume = RarVolumeKind(c, job->source.Text());
    if (volume == kRarLaterPart) {
        StrBuf first;
        RarFirstVolumeName(job->source.Text(), &first);
        job->source = static_cast<StrBuf&&>(first);
    }
    MemberListPtr list(RarListMembers(c, job->source.Text()));
    if (list.get() == nullptr) {
        return false;
    }
    c->passwordGiven = true;
    StrBuf base;
    base.AssignPathPart(kPathBaseName, job->source.Text(), job->source.length);
    if (volume == kRarLaterPart || volume == kRarFirstPart) {
        CutExtension(&base);
    }
    if (base.length == 0 || !ChooseTarget(list.get(), base, &job->destination)) {
        return false;
    }
    AppPtr<rar::HeaderDataEx> header(
        static_cast<rar::HeaderDataEx*>(AppAllocZero(sizeof(rar::HeaderDataEx))));
    rar::OpenArchiveDataEx data{};
    data.ArcNameW = const_cast<char16_t*>(job->source.Text());
    data.OpenMode = rar::kOpenExtract;
    data.Callback = RarCallback;
    data.UserData = reinterpret_cast<intptr_t>(c);
    void* archive = header.get() != nullptr ? c->entry.openArchiveEx(&data) : nullptr;
    if (archive != nullptr && data.OpenResult != 0) {
        (void)c->entry.closeArchive(archive);
        archive = nullptr;
    }
    if (archive == nullptr) {
        return false;
    }
    JobOpen(*job);
    JobSetRange(*job, static_cast<uint32_t>(list->count) + 1);
    JobStep(*job);
    int result = 0;
    while (c->entry.readHeaderEx(archive, header.get()) == 0) {
        result = c->entry.processFileW(archive, rar::kExtract, job->destination.buffer, nullptr);
        JobStep(*job);
        if (result != 0 || JobCancelled(*job)) {
            break;
        }
    }
    (void)c->entry.closeArchive(archive);
    JobClose(*job);
    JobCreated(job->ops, job->destination.Text(), true);
    return result == 0;
}
