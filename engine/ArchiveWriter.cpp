#include "ArchiveWriter.h"

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "ArchiveFormat.h"
#include "EngineContext.h"
#include "ExcludePatterns.h"
#include "NameCodec.h"
#include "ParallelDeflate.h"
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

// A file the walk found, to be streamed behind the manifest.
struct PlannedFile {
    std::string path;
    long long size;
};

// One pack job's walk: builds the manifest in memory and takes every file's
// size, opening each file so that one that cannot be read is known before
// anything is written. It goes on past every problem, so that one run
// names them all; Failed() then says the pack must not be written.
class ManifestBuilder {
public:
    explicit ManifestBuilder(const EngineContext& context) : m_context(context), m_fs(context.fs) {}

    const std::string& Manifest() const { return m_manifest; }
    const std::vector<PlannedFile>& Files() const { return m_files; }
    bool Failed() const { return m_failed; }
    int LeftOut() const { return m_leftOut; }

    // `relative`: the folder's path below the packed folder, "" for that
    // one itself; exclusions are matched against it.
    void AddFolder(const std::string& folder, const std::string& parent, const std::string& relative) {
        std::string name;
        // A folder whose name cannot be stored has no storable contents either.
        if (!ArchiveName(folder, parent, name)) return;
        // The closing line is the longer of the two: it decides the fit.
        if (!LineFits(folder, FolderClosingLine(name).size() - 1)) return;

        std::vector<FolderItem> items;
        if (!m_fs.ListFolder(folder, items)) {
            // Packing it as empty would lose its files without a word.
            CannotRead(folder, "folder cannot be listed: " + m_fs.LastErrorText());
            return;
        }
        m_manifest += FolderOpeningLine(name);
        Named(name);
        for (const FolderItem& item : items) {
            const std::string path = JoinPath(folder, item.name, m_fs.Style());
            const std::string below = relative.empty() ? item.name : relative + "/" + item.name;
            if (m_context.options.exclude && m_context.options.exclude->Excludes(below)) continue;
            switch (item.kind) {
            case ItemKind::Folder:
                AddFolder(path, parent, below);
                break;
            case ItemKind::FolderLink:
                m_context.Problem(path, "symbolic link to a folder not followed; skipped");
                break;
            case ItemKind::Missing:
                // The folder shows an entry the archive could not hold.
                CannotRead(path, m_fs.IsLink(path) ? "symbolic link that leads nowhere; cannot be opened"
                                                   : "vanished while the folder was read");
                break;
            case ItemKind::Special:
                CannotRead(path, "special file (FIFO, socket or device) cannot be packed");
                break;
            case ItemKind::File:
                AddFile(path, parent);
                break;
            }
        }
        m_manifest += FolderClosingLine(name);
    }

private:
    void Fail(const std::string& path, const std::string& why) {
        m_context.Problem(path, why);
        m_failed = true;
    }

    // What cannot be read may be left out; what cannot be stored may not.
    void CannotRead(const std::string& path, const std::string& why) {
        if (!m_context.options.ignoreFailedRead) return Fail(path, why);
        m_context.Problem(path, why + "; left out");
        ++m_leftOut;
    }

    void Named(const std::string& name) const {
        if (m_context.options.entryDone) m_context.options.entryDone(name);
    }

    // The name as the archive stores it, refused when the manifest could
    // not carry it: the reader splits lines at "|" and line feeds, byte by
    // byte, and reads at most kMaxLineLength bytes of a line.
    bool ArchiveName(const std::string& path, const std::string& parent, std::string& name) {
        // Converted whole, no best fit: a name that the archive's encoding
        // cannot spell is refused rather than packed under a look-alike.
        std::string converted;
        if (!m_context.Names().ToArchive(MakeArchiveName(path, parent, m_fs.Style()), converted)) {
            Fail(path, "name cannot be represented in the archive's encoding");
            return false;
        }
        name = converted;
        if (name.find_first_of("|\n") != std::string::npos) {
            Fail(path, "name contains \"|\" or a line feed, which an archive cannot hold");
            return false;
        }
        return true;
    }

    bool LineFits(const std::string& path, std::size_t longest) {
        if (longest <= kMaxLineLength) return true;
        Fail(path, "name too long for an archive line (at most 323 bytes)");
        return false;
    }

    void AddFile(const std::string& path, const std::string& parent) {
        std::string name;
        if (!ArchiveName(path, parent, name)) return;

        ScopedHandle file(m_fs, m_fs.OpenRead(path));
        if (!file.IsOpen()) return CannotRead(path, "cannot be opened: " + m_fs.LastErrorText());
        const long long size = m_fs.SizeOf(file.Get());
        if (size < 0) return CannotRead(path, "size cannot be read: " + m_fs.LastErrorText());
        if (size > kLargestFileSize)
            return Fail(path, "file too large (an archive holds files up to 2147483647 bytes)");
        const std::string line = FileLine(name, static_cast<int>(size));
        if (!LineFits(path, line.size() - 1)) return;
        m_manifest += line;
        m_files.push_back({path, size});
        Named(name);
    }

    const EngineContext& m_context;
    FileSystem& m_fs;
    std::string m_manifest;
    std::vector<PlannedFile> m_files;
    bool m_failed = false;
    int m_leftOut = 0;
};

// Streams the files' contents, in manifest order, into the archive behind
// its manifest (or into its compressor), reporting progress file by file.
// The one buffer gathers small files, so that thousands of them cost a few
// large writes.
class ContentStreamer {
public:
    ContentStreamer(const EngineContext& context, PackJob& job, const ProgressFn& progress,
                    const ByteSink& out, const std::string& shownAs)
        : m_context(context), m_fs(context.fs), m_job(job), m_progress(progress),
          m_out(out), m_shownAs(shownAs), m_buffer(kCopyBufferSize) {}

    // Straight through, after whatever the buffer holds.
    bool Write(const void* data, std::size_t size) {
        return Flush() && WriteOut(data, size);
    }

    bool AddFile(const PlannedFile& planned) {
        // The walk opened it a moment ago; it may have gone since.
        ScopedHandle file(m_fs, m_fs.OpenRead(planned.path));
        if (!file.IsOpen()) {
            m_context.Problem(planned.path, "cannot be opened: " + m_fs.LastErrorText());
            return false;
        }
        if (m_fs.SizeOf(file.Get()) != planned.size) return ChangedSize(planned);
        if (!Stream(file.Get(), planned.path, planned.size)) return false;
        file.Close();

        ++m_job.filesDone;
        if (m_context.options.fileDone) m_context.options.fileDone(m_job.filesDone, m_job.fileCount);
        if (m_job.filesDone % 10 == 0 && m_progress)
            m_progress(static_cast<int>(static_cast<long long>(m_job.filesDone) * 100 / m_job.fileCount));
        return true;
    }

    bool Flush() {
        const std::size_t filled = m_filled;
        m_filled = 0;
        return filled == 0 || WriteOut(m_buffer.data(), filled);
    }

private:
    bool WriteOut(const void* data, std::size_t size) {
        if (m_out(data, size)) return true;
        m_context.Problem(m_shownAs, "write failed (disk full?)");
        return false;
    }

    // Its line already stands in the manifest with the old size: zeros or
    // a cut-off file under it would pass for the file that was packed.
    bool ChangedSize(const PlannedFile& planned) {
        m_context.Problem(planned.path, "changed size while being packed (it had " +
                                            std::to_string(planned.size) + " bytes when the folder was read)");
        return false;
    }

    // Exactly the size the manifest announces; a file that ends early
    // changed under us.
    bool Stream(FileSystem::Handle file, const std::string& path, long long size) {
        long long remaining = size;
        while (remaining > 0) {
            if (m_filled == m_buffer.size() && !Flush()) return false;
            const std::size_t room = m_buffer.size() - m_filled;
            const std::size_t want = remaining < static_cast<long long>(room)
                ? static_cast<std::size_t>(remaining) : room;
            char* const at = m_buffer.data() + m_filled;
            const long long got = m_fs.Read(file, at, want);
            if (got < 0) {
                m_context.Problem(path, "read failed: " + m_fs.LastErrorText());
                return false;
            }
            if (got == 0) return ChangedSize({path, size});
            m_filled += static_cast<std::size_t>(got);
            remaining -= got;
        }
        return true;
    }

    const EngineContext& m_context;
    FileSystem& m_fs;
    PackJob& m_job;
    const ProgressFn& m_progress;
    const ByteSink& m_out;
    const std::string& m_shownAs;
    std::vector<char> m_buffer;
    std::size_t m_filled = 0;
};

// Writes preamble and manifest, then every file's contents, into the
// scratch file, compressed on the way when the job says so.
bool WriteArchive(const EngineContext& context, PackJob& job, const ProgressFn& progress,
                  const std::string& header, const std::vector<PlannedFile>& files,
                  FileSystem::Handle target) {
    FileSystem& fs = context.fs;
    const ByteSink toFile = [&](const void* data, std::size_t size) { return fs.Write(target, data, size); };
    std::unique_ptr<ParallelDeflate> gzip;
    if (job.gzip) gzip = std::make_unique<ParallelDeflate>(toFile, context.options.threads);
    const ByteSink out = gzip ? ByteSink([&](const void* data, std::size_t size) { return gzip->Write(data, size); })
                              : toFile;

    ContentStreamer streamer(context, job, progress, out, job.archive);
    if (!streamer.Write(header.data(), header.size())) return false;
    for (const PlannedFile& file : files)
        if (!streamer.AddFile(file)) return false;
    if (!streamer.Flush()) return false;
    if (gzip && !gzip->Finish()) {
        context.Problem(job.archive, "write failed (disk full?)");
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

    // The walk comes first: the manifest's length must be known before
    // the first content byte can be placed behind it. It also counts what
    // the preamble announces, so that count and manifest always agree.
    ManifestBuilder builder(context);
    builder.AddFolder(folder, ParentDirectory(folder, fs.Style()), "");
    job.leftOut = builder.LeftOut();
    if (builder.Failed()) return false;
    job.fileCount = static_cast<int>(builder.Files().size());
    if (job.fileCount <= 0) {
        context.Problem(job.folder, job.leftOut > 0 || (options.exclude && !options.exclude->Empty())
                                        ? "nothing to pack: no file below the folder is left to pack"
                                        : "nothing to pack: no file below the folder");
        return false;
    }
    const std::string& manifest = builder.Manifest();
    if (manifest.size() > static_cast<std::size_t>(INT_MAX)) {
        context.Problem(job.folder, "manifest too large for an archive");
        return false;
    }
    const std::string header = FormatPreamble(job.fileCount, static_cast<int>(manifest.size())) + manifest;

    if (job.stream != FileSystem::kNoHandle)
        return WriteArchive(context, job, progress, header, builder.Files(), job.stream);

    // The archive is assembled in a scratch file beside its final place and
    // moved there only when complete: whatever happens meanwhile, the
    // archive path holds either its old file or the whole new archive, and
    // a process killed on the way leaves no scratch file behind.
    ScratchFile assembled(fs);
    if (!assembled.Create(context.FolderOf(job.archive))) {
        context.Problem(job.archive, "cannot be created: " + fs.LastErrorText());
        return false;
    }
    if (!WriteArchive(context, job, progress, header, builder.Files(), assembled.Handle())) return false;
    if (!assembled.Keep(job.archive)) {
        context.Problem(job.archive, "cannot be written or replaced: " + fs.LastErrorText());
        return false;
    }
    return true;
}

}  // namespace torvan
