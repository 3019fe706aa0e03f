// Builds one archive from one folder.
#pragma once

#include <cstdint>
#include <string>

#include "EngineOptions.h"

namespace torvan {

struct PackJob {
    std::string folder;    // absolute, no trailing separator (a drive root keeps its own)
    std::string archive;   // the archive file to create or replace
    // An open handle (a pipe, standard output) that takes the archive
    // instead of a file; `archive` then only names it in messages. What
    // was written before a failure cannot be taken back there.
    std::intptr_t stream = -1;
    bool gzip = true;
    int fileCount = 0;     // files in the manifest, set by the walk
    int filesDone = 0;     // files whose contents are in the archive so far
    int leftOut = 0;       // items that could not be read, left out (options.ignoreFailedRead)
};

// Success or failure; on failure nothing new stands at job.archive.
// Symbolic links to files are packed as the files they point at; links to
// folders are skipped (with a problem report), so a tree can never loop.
// A link that leads nowhere fails the pack, as any file that cannot be
// opened does, unless options.ignoreFailedRead leaves such items out. The
// walk goes on past every problem, so that one run names them all. A file
// that changes size between the walk and its copy fails the pack: its
// manifest line would no longer tell the truth. gzip compression runs on
// options.threads threads.
bool Pack(PackJob& job, const ProgressFn& progress, const EngineOptions& options = {});

// Files below the folder at any depth; folders and links to folders are
// not counted, a folder that cannot be listed adds nothing.
int CountFiles(const std::string& folder, const EngineOptions& options = {});

// Replaces a plain archive by its gzip form in one atomic step; on failure
// the plain archive stays as it was. Compresses as Pack does.
bool GzipInPlace(const std::string& archive, const EngineOptions& options = {});

}  // namespace torvan
