#include "ArchiveCatalog.h"

#include <zlib.h>

#include <vector>

#include "ArchiveFormat.h"
#include "EngineContext.h"
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

// The preamble and the manifest bytes actually present: the manifest grows
// with the data found, never with the length the preamble announces.
bool ReadHead(gzFile gz, int& manifestLength, std::string& manifest) {
    char preamble[kPreambleSize] = {};
    int total = 0;
    if (GzReadUpTo(gz, preamble, sizeof preamble) < 0) return false;
    if (!ParsePreamble(preamble, total, manifestLength)) return false;
    std::vector<char> chunk(kCopyBufferSize);
    while (manifest.size() < static_cast<std::size_t>(manifestLength)) {
        std::size_t want = static_cast<std::size_t>(manifestLength) - manifest.size();
        if (want > chunk.size()) want = chunk.size();
        const long long got = GzReadUpTo(gz, chunk.data(), want);
        if (got < 0) return false;
        if (got == 0) break;
        manifest.append(chunk.data(), static_cast<std::size_t>(got));
    }
    return true;
}

}  // namespace

bool ListArchive(const std::string& archive,
                 const std::function<void(const ArchiveEntry&)>& onEntry,
                 const EngineOptions& options) {
    EngineContext context(options);
    if (context.fs.KindOf(archive) != ItemKind::File) return false;
    gzFile gz = gzopen(archive.c_str(), "rb");
    if (!gz) return false;
    int manifestLength = 0;
    std::string manifest;
    const bool readable = ReadHead(gz, manifestLength, manifest);
    gzclose(gz);
    if (!readable) return false;

    ManifestParser parser(manifest, manifestLength);
    ManifestLine line;
    while (parser.Next(line)) {
        if (line.tooLong) {
            context.Problem(archive, "manifest line too long (over 323 bytes); the rest is not read");
            break;
        }
        ArchiveEntry entry = line.entry;
        if (options.names && !options.names->ToLocal(line.entry.name, entry.name)) {
            context.Problem(line.entry.name, "name has no form in the local encoding");
            continue;
        }
        if (onEntry) onEntry(entry);
    }
    return true;
}

}  // namespace torvan
