#include "StagedWriter.h"

#include <cstring>

#include "ArchiveFormat.h"
#include "ScopedFile.h"

namespace torvan {
namespace {

// Staged files go into folders of this many in the staging folder: on
// Windows every new name is looked for in its whole folder first, and a
// folder of thousands makes each creation slower than the last.
constexpr int kFilesPerFolder = 128;

}  // namespace

StagedWriter::StagedWriter(FileSystem& fs, ArchiveSource& source, const std::string& stagingFolder)
    : m_fs(fs), m_source(source), m_folder(stagingFolder), m_buffer(kCopyBufferSize) {}

StagedWriter::~StagedWriter() { DiscardAll(); }

void StagedWriter::DiscardAll() {
    for (FileSystem::Scratch& scratch : m_staged)
        if (scratch.handle != FileSystem::kNoHandle || !scratch.path.empty()) m_fs.DiscardScratch(scratch);
    m_open = 0;
}

StagedEntry StagedWriter::Write(const std::string& path, long long start, long long size, bool mayBeUnchanged) {
    StagedEntry entry;
    // A file that holds these bytes already is left alone: its inode,
    // times and permissions stay, so caches, watchers and backups see only
    // what really changed. Only equal sizes are worth a look; the bytes
    // decide.
    ScopedHandle old(m_fs, FileSystem::kNoHandle);
    long long same = 0;
    std::size_t pending = 0;
    if (mayBeUnchanged) {
        old.Reset(m_fs.OpenShared(path));   // nothing but a regular file opens
        if (old.IsOpen() && m_fs.SizeOf(old.Get()) == size && Matches(old.Get(), start, size, same, pending)) {
            entry.state = StagedEntry::State::Unchanged;
            return entry;
        }
    }

    FileSystem::Scratch scratch;
    if (!NextFolder() || !m_fs.CreateScratch(m_group, scratch, m_open >= m_fs.OpenScratchLimit())) {
        entry.state = StagedEntry::State::Failed;
        entry.why = "cannot be created: " + (m_folder.empty() ? std::string("the destination cannot be written") : m_fs.LastErrorText());
        // Its bytes still stream by; the next entry's start says where.
        return entry;
    }
    // The bytes that matched are the old file's; taking them from there
    // reads the archive only once.
    bool written = CopyFromOld(old.Get(), same, scratch.handle) && m_fs.Write(scratch.handle, m_buffer.data(), pending);
    old.Close();
    const long long done = same + static_cast<long long>(pending);
    if (written && size > done) written = CopyPayload(start + done, size - done, scratch.handle, entry.missing);
    if (!written || !KeepWithinBudget(scratch)) {
        m_fs.DiscardScratch(scratch);
        entry.state = StagedEntry::State::Failed;
        entry.why = "write failed (disk full?)";
        return entry;
    }
    entry.state = StagedEntry::State::Staged;
    entry.scratch = static_cast<int>(m_staged.size());
    m_staged.push_back(scratch);
    return entry;
}

bool StagedWriter::NextFolder() {
    if (m_folder.empty()) return false;
    if (m_staged.size() % kFilesPerFolder == 0) {
        const std::string group = JoinPath(m_folder, std::to_string(m_staged.size() / kFilesPerFolder), m_fs.Style());
        if (!m_fs.MakePrivateFolder(group)) return false;
        m_group = group;
    }
    return true;
}

bool StagedWriter::KeepWithinBudget(FileSystem::Scratch& scratch) {
    if (m_open < m_fs.OpenScratchLimit()) {
        ++m_open;
        return true;
    }
    return m_fs.ParkScratch(scratch);
}

// True when the old file's bytes are the entry's. Otherwise `same` counts
// the leading bytes that matched, and the first `pending` bytes of the
// buffer are the archive's next ones, already read.
bool StagedWriter::Matches(FileSystem::Handle old, long long start, long long size, long long& same,
                           std::size_t& pending) {
    if (m_oldBuffer.empty()) m_oldBuffer.resize(m_buffer.size());
    while (same < size) {
        const long long remaining = size - same;
        const std::size_t want = remaining < static_cast<long long>(m_buffer.size()) ? static_cast<std::size_t>(remaining)
                                                                                       : m_buffer.size();
        const long long got = m_source.ReadAt(start + same, m_buffer.data(), want);
        if (got <= 0) return false;   // the archive ends first: never the same
        std::size_t had = 0;
        while (had < static_cast<std::size_t>(got)) {
            const long long part = m_fs.Read(old, m_oldBuffer.data() + had, static_cast<std::size_t>(got) - had);
            if (part <= 0) break;
            had += static_cast<std::size_t>(part);
        }
        if (had != static_cast<std::size_t>(got) || std::memcmp(m_buffer.data(), m_oldBuffer.data(), had) != 0) {
            pending = static_cast<std::size_t>(got);
            return false;
        }
        same += got;
    }
    return true;
}

bool StagedWriter::CopyFromOld(FileSystem::Handle old, long long count, FileSystem::Handle out) {
    if (count == 0) return true;
    if (!m_fs.Seek(old, 0)) return false;
    while (count > 0) {
        const std::size_t want = count < static_cast<long long>(m_oldBuffer.size()) ? static_cast<std::size_t>(count)
                                                                                     : m_oldBuffer.size();
        const long long got = m_fs.Read(old, m_oldBuffer.data(), want);
        if (got <= 0 || !m_fs.Write(out, m_oldBuffer.data(), static_cast<std::size_t>(got))) return false;
        count -= got;
    }
    return true;
}

// The payload bytes of one file, zeros where the payload ends early;
// `missing` counts those.
bool StagedWriter::CopyPayload(long long start, long long size, FileSystem::Handle out, long long& missing) {
    bool ended = false;
    long long position = start;
    long long remaining = size;
    while (remaining > 0) {
        const std::size_t want = remaining < static_cast<long long>(m_buffer.size()) ? static_cast<std::size_t>(remaining)
                                                                                       : m_buffer.size();
        long long got = ended ? 0 : m_source.ReadAt(position, m_buffer.data(), want);
        if (got > 0) position += got;
        if (got <= 0) {
            ended = true;
            std::memset(m_buffer.data(), 0, want);
            got = static_cast<long long>(want);
            missing += got;
        }
        if (!m_fs.Write(out, m_buffer.data(), static_cast<std::size_t>(got))) return false;
        remaining -= got;
    }
    return true;
}

}  // namespace torvan
