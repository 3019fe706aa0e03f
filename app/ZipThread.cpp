#include "ZipThread.h"

#include "ArchiveWriter.h"
#include "NotifyMainWindow.h"
#include "Text.h"

BOOL CZipThread::InitInstance() {
    // The window's paths are ANSI; the engine takes UTF-8, which reaches
    // any name and any length. Names are packed in the ANSI code page, as
    // they always were.
    torvan::PackJob job;
    job.folder = Utf8FromAnsi(m_strFolder);
    job.archive = Utf8FromAnsi(m_strArchive);
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
