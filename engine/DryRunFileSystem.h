// A file system to unpack into without writing: the destination is an
// empty folder that exists only in memory. Everything the reader reads
// (the archive, its scratch copy in the temporary folder) is real; every
// folder and file it creates is only noted, by the rules the platform's
// own file system would apply, so that an unpack run over it meets
// exactly the problems a real one into an empty folder would.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "FileSystem.h"

namespace torvan {

class DryRunFileSystem : public DelegatingFileSystem {
public:
    explicit DryRunFileSystem(FileSystem& inner);

    // The imaginary empty folder to unpack into.
    const std::string& Destination() const { return m_root; }

    // What an unpack into it created: folders, and the bytes of all files.
    int FoldersMade() const { return m_foldersMade; }
    long long BytesWritten() const { return m_bytesWritten; }

    bool ListFolder(const std::string& folder, std::vector<FolderItem>& items) override;
    ItemKind KindOf(const std::string& path) override;
    bool IsLink(const std::string& path) override;
    long long Read(Handle file, void* buffer, std::size_t size) override;
    bool Write(Handle file, const void* data, std::size_t size) override;
    bool Seek(Handle file, long long offset) override;
    long long SizeOf(Handle file) override;
    bool Close(Handle file) override;
    FileIdentity IdentityOf(Handle file) override;
    FileIdentity IdentityOf(const std::string& path) override;
    bool MakeFolder(const std::string& path) override;
    bool CreateScratch(const std::string& folder, Scratch& scratch) override;
    bool CreateReplacement(const std::string& target, Scratch& scratch) override;
    bool KeepScratch(Scratch& scratch, const std::string& target) override;
    void DiscardScratch(Scratch& scratch) override;
    bool Delete(const std::string& path) override;

private:
    // The path below the destination ("" for the destination itself), in
    // the form under which the platform tells names apart; false for a
    // path elsewhere.
    bool Inside(const std::string& path, std::string& key) const;
    // Where a new item named `key` could be created: its folder exists
    // and the platform accepts its name.
    bool CanCreate(const std::string& key) const;
    // Whether a file could be created at `path`, or replace the one there.
    bool CanPlaceFile(const std::string& path) const;
    // Notes a file at `path`, as creating or replacing one would.
    bool PlaceFile(const std::string& path);
    Handle NewSink();
    bool IsSink(Handle file) const { return m_sinks.count(file) != 0; }

    std::string m_root;
    std::map<std::string, ItemKind> m_items;   // key -> File or Folder
    std::set<Handle> m_sinks;                  // handles of files that take bytes and keep none
    Handle m_nextSink;
    int m_foldersMade = 0;
    long long m_bytesWritten = 0;
};

}  // namespace torvan
