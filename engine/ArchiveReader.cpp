#include "ArchiveReader.h"

#include <functional>
#include <unordered_set>
#include <vector>

#include "ArchiveFormat.h"
#include "ArchiveSource.h"
#include "EngineContext.h"
#include "EntryLanding.h"
#include "StagedWriter.h"
#include "StagingFolder.h"
#include "UnpackCommit.h"

namespace torvan {
namespace {

// The manifest's lines, as far as they can be read: the whole manifest is
// the one part of an archive held in memory.
std::vector<ManifestLine> ReadManifest(ArchiveSource& source) {
    long long position = static_cast<long long>(kPreambleSize);
    ManifestParser parser(
        [&](char* bytes, std::size_t size) -> long long {
            const long long got = source.ReadAt(position, bytes, size);
            if (got > 0) position += got;
            return got;
        },
        source.ManifestLength());
    std::vector<ManifestLine> lines;
    ManifestLine line;
    while (parser.Next(line)) lines.push_back(line);
    return lines;
}

}  // namespace

// Two passes over the entries, one over the data: the bytes are staged as
// they stream by, and only once the data's end has said what it is worth
// does anything under the destination change.
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
    ArchiveSource source(context, archive);
    const bool opened = source.Open();
    result.archive = source.Findings();
    if (!opened) return result;
    const int total = source.FileCount();

    const std::vector<ManifestLine> lines = ReadManifest(source);
    EntryLanding landing(context, destination, source.Identity());
    // How the names read is decided once, from all of them, first.
    if (options.chooseNames) landing.SetNames(context.NamesFor(ManifestNames(lines)));

    StagingFolder staging(fs, destination);
    std::string stagingWhy;
    if (!staging.Make(stagingWhy))
        context.Problem(destination, "no folder for the files being unpacked can be made here: " + stagingWhy);
    StagedWriter writer(fs, source, staging.Path());

    // What each file entry's bytes came to; where they begin.
    std::vector<StagedEntry> staged(lines.size());
    std::vector<long long> starts(lines.size(), -1);
    std::unordered_set<std::size_t> keysSeen;
    landing.SetQuiet(true);
    long long position = source.PayloadStart();
    int streamed = 0, ready = 0;
    bool manifestWhole = true;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ManifestLine& line = lines[i];
        if (line.cut || line.tooLong) {
            manifestWhole = false;
            break;
        }
        const ArchiveEntry& entry = line.entry;
        if (entry.kind != ArchiveEntry::File) continue;
        const long long start = position;
        if (entry.size > 0) position += entry.size;
        starts[i] = start;
        std::string path, key;
        if (!landing.Shown(entry.name).empty() && landing.File(entry.name, path, key)) {
            // A name that comes again ends as its later entry: that one is
            // staged whatever the old file holds.
            const bool first = keysSeen.insert(std::hash<std::string>()(key)).second;
            staged[i] = writer.Write(path, start, entry.size, first && landing.FolderExists());
        }
        if (options.fileDone) options.fileDone(++streamed, total);
        // The bar moves as the bytes come in, at every tenth file that is
        // ready to be put in place, when that file has bytes.
        const StagedEntry::State state = staged[i].state;
        if (state == StagedEntry::State::Staged || state == StagedEntry::State::Unchanged) {
            if (++ready % 10 == 0 && entry.size > 0 && progress)
                progress(static_cast<int>(static_cast<long long>(ready) * 100 / total));
        }
    }
    source.Finish(manifestWhole ? position : -1);
    const long long dataSize = source.DataSize();
    source.Close();
    result.archive = source.Findings();
    // Corrupt data, a checksum that does not match, a read that failed:
    // nothing of it is used, and the destination stays as it was.
    if (!result.archive.Opened()) return result;

    landing.SetQuiet(false);
    UnpackCommit commit(context, landing, writer, result.archive, dataSize, result);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ManifestLine& line = lines[i];
        const ArchiveEntry& entry = line.entry;
        if (line.cut) {
            context.Problem(archive, "archive ends inside its manifest");
            result.archive.endsInManifest = true;
            ++result.failed;
            continue;
        }
        if (line.tooLong) {
            context.Problem(archive, "manifest line too long (over 323 bytes); the rest is not read");
            ++result.failed;
            continue;
        }
        if (entry.kind == ArchiveEntry::FolderEnd) continue;
        const std::string shown = landing.Shown(entry.name);
        // Stripped away whole: what lies in the destination already.
        if (shown.empty() && !entry.name.empty()) continue;
        if (entry.kind == ArchiveEntry::FolderStart)
            commit.Folder(entry, shown);
        else
            commit.File(entry, shown, staged[i], starts[i]);
    }
    commit.End();
    writer.DiscardAll();
    return result;
}

}  // namespace torvan
