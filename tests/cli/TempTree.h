// A scratch folder for one test, removed with everything in it afterwards,
// and small helpers to fill and compare file trees.
#pragma once

#include <map>
#include <string>

namespace torvan::test {

class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& relative) const { return m_path + "/" + relative; }

private:
    std::string m_path;
};

void WriteFile(const std::string& path, const std::string& contents);
std::string ReadFile(const std::string& path);
void MakeFolders(const std::string& path);
void RemoveTree(const std::string& path);
bool PathExists(const std::string& path);

// Relative path -> contents for files, "<dir>" for folders.
std::map<std::string, std::string> Snapshot(const std::string& root);

}  // namespace torvan::test
