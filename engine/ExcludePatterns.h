// Which items a pack leaves out. Each pattern is a shell glob in which "*"
// crosses "/"; it is tried on an item's path below the packed folder and on
// every trailing part of that path, so "cache/tmp" leaves out a/cache/tmp
// as well, and ".git" every .git folder at any depth. On Windows letters
// match either case and "\" stands for "/", as the file system sees names.
#pragma once

#include <string>
#include <vector>

#include "PathText.h"

namespace torvan {

// True when `text` matches the glob `pattern`: "*" any run of characters,
// "?" one character, "[...]" one of a set ("[!...]" or "[^...]" none of
// it), and on POSIX "\" takes the next character literally. A character is
// a whole GBK or UTF-8 sequence, never half of one.
bool GlobMatches(const std::string& pattern, const std::string& text, const PathStyle& style);

class ExcludePatterns {
public:
    explicit ExcludePatterns(const PathStyle& style) : m_style(style) {}

    // "./cache/" and "cache" mean the same: the leading "./" and trailing
    // separators a shell's completion adds are dropped.
    void Add(const std::string& pattern);
    bool Empty() const { return m_patterns.empty(); }

    // `relative`: the item's path below the packed folder, its components
    // joined by "/".
    bool Excludes(const std::string& relative) const;

private:
    const PathStyle& m_style;
    std::vector<std::string> m_patterns;
};

}  // namespace torvan
