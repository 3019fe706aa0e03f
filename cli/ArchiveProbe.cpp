#include "ArchiveProbe.h"

#include "LocalPaths.h"

namespace torvan::cli {

bool CheckArchiveArgument(Console& console, const std::string& path, const std::string& command)
{
    if (path == "-") return true;   // standard input
    if (!Exists(path)) {
        console.Error(path, "no such archive");
        return false;
    }
    if (!IsRegularFile(path)) {
        console.Error(path, "not a file (" + command + " takes an archive file)");
        return false;
    }
    return true;
}

}  // namespace torvan::cli
