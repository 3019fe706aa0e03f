#include "CommandLine.h"

namespace torvan {

static bool IsControlOrBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string ArgumentTail(const std::string& commandLine) {
    std::string::size_type i = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        // A quoted name ends at its closing quote; a missing one takes it all.
        std::string::size_type close = commandLine.find('"', 1);
        i = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && !IsControlOrBlank(commandLine[i])) ++i;
    }
    while (i < commandLine.size() && IsControlOrBlank(commandLine[i])) ++i;
    return commandLine.substr(i);
}

static std::string Trim(const std::string& text, const char* set) {
    std::string::size_type first = text.find_first_not_of(set);
    if (first == std::string::npos) return std::string();
    std::string::size_type last = text.find_last_not_of(set);
    return text.substr(first, last - first + 1);
}

std::string CleanCommandLine(const std::string& arguments) {
    std::string path = Trim(arguments, "\t ");
    if (path.empty() || path[0] != '"') return path;
    std::string::size_type first = path.find_first_not_of('"');
    if (first == std::string::npos) return std::string();
    path.erase(0, first);
    path.erase(path.find_last_not_of('"') + 1);
    return path;
}

}  // namespace torvan
