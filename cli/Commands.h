// The things the tool does; each returns the process's exit code.
#pragma once

#include "CommandLine.h"

namespace torvan::cli {

int RunPack(const Request& request);
int RunUnpack(const Request& request);
int RunList(const Request& request);
int RunTest(const Request& request);

}  // namespace torvan::cli
