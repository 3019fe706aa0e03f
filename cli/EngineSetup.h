// Wires the engine's hooks to the console and to the chosen name encoding.
#pragma once

#include <memory>

#include "CommandLine.h"
#include "Console.h"
#include "EngineOptions.h"
#include "GbkNameCodec.h"

namespace torvan::cli {

struct EngineSetup {
    EngineOptions options;
    std::unique_ptr<GbkNameCodec> codec;
};

// False (with the reason already on the console) when the name encoding
// cannot be had on this system.
bool MakeEngineSetup(const Request& request, Console& console, EngineSetup& setup);

}  // namespace torvan::cli
