// What every engine operation carries along: the file system it works on
// and the caller's options, with the small conveniences around them.
#pragma once

#include <string>

#include "EngineOptions.h"
#include "FileSystem.h"
#include "NameCodec.h"

namespace torvan {

class EngineContext {
public:
    explicit EngineContext(const EngineOptions& options)
        : fs(options.fs ? *options.fs : PlatformFileSystem()), options(options) {}

    const PathStyle& Style() const { return fs.Style(); }

    const NameCodec& Names() const { return options.names ? *options.names : RawNames(); }

    // The codec for an archive whose manifest holds `names`.
    const NameCodec& NamesFor(const std::vector<std::string>& names) const {
        const NameCodec* chosen = options.chooseNames ? options.chooseNames(names) : nullptr;
        return chosen ? *chosen : Names();
    }

    void Problem(const std::string& what, const std::string& why) const {
        if (options.problem) options.problem(what, why);
    }

    // The folder a path lies in, kept with its separator so that a root
    // ("/", "C:\") stays a root; "." for a bare name.
    std::string FolderOf(const std::string& path) const {
        const std::string::size_type at = FindLastSeparator(path, Style());
        return at == std::string::npos ? std::string(".") : path.substr(0, at + 1);
    }

    FileSystem& fs;
    const EngineOptions& options;
};

}  // namespace torvan
