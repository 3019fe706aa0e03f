// The POSIX back end: readdir order, "/" separators, scratch files
// unnamed where the file system allows. Handles are file descriptors.
#ifndef _WIN32

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "FileSystem.h"

namespace torvan {
namespace {

ItemKind KindOfStat(const struct stat& st) {
    if (S_ISREG(st.st_mode)) return ItemKind::File;
    if (S_ISDIR(st.st_mode)) return ItemKind::Folder;
    return ItemKind::Special;
}

FileIdentity IdentityOfStat(const struct stat& st) {
    FileIdentity id;
    id.known = true;
    id.device = static_cast<unsigned long long>(st.st_dev);
    id.node = static_cast<unsigned long long>(st.st_ino);
    return id;
}

// Names of the form TVNxxxxxx in the folder, a new one at every call.
std::string ScratchName(const std::string& folder) {
    static std::atomic<unsigned> serial{0};
    static const pid_t pid = getpid();   // a call each time, where thousands of files are staged
    unsigned long long seed = static_cast<unsigned long long>(pid) * 1000003u +
                              static_cast<unsigned long long>(time(nullptr)) * 7919u + serial++;
    std::string name = "TVN";
    for (int i = 0; i < 6; ++i) {
        name += "0123456789abcdefghijklmnopqrstuvwxyz"[seed % 36];
        seed /= 36;
    }
    return JoinPath(folder, name, PosixPathStyle());
}

int CreateUniqueFile(const std::string& folder, std::string& path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = ScratchName(folder);
        const int fd = open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            path = candidate;
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

// An unnamed file is given a name through /proc, which needs no privilege.
bool CanLinkUnnamedFiles() {
    static const bool can = [] {
        struct stat st;
        return stat("/proc/self/fd", &st) == 0;
    }();
    return can;
}

// Gives an unnamed file the name `path`; fails (EEXIST) where one is there.
bool LinkUnnamedAs(int fd, const std::string& path) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

bool LinkUnnamed(int fd, const std::string& folder, std::string& path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = ScratchName(folder);
        if (LinkUnnamedAs(fd, candidate)) {
            path = candidate;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

// A replacement keeps the owner and permissions of the file it replaces,
// as writing into that file did: a private file stays private. Changing
// the owner needs privilege; without it the file is simply ours.
void TakeOverOwnerAndMode(const FileSystem::Scratch& scratch, const struct stat& old) {
    const bool otherOwner = old.st_uid != geteuid() || old.st_gid != getegid();
    if (scratch.handle != FileSystem::kNoHandle) {
        const int fd = static_cast<int>(scratch.handle);
        if (otherOwner) fchown(fd, old.st_uid, old.st_gid);
        fchmod(fd, old.st_mode & 07777);
    } else {
        if (otherOwner) lchown(scratch.path.c_str(), old.st_uid, old.st_gid);
        chmod(scratch.path.c_str(), old.st_mode & 07777);
    }
}

std::string FolderOf(const std::string& path) {
    const std::string::size_type at = path.rfind('/');
    if (at == std::string::npos) return ".";
    return at == 0 ? "/" : path.substr(0, at);
}

// The reasons an admin meets most, in the words of the item's own message;
// the system's text for the rest.
std::string ErrorText(int error) {
    switch (error) {
    case EACCES:
    case EPERM: return "permission denied";
    case EROFS: return "read-only file system";
    case EISDIR: return "a folder is in the way";
    case ENOTDIR: return "a file is in the way of its folder";
    case ENOENT: return "no such file or folder";
    case ENOSPC: return "no space left on the device";
    case EDQUOT: return "disk quota exceeded";
    case ENAMETOOLONG: return "name too long for the file system";
    case EEXIST: return "it exists already";
    default: break;
    }
    std::string text = std::strerror(error);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') text[0] = static_cast<char>(text[0] + 32);
    return text;
}

class PosixFileSystem : public FileSystem {
public:
    const PathStyle& Style() const override { return PosixPathStyle(); }

    bool ListFolder(const std::string& folder, std::vector<FolderItem>& items) override {
        items.clear();
        DIR* dir = opendir(folder.c_str());
        if (!dir) return false;
        while (struct dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            // The listing's own type spares a stat per item; links, and
            // file systems that do not say, are looked at properly.
            ItemKind kind;
            if (entry->d_type == DT_REG)
                kind = ItemKind::File;
            else if (entry->d_type == DT_DIR)
                kind = ItemKind::Folder;
            else
                kind = KindOf(JoinPath(folder, name, Style()));
            items.push_back({name, kind});
        }
        closedir(dir);
        return true;
    }

    ItemKind KindOf(const std::string& path) override {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0) return ItemKind::Missing;
        if (!S_ISLNK(st.st_mode)) return KindOfStat(st);
        // A link counts as what it points at, except that a link to a
        // folder is never entered: that is how cycles would begin.
        if (stat(path.c_str(), &st) != 0) return ItemKind::Missing;
        const ItemKind target = KindOfStat(st);
        return target == ItemKind::Folder ? ItemKind::FolderLink : target;
    }

    bool IsLink(const std::string& path) override {
        struct stat st;
        return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    }

    Handle OpenRead(const std::string& path) override {
        // Non-blocking, so that a FIFO swapped in after the listing cannot
        // hang the open; anything but a regular file is then turned away.
        const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return kNoHandle;
        struct stat st;
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            close(fd);
            return kNoHandle;
        }
        // Opened read-only with no other status flag: clearing them all
        // clears O_NONBLOCK without asking first (one call per file less).
        fcntl(fd, F_SETFL, 0);
        return fd;
    }

    // No share modes here: the reader guards the archive by identity.
    Handle OpenShared(const std::string& path) override { return OpenRead(path); }

    long long Read(Handle file, void* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t got = read(static_cast<int>(file), buffer, size);
            if (got >= 0) return got;
            if (errno != EINTR) return -1;
        }
    }

    bool Write(Handle file, const void* data, std::size_t size) override {
        const char* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t put = write(static_cast<int>(file), bytes, size);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            bytes += put;
            size -= static_cast<std::size_t>(put);
        }
        return true;
    }

    bool Seek(Handle file, long long offset) override {
        return lseek(static_cast<int>(file), static_cast<off_t>(offset), SEEK_SET) == offset;
    }

    long long SizeOf(Handle file) override {
        struct stat st;
        return fstat(static_cast<int>(file), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
    }

    bool Close(Handle file) override { return close(static_cast<int>(file)) == 0; }

    FileIdentity IdentityOf(Handle file) override {
        struct stat st;
        return fstat(static_cast<int>(file), &st) == 0 ? IdentityOfStat(st) : FileIdentity();
    }

    FileIdentity IdentityOf(const std::string& path) override {
        struct stat st;
        return lstat(path.c_str(), &st) == 0 ? IdentityOfStat(st) : FileIdentity();
    }

    bool MakeFolder(const std::string& path) override { return mkdir(path.c_str(), 0777) == 0; }
    bool MakePrivateFolder(const std::string& path) override { return mkdir(path.c_str(), 0700) == 0; }
    bool RemoveFolder(const std::string& path) override { return rmdir(path.c_str()) == 0; }

    // Made with the permissions any new file gets under the umask, as the
    // file it becomes. Unnamed where the file system allows, so that a
    // killed process leaves nothing; its name comes only when it is kept
    // or parked.
    bool CreateScratch(const std::string& folder, Scratch& scratch, bool named = false) override {
        scratch = Scratch();
        scratch.folder = folder;
        if (!named && CanLinkUnnamedFiles()) {
            const int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
            if (fd >= 0) {
                scratch.handle = fd;
                return true;
            }
        }
        std::string path;
        const int fd = CreateUniqueFile(folder, path);
        if (fd < 0) return false;
        scratch.handle = fd;
        scratch.path = path;
        return true;
    }

    bool ReadyReplacement(const std::string& target, Scratch& scratch) override {
        struct stat old;
        const bool replaces = lstat(target.c_str(), &old) == 0 && !S_ISLNK(old.st_mode);
        if (replaces && S_ISDIR(old.st_mode)) {
            errno = EISDIR;
            return false;
        }
        // The file used to be opened for writing where it lay: one this
        // user may not write was never replaced, and is not now.
        if (replaces && faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return false;
        // A new name needs a folder that exists and may be written: keeping
        // the file finds that out, and says why it could not.
        scratch.replaces = replaces;
        if (replaces && S_ISREG(old.st_mode)) TakeOverOwnerAndMode(scratch, old);
        return true;
    }

    // A process may hold 1,024 descriptors by default.
    int OpenScratchLimit() const override { return 256; }

    bool ParkScratch(Scratch& scratch) override {
        const int fd = static_cast<int>(scratch.handle);
        bool parked = !scratch.path.empty() || LinkUnnamed(fd, scratch.folder, scratch.path);
        if (close(fd) != 0) parked = false;
        scratch.handle = kNoHandle;
        if (!parked && !scratch.path.empty()) unlink(scratch.path.c_str());
        if (!parked) scratch = Scratch();
        return parked;
    }

    bool KeepScratch(Scratch& scratch, const std::string& target) override {
        const int fd = static_cast<int>(scratch.handle);
        const bool open = scratch.handle != kNoHandle;
        std::string path = scratch.path;
        const std::string folder = scratch.folder.empty() ? FolderOf(target) : scratch.folder;
        const bool replaces = scratch.replaces;
        scratch = Scratch();
        // Where nothing has the name yet, an unnamed file takes it at once,
        // whole. Otherwise it gets a name in its own folder for the moment
        // before the rename, never one beside the target that a web server
        // could hand out.
        if (open && path.empty() && !replaces && LinkUnnamedAs(fd, target)) {
            if (close(fd) == 0) return true;
            unlink(target.c_str());
            return false;
        }
        bool kept = !path.empty() || LinkUnnamed(fd, folder, path);
        if (open && close(fd) != 0) kept = false;
        if (kept && rename(path.c_str(), target.c_str()) != 0) kept = false;
        if (!kept && !path.empty()) unlink(path.c_str());
        return kept;
    }

    void DiscardScratch(Scratch& scratch) override {
        if (scratch.handle != kNoHandle) close(static_cast<int>(scratch.handle));
        if (!scratch.path.empty()) unlink(scratch.path.c_str());
        scratch = Scratch();
    }

    bool Delete(const std::string& path) override { return unlink(path.c_str()) == 0; }

    bool MayWrite(const std::string& path) override {
        return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
    }

    std::string LastErrorText() override { return ErrorText(errno); }
};

}  // namespace

FileSystem& PlatformFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

}  // namespace torvan

#endif
