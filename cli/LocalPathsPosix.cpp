#include "LocalPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace torvan::cli {

namespace {

std::string CurrentDirectory()
{
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) return "/";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

}  // namespace

std::string AbsoluteFolder(const std::string& path)
{
    std::string full = (!path.empty() && path[0] == '/') ? path : CurrentDirectory() + "/" + path;

    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= full.size()) {
        size_t end = full.find('/', start);
        if (end == std::string::npos) end = full.size();
        std::string part = full.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }

    if (parts.empty()) return "/";
    std::string result;
    for (const std::string& part : parts) result += "/" + part;
    return result;
}

std::string LastComponent(const std::string& absolutePath)
{
    size_t slash = absolutePath.rfind('/');
    return slash == std::string::npos ? absolutePath : absolutePath.substr(slash + 1);
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string DefaultArchivePath(const std::string& absoluteFolder, bool plain)
{
    return absoluteFolder + (plain ? ".dat" : ".dat.gz");
}

bool IsFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool Exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool IsLinkOrSpecial(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

std::intptr_t StandardOutputHandle() { return STDOUT_FILENO; }

bool StandardOutputIsTerminal() { return isatty(STDOUT_FILENO) != 0; }

std::string WhyNotWritable(const std::string& folder)
{
    if (access(folder.c_str(), W_OK) == 0) return "";
    if (errno == EROFS) return "read-only file system";
    return std::strerror(errno);
}

std::string LastErrorText() { return std::strerror(errno); }

std::vector<std::string> ProgramArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

void WriteText(std::FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace torvan::cli
