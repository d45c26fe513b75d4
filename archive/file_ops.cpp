#include "archive/file_ops.h"

#include "app/text.h"
#include "platform/dir.h"
#include "platform/file.h"

namespace {
constexpr int32_t kMaxNumber = 2147483646;

void CutTo(StrBuf* s, uint32_t n) {
    if (s->buffer != nullptr && n <= s->length) {
        s->length = n;
        s->buffer[n] = 0;
    }
}

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

// A component of dots and spaces with two dots or more: "..", "...", ".. ".
// Windows drops trailing dots and spaces, so each of these may name the parent.
bool ClimbsUp(const char16_t* c, uint32_t n) {
    uint32_t dots = 0;
    for (uint32_t i = 0; i < n; ++i) {
        if (c[i] == u'.') {
            ++dots;
        } else if (c[i] != u' ') {
            return false;
        }
    }
    return dots >= 2;
}

// Creates each missing folder along target\folder (folder ends in '\').
void CreateSubfolders(const StrBuf& target, const StrBuf& folder) {
    StrBuf path;
    for (uint32_t i = 0; i < folder.length; ++i) {
        if (folder.buffer[i] != u'\\' || i == 0) {
            continue;
        }
        path.JoinPath(target.Text(), target.length, folder.buffer, i);
        if (path.length > 0 && GetPathKind(path.Text()) != PathKind::kFolder) {
            (void)FolderCreate(path.Text());
        }
    }
}
}  // namespace

bool MakeUniqueFolder(StrBuf* path) {
    if (path->length == 0 || path->length > kMaxJobPath) {
        return false;
    }
    if (GetPathKind(path->Text()) == PathKind::kFolder) {
        if (path->AppendChar(u'+') == nullptr) {
            return false;
        }
        const uint32_t plus = path->length;
        int32_t n = 1;
        for (;; ++n) {
            if (n > kMaxNumber) {
                return false;
            }
            char16_t digits[12];
            uint32_t k = FormatDecimal(digits, n);
            CutTo(path, plus);
            if (!path->Append(digits, k) || path->length > kMaxJobPath) {
                return false;
            }
            if (GetPathKind(path->Text()) != PathKind::kFolder) {
                break;
            }
        }
    }
    return FolderCreate(path->Text());
}

uint32_t HasOwnTopFolder(const ArchiveMemberList* list, const char16_t* base, uint32_t n) {
    if (list == nullptr || list->count == 0) {
        return 0;
    }
    for (int32_t i = 0; i < list->count; ++i) {
        const StrBuf& folder = list->members[i].folder;
        if (folder.length == 0) {
            return 0;
        }
        uint32_t first = 0;
        while (first < folder.length && folder.buffer[first] != u'\\') {
            ++first;
        }
        if (!EqualsNoCaseN(folder.buffer, first, base, n)) {
            return 0;
        }
    }
    return n + 1;
}

bool IsInsidePath(const char16_t* path, uint32_t n) {
    if (n == 0 || IsSeparator(path[0])) {
        return n == 0;
    }
    uint32_t start = 0;
    for (uint32_t i = 0; i <= n; ++i) {
        if (i < n && path[i] == u':') {
            return false;
        }
        if (i == n || IsSeparator(path[i])) {
            if (ClimbsUp(path + start, i - start)) {
                return false;
            }
            start = i + 1;
        }
    }
    return true;
}

bool PrepareExtraction(ArchiveMemberList* list,
                       const char16_t* archivePath,
                       StrBuf* destination,
                       uint32_t* unsafe,
                       const JobOps* ops) {
    StrBuf base;
    base.AssignPathPart(kPathBaseName, archivePath, TextLength(archivePath));
    if (base.length == 0 || destination->AppendPathComponent(base.Text(), base.length) == nullptr ||
        !MakeUniqueFolder(destination)) {
        return false;
    }
    const uint32_t top = HasOwnTopFolder(list, base.Text(), base.length);
    for (int32_t i = 0; i < list->count; ++i) {
        ArchiveMember& m = list->members[i];
        if (top > 0) {
            StrBuf rest;
            if (!rest.Append(m.folder.Text() + top, m.folder.length - top)) {
                return false;
            }
            m.folder = static_cast<StrBuf&&>(rest);
        }
        if (m.name.length > 0 && m.folder.length > 0) {
            StrBuf joined;
            if (!joined.Append(m.folder.buffer, m.folder.length) ||
                !joined.Append(m.name.buffer, m.name.length)) {
                return false;
            }
            m.name = static_cast<StrBuf&&>(joined);
        }
        if (!IsInsidePath(m.name.Text(), m.name.length) || !IsInsidePath(m.folder.Text(), m.folder.length)) {
            m.name.Release();
            m.folder.Release();
            ++*unsafe;
        }
    }
    for (int32_t i = 0; i < list->count; ++i) {
        const StrBuf& folder = list->members[i].folder;
        if (folder.length == 0) {
            continue;
        }
        for (int32_t j = i + 1; j < list->count; ++j) {
            StrBuf& later = list->members[j].folder;
            if (EqualsNoCaseN(later.Text(), later.length, folder.buffer, folder.length)) {
                later.Release();
            }
        }
        CreateSubfolders(*destination, folder);
    }
    JobCreated(ops, destination->Text(), true);
    return true;
}

bool TempFileName(StrBuf* out) {
    char16_t path[kMaxJobPath + 2] = {};
    if (!FileMakeTemp(path, kMaxJobPath + 2)) {
        return false;
    }
    out->Assign(path);
    if (out->length == 0) {
        FileDelete(path);
        return false;
    }
    return true;
}

bool WriteFileViaTemp(const char16_t* path,
                      const uint8_t* bytes,
                      uint64_t count,
                      uint64_t time,
                      const JobOps* ops) {
    StrBuf temp;
    if (!TempFileName(&temp)) {
        return false;
    }
    bool written = false;
    {
        FileHandle file(FileCreateWrite(temp.Text()));
        written = file.valid() && FileWriteAll(file.get(), bytes, count);
        if (written && time != 0) {
            (void)FileSetTime(file.get(), time);
        }
    }
    bool copied = written && FileCopyReplace(temp.Text(), path);
    FileDelete(temp.Text());
    if (copied) {
        JobCreated(ops, path, false);
    }
    return copied;
}

bool WriteJobMember(FileJob* job,
                    uint32_t targetLength,
                    const char16_t* name,
                    uint32_t n,
                    const uint8_t* bytes,
                    uint64_t count,
                    uint64_t time) {
    job->destination.AppendPathComponent(name, n);
    const bool written = bytes != nullptr && job->destination.length == targetLength + 1 + n &&
                         WriteFileViaTemp(job->destination.Text(), bytes, count, time, job->ops);
    job->destination.length = targetLength;
    job->destination.buffer[targetLength] = 0;
    JobStep(*job);
    return written;
}
