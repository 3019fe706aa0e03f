#include "EngineSetup.h"

namespace torvan::cli {

bool MakeEngineSetup(const Request& request, Console& console, EngineSetup& setup)
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
    if (request.names == NameMode::Gbk) {
        std::string why;
        if (!GbkNameCodec::Available(why)) {
            console.Error("--names gbk", why);
            return false;
        }
        setup.codec = std::make_unique<GbkNameCodec>();
        setup.options.names = setup.codec.get();
    }
    return true;
}

}  // namespace torvan::cli
