// The POSIX back end: readdir order, "/" separators, scratch files in
// $TMPDIR. Handles are file descriptors.
#ifndef _WIN32

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
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

    Handle CreateWrite(const std::string& path) override {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
        return fd < 0 ? kNoHandle : fd;
    }

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

    bool CreateScratchFile(const std::string& folder, std::string& path) override {
        if (folder.empty()) {
            // Private to this user: it holds an expanded archive.
            const char* tmp = getenv("TMPDIR");
            const std::string pattern = JoinPath(tmp && *tmp ? tmp : "/tmp", "TVNXXXXXX", Style());
            std::vector<char> name(pattern.begin(), pattern.end());
            name.push_back('\0');
            const int fd = mkstemp(name.data());
            if (fd < 0) return false;
            close(fd);
            path = name.data();
            return true;
        }
        // Beside its target it becomes that target (an archive), so it is
        // created with the permissions any new file gets under the umask.
        static std::atomic<unsigned> serial{0};
        for (int attempt = 0; attempt < 100; ++attempt) {
            unsigned long long seed = static_cast<unsigned long long>(getpid()) * 1000003u +
                                      static_cast<unsigned long long>(time(nullptr)) * 7919u + serial++;
            std::string name = "TVN";
            for (int i = 0; i < 6; ++i) {
                name += "0123456789abcdefghijklmnopqrstuvwxyz"[seed % 36];
                seed /= 36;
            }
            const std::string candidate = JoinPath(folder, name, Style());
            const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                close(fd);
                path = candidate;
                return true;
            }
            if (errno != EEXIST) return false;
        }
        return false;
    }

    bool Replace(const std::string& from, const std::string& to) override {
        return rename(from.c_str(), to.c_str()) == 0;
    }

    bool Delete(const std::string& path) override { return unlink(path.c_str()) == 0; }
};

}  // namespace

FileSystem& PlatformFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

}  // namespace torvan

#endif
