#include "EngineSetup.h"

#include "NameCodec.h"

namespace torvan::cli {

void MakeEngineSetup(const Request& request, Console& console, EngineSetup& setup)
{
    setup.options.problem = [&console](const std::string& what, const std::string& why) {
        console.Error(what, why);
    };
    setup.options.fileDone = [&console](int done, int total) {
        console.Progress().Update(done, total);
    };
    if (request.verbose) {
        console.SetVerbose(true);
        setup.options.entryDone = [&console](const std::string& name) { console.Entry(name); };
    }
    setup.options.stripComponents = request.stripComponents;
    switch (request.names) {
    case NameMode::Gbk: setup.options.names = &GbkNames(); break;
    case NameMode::Utf8: setup.options.names = &Utf8Names(); break;
    case NameMode::Raw: setup.options.names = &RawNames(); break;
    case NameMode::Auto:
        // Pack writes this side's own form; the others look at the archive.
        if (request.command == Command::Pack) break;
        setup.options.chooseNames = [&setup, &console, archive = request.archive](
                                        const std::vector<std::string>& names) {
            setup.guessed = true;
            setup.found = GuessNameEncoding(names);
            if (setup.found == NameEncoding::Unknown)
                console.Error(archive, "names are neither UTF-8 nor GBK; their bytes are kept as they are");
            return &NamesIn(setup.found);
        };
        break;
    }
}

}  // namespace torvan::cli
