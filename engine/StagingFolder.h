// Where an unpack keeps the files it has written until its commit: one
// private folder (a leading dot, mode 0700, hidden on Windows) right in the
// destination, so on its device, and out of a web server's reach. It
// exists only while an unpack runs. One that a killed unpack left behind
// is removed by the next unpack into the same destination; one whose
// process still runs is left alone.
#pragma once

#include <string>

#include "FileSystem.h"

namespace torvan {

inline constexpr const char* kStagingPrefix = ".torvan-staging-";

class StagingFolder {
public:
    StagingFolder(FileSystem& fs, const std::string& destination) : m_fs(fs), m_destination(destination) {}
    ~StagingFolder() { Remove(); }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;

    // Sweeps what killed unpacks left, then makes this unpack's folder.
    // False, with `why` in words, when it cannot be made.
    bool Make(std::string& why);
    const std::string& Path() const { return m_path; }
    // Removes the folder and whatever is still in it.
    void Remove();

private:
    void Sweep();
    // Removes the files, and with `groups` the folders of files, in it.
    void Empty(const std::string& folder, bool groups);

    FileSystem& m_fs;
    const std::string& m_destination;
    std::string m_path;
};

// This process, and whether one of that number may still be running
// (an unknown answer counts as running: its folder is left alone).
unsigned long CurrentProcessNumber();
bool ProcessMayBeRunning(unsigned long number);

}  // namespace torvan
