// The few file-system operations the engine needs, behind one small
// interface, so that the same archive logic runs on Win32 (narrow ANSI API)
// and on POSIX, and so that tests can make any single operation fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "PathText.h"

namespace torvan {

enum class ItemKind {
    Missing,      // nothing there (or not even reachable)
    File,         // a regular file, or a link that ends at one
    Folder,
    FolderLink,   // a symbolic link or junction to a folder: never followed
    Special,      // FIFO, socket, device: reading it could block forever
};

// Which file a path or an open handle stands for, where the platform can
// tell: two equal identities are one file, whatever the names.
struct FileIdentity {
    bool known = false;
    unsigned long long device = 0;
    unsigned long long node = 0;

    bool SameAs(const FileIdentity& other) const {
        return known && other.known && device == other.device && node == other.node;
    }
};

struct FolderItem {
    std::string name;   // the bare name, as the listing reports its bytes
    ItemKind kind = ItemKind::File;
};

class FileSystem {
public:
    using Handle = std::intptr_t;
    static constexpr Handle kNoHandle = -1;

    struct Scratch {
        // kNoHandle once parked: closed, waiting under its name.
        Handle handle = kNoHandle;
        // Its name, where it has one: the file may be unnamed until kept.
        std::string path;
        // The folder it was made in: where it gets a name when it needs one.
        std::string folder;
        // A file was there when it was readied to replace one.
        bool replaces = false;
    };

    virtual ~FileSystem() = default;

    // How paths are written on this platform.
    virtual const PathStyle& Style() const = 0;

    // Items of a folder in the order the listing returns them, "." and ".."
    // left out. False when the folder cannot be listed.
    virtual bool ListFolder(const std::string& folder, std::vector<FolderItem>& items) = 0;
    virtual ItemKind KindOf(const std::string& path) = 0;
    // True when the path itself is a symbolic link (or reparse point).
    virtual bool IsLink(const std::string& path) = 0;

    // Opens an existing file for reading, denying writers where the platform
    // has share modes, so its contents cannot change under us.
    virtual Handle OpenRead(const std::string& path) = 0;
    // Opens an existing file for reading that others may read at the same
    // time; writers are still denied where the platform has share modes.
    virtual Handle OpenShared(const std::string& path) = 0;
    // Bytes read (0 at the end), or -1 on error.
    virtual long long Read(Handle file, void* buffer, std::size_t size) = 0;
    // True only when every byte was written.
    virtual bool Write(Handle file, const void* data, std::size_t size) = 0;
    virtual bool Seek(Handle file, long long offset) = 0;
    // Size of an open file, or -1.
    virtual long long SizeOf(Handle file) = 0;
    // False when buffered data could not be written out.
    virtual bool Close(Handle file) = 0;
    // Unknown where the platform has no cheap answer (Win32: its share
    // modes keep an open file from being replaced instead), or when
    // nothing is there. The path form does not follow a final link.
    virtual FileIdentity IdentityOf(Handle file) = 0;
    virtual FileIdentity IdentityOf(const std::string& path) = 0;

    // One level; false when it exists already or cannot be made.
    virtual bool MakeFolder(const std::string& path) = 0;
    // One level that only this user can enter, and that listings leave
    // out where the platform has such a mark (hidden on Windows).
    virtual bool MakePrivateFolder(const std::string& path) = 0;
    // An empty folder; false when it holds anything or cannot be removed.
    virtual bool RemoveFolder(const std::string& path) = 0;

    // A new, empty file in `folder`, open for reading and writing, that is
    // to become a file on that folder's device (KeepScratch). The system
    // removes it should the process end while it is still open and not
    // kept: a killed job leaves nothing behind but parked files. `named`:
    // it is to be parked, and so gets its name in the folder at once,
    // which costs less than giving it one later.
    virtual bool CreateScratch(const std::string& folder, Scratch& scratch, bool named = false) = 0;
    // Readies a scratch file to take the place of `target`, so that the
    // file under that name is always whole, old or new. It takes over what
    // the system keeps about an existing target (owner and permissions, or
    // hidden and system attributes). False, with the scratch file as it
    // was, where the target could not be written today: a read-only file,
    // a folder in the way (a folder that does not exist may show only when
    // the file is kept).
    virtual bool ReadyReplacement(const std::string& target, Scratch& scratch) = 0;
    // How many scratch files may stay open at once before the rest are
    // parked: well below what the system lets a process hold.
    virtual int OpenScratchLimit() const = 0;
    // Closes a written scratch file, which then waits under a name in its
    // folder: open handles are few, staged files may be many. False (and
    // the file gone) when it cannot be given a name.
    virtual bool ParkScratch(Scratch& scratch) = 0;
    // Closes the scratch file (if open) and moves it over `target` in one
    // step; on failure it is removed and the target is as it was.
    virtual bool KeepScratch(Scratch& scratch, const std::string& target) = 0;
    // Closes the scratch file (if open) and removes it.
    virtual void DiscardScratch(Scratch& scratch) = 0;
    virtual bool Delete(const std::string& path) = 0;

    // Whether this user could write the file at `path`, or create files in
    // the folder at `path`, asked without writing anything.
    virtual bool MayWrite(const std::string& path) = 0;
    // Why the last call of this thread that failed did so, in a few
    // lower-case words ("permission denied", "a folder is in the way"),
    // for the message that names the item. Ask at once: any later call
    // may change it.
    virtual std::string LastErrorText() = 0;
};

// The platform's own file system: Win32 in the Windows builds, POSIX
// elsewhere. Lives as long as the program.
FileSystem& PlatformFileSystem();

// Passes every call on to another file system. Tests derive from it and
// override the one call they want to break.
class DelegatingFileSystem : public FileSystem {
public:
    explicit DelegatingFileSystem(FileSystem& inner) : m_inner(inner) {}

    const PathStyle& Style() const override { return m_inner.Style(); }
    bool ListFolder(const std::string& folder, std::vector<FolderItem>& items) override {
        return m_inner.ListFolder(folder, items);
    }
    ItemKind KindOf(const std::string& path) override { return m_inner.KindOf(path); }
    bool IsLink(const std::string& path) override { return m_inner.IsLink(path); }
    Handle OpenRead(const std::string& path) override { return m_inner.OpenRead(path); }
    Handle OpenShared(const std::string& path) override { return m_inner.OpenShared(path); }
    long long Read(Handle file, void* buffer, std::size_t size) override {
        return m_inner.Read(file, buffer, size);
    }
    bool Write(Handle file, const void* data, std::size_t size) override {
        return m_inner.Write(file, data, size);
    }
    bool Seek(Handle file, long long offset) override { return m_inner.Seek(file, offset); }
    long long SizeOf(Handle file) override { return m_inner.SizeOf(file); }
    bool Close(Handle file) override { return m_inner.Close(file); }
    FileIdentity IdentityOf(Handle file) override { return m_inner.IdentityOf(file); }
    FileIdentity IdentityOf(const std::string& path) override { return m_inner.IdentityOf(path); }
    bool MakeFolder(const std::string& path) override { return m_inner.MakeFolder(path); }
    bool MakePrivateFolder(const std::string& path) override { return m_inner.MakePrivateFolder(path); }
    bool RemoveFolder(const std::string& path) override { return m_inner.RemoveFolder(path); }
    bool CreateScratch(const std::string& folder, Scratch& scratch, bool named = false) override {
        return m_inner.CreateScratch(folder, scratch, named);
    }
    bool ReadyReplacement(const std::string& target, Scratch& scratch) override {
        return m_inner.ReadyReplacement(target, scratch);
    }
    int OpenScratchLimit() const override { return m_inner.OpenScratchLimit(); }
    bool ParkScratch(Scratch& scratch) override { return m_inner.ParkScratch(scratch); }
    bool KeepScratch(Scratch& scratch, const std::string& target) override {
        return m_inner.KeepScratch(scratch, target);
    }
    void DiscardScratch(Scratch& scratch) override { m_inner.DiscardScratch(scratch); }
    bool Delete(const std::string& path) override { return m_inner.Delete(path); }
    bool MayWrite(const std::string& path) override { return m_inner.MayWrite(path); }
    std::string LastErrorText() override { return m_inner.LastErrorText(); }

protected:
    FileSystem& m_inner;
};

}  // namespace torvan
