// What a worker thread does, apart from being a thread: run the engine,
// turn its progress into notifications, and report the outcome in the fixed
// order the main window relies on:
//   pack:   progress*, then FAILED alone, or COMPLETE, the box, FINISHED
//   unpack: progress*, COMPLETE, the box, FINISHED (whatever the outcome)
// The Win32 threads supply the report (a synchronous message to the main
// window, a message box) and the engine calls.
#pragma once

#include <functional>
#include <string>

#include "ArchiveReader.h"
#include "ArchiveWriter.h"
#include "ResultMessages.h"

namespace torvan {

class WorkerReport {
public:
    virtual ~WorkerReport() = default;
    // Returns once the main window has handled the notification.
    virtual void Notify(int code, int value) = 0;
    // Shows the result box; returns once the user has closed it.
    virtual void ShowResult(const ResultMessage& message) = 0;
    // A path as the user reads it, in UTF-8.
    virtual std::string DisplayPath(const std::string& path) { return path; }
};

using PackFn = std::function<bool(PackJob& job, const ProgressFn& progress)>;
using UnpackFn = std::function<UnpackResult(const std::string& archive, const std::string& destination,
                                            const ProgressFn& progress)>;

// Returns whether the pack succeeded; job carries the counts afterwards.
bool RunPackJob(PackJob& job, const PackFn& pack, WorkerReport& report);

UnpackResult RunUnpackJob(const std::string& archive, const std::string& destination,
                          const UnpackFn& unpack, WorkerReport& report);

}  // namespace torvan
