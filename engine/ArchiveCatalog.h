// Reads an archive's manifest without unpacking anything.
#pragma once

#include <functional>
#include <string>

#include "EngineOptions.h"

namespace torvan {

struct ArchiveEntry {
    enum Kind { File, FolderStart, FolderEnd };
    Kind kind = File;
    std::string name;   // as stored (or as options.names translates it)
    int size = 0;       // files only
};

// False when the file cannot be read or is not an archive; nothing is
// reported then. Otherwise every manifest line is reported in order, as it
// is read; compressed data found corrupt on the way ends the listing with
// a problem report.
bool ListArchive(const std::string& archive,
                 const std::function<void(const ArchiveEntry&)>& onEntry,
                 const EngineOptions& options = {});

}  // namespace torvan
