#include "UnzipThread.h"

#include <windows.h>

#include "ArchiveReader.h"
#include "NotifyMainWindow.h"

BOOL CUnzipThread::InitInstance() {
    // The destination becomes the process's current directory, as it always
    // has; the engine itself resolves every name against the destination.
    ::SetCurrentDirectoryA(m_strDestination.c_str());
    MainWindowReport report;
    torvan::RunUnpackJob(
        m_strArchive, m_strDestination,
        [](const std::string& archive, const std::string& destination, const torvan::ProgressFn& progress) {
            return torvan::Unpack(archive, destination, progress);
        },
        report);
    return FALSE;
}
