#include "UnzipThread.h"

#include <windows.h>

#include "ArchiveReader.h"
#include "NameCodec.h"
#include "NotifyMainWindow.h"
#include "Text.h"

BOOL CUnzipThread::InitInstance() {
    // The destination becomes the process's current directory, as it always
    // has; the engine itself resolves every name against the destination.
    ::SetCurrentDirectoryA(m_strDestination.c_str());
    MainWindowReport report;
    torvan::RunUnpackJob(
        Utf8FromAnsi(m_strArchive), Utf8FromAnsi(m_strDestination),
        [](const std::string& archive, const std::string& destination, const torvan::ProgressFn& progress) {
            // Archives from a Linux server hold UTF-8 names, ours GBK:
            // each archive's names are read as what they are found to be.
            torvan::EngineOptions options;
            options.chooseNames = [](const std::vector<std::string>& names) {
                return &torvan::NamesIn(torvan::GuessNameEncoding(names));
            };
            return torvan::Unpack(archive, destination, progress, options);
        },
        report);
    return FALSE;
}
