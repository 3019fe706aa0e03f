// Says in words why a file is not a readable archive, for the message that
// follows a refusal: an empty file, plain text, or gzip data that breaks.
#pragma once

#include <string>

#include "Console.h"

namespace torvan::cli {

// False, with the reason on the console, when `path` is missing or is no
// regular file; `command` names what was asked in that reason.
bool CheckArchiveArgument(Console& console, const std::string& path, const std::string& command);

std::string WhyNotAnArchive(const std::string& path);

}  // namespace torvan::cli
