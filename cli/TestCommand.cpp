#include "ArchiveProbe.h"
#include "ArchiveReader.h"
#include "Commands.h"
#include "DryRunFileSystem.h"
#include "EngineSetup.h"
#include "UnpackExitCode.h"

namespace torvan::cli {

// Runs the very unpack that `unpack` would, into an empty folder that
// exists only in memory: every problem it meets is reported as it would
// be, and nothing is written but the usual scratch copy of a gzip archive.
int RunTest(const Request& request)
{
    Console console(request.quiet);
    EngineSetup setup;
    MakeEngineSetup(request, console, setup);
    if (!CheckArchiveArgument(console, request.archive, "test")) return 1;

    DryRunFileSystem dryRun(PlatformFileSystem());
    setup.options.fs = &dryRun;
    const int errorsBefore = console.ErrorCount();
    const UnpackResult result = Unpack(request.archive, dryRun.Destination(), nullptr, setup.options);
    if (result.extracted == 0 && result.failed == 0 && console.ErrorCount() == errorsBefore)
        console.Error(request.archive, WhyNotAnArchive(request.archive));

    const int exitCode = UnpackExitCode(result);
    // What the names were found to be, so that a surprise shows before
    // anything is unpacked for real.
    if (setup.guessed && setup.found != NameEncoding::Ascii)
        console.Result(std::string("names: ") + NameEncodingText(setup.found));
    if (exitCode == 0) {
        console.Result("ok: " + std::to_string(result.extracted) + " files, " +
                       std::to_string(dryRun.FoldersMade()) + " folders, " +
                       std::to_string(dryRun.BytesWritten()) + " bytes");
    } else {
        console.Result("damaged: " + std::to_string(result.extracted + result.failed) + " files, " +
                       std::to_string(result.failed) + " failing");
    }
    return exitCode;
}

}  // namespace torvan::cli
