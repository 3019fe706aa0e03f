// The one way into an archive, for unpack, list and test alike. A plain
// archive is read where it lies. A gzip-wrapped one is read as a stream,
// only forward, whose checksum is known once it has been read to its end;
// nothing is ever copied aside. The findings say what was met, and each
// problem is reported once, as met.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ArchiveFindings.h"
#include "EngineContext.h"
#include "InflatedInput.h"
#include "ScopedFile.h"


namespace torvan {

// The archive name under which standard input is read (a pipe, a
// redirected file): as a gzip stream, or passed through when it is plain.
// A file of that name is reached as "./-".
inline constexpr const char* kStandardInput = "-";

class ArchiveSource {
public:
    ArchiveSource(const EngineContext& context, const std::string& archive);
    ~ArchiveSource();
    ArchiveSource(const ArchiveSource&) = delete;
    ArchiveSource& operator=(const ArchiveSource&) = delete;

    // Opens the archive and reads its preamble. False, with the findings
    // saying why, when there is nothing to read entries from.
    bool Open();

    int FileCount() const { return m_fileCount; }
    int ManifestLength() const { return m_manifestLength; }
    long long PayloadStart() const;

    // Up to `size` bytes of the plain archive from `offset`, fewer only
    // where the data ends; -1 for an offset already passed: the archive is
    // read only forward, skipping what is not asked for.
    long long ReadAt(long long offset, char* buffer, std::size_t size);

    // Bytes in the plain archive; -1 until it is read to its end.
    long long DataSize() const { return m_dataSize; }

    // Which file the entries must never overwrite: the plain archive that
    // is read where it lies.
    FileIdentity Identity();

    // After the last entry: reads a stream to its end, so that its checksum
    // is known, and names bytes after `payloadEnd` (where the manifest says
    // the payload ends; -1 when the manifest did not say).
    void Finish(long long payloadEnd);
    // Lets go of a gzip archive: an entry may name it, and on Windows an
    // open file cannot be replaced.
    void Close();

    ArchiveFindings& Findings() { return m_findings; }

private:
    bool Fail(ArchiveOutcome outcome, const std::string& why);
    // Reads on; the first short read is the data's end.
    long long Read(char* buffer, std::size_t size);
    void End();
    bool ReadPreamble();

    const EngineContext& m_context;
    FileSystem& m_fs;
    const std::string& m_archive;
    const std::string m_shownAs;   // the archive as messages name it
    bool m_fromStandardInput = false;
    ArchiveFindings m_findings;
    ScopedHandle m_direct;   // the archive file, while it is read
    std::unique_ptr<InflatedInput> m_input;
    bool m_gzip = false;
    bool m_ended = false;
    long long m_position = 0;   // plain bytes read so far
    long long m_dataSize = -1;
    int m_fileCount = 0;
    int m_manifestLength = 0;
};

}  // namespace torvan
