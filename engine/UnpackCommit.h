// Puts an unpack's staged files in place, entry by entry in manifest order,
// once the end of the data has said what may be trusted: for an intact
// archive everything, for one that ends early what the rules for damage
// let through (as if each entry were written when it is reached), for
// corrupt data nothing. Folders are made here, and only here.
#pragma once

#include <string>

#include "ArchiveFindings.h"
#include "ArchiveFormat.h"
#include "ArchiveReader.h"
#include "EngineContext.h"
#include "EntryLanding.h"
#include "StagedWriter.h"

namespace torvan {

class UnpackCommit {
public:
    // `dataSize`: the bytes of the plain archive, as read to its end.
    UnpackCommit(const EngineContext& context, EntryLanding& landing, StagedWriter& writer,
                 const ArchiveFindings& findings, long long dataSize, UnpackResult& result);

    void Folder(const ArchiveEntry& entry, const std::string& shown);
    // `start` is where its bytes begin in the plain archive.
    void File(const ArchiveEntry& entry, const std::string& shown, const StagedEntry& staged, long long start);
    // After the last entry: in a stream that did not verify, the file
    // next to the damage does not count as whole.
    void End();

private:
    bool Place(const ArchiveEntry& entry, const StagedEntry& staged);
    bool Fail(const std::string& name, const std::string& why);

    const EngineContext& m_context;
    FileSystem& m_fs;
    EntryLanding& m_landing;
    StagedWriter& m_writer;
    const bool m_unverified;   // a gzip stream that ended before its checksum
    const long long m_dataSize;
    UnpackResult& m_result;
    // The last file entry with bytes that begin inside the data, and
    // whether it was put in place whole: in a stream that did not verify,
    // its bytes are the ones next to the damage.
    std::string m_last;
    bool m_lastWhole = false;
};

}  // namespace torvan
