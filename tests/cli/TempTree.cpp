#include "TempTree.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace torvan::test {

TempTree::TempTree()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/torvan-cli-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) throw std::runtime_error("mkdtemp failed");
    m_path = name.data();
}

TempTree::~TempTree() { RemoveTree(m_path); }

void WriteFile(const std::string& path, const std::string& contents)
{
    size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) MakeFolders(path.substr(0, slash));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void MakeFolders(const std::string& path)
{
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
    }
}

void RemoveTree(const std::string& path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        chmod(path.c_str(), 0755);
        if (DIR* dir = opendir(path.c_str())) {
            while (dirent* entry = readdir(dir)) {
                if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, "..")) continue;
                RemoveTree(path + "/" + entry->d_name);
            }
            closedir(dir);
        }
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

bool PathExists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

namespace {

void SnapshotInto(const std::string& root, const std::string& relative,
                  std::map<std::string, std::string>& into)
{
    std::string full = relative.empty() ? root : root + "/" + relative;
    DIR* dir = opendir(full.c_str());
    if (!dir) return;
    while (dirent* entry = readdir(dir)) {
        if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, "..")) continue;
        std::string name = relative.empty() ? entry->d_name : relative + "/" + entry->d_name;
        struct stat st;
        if (lstat((root + "/" + name).c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            into[name] = "<dir>";
            SnapshotInto(root, name, into);
        } else {
            into[name] = ReadFile(root + "/" + name);
        }
    }
    closedir(dir);
}

}  // namespace

std::map<std::string, std::string> Snapshot(const std::string& root)
{
    std::map<std::string, std::string> tree;
    SnapshotInto(root, "", tree);
    return tree;
}

}  // namespace torvan::test
