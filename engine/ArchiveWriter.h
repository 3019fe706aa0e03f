// Builds one archive from one folder.
#pragma once

#include <string>

#include "EngineOptions.h"

namespace torvan {

struct PackJob {
    std::string folder;    // absolute, no trailing separator (a drive root keeps its own)
    std::string archive;   // the archive file to create or replace
    bool gzip = true;
    int fileCount = 0;     // set by the counting pass
    int filesDone = 0;     // files spooled so far
};

// Success or failure; on failure nothing new stands at job.archive.
bool Pack(PackJob& job, const ProgressFn& progress, const EngineOptions& options = {});

}  // namespace torvan
