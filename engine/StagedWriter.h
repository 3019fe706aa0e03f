// Takes each file entry's bytes from the archive as they stream by, and
// either finds them already in the file they would replace, or writes them
// to a file staged for the commit. Nothing under the destination changes
// here; the commit decides what is put in place.
#pragma once

#include <string>
#include <vector>

#include "ArchiveSource.h"
#include "FileSystem.h"

namespace torvan {

struct StagedEntry {
    enum class State : unsigned char {
        Skipped,     // its name lands nowhere: its bytes were passed over
        Unchanged,   // the file there holds these bytes already
        Staged,      // written to the staged file `scratch`
        Failed,      // could not be staged: `why` says so
    };
    State state = State::Skipped;
    int scratch = -1;
    long long missing = 0;   // bytes the archive ended before: zeros were staged
    std::string why;
};

class StagedWriter {
public:
    StagedWriter(FileSystem& fs, ArchiveSource& source, const std::string& stagingFolder);
    ~StagedWriter();
    StagedWriter(const StagedWriter&) = delete;
    StagedWriter& operator=(const StagedWriter&) = delete;

    // The entry of `size` bytes at `start` of the payload, meant for
    // `path`. With `mayBeUnchanged` false (its name came earlier in the
    // archive, or nothing is there) it is staged without a look at the
    // old file.
    StagedEntry Write(const std::string& path, long long start, long long size, bool mayBeUnchanged);

    FileSystem::Scratch& Scratch(int index) { return m_staged[static_cast<std::size_t>(index)]; }
    // Removes every staged file the commit did not keep.
    void DiscardAll();

private:
    bool Matches(FileSystem::Handle old, long long start, long long size, long long& same, std::size_t& pending);
    bool CopyFromOld(FileSystem::Handle old, long long count, FileSystem::Handle out);
    bool CopyPayload(long long start, long long size, FileSystem::Handle out, long long& missing);
    // Staged files stay open, and so unnamed where the system allows, up
    // to the file system's limit; beyond it they are closed and wait under
    // a name in the staging folder.
    bool KeepWithinBudget(FileSystem::Scratch& scratch);
    // Where the next file is staged: a new folder every so many files.
    bool NextFolder();

    FileSystem& m_fs;
    ArchiveSource& m_source;
    const std::string& m_folder;
    std::vector<char> m_buffer;
    std::vector<char> m_oldBuffer;   // the old file's bytes, for the comparison
    std::string m_group;   // the staging folder's folder for the next files
    std::vector<FileSystem::Scratch> m_staged;
    int m_open = 0;   // staged files still open
};

}  // namespace torvan
