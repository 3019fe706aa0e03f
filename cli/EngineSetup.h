// Wires the engine's hooks to the console and to the chosen name encoding.
#pragma once

#include "CommandLine.h"
#include "Console.h"
#include "EngineOptions.h"
#include "NameEncoding.h"

namespace torvan::cli {

struct EngineSetup {
    EngineOptions options;
    // What auto found the archive's names to be, once the engine asked.
    bool guessed = false;
    NameEncoding found = NameEncoding::Ascii;
};

// Sets `setup` up for `request`; with auto names, the engine's choice of
// encoding is recorded in it, and names that are neither UTF-8 nor GBK are
// reported against `archive`. The setup must stay where it is while in use.
void MakeEngineSetup(const Request& request, Console& console, EngineSetup& setup);

}  // namespace torvan::cli
