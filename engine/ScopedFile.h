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

    bool IsOpen() const { return m_handle != FileSystem::kNoHandle; }
    FileSystem::Handle Get() const { return m_handle; }
    // Closes the handle held so far and takes `handle` in its place.
    void Reset(FileSystem::Handle handle) {
        Close();
        m_handle = handle;
    }

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

// A scratch file for the length of one operation: discarded on every way
// out, unless kept.
class ScratchFile {
public:
    explicit ScratchFile(FileSystem& fs) : m_fs(fs) {}
    ~ScratchFile() { Discard(); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // In `folder`, to become a file there.
    bool Create(const std::string& folder) { return m_fs.CreateScratch(folder, m_scratch); }
    FileSystem::Handle Handle() const { return m_scratch.handle; }
    bool IsOpen() const { return m_scratch.handle != FileSystem::kNoHandle; }
    // Moves it over `target`; it is gone either way afterwards.
    bool Keep(const std::string& target) { return IsOpen() && m_fs.KeepScratch(m_scratch, target); }
    void Discard() {
        if (IsOpen()) m_fs.DiscardScratch(m_scratch);
    }

private:
    FileSystem& m_fs;
    FileSystem::Scratch m_scratch;
};

}  // namespace torvan
