// CUnzipThread: unpacks one archive into one folder on a thread of its own,
// started like CZipThread. Every outcome ends with a box of its own.
#pragma once

#include <string>

#include "WinThread.h"

class CUnzipThread : public CWinThread {
public:
    std::string m_strArchive;       // ANSI path of the archive
    std::string m_strDestination;   // ANSI path of an existing folder

    // Unpacks, reports, shows the result box; FALSE ends the thread.
    BOOL InitInstance() override;
};
