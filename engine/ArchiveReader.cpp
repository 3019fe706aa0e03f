#include "ArchiveReader.h"

#include <zlib.h>

#include <cstring>
#include <vector>

#include "ArchiveFormat.h"
#include "EngineContext.h"
#include "GzipFile.h"
#include "NameCodec.h"
#include "ScopedFile.h"

namespace torvan {
namespace {

// Reads until `size` bytes are in or the file ends; the count read, or -1.
long long ReadUpTo(FileSystem& fs, FileSystem::Handle file, char* buffer, std::size_t size) {
    std::size_t total = 0;
    while (total < size) {
        const long long got = fs.Read(file, buffer + total, size - total);
        if (got < 0) return -1;
        if (got == 0) break;
        total += static_cast<std::size_t>(got);
    }
    return static_cast<long long>(total);
}

constexpr unsigned kGzipReadBufferSize = 262144;

// Expands a gzip-wrapped archive into the scratch file, which is then
// read from its start.
bool Expand(const EngineContext& context, const std::string& archive, FileSystem::Handle scratch,
            std::vector<char>& buffer) {
    FileSystem& fs = context.fs;
    gzFile gz = OpenGzipFile(archive, "rb");
    if (!gz) {
        context.Problem(archive, "cannot be opened");
        return false;
    }
    // Larger reads than zlib's default 8 KiB: a 1 GiB archive otherwise
    // costs over a hundred thousand read calls.
    gzbuffer(gz, kGzipReadBufferSize);
    bool expanded = true;
    for (;;) {
        // Data that merely ends early reads as a shorter archive; only
        // corrupt data or a wrong checksum is an error.
        const int got = gzread(gz, buffer.data(), static_cast<unsigned>(buffer.size()));
        if (got < 0) {
            context.Problem(archive, "corrupt compressed data");
            expanded = false;
            break;
        }
        if (got == 0) break;
        if (!fs.Write(scratch, buffer.data(), static_cast<std::size_t>(got))) {
            context.Problem(archive, "write to the scratch file in the temporary folder failed (disk full?)");
            expanded = false;
            break;
        }
    }
    gzclose(gz);
    if (expanded && !fs.Seek(scratch, 0)) {
        context.Problem(archive, "scratch file cannot be read back");
        expanded = false;
    }
    return expanded;
}

bool StartsWithGzipMagic(const char* bytes, long long size) {
    return size >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f &&
           static_cast<unsigned char>(bytes[1]) == 0x8b;
}

// Creates the folders and files of one plain archive under the
// destination, taking each file's contents in turn from the payload.
class EntryWriter {
public:
    EntryWriter(const EngineContext& context, const std::string& destination,
                FileSystem::Handle source, std::vector<char>& buffer)
        : m_context(context), m_fs(context.fs), m_destination(destination),
          m_source(source), m_sourceIdentity(context.fs.IdentityOf(source)),
          m_sourceSize(context.fs.SizeOf(source)), m_buffer(buffer) {}

    void MakeFolder(const std::string& archiveName) {
        std::string local, path;
        if (!ToLocal(archiveName, local) || !LocalPath(archiveName, local, path)) return;
        m_fs.MakeFolder(path);   // one that exists already is fine
    }

    // True when the file was written whole. The payload position moves on
    // by `size` bytes in every case. The file under the entry's name is
    // always whole, old or new: the bytes go to a scratch file beside it,
    // which takes the name only once they are all written.
    bool WriteFile(const std::string& archiveName, int size) {
        const long long start = m_payloadPosition;
        if (size > 0) m_payloadPosition += size;

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
        // Zeros in place of a good file would destroy it: a file that is
        // there stays as it was.
        const long long shortBy = size > 0 ? MissingFrom(start, size) : 0;
        if (shortBy > 0 && m_fs.KindOf(path) != ItemKind::Missing) return KeepExisting(archiveName, shortBy, size);

        ScratchFile out(m_fs);
        if (!out.CreateReplacement(path)) {
            m_context.Problem(archiveName, "cannot be created");
            return false;
        }
        long long missing = 0;
        if (size > 0 && !CopyPayload(start, size, out.Handle(), missing)) {
            m_context.Problem(archiveName, "write failed (disk full?)");
            return false;
        }
        // The archive was shorter than its length said when this began.
        if (missing > 0 && m_fs.KindOf(path) != ItemKind::Missing) return KeepExisting(archiveName, missing, size);
        if (!out.Keep(path)) {
            m_context.Problem(archiveName, "cannot be created");
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

    void SetPayloadStart(long long position) { m_payloadPosition = position; }
    void SetNames(const NameCodec& names) { m_names = &names; }

private:
    // The name in this side's form; false (reported) where it has none:
    // it is never created under a garbled name.
    bool ToLocal(const std::string& archiveName, std::string& local) {
        if (m_names->ToLocal(archiveName, local)) return true;
        m_context.Problem(archiveName, "name has no form in the local encoding");
        return false;
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

    // The payload bytes of one file, zeros where the payload ends early;
    // `missing` counts those.
    bool CopyPayload(long long start, int size, FileSystem::Handle out, long long& missing) {
        bool ended = !m_fs.Seek(m_source, start);
        long long remaining = size;
        while (remaining > 0) {
            const std::size_t want = remaining < static_cast<long long>(m_buffer.size())
                ? static_cast<std::size_t>(remaining) : m_buffer.size();
            long long got = ended ? 0 : m_fs.Read(m_source, m_buffer.data(), want);
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
    FileSystem::Handle m_source;
    const FileIdentity m_sourceIdentity;
    const long long m_sourceSize;   // where the payload ends, -1 if unknown
    std::vector<char>& m_buffer;
    long long m_payloadPosition = 0;
    const NameCodec* m_names = &m_context.Names();
    std::string m_checkedFolder;   // its whole chain holds no link
};

}  // namespace

UnpackResult Unpack(const std::string& archive, const std::string& destination,
                    const ProgressFn& progress, const EngineOptions& options) {
    EngineContext context(options);
    FileSystem& fs = context.fs;
    UnpackResult result;

    const ItemKind kind = fs.KindOf(destination);
    if (kind != ItemKind::Folder && kind != ItemKind::FolderLink) {
        context.Problem(destination, "destination is not an existing folder");
        return result;
    }
    if (fs.KindOf(archive) != ItemKind::File) {
        context.Problem(archive, "archive not found");
        return result;
    }
    // A plain archive is read where it lies. A gzip-wrapped one is first
    // expanded into a scratch file, so that corrupt data is refused before
    // anything is created.
    ScopedHandle direct(fs, fs.OpenShared(archive));
    if (!direct.IsOpen()) {
        context.Problem(archive, "cannot be opened");
        return result;
    }
    char magic[2] = {};
    const long long sniffed = ReadUpTo(fs, direct.Get(), magic, sizeof magic);
    if (sniffed < 0 || !fs.Seek(direct.Get(), 0)) {
        context.Problem(archive, "cannot be read");
        return result;
    }
    std::vector<char> buffer(kCopyBufferSize);
    // Nameless, or removed by the system with its handle: a process that
    // dies here leaves no expanded copy behind.
    ScratchFile expanded(fs);
    if (StartsWithGzipMagic(magic, sniffed)) {
        direct.Close();
        if (!expanded.Create("")) {
            context.Problem(archive, "cannot create a scratch file in the temporary folder");
            return result;
        }
        if (!Expand(context, archive, expanded.Handle(), buffer)) return result;
    }
    const FileSystem::Handle plain = expanded.IsOpen() ? expanded.Handle() : direct.Get();

    char preamble[kPreambleSize] = {};
    int total = 0;
    int manifestLength = 0;
    const long long got = ReadUpTo(fs, plain, preamble, sizeof preamble);
    if (got < 0 || !ParsePreamble(preamble, total, manifestLength)) {
        context.Problem(archive, "not an archive");
        return result;
    }

    // Manifest and payload share one file: each read seeks to
    // where its own part left off.
    long long manifestPosition = static_cast<long long>(kPreambleSize);
    const ManifestReadFn readManifest = [&](char* bytes, std::size_t size) -> long long {
        if (!fs.Seek(plain, manifestPosition)) return -1;
        const long long got = fs.Read(plain, bytes, size);
        if (got > 0) manifestPosition += got;
        return got;
    };
    EntryWriter writer(context, destination, plain, buffer);
    writer.SetPayloadStart(static_cast<long long>(kPreambleSize) + manifestLength);
    if (options.chooseNames) {
        // How the names read is decided once, from all of them, first.
        writer.SetNames(context.NamesFor(ManifestNames(readManifest, manifestLength)));
        manifestPosition = static_cast<long long>(kPreambleSize);
    }
    ManifestParser parser(readManifest, manifestLength);
    ManifestLine line;
    while (parser.Next(line)) {
        const ArchiveEntry& entry = line.entry;
        if (line.tooLong) {
            context.Problem(archive, "manifest line too long (over 323 bytes); the rest is not read");
            ++result.failed;
        } else if (entry.kind == ArchiveEntry::FolderStart) {
            writer.MakeFolder(entry.name);
            continue;
        } else if (entry.kind == ArchiveEntry::FolderEnd) {
            continue;
        } else if (!writer.WriteFile(entry.name, entry.size)) {
            ++result.failed;
        } else {
            ++result.extracted;
            if (entry.size > 0 && result.extracted % 10 == 0 && progress)
                progress(static_cast<int>(static_cast<long long>(result.extracted) * 100 / total));
        }
        if (options.fileDone) options.fileDone(result.extracted + result.failed, total);
    }
    return result;
}

}  // namespace torvan
