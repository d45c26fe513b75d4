// FileJob: what one extraction or packing job works on, and the table through
// which a job body reports to whoever shows it. The shell fills the table with
// its progress window (open, range, step, cancel poll, close) and the shell's
// change notices; pwinspect and the tests fill it with plain functions, so the
// bodies run without windows. Any entry, or the whole table, may be null.
#pragma once

#include <cstdint>

#include "app/str_buf.h"

struct JobOps {
    void* ctx;
    void (*open)(void* ctx);
    void (*setRange)(void* ctx, uint32_t last);  // the bar runs from 0 to last
    void (*step)(void* ctx);
    bool (*cancelled)(void* ctx);  // polled between members; true stops the job
    void (*close)(void* ctx);
    void (*created)(void* ctx, const char16_t* path, bool folder);  // a new file or folder
};

enum JobMode : uint32_t {
    kJobExtract = 0,
    kJobPackStored = 1,
    kJobPackDeflated = 2,
};

struct FileJob {
    StrBuf source;       // the archive to extract, or the folder to pack
    StrBuf destination;  // the folder to extract into, or the ZIP file to create
    uint32_t mode = kJobExtract;
    const JobOps* ops = nullptr;
    uint32_t unsafeMembers = 0;   // extraction: members whose path left the target, skipped
    char16_t password[128] = {};  // RAR extraction without a dialog (tools); empty asks
};

inline void JobOpen(const FileJob& job) {
    if (job.ops != nullptr && job.ops->open != nullptr) {
        job.ops->open(job.ops->ctx);
    }
}
inline void JobSetRange(const FileJob& job, uint32_t last) {
    if (job.ops != nullptr && job.ops->setRange != nullptr) {
        job.ops->setRange(job.ops->ctx, last);
    }
}
inline void JobStep(const FileJob& job) {
    if (job.ops != nullptr && job.ops->step != nullptr) {
        job.ops->step(job.ops->ctx);
    }
}
inline bool JobCancelled(const FileJob& job) {
    return job.ops != nullptr && job.ops->cancelled != nullptr && job.ops->cancelled(job.ops->ctx);
}
inline void JobClose(const FileJob& job) {
    if (job.ops != nullptr && job.ops->close != nullptr) {
        job.ops->close(job.ops->ctx);
    }
}
inline void JobCreated(const JobOps* ops, const char16_t* path, bool folder) {
    if (ops != nullptr && ops->created != nullptr) {
        ops->created(ops->ctx, path, folder);
    }
}
