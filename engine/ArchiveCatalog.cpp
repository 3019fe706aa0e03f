#include "ArchiveCatalog.h"

#include <vector>

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
    if (!source.Open()) return source.Findings();

    long long position = static_cast<long long>(kPreambleSize);
    ManifestParser parser([&](char* bytes, std::size_t size) -> long long {
        const long long got = source.ReadAt(position, bytes, size);
        if (got > 0) position += got;
        return got;
    }, source.ManifestLength());
    // The lines are gathered first: how their names read is decided from
    // all of them before any is shown.
    long long payloadEnd = source.PayloadStart();
    std::vector<ManifestLine> lines;
    std::string endsWith;   // why the manifest ended early, said after its lines
    ManifestLine line;
    while (parser.Next(line)) {
        if (!source.Findings().Opened()) break;   // the stream broke; said so already
        if (line.cut) {
            endsWith = "archive ends inside its manifest";
            source.Findings().endsInManifest = true;
            break;
        }
        if (line.tooLong) {
            endsWith = "manifest line too long (over 323 bytes); the rest is not read";
            break;
        }
        if (line.entry.kind == ArchiveEntry::File && line.entry.size > 0) payloadEnd += line.entry.size;
        lines.push_back(line);
    }
    std::vector<std::string> names;
    if (options.chooseNames)
        for (const ManifestLine& each : lines)
            if (each.entry.kind != ArchiveEntry::FolderEnd) names.push_back(each.entry.name);
    const NameCodec& codec = context.NamesFor(names);
    for (const ManifestLine& each : lines) {
        ArchiveEntry entry = each.entry;
        std::string local;
        if (!codec.ToLocal(each.entry.name, local)) {
            context.Problem(each.entry.name, "name has no form in the local encoding");
            continue;
        }
        // As an unpack with the same stripping would see the entry.
        entry.name = StripComponents(local, options.stripComponents, context.Style());
        if (entry.name.empty() && !local.empty()) continue;
        if (onEntry) onEntry(entry);
    }
    if (!endsWith.empty()) context.Problem(archive, endsWith);
    source.Finish(endsWith.empty() ? payloadEnd : -1);
    const ArchiveFindings& found = source.Findings();
    if (found.Opened() && found.missingBytes > 0)
        context.Problem(archive, "archive ends " + std::to_string(found.missingBytes) +
                                     " bytes before the end of its payload");
    return found;
}

}  // namespace torvan
