// CZipThread: packs one folder into one archive on a thread of its own.
// The main window creates it suspended, fills in the fields, sets
// m_bAutoDelete and resumes it; InitInstance does the whole job.
#pragma once

#include <string>

#include "WinThread.h"

class CZipThread : public CWinThread {
public:
    int m_nFileCount = 0;       // files found by the counting pass
    int m_nFilesDone = 0;       // files spooled into the archive
    BOOL m_bGzip = TRUE;
    std::string m_strFolder;    // ANSI path of the folder to pack
    std::string m_strArchive;   // ANSI path of the archive to write

    // Packs, reports, shows the success box; FALSE ends the thread.
    BOOL InitInstance() override;
};
