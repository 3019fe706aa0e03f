// What the user asked for, read from argv without touching the disk.
#pragma once

#include <string>
#include <vector>

namespace torvan::cli {

enum class Command { None, Help, Version, Pack, Unpack, List, Test };

// How archive names are read or written: found from the archive (auto,
// which for pack is this side's own form), given, or left as bytes.
enum class NameMode { Auto, Raw, Gbk, Utf8 };

struct Request {
    Command command = Command::None;
    bool plain = false;          // pack: skip the gzip wrapping
    bool quiet = false;          // no progress, no chatter; errors still shown
    bool verbose = false;        // pack, unpack: name every entry
    NameMode names = NameMode::Auto;
    int threads = 0;             // pack: compressing threads; 0 = one per core
    std::vector<std::string> excludes;       // pack: --exclude patterns
    std::vector<std::string> excludeFiles;   // pack: --exclude-from files, read when packing
    bool ignoreFailedRead = false;           // pack: leave out what cannot be read
    int stripComponents = 0;     // unpack, list, test
    std::string folder;          // pack
    std::string archive;         // pack: -o (may be empty); unpack/list/test: the input
    std::string destination;     // unpack, test: -C (may be empty: current directory; test: none)
};

// False with a one-line reason when argv does not make a request.
bool ParseCommandLine(const std::vector<std::string>& args, Request& request,
                      std::string& error);

const char* HelpText();
// "torvan <version>", the version the build was made from.
std::string VersionText();

}  // namespace torvan::cli
