#include "UnpackCommit.h"

namespace torvan {
namespace {

std::string ShortBy(long long missing, long long size) {
    return "archive ends early: the last " + std::to_string(missing) + " of " + std::to_string(size) +
           " bytes are missing";
}

}  // namespace

UnpackCommit::UnpackCommit(const EngineContext& context, EntryLanding& landing, StagedWriter& writer,
                           const ArchiveFindings& findings, long long dataSize, UnpackResult& result)
    : m_context(context), m_fs(context.fs), m_landing(landing), m_writer(writer),
      m_unverified(findings.outcome == ArchiveOutcome::CutShort), m_dataSize(dataSize), m_result(result) {}

void UnpackCommit::Folder(const ArchiveEntry& entry, const std::string& shown) {
    std::string path;
    if (!m_landing.Folder(entry.name, path)) return;
    m_fs.MakeFolder(path);   // one that exists already is fine
    if (m_context.options.entryDone) m_context.options.entryDone(shown);
}

void UnpackCommit::File(const ArchiveEntry& entry, const std::string& shown, const StagedEntry& staged,
                        long long start) {
    const bool whole = Place(entry, staged);
    if (entry.size > 0 && start < m_dataSize) {
        m_last = entry.name;
        m_lastWhole = whole;
    }
    if (!whole) {
        ++m_result.failed;
        return;
    }
    ++m_result.extracted;
    if (m_context.options.entryDone) m_context.options.entryDone(shown);
}

// True when the file under the entry's name holds the entry's bytes, whole.
bool UnpackCommit::Place(const ArchiveEntry& entry, const StagedEntry& staged) {
    std::string path, key;
    if (!m_landing.File(entry.name, path, key)) return false;
    // Asked only where an answer matters: a re-deploy leaves most files
    // as they are, and every question is a call.
    const bool exists = (m_unverified || staged.missing > 0 || staged.state == StagedEntry::State::Staged) &&
                        m_landing.FolderExists() && m_fs.KindOf(path) != ItemKind::Missing;
    // Bytes that never verified must not take a good file's place.
    if (m_unverified && exists)
        return Fail(entry.name, "the existing file was kept, because the archive's checksum could not be checked");
    // Zeros in place of a good file would destroy it: a file that is there
    // stays as it was.
    if (staged.missing > 0 && exists) return Fail(entry.name, ShortBy(staged.missing, entry.size) + "; the existing file was kept");
    switch (staged.state) {
    case StagedEntry::State::Skipped:
        // Refused while streaming, but not now: what lay there has changed.
        return Fail(entry.name, "cannot be created: the destination changed while unpacking");
    case StagedEntry::State::Failed:
        return Fail(entry.name, staged.why);
    case StagedEntry::State::Unchanged:
        m_result.unchangedBytes += entry.size;
        return true;
    case StagedEntry::State::Staged:
        break;
    }
    FileSystem::Scratch& scratch = m_writer.Scratch(staged.scratch);
    if ((exists && !m_fs.ReadyReplacement(path, scratch)) || !m_fs.KeepScratch(scratch, path)) {
        const std::string why = m_fs.LastErrorText();
        m_fs.DiscardScratch(scratch);
        return Fail(entry.name, "cannot be created: " + why);
    }
    // Kept at its size, so whatever the archive did hold is there, but it
    // is not the file that was packed.
    if (staged.missing > 0) return Fail(entry.name, ShortBy(staged.missing, entry.size) + " (written as zeros)");
    return true;
}

void UnpackCommit::End() {
    if (!m_unverified) return;
    // Nothing of a stream that did not verify is a full success; the file
    // written last before the damage stays, but does not count.
    if (m_lastWhole) {
        --m_result.extracted;
        ++m_result.failed;
        m_context.Problem(m_last, "written, but its bytes lie next to where the compressed data ends and could not be checked");
    }
    if (m_result.failed == 0) m_result.failed = 1;
}

bool UnpackCommit::Fail(const std::string& name, const std::string& why) {
    m_context.Problem(name, why);
    return false;
}

}  // namespace torvan
