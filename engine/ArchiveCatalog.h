// Reads an archive's manifest without unpacking anything.
#pragma once

#include <functional>
#include <string>

#include "ArchiveFindings.h"
#include "EngineOptions.h"

namespace torvan {

struct ArchiveEntry {
    enum Kind { File, FolderStart, FolderEnd };
    Kind kind = File;
    std::string name;   // as stored (or as options.names translates it)
    int size = 0;       // files only
};

// Reports every manifest line in order, as it is read, then reads the rest
// of a gzip stream so that its checksum is known. The findings say what was
// met; Opened() is false when the file cannot be read or is not an archive,
// and nothing is reported then. Each problem is also told to
// options.problem as it is met.
ArchiveFindings ListArchive(const std::string& archive,
                            const std::function<void(const ArchiveEntry&)>& onEntry,
                            const EngineOptions& options = {});

}  // namespace torvan
