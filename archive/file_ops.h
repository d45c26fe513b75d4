// File work the extraction jobs share: the target folder with a numbered name
// when the natural one is taken, archives that bring their own top folder, member
// paths turned into safe relative paths, member subfolders, and writing a
// member's bytes through a temporary file.
//
// Paths are '\'-separated StrBufs. Nothing here shows a message: failures are
// return values for the job's completion handling.
#pragma once

#include <cstdint>

#include "app/str_buf.h"
#include "archive/archive_member.h"
#include "archive/file_job.h"

// Longest path, in code units, that a numbered name may grow to.
constexpr uint32_t kMaxJobPath = 259;

// Creates the folder at *path; when a folder of that name exists, appends "+n"
// with the first n = 1, 2, ... that is free. *path ends as the folder created.
// False when creation fails (a file of that name is in the way, a missing
// parent) or the name would pass kMaxJobPath.
[[nodiscard]] bool MakeUniqueFolder(StrBuf* path);

// base[0..n): the archive's base name. When every member lies in a folder whose
// first component is the base (ASCII case folded), answers n + 1; otherwise 0.
uint32_t HasOwnTopFolder(const ArchiveMemberList* list, const char16_t* base, uint32_t n);

// True when path[0..n), relative to a target folder, stays inside it: no
// absolute start ('\' or '/'), no drive or stream colon, no ".." component (nor
// one of dots and spaces that the platform would shorten to it), in either
// separator.
bool IsInsidePath(const char16_t* path, uint32_t n);

// Makes the target folder destination\base (numbered when taken), rewrites every
// member's name into its path relative to that folder (dropping the archive's
// own top folder), empties the name and folder of members whose path would leave
// the target (counted in *unsafe), and creates the members' subfolders. On
// success *destination holds the target folder.
[[nodiscard]] bool PrepareExtraction(ArchiveMemberList* list,
                                     const char16_t* archivePath,
                                     StrBuf* destination,
                                     uint32_t* unsafe,
                                     const JobOps* ops);

// One extracted member: name (n units, relative, already checked) is put below
// the target folder job->destination (targetLength units long) and bytes are
// written there through a temporary file with the member's time; the target is
// restored and the job's progress stepped. False when there were no bytes, the
// path did not fit or the write failed.
bool WriteJobMember(FileJob* job,
                    uint32_t targetLength,
                    const char16_t* name,
                    uint32_t n,
                    const uint8_t* bytes,
                    uint64_t count,
                    uint64_t time);

// A new empty file in the temporary-files folder; *out receives its path.
[[nodiscard]] bool TempFileName(StrBuf* out);

// Writes count bytes to a temporary file, sets its last-write time when time is
// not 0, and copies it over path. The temporary file is always deleted. True
// when the copy succeeded; then ops hears of the new file.
[[nodiscard]] bool WriteFileViaTemp(const char16_t* path,
                                    const uint8_t* bytes,
                                    uint64_t count,
                                    uint64_t time,
                                    const JobOps* ops);
