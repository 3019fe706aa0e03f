// Unpacks one archive, plain or gzip-wrapped, into an existing folder.
#pragma once

#include <string>

#include "ArchiveFindings.h"
#include "EngineOptions.h"

namespace torvan {

struct UnpackResult {
    int extracted = 0;   // file entries written, empty files included
    int failed = 0;      // file entries that could not be written, were refused, or that the
                         // archive ends before (a file already there is kept; a new one is still
                         // written, zeros for what is missing); a manifest line cut off; and,
                         // for a gzip stream that ends before its checksum, at least one
    long long unchangedBytes = 0;   // in files that held them already, left as they were
    ArchiveFindings archive;
};

// (0, 0) means nothing was unpacked: not an archive, unreadable, corrupt,
// or the destination is not an existing folder; `archive` says which.
UnpackResult Unpack(const std::string& archive, const std::string& destination,
                    const ProgressFn& progress, const EngineOptions& options = {});

}  // namespace torvan
