// Whole-archive RAR extraction, the RAR job body: the library writes every
// member and its subfolders below a target folder chosen by the extraction
// folder rules (a numbered folder when the natural one exists; the destination
// itself when the archive brings its own top folder).
#pragma once

#include "archive/file_job.h"
#include "archive/rar_archive.h"

// job->source is the archive (a later part of a new-style set is replaced by its
// first part), job->destination the folder to extract into; on success it holds
// the target folder. The password typed during the listing serves every member.
// True when the last member processed succeeded, so a cancel after a good member
// counts as success; false when the library is missing, the archive cannot be
// listed or opened, or the target folder cannot be made.
[[nodiscard]] bool RarExtractAll(RarContext* context, FileJob* job);
