#include "ArchiveWriter.h"
#include "Commands.h"
#include "EngineSetup.h"
#include "LocalPaths.h"

namespace torvan::cli {

int RunPack(const Request& request)
{
    Console console(request.quiet);
    EngineSetup setup;
    MakeEngineSetup(request, console, setup);

    setup.options.threads = request.threads;

    PackJob job;
    job.folder = AbsoluteFolder(request.folder);
    job.gzip = !request.plain;

    if (!Exists(job.folder)) {
        console.Error(job.folder, "no such folder");
        return 1;
    }
    if (!IsFolder(job.folder)) {
        console.Error(job.folder, "not a folder (pack takes a folder)");
        return 1;
    }
    if (LastComponent(job.folder).empty()) {
        console.Error(job.folder, "a root folder has no name to pack under; pack a folder inside it");
        return 1;
    }

    job.archive = request.archive.empty() ? DefaultArchivePath(job.folder, request.plain)
                                          : request.archive;
    if (IsFolder(job.archive)) {
        console.Error(job.archive, "is a folder; name an archive file with -o");
        return 1;
    }

    int errorsBefore = console.ErrorCount();
    bool ok = Pack(job, nullptr, setup.options);
    console.Progress().Finish();
    if (!ok) {
        // The engine names the cause when it knows one; never fail silently.
        if (console.ErrorCount() == errorsBefore)
            console.Error(job.folder, "packing failed");
        std::string why = WhyNotWritable(FolderOf(job.archive));
        if (!why.empty()) console.Error(FolderOf(job.archive), "cannot be written: " + why);
        console.Error("no archive written; " + job.archive + " is as it was");
        return 1;
    }

    console.Say("packed " + std::to_string(job.fileCount) + (job.fileCount == 1 ? " file" : " files") +
                " into " + job.archive);
    return 0;
}

}  // namespace torvan::cli
