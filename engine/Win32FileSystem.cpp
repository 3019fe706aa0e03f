// The Win32 back end: the wide API only, paths UTF-8 on our side, so that
// any name the file system holds can be packed and any name an archive
// holds can be created, however long the path below its folder. Handles
// are HANDLEs.
#ifdef _WIN32

#include <windows.h>

#include <cstddef>
#include <vector>

#include "FileSystem.h"
#include "WideText.h"

namespace torvan {
namespace {

// UTF-8 never has a byte equal to a separator inside a character.
bool NoLeadBytes(unsigned char) { return false; }

ItemKind KindOfAttributes(DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? ItemKind::FolderLink : ItemKind::Folder;
    return ItemKind::File;
}

HANDLE AsHandle(FileSystem::Handle file) { return reinterpret_cast<HANDLE>(file); }

// SetFileInformationByHandle with FileDispositionInfo, from Vista on; the
// declarations are not visible to a build that targets older systems.
typedef BOOL(WINAPI* SetFileInformationByHandleFn)(HANDLE, int, LPVOID, DWORD);
const int kFileDispositionInfo = 4;
struct DispositionInfo {
    BOOLEAN deleteFile;
};

SetFileInformationByHandleFn SetFileInformationByHandleOrNull() {
    static const SetFileInformationByHandleFn set = reinterpret_cast<SetFileInformationByHandleFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetFileInformationByHandle")));
    return set;
}

// Sets or cancels the file's deletion when its last handle closes. False
// where the system cannot; cancelling on such a system is a no-op.
bool MarkForDeletion(HANDLE file, bool remove) {
    const SetFileInformationByHandleFn set = SetFileInformationByHandleOrNull();
    if (!set) return !remove;
    DispositionInfo info = {static_cast<BOOLEAN>(remove ? TRUE : FALSE)};
    return set(file, kFileDispositionInfo, &info, sizeof info) != FALSE;
}

// SetFileInformationByHandle with FileBasicInfo sets attributes through the
// open handle; a file whose deletion is pending refuses them by name.
const int kFileBasicInfo = 0;
struct BasicInfo {
    LARGE_INTEGER creationTime, lastAccessTime, lastWriteTime, changeTime;   // 0: left as they are
    DWORD fileAttributes;
};

bool SetAttributes(const FileSystem::Scratch& scratch, DWORD attributes) {
    const SetFileInformationByHandleFn set = SetFileInformationByHandleOrNull();
    if (scratch.handle == FileSystem::kNoHandle || !set)
        return SetFileAttributesW(ApiPath(scratch.path).c_str(), attributes) != FALSE;
    BasicInfo info = {};
    info.fileAttributes = attributes;
    return set(AsHandle(scratch.handle), kFileBasicInfo, &info, sizeof info) != FALSE;
}

// SetFileInformationByHandle with FileRenameInfo renames a file through
// its open handle: one call, where MoveFileEx opens the file once more.
const int kFileRenameInfo = 3;
struct RenameInfo {
    BOOLEAN replaceIfExists;
    HANDLE rootDirectory;
    DWORD fileNameLength;   // in bytes, without the terminating zero
    WCHAR fileName[1];
};

// The call takes a plain path: a long one is left to MoveFileEx.
bool RenameOpenFile(HANDLE file, const std::string& target) {
    const SetFileInformationByHandleFn set = SetFileInformationByHandleOrNull();
    if (!set) return false;
    const std::wstring wide = Utf16FromUtf8(target);
    if (wide.empty() || wide.size() >= MAX_PATH) return false;
    std::vector<char> buffer(offsetof(RenameInfo, fileName) + (wide.size() + 1) * sizeof(WCHAR), 0);
    RenameInfo* info = reinterpret_cast<RenameInfo*>(buffer.data());
    info->replaceIfExists = TRUE;
    info->fileNameLength = static_cast<DWORD>(wide.size() * sizeof(WCHAR));
    wide.copy(info->fileName, wide.size());
    return set(file, kFileRenameInfo, info, static_cast<DWORD>(buffer.size())) != FALSE;
}

// A new file in `folder`, open for reading and writing, marked for
// deletion until it is kept, so that a process that ends early (killed, or
// closed while it works) leaves nothing. Others may rename it: that is how
// it is kept while still open. Where the system cannot mark it (before
// Vista), it stays a named scratch file, removed by name when discarded.
bool CreateBeside(const std::string& folder, const PathStyle& style, DWORD attributes,
                  FileSystem::Scratch& scratch) {
    static LONG serial = 0;
    const DWORD seed = GetCurrentProcessId() * 2654435761u + GetTickCount();
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[16];
        wsprintfA(name, "TVN%08lx", static_cast<unsigned long>(seed + InterlockedIncrement(&serial) * 40503u));
        const std::string path = JoinPath(folder, name, style);
        HANDLE file = CreateFileW(ApiPath(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, attributes, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS) continue;
            return false;
        }
        MarkForDeletion(file, true);
        scratch.handle = reinterpret_cast<FileSystem::Handle>(file);
        scratch.path = path;
        return true;
    }
    return false;
}

// Windows answers "access denied" for a folder in the way too; this code
// (bit 29: defined by the application) says which it was.
constexpr DWORD kFolderInTheWay = 0x20000001;

// The reasons an admin meets most, in the words of the item's own message;
// the system's text (in the system's language) for the rest.
std::string ErrorText(DWORD error) {
    switch (error) {
    case kFolderInTheWay: return "a folder is in the way";
    case ERROR_ACCESS_DENIED: return "access denied (no permission, or a read-only file)";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return "in use by another program";
    case ERROR_WRITE_PROTECT: return "write-protected medium";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return "no such file or folder";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "no space left on the disk";
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_NAME: return "name not valid on this file system";
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: return "it exists already";
    default: break;
    }
    // The engine's texts are UTF-8 here, and a Chinese system words its
    // messages in Chinese: ask for them wide.
    wchar_t text[512] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        error, 0, text, sizeof text / sizeof text[0], nullptr);
    std::string result = Utf8FromUtf16(std::wstring(text, length));
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == '.'))
        result.pop_back();
    return result.empty() ? "system error " + std::to_string(error) : result;
}

class Win32FileSystem : public FileSystem {
public:
    const PathStyle& Style() const override {
        static const PathStyle style{'\\', true, &NoLeadBytes};
        return style;
    }

    bool ListFolder(const std::string& folder, std::vector<FolderItem>& items) override {
        items.clear();
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(ApiPath(JoinPath(folder, "*", Style())).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            // A name that is no UTF-16 (a lone surrogate) comes out with
            // U+FFFD, which opens nothing: the pack then fails naming it.
            items.push_back({Utf8FromUtf16(name), KindOfAttributes(found.dwFileAttributes)});
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return true;
    }

    ItemKind KindOf(const std::string& path) override {
        const DWORD attributes = GetFileAttributesW(ApiPath(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return ItemKind::Missing;
        return KindOfAttributes(attributes);
    }

    bool IsLink(const std::string& path) override {
        const DWORD attributes = GetFileAttributesW(ApiPath(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    }

    Handle OpenRead(const std::string& path) override {
        // No sharing: a file another program holds open fails here rather
        // than being packed half-written.
        HANDLE file = CreateFileW(ApiPath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        return file == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<Handle>(file);
    }

    Handle OpenShared(const std::string& path) override {
        // Readers are welcome, writers are not: while an archive is read
        // where it lies, nothing (its own entries included) can replace it.
        HANDLE file = CreateFileW(ApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        return file == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<Handle>(file);
    }

    long long Read(Handle file, void* buffer, std::size_t size) override {
        DWORD got = 0;
        if (!ReadFile(AsHandle(file), buffer, static_cast<DWORD>(size), &got, nullptr)) return -1;
        return got;
    }

    bool Write(Handle file, const void* data, std::size_t size) override {
        const char* bytes = static_cast<const char*>(data);
        while (size > 0) {
            DWORD put = 0;
            const DWORD chunk = static_cast<DWORD>(size > 0x40000000 ? 0x40000000 : size);
            if (!WriteFile(AsHandle(file), bytes, chunk, &put, nullptr) || put == 0) return false;
            bytes += put;
            size -= put;
        }
        return true;
    }

    bool Seek(Handle file, long long offset) override {
        LARGE_INTEGER to;
        to.QuadPart = offset;
        return SetFilePointerEx(AsHandle(file), to, nullptr, FILE_BEGIN) != FALSE;
    }

    long long SizeOf(Handle file) override {
        LARGE_INTEGER size;
        return GetFileSizeEx(AsHandle(file), &size) ? size.QuadPart : -1;
    }

    bool Close(Handle file) override { return CloseHandle(AsHandle(file)) != FALSE; }

    // The share modes of OpenRead and OpenShared already keep an open file
    // from being written through another name.
    FileIdentity IdentityOf(Handle) override { return FileIdentity(); }
    FileIdentity IdentityOf(const std::string&) override { return FileIdentity(); }

    bool MakeFolder(const std::string& path) override {
        return CreateDirectoryW(ApiPath(path).c_str(), nullptr) != FALSE;
    }

    // Windows folders keep out other users through the parent's rights;
    // hidden keeps it out of Explorer's listings while it lives.
    bool MakePrivateFolder(const std::string& path) override {
        const std::wstring wide = ApiPath(path);
        if (!CreateDirectoryW(wide.c_str(), nullptr)) return false;
        SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN);
        return true;
    }

    bool RemoveFolder(const std::string& path) override { return RemoveDirectoryW(ApiPath(path).c_str()) != FALSE; }

    // Named either way: its deletion is what is pending until it is kept.
    bool CreateScratch(const std::string& folder, Scratch& scratch, bool = false) override {
        scratch = Scratch();
        scratch.folder = folder;
        return CreateBeside(folder, Style(), FILE_ATTRIBUTE_NORMAL, scratch);
    }

    bool ReadyReplacement(const std::string& target, Scratch& scratch) override {
        const DWORD old = GetFileAttributesW(ApiPath(target).c_str());
        if (old == INVALID_FILE_ATTRIBUTES) {
            // Nothing there: its folder must be, as for any new file.
            const std::string::size_type at = FindLastSeparator(target, Style());
            const std::string folder = at == std::string::npos ? std::string(".") : target.substr(0, at + 1);
            const DWORD parent = GetFileAttributesW(ApiPath(folder).c_str());
            if (parent == INVALID_FILE_ATTRIBUTES || !(parent & FILE_ATTRIBUTE_DIRECTORY)) {
                SetLastError(ERROR_PATH_NOT_FOUND);
                return false;
            }
            return true;
        }
        // The file used to be opened for writing where it lay, which a
        // folder or a read-only file refuse; a hidden or system file
        // stays one.
        if (old & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
            SetLastError(old & FILE_ATTRIBUTE_DIRECTORY ? kFolderInTheWay : ERROR_ACCESS_DENIED);
            return false;
        }
        scratch.replaces = true;
        const DWORD kept = old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        if (kept) SetAttributes(scratch, kept);
        return true;
    }

    // Handles are plentiful on Windows, and a parked file is later moved by
    // name, which costs more than a rename through its open handle.
    int OpenScratchLimit() const override { return 8192; }

    // Its deletion is called off first: closed, it must stay.
    bool ParkScratch(Scratch& scratch) override {
        HANDLE file = AsHandle(scratch.handle);
        const bool parked = !scratch.path.empty() && MarkForDeletion(file, false);
        if (!parked) MarkForDeletion(file, true);
        CloseHandle(file);
        scratch.handle = kNoHandle;
        if (!parked) scratch = Scratch();
        return parked;
    }

    bool KeepScratch(Scratch& scratch, const std::string& target) override {
        const std::string path = scratch.path;
        if (scratch.handle == kNoHandle) {
            scratch = Scratch();
            if (MoveFileExW(ApiPath(path).c_str(), ApiPath(target).c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
            const DWORD why = GetLastError();
            DeleteFileW(ApiPath(path).c_str());
            SetLastError(why);
            return false;
        }
        HANDLE file = AsHandle(scratch.handle);
        scratch = Scratch();
        // Renamed while still open, so that the moment in which the file
        // has a name it would keep after a crash is as short as can be.
        bool kept = !path.empty() && MarkForDeletion(file, false) &&
                    (RenameOpenFile(file, target) ||
                     MoveFileExW(ApiPath(path).c_str(), ApiPath(target).c_str(), MOVEFILE_REPLACE_EXISTING));
        // The clean-up must not cover why the move failed.
        DWORD why = kept ? ERROR_SUCCESS : GetLastError();
        if (!kept && !path.empty()) MarkForDeletion(file, true);
        if (!CloseHandle(file) && kept) {
            why = GetLastError();
            kept = false;
        }
        if (!kept && !path.empty()) DeleteFileW(ApiPath(path).c_str());
        if (!kept) SetLastError(why);
        return kept;
    }

    void DiscardScratch(Scratch& scratch) override {
        if (scratch.handle != kNoHandle) CloseHandle(AsHandle(scratch.handle));
        // Gone with the handle where the deletion was pending; by name
        // where the system could not mark it, or it was parked.
        if (!scratch.path.empty()) DeleteFileW(ApiPath(scratch.path).c_str());
        scratch = Scratch();
    }

    bool Delete(const std::string& path) override { return DeleteFileW(ApiPath(path).c_str()) != FALSE; }

    // Folders carry no useful read-only mark on Windows; only files do.
    bool MayWrite(const std::string& path) override {
        const DWORD attributes = GetFileAttributesW(ApiPath(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return false;
        if ((attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        return true;
    }

    std::string LastErrorText() override { return ErrorText(GetLastError()); }
};

}  // namespace

FileSystem& PlatformFileSystem() {
    static Win32FileSystem fs;
    return fs;
}

}  // namespace torvan

#endif
