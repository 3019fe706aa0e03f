// A file system to unpack into without writing: the destination is an
// empty folder that exists only in memory, or an existing real folder seen
// through a layer that keeps every change in memory. Everything the reader
// reads (the archive, what the real folder holds) is real; every folder
// and file it creates is only noted, by the rules the platform's own file system would apply, so that
// an unpack run over it meets exactly the problems a real one would.
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
    // Over the existing folder `destination` (absolute, as the reader is
    // given it): a folder or a file that cannot be written there, or a
    // link in the way, refuses what it would refuse.
    DryRunFileSystem(FileSystem& inner, const std::string& destination);

    // The folder to unpack into: imaginary, or the real one.
    const std::string& Destination() const { return m_root; }

    // What an unpack into it created (or, over a real folder, found in
    // place): folders, and the bytes of all files.
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
    bool MakePrivateFolder(const std::string& path) override;
    bool RemoveFolder(const std::string& path) override;
    bool CreateScratch(const std::string& folder, Scratch& scratch, bool named = false) override;
    bool ReadyReplacement(const std::string& target, Scratch& scratch) override;
    bool ParkScratch(Scratch& scratch) override;
    bool KeepScratch(Scratch& scratch, const std::string& target) override;
    void DiscardScratch(Scratch& scratch) override;
    bool Delete(const std::string& path) override;
    bool MayWrite(const std::string& path) override;
    std::string LastErrorText() override;

private:
    // The path below the destination ("" for the destination itself), in
    // the form under which the platform tells names apart; false for a
    // path elsewhere.
    bool Inside(const std::string& path, std::string& key) const;
    // What stands at `path`: noted in memory, else (over a real folder)
    // what is really there.
    ItemKind Existing(const std::string& path, const std::string& key);
    // Why no new item could be created at `path` (its folder is missing or
    // cannot be written, the platform refuses its name); empty when it can.
    std::string WhyNotCreatable(const std::string& path);
    // Why no file could be created at `path`, or replace the one there.
    std::string WhyNoFile(const std::string& path);
    bool Refuse(const std::string& why);
    // Notes a file at `path`, as creating or replacing one would.
    bool PlaceFile(const std::string& path);
    Handle NewSink();
    // Decided by its number alone: the archive may be read on another
    // thread while sinks come and go.
    static bool IsSink(Handle file) { return file <= kFirstSink; }
    // Handles of this file system's own files, far below anything a real
    // back end hands out (file descriptors, Win32 handles, -1 for none).
    static constexpr Handle kFirstSink = -1000000;

    std::string m_root;
    bool m_overReal = false;
    std::string m_lastError;   // why this layer last refused, until the next call that may
    std::map<std::string, ItemKind> m_items;   // key -> File or Folder
    std::set<std::string> m_reused;            // keys of real folders an unpack would use
    Handle m_nextSink;
    int m_foldersMade = 0;
    long long m_bytesWritten = 0;
};

}  // namespace torvan
