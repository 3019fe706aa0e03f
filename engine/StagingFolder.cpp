#include "StagingFolder.h"

#include <cstdlib>
#include <vector>

namespace torvan {

bool StagingFolder::Make(std::string& why) {
    Sweep();
    const std::string base = std::string(kStagingPrefix) + std::to_string(CurrentProcessNumber());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = attempt == 0 ? base : base + "-" + std::to_string(attempt);
        const std::string path = JoinPath(m_destination, name, m_fs.Style());
        if (m_fs.MakePrivateFolder(path)) {
            m_path = path;
            return true;
        }
        // Anything but a name in use ends the search.
        if (m_fs.KindOf(path) == ItemKind::Missing) break;
    }
    why = m_fs.LastErrorText();
    return false;
}

void StagingFolder::Remove() {
    if (m_path.empty()) return;
    Empty(m_path, true);
    m_fs.RemoveFolder(m_path);
    m_path.clear();
}

// A leftover is known by its name, which holds the number of the process
// that made it, and by being a folder: a link of that name is not followed.
void StagingFolder::Sweep() {
    std::vector<FolderItem> items;
    if (!m_fs.ListFolder(m_destination, items)) return;
    const std::string prefix = kStagingPrefix;
    for (const FolderItem& item : items) {
        if (item.kind != ItemKind::Folder || item.name.compare(0, prefix.size(), prefix) != 0) continue;
        const char* digits = item.name.c_str() + prefix.size();
        char* end = nullptr;
        const unsigned long number = std::strtoul(digits, &end, 10);
        if (end == digits || (*end != '\0' && *end != '-') || ProcessMayBeRunning(number)) continue;
        const std::string path = JoinPath(m_destination, item.name, m_fs.Style());
        if (m_fs.IsLink(path)) continue;
        Empty(path, true);
        m_fs.RemoveFolder(path);
    }
}

// Files are staged there in folders of their own, and nothing else is.
void StagingFolder::Empty(const std::string& folder, bool groups) {
    std::vector<FolderItem> items;
    if (!m_fs.ListFolder(folder, items)) return;
    for (const FolderItem& item : items) {
        const std::string path = JoinPath(folder, item.name, m_fs.Style());
        if (item.kind == ItemKind::File) {
            m_fs.Delete(path);
        } else if (item.kind == ItemKind::Folder && groups) {
            Empty(path, false);
            m_fs.RemoveFolder(path);
        }
    }
}

}  // namespace torvan
