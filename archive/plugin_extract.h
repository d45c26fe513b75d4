// Whole-archive extraction through an archive plug-in, the plug-in job body:
// the same target folder and member paths as ZIP extraction, members read one
// by one through the plug-in host and written through temporary files.
#pragma once

#include "archive/file_job.h"

// True when at least one member was written. Members whose path would leave the
// target folder are skipped and counted in job->unsafeMembers.
[[nodiscard]] bool PluginExtractAll(FileJob* job);
