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
    int errorsBefore = console.ErrorCount();
    bool ok = ListArchive(
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

    if (!ok) {
        if (console.ErrorCount() == errorsBefore)
            console.Error(request.archive, WhyNotAnArchive(request.archive));
        return 1;
    }
    std::printf("%lld files, %lld folders, %lld bytes\n", files, folders, bytes);
    return 0;
}

}  // namespace torvan::cli
