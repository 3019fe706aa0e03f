#include "ArchiveCatalog.h"

#include <zlib.h>

#include <vector>

#include "ArchiveFormat.h"
#include "EngineContext.h"
#include "GzipFile.h"
#include "NameCodec.h"

namespace torvan {
namespace {

// Reads up to `size` bytes; fewer only where the data ends. -1 on corrupt data.
long long GzReadUpTo(gzFile gz, char* buffer, std::size_t size) {
    std::size_t total = 0;
    while (total < size) {
        std::size_t want = size - total;
        if (want > kCopyBufferSize) want = kCopyBufferSize;
        const int got = gzread(gz, buffer + total, static_cast<unsigned>(want));
        if (got < 0) return -1;
        if (got == 0) break;
        total += static_cast<std::size_t>(got);
    }
    return static_cast<long long>(total);
}

}  // namespace

bool ListArchive(const std::string& archive,
                 const std::function<void(const ArchiveEntry&)>& onEntry,
                 const EngineOptions& options) {
    EngineContext context(options);
    if (context.fs.KindOf(archive) != ItemKind::File) return false;
    gzFile gz = OpenGzipFile(archive, "rb");
    if (!gz) return false;
    char preamble[kPreambleSize] = {};
    int total = 0;
    int manifestLength = 0;
    if (GzReadUpTo(gz, preamble, sizeof preamble) < 0 || !ParsePreamble(preamble, total, manifestLength)) {
        gzclose(gz);
        return false;
    }

    // Compressed data that turns out corrupt further on ends the listing
    // like the end of the data would.
    bool corrupt = false;
    ManifestParser parser([&](char* bytes, std::size_t size) -> long long {
        const long long got = corrupt ? 0 : GzReadUpTo(gz, bytes, size);
        if (got < 0) corrupt = true;
        return got < 0 ? 0 : got;
    }, manifestLength);
    // The lines are gathered first: how their names read is decided from
    // all of them before any is shown.
    std::vector<ManifestLine> lines;
    ManifestLine line;
    bool tooLong = false;
    while (parser.Next(line) && !corrupt) {
        if (line.tooLong) {
            tooLong = true;
            break;
        }
        lines.push_back(line);
    }
    std::vector<std::string> names;
    if (options.chooseNames)
        for (const ManifestLine& each : lines)
            if (each.entry.kind != ArchiveEntry::FolderEnd) names.push_back(each.entry.name);
    const NameCodec& codec = context.NamesFor(names);
    for (const ManifestLine& each : lines) {
        ArchiveEntry entry = each.entry;
        if (!codec.ToLocal(each.entry.name, entry.name)) {
            context.Problem(each.entry.name, "name has no form in the local encoding");
            continue;
        }
        if (onEntry) onEntry(entry);
    }
    if (tooLong) context.Problem(archive, "manifest line too long (over 323 bytes); the rest is not read");
    gzclose(gz);
    if (corrupt) context.Problem(archive, "corrupt compressed data");
    return true;
}

}  // namespace torvan
