#include "ArchiveProbe.h"
#include "ArchiveReader.h"
#include "Commands.h"
#include "DryRunFileSystem.h"
#include "EngineSetup.h"
#include "LocalPaths.h"
#include "UnpackExitCode.h"

namespace torvan::cli {

// Runs the very unpack that `unpack` would, into an empty folder that
// exists only in memory, or into -C DEST as it stands, through a layer
// that keeps every change in memory: every problem it meets is reported as
// it would be, and nothing is written.
int RunTest(const Request& request)
{
    Console console(request.quiet);
    EngineSetup setup;
    MakeEngineSetup(request, console, setup);
    if (!CheckArchiveArgument(console, request.archive, "test")) return 1;
    if (!request.destination.empty() && !IsFolder(request.destination)) {
        console.Error(request.destination, Exists(request.destination) ? "destination is not a folder"
                                                                       : "destination folder does not exist");
        return 1;
    }

    DryRunFileSystem dryRun = request.destination.empty()
        ? DryRunFileSystem(PlatformFileSystem())
        : DryRunFileSystem(PlatformFileSystem(), AbsoluteFolder(request.destination));
    setup.options.fs = &dryRun;
    const UnpackResult result = Unpack(request.archive, dryRun.Destination(), nullptr, setup.options);

    const int exitCode = UnpackExitCode(result);
    // What the names were found to be, so that a surprise shows before
    // anything is unpacked for real.
    if (setup.guessed && setup.found != NameEncoding::Ascii)
        console.Result(std::string("names: ") + NameEncodingText(setup.found));
    if (result.archive.outcome == ArchiveOutcome::NotAnArchive) {
        console.Result("not an archive");
    } else if (result.archive.outcome == ArchiveOutcome::Unread) {
        // The archive may be fine: this run could not look at it.
        console.Result("cannot test: " + result.archive.why);
    } else if (exitCode == 0) {
        console.Result("ok: " + std::to_string(result.extracted) + " files, " +
                       std::to_string(dryRun.FoldersMade()) + " folders, " +
                       std::to_string(dryRun.BytesWritten() + result.unchangedBytes) + " bytes");
    } else {
        console.Result("damaged: " + std::to_string(result.extracted + result.failed) + " files, " +
                       std::to_string(result.failed) + " failing");
    }
    return exitCode;
}

}  // namespace torvan::cli
