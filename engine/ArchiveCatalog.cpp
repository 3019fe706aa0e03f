#include "ArchiveCatalog.h"

#include "ArchiveFormat.h"
#include "ArchiveSource.h"
#include "EngineContext.h"
#include "NameCodec.h"

namespace torvan {

ArchiveFindings ListArchive(const std::string& archive,
                            const std::function<void(const ArchiveEntry&)>& onEntry,
                            const EngineOptions& options) {
    EngineContext context(options);
    // Listing needs no scratch copy: the manifest is read as it streams by.
    ArchiveSource source(context, archive);
    if (!source.Open(ArchiveSource::Access::Streamed)) return source.Findings();

    long long position = static_cast<long long>(kPreambleSize);
    ManifestParser parser([&](char* bytes, std::size_t size) -> long long {
        const long long got = source.ReadAt(position, bytes, size);
        if (got > 0) position += got;
        return got;
    }, source.ManifestLength());
    long long payloadEnd = source.PayloadStart();
    bool manifestWhole = true;
    ManifestLine line;
    while (parser.Next(line)) {
        if (!source.Findings().Opened()) break;   // the stream broke; said so already
        if (line.cut) {
            context.Problem(archive, "archive ends inside its manifest");
            source.Findings().endsInManifest = true;
            manifestWhole = false;
            break;
        }
        if (line.tooLong) {
            context.Problem(archive, "manifest line too long (over 323 bytes); the rest is not read");
            manifestWhole = false;
            break;
        }
        ArchiveEntry entry = line.entry;
        if (entry.kind == ArchiveEntry::File && entry.size > 0) payloadEnd += entry.size;
        // As an unpack with the same stripping would see the entry.
        entry.name = StripComponents(line.entry.name, options.stripComponents, context.Style());
        if (entry.name.empty() && !line.entry.name.empty()) continue;
        const std::string stripped = entry.name;
        if (options.names && !options.names->ToLocal(stripped, entry.name)) {
            context.Problem(line.entry.name, "name has no form in the local encoding");
            continue;
        }
        if (onEntry) onEntry(entry);
    }
    source.Finish(manifestWhole ? payloadEnd : -1);
    const ArchiveFindings& found = source.Findings();
    if (found.Opened() && found.missingBytes > 0)
        context.Problem(archive, "archive ends " + std::to_string(found.missingBytes) +
                                     " bytes before the end of its payload");
    return found;
}

}  // namespace torvan
