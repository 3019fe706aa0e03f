#include "ZipThread.h"

#include "ArchiveWriter.h"
#include "NotifyMainWindow.h"

BOOL CZipThread::InitInstance() {
    torvan::PackJob job;
    job.folder = m_strFolder;
    job.archive = m_strArchive;
    job.gzip = m_bGzip != FALSE;
    MainWindowReport report;
    torvan::RunPackJob(
        job,
        [this](torvan::PackJob& packJob, const torvan::ProgressFn& progress) {
            bool packed = torvan::Pack(packJob, progress);
            m_nFileCount = packJob.fileCount;
            m_nFilesDone = packJob.filesDone;
            return packed;
        },
        report);
    return FALSE;
}
