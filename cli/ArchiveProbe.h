// Checks the archive operand before a command reads it, so that a missing
// file or a folder is named as such rather than as a damaged archive.
#pragma once

#include <string>

#include "Console.h"

namespace torvan::cli {

// False, with the reason on the console, when `path` is missing or is no
// regular file; `command` names what was asked in that reason.
bool CheckArchiveArgument(Console& console, const std::string& path, const std::string& command);

}  // namespace torvan::cli
