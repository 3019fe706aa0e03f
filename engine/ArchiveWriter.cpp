#include "ArchiveWriter.h"

#include <climits>
#include <cstring>
#include <vector>

#include "ArchiveFormat.h"
#include "EngineContext.h"
#include "GzipInPlace.h"
#include "NameCodec.h"
#include "ScopedFile.h"

namespace torvan {
namespace {

int CountFilesIn(FileSystem& fs, const std::string& folder) {
    std::vector<FolderItem> items;
    if (!fs.ListFolder(folder, items)) return 0;
    int count = 0;
    for (const FolderItem& item : items) {
        if (item.kind == ItemKind::Folder)
            count += CountFilesIn(fs, JoinPath(folder, item.name, fs.Style()));
        else if (item.kind == ItemKind::File || item.kind == ItemKind::Special)
            ++count;   // special files too: the walk then fails on them
    }
    return count;
}

// One pack job's walk: builds the manifest in memory and spools every
// file's contents into the scratch file through one buffer.
class FolderSpooler {
public:
    FolderSpooler(const EngineContext& context, PackJob& job, const ProgressFn& progress,
                  FileSystem::Handle scratch)
        : m_context(context), m_fs(context.fs), m_job(job), m_progress(progress),
          m_scratch(scratch), m_buffer(kCopyBufferSize) {}

    const std::string& Manifest() const { return m_manifest; }

    bool AddFolder(const std::string& folder, const std::string& parent) {
        std::string name;
        if (!ArchiveName(folder, parent, name)) return false;
        // The closing line is the longer of the two: it decides the fit.
        if (!AppendLine(folder, FolderOpeningLine(name), FolderClosingLine(name).size() - 1))
            return false;

        std::vector<FolderItem> items;
        if (!m_fs.ListFolder(folder, items)) {
            // Packing it as empty would lose its files without a word.
            m_context.Problem(folder, "folder cannot be listed");
            return false;
        }
        for (const FolderItem& item : items) {
            const std::string path = JoinPath(folder, item.name, m_fs.Style());
            // The ANSI listing shows characters outside the code page as
            // "?", which no real Windows name contains.
            if (m_fs.Style().windows && item.name.find('?') != std::string::npos) {
                m_context.Problem(path, "name has characters outside the system code page");
                return false;
            }
            switch (item.kind) {
            case ItemKind::Folder:
                if (!AddFolder(path, parent)) return false;
                break;
            case ItemKind::FolderLink:
                m_context.Problem(path, "symbolic link to a folder not followed; skipped");
                break;
            case ItemKind::Missing:
                // A link to nothing holds no data; gone is gone.
                m_context.Problem(path, "symbolic link to nothing (or a file that vanished); skipped");
                break;
            case ItemKind::Special:
                m_context.Problem(path, "special file (FIFO, socket or device) cannot be packed");
                return false;
            case ItemKind::File:
                if (!AddFile(path, parent)) return false;
                break;
            }
        }
        m_manifest += FolderClosingLine(name);
        return true;
    }

private:
    // The name as the archive stores it, refused when the manifest could
    // not carry it: the reader splits lines at "|" and line feeds, byte by
    // byte, and reads at most kMaxLineLength bytes of a line.
    bool ArchiveName(const std::string& path, const std::string& parent, std::string& name) {
        name = MakeArchiveName(path, parent, m_fs.Style());
        if (m_context.options.names) {
            std::string converted;
            if (!m_context.options.names->ToArchive(name, converted)) {
                m_context.Problem(path, "name cannot be represented in the archive's encoding");
                return false;
            }
            name = converted;
        }
        if (name.find_first_of("|\n") != std::string::npos) {
            m_context.Problem(path, "name contains \"|\" or a line feed, which an archive cannot hold");
            return false;
        }
        return true;
    }

    bool AppendLine(const std::string& path, const std::string& line, std::size_t longest) {
        if (longest > kMaxLineLength) {
            m_context.Problem(path, "name too long for an archive line (at most 323 bytes)");
            return false;
        }
        m_manifest += line;
        return true;
    }

    bool AddFile(const std::string& path, const std::string& parent) {
        std::string name;
        if (!ArchiveName(path, parent, name)) return false;

        ScopedHandle file(m_fs, m_fs.OpenRead(path));
        if (!file.IsOpen()) {
            m_context.Problem(path, "cannot be opened (no permission, or in use by another program)");
            return false;
        }
        const long long size = m_fs.SizeOf(file.Get());
        if (size < 0) {
            m_context.Problem(path, "size cannot be read");
            return false;
        }
        if (size > kLargestFileSize) {
            m_context.Problem(path, "file too large (an archive holds files up to 2147483647 bytes)");
            return false;
        }
        const std::string line = FileLine(name, static_cast<int>(size));
        if (!AppendLine(path, line, line.size() - 1)) return false;
        if (!Spool(file.Get(), path, size)) return false;
        file.Close();

        ++m_job.filesDone;
        if (m_context.options.fileDone) m_context.options.fileDone(m_job.filesDone, m_job.fileCount);
        if (m_job.filesDone % 10 == 0 && m_progress)
            m_progress(static_cast<int>(static_cast<long long>(m_job.filesDone) * 100 / m_job.fileCount));
        return true;
    }

    // Exactly `size` bytes, whatever the file does meanwhile: a file that
    // shrank is padded with zeros, one that grew is cut at its old length.
    bool Spool(FileSystem::Handle file, const std::string& path, long long size) {
        long long remaining = size;
        bool ended = false;
        while (remaining > 0) {
            const std::size_t want = remaining < static_cast<long long>(m_buffer.size())
                ? static_cast<std::size_t>(remaining) : m_buffer.size();
            long long got = 0;
            if (!ended) {
                got = m_fs.Read(file, m_buffer.data(), want);
                if (got < 0) {
                    m_context.Problem(path, "read failed");
                    return false;
                }
                ended = got == 0;
            }
            if (ended) {
                std::memset(m_buffer.data(), 0, want);
                got = static_cast<long long>(want);
            }
            if (!m_fs.Write(m_scratch, m_buffer.data(), static_cast<std::size_t>(got))) {
                m_context.Problem(path, "write to the scratch file in the temporary folder failed (disk full?)");
                return false;
            }
            remaining -= got;
        }
        return true;
    }

    const EngineContext& m_context;
    FileSystem& m_fs;
    PackJob& m_job;
    const ProgressFn& m_progress;
    FileSystem::Handle m_scratch;
    std::vector<char> m_buffer;
    std::string m_manifest;
};

// Writes preamble, manifest and the spooled payload into `target`.
bool WritePlainArchive(const EngineContext& context, const std::string& header,
                       const std::string& payload, const std::string& target, const std::string& shownAs) {
    FileSystem& fs = context.fs;
    ScopedHandle in(fs, fs.OpenRead(payload));
    ScopedHandle out(fs, fs.CreateWrite(target));
    if (!in.IsOpen() || !out.IsOpen()) {
        context.Problem(shownAs, "cannot be created");
        return false;
    }
    if (!fs.Write(out.Get(), header.data(), header.size())) {
        context.Problem(shownAs, "write failed (disk full?)");
        return false;
    }
    std::vector<char> buffer(kCopyBufferSize);
    for (;;) {
        const long long got = fs.Read(in.Get(), buffer.data(), buffer.size());
        if (got < 0) {
            context.Problem(shownAs, "read of the scratch file failed");
            return false;
        }
        if (got == 0) break;
        if (!fs.Write(out.Get(), buffer.data(), static_cast<std::size_t>(got))) {
            context.Problem(shownAs, "write failed (disk full?)");
            return false;
        }
    }
    if (!out.Close()) {
        context.Problem(shownAs, "write failed (disk full?)");
        return false;
    }
    return true;
}

}  // namespace

int CountFiles(const std::string& folder, const EngineOptions& options) {
    EngineContext context(options);
    return CountFilesIn(context.fs, folder);
}

bool Pack(PackJob& job, const ProgressFn& progress, const EngineOptions& options) {
    EngineContext context(options);
    FileSystem& fs = context.fs;
    job.fileCount = 0;
    job.filesDone = 0;

    const std::string folder = TrimTrailingSeparators(job.folder, fs.Style());
    const ItemKind kind = fs.KindOf(folder);
    if (kind != ItemKind::Folder && kind != ItemKind::FolderLink) {
        context.Problem(job.folder, "folder not found");
        return false;
    }
    job.fileCount = CountFilesIn(fs, folder);
    if (job.fileCount <= 0) {
        context.Problem(job.folder, "nothing to pack: no file below the folder");
        return false;
    }

    ScratchFile payload(fs);
    if (!payload.Create("")) {
        context.Problem(job.folder, "cannot create a scratch file in the temporary folder");
        return false;
    }
    std::string manifest;
    {
        ScopedHandle spool(fs, fs.CreateWrite(payload.Path()));
        if (!spool.IsOpen()) {
            context.Problem(payload.Path(), "scratch file cannot be opened");
            return false;
        }
        FolderSpooler spooler(context, job, progress, spool.Get());
        if (!spooler.AddFolder(folder, ParentDirectory(folder, fs.Style()))) return false;
        if (!spool.Close()) {
            context.Problem(payload.Path(), "write to the scratch file in the temporary folder failed (disk full?)");
            return false;
        }
        manifest = spooler.Manifest();
    }
    if (manifest.size() > static_cast<std::size_t>(INT_MAX)) {
        context.Problem(job.folder, "manifest too large for an archive");
        return false;
    }
    const std::string header = FormatPreamble(job.fileCount, static_cast<int>(manifest.size())) + manifest;

    // The archive is assembled under a scratch name beside its final place
    // and moved there only when complete: whatever happens meanwhile, the
    // archive path holds either its old file or the whole new archive.
    ScratchFile assembled(fs);
    if (!assembled.Create(context.FolderOf(job.archive))) {
        context.Problem(job.archive, "cannot create a file in the archive's folder");
        return false;
    }
    if (!WritePlainArchive(context, header, payload.Path(), assembled.Path(), job.archive)) return false;
    payload.Discard();
    if (job.gzip && !GzipFileInPlace(context, assembled.Path(), job.archive)) return false;
    if (!fs.Replace(assembled.Path(), job.archive)) {
        context.Problem(job.archive, "cannot be created or replaced");
        return false;
    }
    assembled.Release();
    return true;
}

}  // namespace torvan
