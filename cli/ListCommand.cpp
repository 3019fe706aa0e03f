#include <cinttypes>
#include <cstdio>

#include "ArchiveCatalog.h"
#include "ArchiveProbe.h"
#include "Commands.h"
#include "EngineSetup.h"
#include "LocalPaths.h"

namespace torvan::cli {

int RunList(const Request& request)
{
    Console console(request.quiet);
    EngineSetup setup;
    MakeEngineSetup(request, console, setup);
    setup.options.fileDone = nullptr;   // listing is quick; no bar

    if (!CheckArchiveArgument(console, request.archive, "list")) return 1;

    long long files = 0, folders = 0, bytes = 0;
    const ArchiveFindings found = ListArchive(
        request.archive,
        [&](const ArchiveEntry& entry) {
            switch (entry.kind) {
            case ArchiveEntry::FolderStart:
                ++folders;
                WriteText(stdout, std::string(12, ' ') + "  " + entry.name + "/\n");
                break;
            case ArchiveEntry::File:
                ++files;
                bytes += entry.size;
                std::printf("%12d  ", entry.size);
                WriteText(stdout, entry.name + "\n");
                break;
            case ArchiveEntry::FolderEnd:
                break;
            }
        },
        setup.options);
    std::fflush(stdout);

    // A damaged archive's listing may lack entries, or name ones whose bytes
    // are not there: the problems are on stderr, and no totals follow.
    if (!found.Whole()) return 1;
    std::printf("%lld files, %lld folders, %lld bytes\n", files, folders, bytes);
    return 0;
}

}  // namespace torvan::cli
