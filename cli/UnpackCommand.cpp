#include "ArchiveProbe.h"
#include "ArchiveReader.h"
#include "Commands.h"
#include "EngineSetup.h"
#include "LocalPaths.h"
#include "UnpackExitCode.h"

namespace torvan::cli {

int RunUnpack(const Request& request)
{
    Console console(request.quiet);
    UnpackResult result;
    std::string destination = request.destination.empty() ? "." : request.destination;

    // The summary line is the contract: it ends the output on every path.
    auto finish = [&]() {
        console.Progress().Finish();
        console.Result("extracted " + std::to_string(result.extracted) + ", failed " +
                       std::to_string(result.failed));
        return UnpackExitCode(result);
    };

    EngineSetup setup;
    MakeEngineSetup(request, console, setup);

    if (!CheckArchiveArgument(console, request.archive, "unpack")) return finish();
    if (!IsFolder(destination)) {
        console.Error(destination, Exists(destination) ? "destination is not a folder"
                                                       : "destination folder does not exist");
        return finish();
    }

    std::string absolute = AbsoluteFolder(destination);
    // The engine names every problem it meets, the archive's own included.
    result = Unpack(request.archive, absolute, nullptr, setup.options);
    if (result.failed > 0) {
        // The entries name themselves; this says what they have in common.
        std::string why = WhyNotWritable(absolute);
        if (!why.empty()) console.Error(destination, "destination cannot be written: " + why);
    }
    return finish();
}

}  // namespace torvan::cli
