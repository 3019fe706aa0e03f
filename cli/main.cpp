// torvan: packs a folder into one archive; unpacks, lists or tests an archive.
#include <cstdio>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Commands.h"
#include "LocalPaths.h"

using namespace torvan::cli;

int main(int argc, char** argv)
{
    std::vector<std::string> args = ProgramArguments(argc, argv);
    Request request;
    std::string error;
    if (!ParseCommandLine(args, request, error)) {
        WriteText(stderr, "torvan: " + error + "\n");
        // An unpack that cannot even start still ends with its summary.
        if (!args.empty() && args[0] == "unpack") std::printf("extracted 0, failed 0\n");
        return 1;
    }

    switch (request.command) {
    case Command::Help: std::fputs(HelpText(), stdout); return 0;
    case Command::Version: std::printf("%s\n", VersionText().c_str()); return 0;
    case Command::Pack: return RunPack(request);
    case Command::Unpack: return RunUnpack(request);
    case Command::List: return RunList(request);
    case Command::Test: return RunTest(request);
    case Command::None: break;
    }
    return 1;
}
