// The ZIP extraction job body: lists job.source with the program's reader and
// writes every member below a fresh target folder in job.destination (see
// PrepareExtraction), each through a temporary file with its DOS time.
#pragma once

#include "archive/file_job.h"

// False when the archive cannot be opened or listed or the target folder cannot
// be made. Members that cannot be read (bad data, bad CRC) or written are
// skipped; members whose path would leave the target are skipped and counted in
// job->unsafeMembers. A cancelled extraction keeps what it wrote and is true.
[[nodiscard]] bool ZipExtractAll(FileJob* job);
