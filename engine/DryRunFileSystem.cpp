#include "DryRunFileSystem.h"

namespace torvan {
namespace {

// Longest name of one item: 255 bytes on the usual Linux file systems,
// 255 characters on NTFS (counted here in bytes, which never undercounts).
constexpr std::size_t kLongestName = 255;

bool IsSeparatorIn(char c, const PathStyle& style) {
    return c == style.separator || (style.windows && (c == '\\' || c == '/'));
}

// A name the platform refuses to create, whatever the folder.
bool IsRefusedName(const std::string& name, const PathStyle& style) {
    if (name.empty() || name.size() > kLongestName) return true;
    if (!style.windows) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (style.isLeadByte(c) && i + 1 < name.size()) {
            ++i;
            continue;
        }
        if (c < 0x20 || std::string("<>\"|?*").find(static_cast<char>(c)) != std::string::npos)
            return true;
    }
    return false;
}

std::string ParentKey(const std::string& key) {
    const std::string::size_type at = key.rfind('/');
    return at == std::string::npos ? std::string() : key.substr(0, at);
}

}  // namespace

DryRunFileSystem::DryRunFileSystem(FileSystem& inner)
    : DelegatingFileSystem(inner), m_nextSink(kFirstSink) {
    // A name no real folder is expected to have; paths below it never
    // reach the real file system.
    const PathStyle& style = inner.Style();
    m_root = style.windows ? "C:\\:dry-run:" : "/:dry-run:";
    m_items[""] = ItemKind::Folder;
}

DryRunFileSystem::DryRunFileSystem(FileSystem& inner, const std::string& destination)
    : DelegatingFileSystem(inner), m_root(destination), m_overReal(true), m_nextSink(kFirstSink) {
    m_items[""] = ItemKind::Folder;
}

bool DryRunFileSystem::Inside(const std::string& path, std::string& key) const {
    const PathStyle& style = Style();
    if (path.compare(0, m_root.size(), m_root) != 0) return false;
    if (path.size() > m_root.size() && !IsSeparatorIn(path[m_root.size()], style) &&
        !EndsWithSeparator(m_root, style))
        return false;
    key.clear();
    std::string component;
    auto take = [&]() {
        component = NameKey(component, style);
        if (!component.empty() && component != ".") {
            if (!key.empty()) key += '/';
            key += component;
        }
        component.clear();
    };
    for (std::size_t i = m_root.size(); i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (style.isLeadByte(c) && i + 1 < path.size()) {
            component += path[i];
            component += path[++i];
        } else if (IsSeparatorIn(path[i], style)) {
            take();
        } else {
            component += path[i];
        }
    }
    take();
    return true;
}

ItemKind DryRunFileSystem::Existing(const std::string& path, const std::string& key) {
    const auto item = m_items.find(key);
    if (item != m_items.end()) return item->second;
    return m_overReal ? m_inner.KindOf(path) : ItemKind::Missing;
}

std::string DryRunFileSystem::WhyNotCreatable(const std::string& path) {
    std::string key;
    if (!Inside(path, key) || key.empty()) return "no such file or folder";
    const std::string::size_type at = FindLastSeparator(path, Style());
    const std::string name = path.substr(at == std::string::npos ? 0 : at + 1);
    if (IsRefusedName(name, Style()))
        return name.size() > kLongestName && !Style().windows ? "name too long for the file system"
                                                              : "name not valid on this file system";
    const std::string folder = ParentDirectory(path, Style());
    const std::string folderKey = ParentKey(key);
    switch (Existing(folder, folderKey)) {
    case ItemKind::Folder:
    case ItemKind::FolderLink:
        break;
    case ItemKind::Missing:
        return "no such file or folder";
    default:
        return "a file is in the way of its folder";
    }
    // A folder noted in memory would be new, and so ours to write; the
    // real destination is what it is.
    const bool real = folderKey.empty() || m_items.count(folderKey) == 0;
    if (m_overReal && real && !m_inner.MayWrite(folderKey.empty() ? m_root : folder))
        return m_inner.LastErrorText();
    return "";
}

std::string DryRunFileSystem::WhyNoFile(const std::string& path) {
    std::string key;
    if (!Inside(path, key)) return "no such file or folder";
    const ItemKind existing = Existing(path, key);
    if (existing == ItemKind::Folder || existing == ItemKind::FolderLink) return "a folder is in the way";
    const std::string why = WhyNotCreatable(path);
    if (!why.empty() || existing == ItemKind::Missing || m_items.count(key)) return why;
    // A real file is replaced only where it could be written.
    return m_inner.MayWrite(path) ? std::string() : m_inner.LastErrorText();
}

bool DryRunFileSystem::Refuse(const std::string& why) {
    m_lastError = why;
    return why.empty();
}

bool DryRunFileSystem::PlaceFile(const std::string& path) {
    std::string key;
    if (!Refuse(WhyNoFile(path)) || !Inside(path, key)) return false;
    m_items[key] = ItemKind::File;
    return true;
}

FileSystem::Handle DryRunFileSystem::NewSink() {
    return m_nextSink--;
}

bool DryRunFileSystem::ListFolder(const std::string& folder, std::vector<FolderItem>& items) {
    // Unpacking never lists what it made, so the imaginary folder keeps no
    // names to list.
    std::string key;
    if (!Inside(folder, key)) return m_inner.ListFolder(folder, items);
    items.clear();
    return false;
}

ItemKind DryRunFileSystem::KindOf(const std::string& path) {
    std::string key;
    return Inside(path, key) ? Existing(path, key) : m_inner.KindOf(path);
}

bool DryRunFileSystem::IsLink(const std::string& path) {
    std::string key;
    if (!Inside(path, key)) return m_inner.IsLink(path);
    return m_overReal && m_items.count(key) == 0 && m_inner.IsLink(path);
}

long long DryRunFileSystem::Read(Handle file, void* buffer, std::size_t size) {
    return IsSink(file) ? 0 : m_inner.Read(file, buffer, size);
}

bool DryRunFileSystem::Write(Handle file, const void* data, std::size_t size) {
    if (!IsSink(file)) return m_inner.Write(file, data, size);
    m_bytesWritten += static_cast<long long>(size);
    return true;
}

bool DryRunFileSystem::Seek(Handle file, long long offset) {
    return IsSink(file) ? offset >= 0 : m_inner.Seek(file, offset);
}

long long DryRunFileSystem::SizeOf(Handle file) {
    return IsSink(file) ? 0 : m_inner.SizeOf(file);
}

bool DryRunFileSystem::Close(Handle file) {
    return IsSink(file) || m_inner.Close(file);
}

FileIdentity DryRunFileSystem::IdentityOf(Handle file) {
    return IsSink(file) ? FileIdentity() : m_inner.IdentityOf(file);
}

FileIdentity DryRunFileSystem::IdentityOf(const std::string& path) {
    std::string key;
    if (!Inside(path, key)) return m_inner.IdentityOf(path);
    // The archive itself may lie in a real destination.
    return m_overReal && m_items.count(key) == 0 ? m_inner.IdentityOf(path) : FileIdentity();
}

bool DryRunFileSystem::MakeFolder(const std::string& path) {
    std::string key;
    if (!Inside(path, key)) return false;
    const ItemKind there = Existing(path, key);
    if (there != ItemKind::Missing) {
        // A real folder the unpack would use as it is still counts as one
        // of the archive's folders in place.
        if (there == ItemKind::Folder && m_overReal && !m_items.count(key) && m_reused.insert(key).second)
            ++m_foldersMade;
        return Refuse("it exists already");
    }
    if (!Refuse(WhyNotCreatable(path))) return false;
    m_items[key] = ItemKind::Folder;
    ++m_foldersMade;
    return true;
}

// The unpack's private folder is no folder of the archive: it is noted,
// so that files can be staged in it, but not counted.
bool DryRunFileSystem::MakePrivateFolder(const std::string& path) {
    std::string key;
    if (!Inside(path, key)) return m_inner.MakePrivateFolder(path);
    if (Existing(path, key) != ItemKind::Missing || !Refuse(WhyNotCreatable(path))) return false;
    m_items[key] = ItemKind::Folder;
    return true;
}

bool DryRunFileSystem::RemoveFolder(const std::string& path) {
    std::string key;
    if (!Inside(path, key)) return m_inner.RemoveFolder(path);
    const auto item = m_items.find(key);
    if (item == m_items.end() || item->second != ItemKind::Folder) return false;
    m_items.erase(item);
    return true;
}

bool DryRunFileSystem::CreateScratch(const std::string& folder, Scratch& scratch, bool) {
    std::string key;
    m_lastError.clear();
    scratch = Scratch();
    if (!Inside(folder, key) || KindOf(folder) != ItemKind::Folder) return false;
    scratch.handle = NewSink();
    scratch.folder = folder;
    return true;
}

bool DryRunFileSystem::ReadyReplacement(const std::string& target, Scratch& scratch) {
    if (!IsSink(scratch.handle)) return m_inner.ReadyReplacement(target, scratch);
    // Nothing in the folder unpacked into is ever written.
    return Refuse(WhyNoFile(target));
}

// A sink costs no handle: it stays as it is.
bool DryRunFileSystem::ParkScratch(Scratch& scratch) {
    return IsSink(scratch.handle) || m_inner.ParkScratch(scratch);
}

bool DryRunFileSystem::KeepScratch(Scratch& scratch, const std::string& target) {
    if (!IsSink(scratch.handle)) return m_inner.KeepScratch(scratch, target);
    Close(scratch.handle);
    scratch = Scratch();
    return PlaceFile(target);
}

void DryRunFileSystem::DiscardScratch(Scratch& scratch) {
    if (!IsSink(scratch.handle)) return m_inner.DiscardScratch(scratch);
    Close(scratch.handle);
    scratch = Scratch();
}

bool DryRunFileSystem::Delete(const std::string& path) {
    std::string key;
    if (!Inside(path, key)) return false;
    const auto item = m_items.find(key);
    if (item == m_items.end() || item->second != ItemKind::File) return false;
    m_items.erase(item);
    return true;
}

bool DryRunFileSystem::MayWrite(const std::string& path) {
    std::string key;
    if (!Inside(path, key)) return m_inner.MayWrite(path);
    if (!m_overReal) return true;
    return (m_items.count(key) && !key.empty()) || m_inner.MayWrite(path);
}

std::string DryRunFileSystem::LastErrorText() {
    return m_lastError.empty() ? m_inner.LastErrorText() : m_lastError;
}

}  // namespace torvan
