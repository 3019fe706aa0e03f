#include "WorkerJobs.h"

#include "OperationProgress.h"

namespace torvan {

bool RunPackJob(PackJob& job, const PackFn& pack, WorkerReport& report) {
    ProgressFn progress = [&report](int percent) { report.Notify(OPN_PROGRESS, percent); };
    if (!pack(job, progress)) {
        // The main window says "failed" itself; the worker adds nothing.
        report.Notify(OPN_FAILED, 0);
        return false;
    }
    report.Notify(OPN_COMPLETE, 0);
    report.ShowResult(PackSucceededMessage(job.fileCount, report.DisplayPath(job.archive)));
    report.Notify(OPN_FINISHED, 0);
    return true;
}

UnpackResult RunUnpackJob(const std::string& archive, const std::string& destination,
                          const UnpackFn& unpack, WorkerReport& report) {
    ProgressFn progress = [&report](int percent) { report.Notify(OPN_PROGRESS, percent); };
    UnpackResult result = unpack(archive, destination, progress);
    report.Notify(OPN_COMPLETE, 0);
    report.ShowResult(UnpackResultMessage(result.extracted, result.failed, report.DisplayPath(destination)));
    report.Notify(OPN_FINISHED, 0);
    return result;
}

}  // namespace torvan
