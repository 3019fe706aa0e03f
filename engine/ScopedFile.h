// Guards that give back what an operation took, on every path out of it:
// an open handle is closed, a scratch file is deleted.
#pragma once

#include <string>

#include "FileSystem.h"

namespace torvan {

class ScopedHandle {
public:
    ScopedHandle(FileSystem& fs, FileSystem::Handle handle) : m_fs(fs), m_handle(handle) {}
    ~ScopedHandle() { Close(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    // Takes another handle, closing the one held.
    void Reset(FileSystem::Handle handle) {
        Close();
        m_handle = handle;
    }

    bool IsOpen() const { return m_handle != FileSystem::kNoHandle; }
    FileSystem::Handle Get() const { return m_handle; }

    // False when the close itself failed (buffered data lost).
    bool Close() {
        if (!IsOpen()) return true;
        const bool closed = m_fs.Close(m_handle);
        m_handle = FileSystem::kNoHandle;
        return closed;
    }

private:
    FileSystem& m_fs;
    FileSystem::Handle m_handle;
};

class ScratchFile {
public:
    explicit ScratchFile(FileSystem& fs) : m_fs(fs) {}
    ~ScratchFile() { Discard(); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // A new, empty file in the folder (the temporary folder when empty).
    bool Create(const std::string& folder) { return m_fs.CreateScratchFile(folder, m_path); }
    const std::string& Path() const { return m_path; }
    // The file has been moved into place: nothing is left to delete.
    void Release() { m_path.clear(); }
    void Discard() {
        if (!m_path.empty()) m_fs.Delete(m_path);
        m_path.clear();
    }

private:
    FileSystem& m_fs;
    std::string m_path;
};

}  // namespace torvan
