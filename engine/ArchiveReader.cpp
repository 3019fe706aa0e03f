#include "ArchiveReader.h"

#include <cstring>
#include <vector>

#include "ArchiveFormat.h"
#include "ArchiveSource.h"
#include "EngineContext.h"
#include "NameCodec.h"
#include "ScopedFile.h"

namespace torvan {
namespace {

// Creates the folders and files of one plain archive under the
// destination, taking each file's contents in turn from the payload.
class EntryWriter {
public:
    EntryWriter(const EngineContext& context, const std::string& destination, ArchiveSource& source,
                std::vector<char>& buffer)
        : m_context(context), m_fs(context.fs), m_destination(destination), m_source(source),
          m_sourceIdentity(source.Identity()), m_sourceSize(source.DataSize()),
          m_unverified(source.Findings().outcome == ArchiveOutcome::CutShort), m_buffer(buffer),
          m_payloadPosition(source.PayloadStart()) {}

    // False when the name is refused.
    bool MakeFolder(const std::string& archiveName) {
        std::string local, path;
        if (!ToLocal(archiveName, local) || !LocalPath(archiveName, local, path)) return false;
        m_fs.MakeFolder(path);   // one that exists already is fine
        return true;
    }

    // An entry that is not unpacked at all still has its bytes in the payload.
    void PassOver(int size) {
        if (size > 0) m_payloadPosition += size;
    }

    void SetNames(const NameCodec& names) { m_names = &names; }

    // The name as it lands, for the verbose listing: this side's form,
    // stripped; empty when stripping leaves nothing of it.
    std::string Shown(const std::string& archiveName) const {
        std::string local;
        if (!m_names->ToLocal(archiveName, local)) return archiveName;
        return StripComponents(local, m_context.options.stripComponents, m_fs.Style());
    }

    // True when the file was written whole. The payload position moves on
    // by `size` bytes in every case.
    bool WriteFile(const std::string& archiveName, int size) {
        const long long start = m_payloadPosition;
        if (size > 0) m_payloadPosition += size;
        const bool whole = Place(archiveName, size, start);
        if (size > 0 && m_sourceSize >= 0 && start < m_sourceSize) {
            m_lastInData = archiveName;
            m_lastInDataWhole = whole;
        }
        return whole;
    }

    long long UnchangedBytes() const { return m_unchangedBytes; }

    // Where the manifest says the payload ends.
    long long PayloadEnd() const { return m_payloadPosition; }

    // The last file entry with bytes that begin inside the data, if it was
    // written whole: in a stream that did not verify, its bytes are the
    // ones next to the damage.
    bool LastInDataWasWhole(std::string& archiveName) const {
        archiveName = m_lastInData;
        return m_lastInDataWhole;
    }

private:
    // The file under the entry's name is always whole, old or new: the
    // bytes go to a scratch file beside it, which takes the name only once
    // they are all written.
    bool Place(const std::string& archiveName, int size, long long start) {

        std::string local;
        if (!ToLocal(archiveName, local)) return false;
        // "./site/dir/" or "./site/." would otherwise land on a folder's
        // name; on Windows such a name cannot be created at all.
        if (!local.empty() && !NamesAFile(local, m_fs.Style())) {
            m_context.Problem(archiveName, "names no file (ends in a separator or \".\")");
            return false;
        }
        std::string path;
        if (!LocalPath(archiveName, local, path)) return false;
        // A plain archive is read where it lies, possibly inside the
        // destination: replacing it would take it from the user.
        if (m_sourceIdentity.SameAs(m_fs.IdentityOf(path))) {
            m_context.Problem(archiveName, "refused: would overwrite the archive being unpacked");
            return false;
        }
        // Bytes that never verified must not take a good file's place.
        if (m_unverified && m_fs.KindOf(path) != ItemKind::Missing) {
            m_context.Problem(archiveName, "the existing file was kept, because the archive's checksum could not be checked");
            return false;
        }
        // Zeros in place of a good file would destroy it: a file that is
        // there stays as it was.
        const long long shortBy = size > 0 ? MissingFrom(start, size) : 0;
        if (shortBy > 0 && m_fs.KindOf(path) != ItemKind::Missing) return KeepExisting(archiveName, shortBy, size);

        // A file that holds these bytes already is left alone: its inode,
        // times and permissions stay, so caches, watchers and backups see
        // only what really changed. Only equal sizes are worth a look.
        ScopedHandle old(m_fs, FileSystem::kNoHandle);
        long long same = 0;
        std::size_t pending = 0;
        if (m_fs.KindOf(path) == ItemKind::File) {
            old.Reset(m_fs.OpenShared(path));
            if (old.IsOpen() && m_fs.SizeOf(old.Get()) == size && Matches(old.Get(), start, size, same, pending)) {
                m_unchangedBytes += size;
                return true;
            }
        }

        ScratchFile out(m_fs);
        if (!out.CreateReplacement(path)) {
            m_context.Problem(archiveName, "cannot be created: " + m_fs.LastErrorText());
            return false;
        }
        // The bytes that matched are the old file's; taking them from there
        // reads the archive only once.
        bool written = CopyFromOld(old.Get(), same, out.Handle()) &&
                       m_fs.Write(out.Handle(), m_buffer.data(), pending);
        old.Close();
        long long missing = 0;
        const long long done = same + static_cast<long long>(pending);
        if (written && size > done) written = CopyPayload(start + done, size - done, out.Handle(), missing);
        if (!written) {
            m_context.Problem(archiveName, "write failed (disk full?)");
            return false;
        }
        // The archive was shorter than its length said when this began.
        if (missing > 0 && m_fs.KindOf(path) != ItemKind::Missing) return KeepExisting(archiveName, missing, size);
        if (!out.Keep(path)) {
            m_context.Problem(archiveName, "cannot be created: " + m_fs.LastErrorText());
            return false;
        }
        if (missing > 0) {
            // Kept at its size, so whatever the archive did hold is there,
            // but it is not the file that was packed.
            m_context.Problem(archiveName, ShortBy(missing, size) + " (written as zeros)");
            return false;
        }
        return true;
    }

    // The name in this side's form; false (reported) where it has none:
    // it is never created under a garbled name.
    // Leading folders that --strip-components drops go only after the
    // conversion, where every separator is a separator.
    bool ToLocal(const std::string& archiveName, std::string& local) {
        if (!m_names->ToLocal(archiveName, local)) {
            m_context.Problem(archiveName, "name has no form in the local encoding");
            return false;
        }
        local = StripComponents(local, m_context.options.stripComponents, m_fs.Style());
        return true;
    }

    // Where an archive name, `name` in local form, lands under the
    // destination; false (with the reason reported) for names that would
    // land anywhere else.
    bool LocalPath(const std::string& archiveName, const std::string& name, std::string& path) {
        std::vector<std::string> components;
        std::string why;
        if (!SplitSafeArchiveName(name, m_fs.Style(), components, why) || components.empty()) {
            m_context.Problem(archiveName, components.empty() && why.empty() ? "empty name" : why);
            return false;
        }
        // A link planted earlier (by anyone: this archive creates none)
        // could carry the write outside the destination. Entries come
        // folder by folder, and a folder once found free of links stays
        // so, since unpacking only ever adds plain folders and files; so
        // each folder's chain is checked once, not once per file.
        std::string folder = m_destination;
        for (std::size_t i = 0; i + 1 < components.size(); ++i)
            folder = JoinPath(folder, components[i], m_fs.Style());
        if (folder != m_checkedFolder) {
            std::string partial = m_destination;
            for (std::size_t i = 0; i + 1 < components.size(); ++i) {
                partial = JoinPath(partial, components[i], m_fs.Style());
                if (m_fs.IsLink(partial)) return RefuseLink(archiveName);
            }
            m_checkedFolder = folder;
        }
        path = JoinPath(folder, components.back(), m_fs.Style());
        if (m_fs.IsLink(path)) return RefuseLink(archiveName);
        return true;
    }

    // Bytes of the entry at `start` that lie beyond the end of the payload.
    long long MissingFrom(long long start, int size) const {
        if (m_sourceSize < 0 || start + size <= m_sourceSize) return 0;
        return start >= m_sourceSize ? size : start + size - m_sourceSize;
    }

    static std::string ShortBy(long long missing, int size) {
        return "archive ends early: the last " + std::to_string(missing) + " of " + std::to_string(size) +
               " bytes are missing";
    }

    bool KeepExisting(const std::string& archiveName, long long missing, int size) {
        m_context.Problem(archiveName, ShortBy(missing, size) + "; the existing file was kept");
        return false;
    }

    bool RefuseLink(const std::string& archiveName) {
        m_context.Problem(archiveName, "refused: would write through a symbolic link");
        return false;
    }

    // True when the old file's bytes are the entry's. Otherwise `same`
    // counts the leading bytes that matched, and the first `pending` bytes
    // of the buffer are the archive's next ones, already read.
    bool Matches(FileSystem::Handle old, long long start, long long size, long long& same, std::size_t& pending) {
        if (m_oldBuffer.empty()) m_oldBuffer.resize(m_buffer.size());
        while (same < size) {
            const long long remaining = size - same;
            const std::size_t want = remaining < static_cast<long long>(m_buffer.size())
                ? static_cast<std::size_t>(remaining) : m_buffer.size();
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

    bool CopyFromOld(FileSystem::Handle old, long long count, FileSystem::Handle out) {
        if (count == 0) return true;
        if (!m_fs.Seek(old, 0)) return false;
        while (count > 0) {
            const std::size_t want = count < static_cast<long long>(m_oldBuffer.size())
                ? static_cast<std::size_t>(count) : m_oldBuffer.size();
            const long long got = m_fs.Read(old, m_oldBuffer.data(), want);
            if (got <= 0 || !m_fs.Write(out, m_oldBuffer.data(), static_cast<std::size_t>(got))) return false;
            count -= got;
        }
        return true;
    }

    // The payload bytes of one file, zeros where the payload ends early;
    // `missing` counts those.
    bool CopyPayload(long long start, long long size, FileSystem::Handle out, long long& missing) {
        bool ended = false;
        long long position = start;
        long long remaining = size;
        while (remaining > 0) {
            const std::size_t want = remaining < static_cast<long long>(m_buffer.size())
                ? static_cast<std::size_t>(remaining) : m_buffer.size();
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

    const EngineContext& m_context;
    FileSystem& m_fs;
    const std::string& m_destination;
    ArchiveSource& m_source;
    const FileIdentity m_sourceIdentity;
    const long long m_sourceSize;   // where the data ends, -1 if unknown
    const bool m_unverified;        // a gzip stream that ended before its checksum
    std::vector<char>& m_buffer;
    std::vector<char> m_oldBuffer;   // the old file's bytes, for the comparison
    long long m_payloadPosition;
    const NameCodec* m_names = &m_context.Names();
    std::string m_checkedFolder;   // its whole chain holds no link
    std::string m_lastInData;
    long long m_unchangedBytes = 0;
    bool m_lastInDataWhole = false;
};

}  // namespace

UnpackResult Unpack(const std::string& archive, const std::string& destination,
                    const ProgressFn& progress, const EngineOptions& options) {
    EngineContext context(options);
    FileSystem& fs = context.fs;
    UnpackResult result;

    const ItemKind kind = fs.KindOf(destination);
    if (kind != ItemKind::Folder && kind != ItemKind::FolderLink) {
        result.archive.why = "destination is not an existing folder";
        context.Problem(destination, result.archive.why);
        return result;
    }
    // A gzip-wrapped archive is expanded and checked first, so that corrupt
    // data is refused before anything is created.
    ArchiveSource source(context, archive);
    const bool opened = source.Open(ArchiveSource::Access::Expanded);
    result.archive = source.Findings();
    if (!opened) return result;
    const int total = source.FileCount();

    // Manifest and payload share one file: each read starts where its own
    // part left off.
    long long manifestPosition = static_cast<long long>(kPreambleSize);
    const ManifestReadFn readManifest = [&](char* bytes, std::size_t size) -> long long {
        const long long got = source.ReadAt(manifestPosition, bytes, size);
        if (got > 0) manifestPosition += got;
        return got;
    };
    std::vector<char> buffer(kCopyBufferSize);
    EntryWriter writer(context, destination, source, buffer);
    if (options.chooseNames) {
        // How the names read is decided once, from all of them, first.
        writer.SetNames(context.NamesFor(ManifestNames(readManifest, source.ManifestLength())));
        manifestPosition = static_cast<long long>(kPreambleSize);
    }
    ManifestParser parser(readManifest, source.ManifestLength());
    bool manifestWhole = true;
    ManifestLine line;
    while (parser.Next(line)) {
        const ArchiveEntry& entry = line.entry;
        const std::string name = writer.Shown(entry.name);
        if (line.cut) {
            context.Problem(archive, "archive ends inside its manifest");
            source.Findings().endsInManifest = true;
            manifestWhole = false;
            ++result.failed;
        } else if (line.tooLong) {
            context.Problem(archive, "manifest line too long (over 323 bytes); the rest is not read");
            manifestWhole = false;
            ++result.failed;
        } else if (entry.kind == ArchiveEntry::FolderEnd) {
            continue;
        } else if (name.empty() && !entry.name.empty()) {
            // Stripped away whole: what lies in the destination already.
            if (entry.kind == ArchiveEntry::File) writer.PassOver(entry.size);
            continue;
        } else if (entry.kind == ArchiveEntry::FolderStart) {
            if (writer.MakeFolder(entry.name) && options.entryDone) options.entryDone(name);
            continue;
        } else if (!writer.WriteFile(entry.name, entry.size)) {
            ++result.failed;
        } else {
            if (options.entryDone) options.entryDone(name);
            ++result.extracted;
            if (entry.size > 0 && result.extracted % 10 == 0 && progress)
                progress(static_cast<int>(static_cast<long long>(result.extracted) * 100 / total));
        }
        if (options.fileDone) options.fileDone(result.extracted + result.failed, total);
    }

    if (source.Findings().outcome == ArchiveOutcome::CutShort) {
        // Nothing of a stream that did not verify is a full success; the
        // file written last before the damage stays, but does not count.
        std::string name;
        if (writer.LastInDataWasWhole(name)) {
            --result.extracted;
            ++result.failed;
            context.Problem(name, "written, but its bytes lie next to where the compressed data ends and could not be checked");
        }
        if (result.failed == 0) result.failed = 1;
    }
    source.Finish(manifestWhole ? writer.PayloadEnd() : -1);
    result.archive = source.Findings();
    result.unchangedBytes = writer.UnchangedBytes();
    return result;
}

}  // namespace torvan
