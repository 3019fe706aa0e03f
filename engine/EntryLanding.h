// Where each entry of an archive lands under the destination, or why it
// lands nowhere. The reader asks twice: quietly while the data streams by,
// to know which old file the bytes may already be in, and aloud at the
// commit, where the links are looked for again and every refusal is told.
#pragma once

#include <string>

#include "EngineContext.h"
#include "FileSystem.h"
#include "NameCodec.h"

namespace torvan {

class EntryLanding {
public:
    EntryLanding(const EngineContext& context, const std::string& destination, const FileIdentity& archive)
        : m_context(context), m_fs(context.fs), m_destination(destination), m_archive(archive) {}

    void SetNames(const NameCodec& names) { m_names = &names; }
    // Quiet: refusals are not reported (the commit reports them).
    void SetQuiet(bool quiet) {
        m_quiet = quiet;
        m_checkedFolder.clear();   // links are looked for again from here on
    }

    // The name as it lands, for the verbose listing: this side's form,
    // stripped; empty when stripping leaves nothing of it.
    std::string Shown(const std::string& archiveName) const;

    // The path of a folder entry; false when it is refused.
    bool Folder(const std::string& archiveName, std::string& path);
    // The path of a file entry, and the key under which this platform
    // tells it from other files; false when it is refused.
    bool File(const std::string& archiveName, std::string& path, std::string& key);
    // Whether the folder of the last path found is there: where it is not,
    // nothing is there under that path either.
    bool FolderExists() const { return m_checkedFolderExists; }

private:
    bool ToLocal(const std::string& archiveName, std::string& local);
    bool LocalPath(const std::string& archiveName, const std::string& name, std::string& path, std::string* key);
    bool Refuse(const std::string& archiveName, const std::string& why) const;

    const EngineContext& m_context;
    FileSystem& m_fs;
    const std::string& m_destination;
    const FileIdentity m_archive;   // the plain archive read where it lies
    const NameCodec* m_names = &m_context.Names();
    bool m_quiet = false;
    std::string m_checkedFolder;   // its whole chain holds no link
    bool m_checkedFolderExists = false;
};

}  // namespace torvan
