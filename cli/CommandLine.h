// What the user asked for, read from argv without touching the disk.
#pragma once

#include <string>
#include <vector>

namespace torvan::cli {

enum class Command { None, Help, Pack, Unpack, List, Test };

// How archive names are read or written: found from the archive (auto,
// which for pack is this side's own form), given, or left as bytes.
enum class NameMode { Auto, Raw, Gbk, Utf8 };

struct Request {
    Command command = Command::None;
    bool plain = false;          // pack: skip the gzip wrapping
    bool quiet = false;          // no progress, no chatter; errors still shown
    NameMode names = NameMode::Auto;
    int threads = 0;             // pack: compressing threads; 0 = one per core
    std::string folder;          // pack
    std::string archive;         // pack: -o (may be empty); unpack/list: the input
    std::string destination;     // unpack: -C (may be empty: current directory)
};

// False with a one-line reason when argv does not make a request.
bool ParseCommandLine(const std::vector<std::string>& args, Request& request,
                      std::string& error);

const char* HelpText();

}  // namespace torvan::cli
