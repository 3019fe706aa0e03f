// Folders and files for the end-to-end tests. They live directly under C:\
// so that the folder browser's tree reaches them in a few short steps.
#pragma once

#include <string>

namespace driver {

class TestFolder {
public:
    explicit TestFolder(const std::string& tag);
    ~TestFolder();  // removes the folder with everything in it
    const std::string& Path() const { return m_path; }
    std::string Join(const std::string& name) const { return m_path + "\\" + name; }

    void AddFolder(const std::string& name) const;
    void AddFile(const std::string& name, const std::string& content) const;
    // `count` small text files file<i>.txt in `folder` (created).
    void AddFiles(const std::string& folder, int count) const;
    // `count` files of `bytes` pseudo-random (incompressible) bytes each.
    void AddRandomFiles(const std::string& folder, int count, size_t bytes) const;

private:
    std::string m_path;
};

std::string ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace driver
