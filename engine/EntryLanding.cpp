#include "EntryLanding.h"

#include <vector>

namespace torvan {

std::string EntryLanding::Shown(const std::string& archiveName) const {
    std::string local;
    if (!m_names->ToLocal(archiveName, local)) return archiveName;
    return StripComponents(local, m_context.options.stripComponents, m_fs.Style());
}

bool EntryLanding::Folder(const std::string& archiveName, std::string& path) {
    std::string local;
    return ToLocal(archiveName, local) && LocalPath(archiveName, local, path, nullptr);
}

bool EntryLanding::File(const std::string& archiveName, std::string& path, std::string& key) {
    std::string local;
    if (!ToLocal(archiveName, local)) return false;
    // "./site/dir/" or "./site/." would otherwise land on a folder's name;
    // on Windows such a name cannot be created at all.
    if (!local.empty() && !NamesAFile(local, m_fs.Style()))
        return Refuse(archiveName, "names no file (ends in a separator or \".\")");
    if (!LocalPath(archiveName, local, path, &key)) return false;
    // A plain archive is read where it lies, possibly inside the
    // destination: replacing it would take it from the user.
    if (m_archive.known && m_archive.SameAs(m_fs.IdentityOf(path)))
        return Refuse(archiveName, "refused: would overwrite the archive being unpacked");
    return true;
}

// The name in this side's form; false (reported) where it has none: it is
// never created under a garbled name. Leading folders that
// --strip-components drops go only after the conversion, where every
// separator is a separator.
bool EntryLanding::ToLocal(const std::string& archiveName, std::string& local) {
    if (!m_names->ToLocal(archiveName, local)) return Refuse(archiveName, "name has no form in the local encoding");
    local = StripComponents(local, m_context.options.stripComponents, m_fs.Style());
    return true;
}

// False (with the reason reported) for names that would land anywhere but
// under the destination.
bool EntryLanding::LocalPath(const std::string& archiveName, const std::string& name, std::string& path,
                             std::string* key) {
    const PathStyle& style = m_fs.Style();
    std::vector<std::string> components;
    std::string why;
    if (!SplitSafeArchiveName(name, style, components, why) || components.empty())
        return Refuse(archiveName, components.empty() && why.empty() ? "empty name" : why);
    // A link planted earlier (by anyone: this archive creates none) could
    // carry the write outside the destination. Entries come folder by
    // folder, and a folder once found free of links stays so, since
    // unpacking only ever adds plain folders and files; so each folder's
    // chain is checked once, not once per file.
    std::string folder = m_destination;
    for (std::size_t i = 0; i + 1 < components.size(); ++i) folder = JoinPath(folder, components[i], style);
    if (folder != m_checkedFolder) {
        std::string partial = m_destination;
        for (std::size_t i = 0; i + 1 < components.size(); ++i) {
            partial = JoinPath(partial, components[i], style);
            if (m_fs.IsLink(partial)) return Refuse(archiveName, "refused: would write through a symbolic link");
        }
        m_checkedFolder = folder;
        m_checkedFolderExists = m_fs.KindOf(folder) == ItemKind::Folder;
    }
    path = JoinPath(folder, components.back(), style);
    if (m_checkedFolderExists && m_fs.IsLink(path)) return Refuse(archiveName, "refused: would write through a symbolic link");
    if (key) {
        key->clear();
        for (const std::string& component : components) *key += NameKey(component, style) + '/';
    }
    return true;
}

bool EntryLanding::Refuse(const std::string& archiveName, const std::string& why) const {
    if (!m_quiet) m_context.Problem(archiveName, why);
    return false;
}

}  // namespace torvan
