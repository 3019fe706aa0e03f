// The test program's application object (see TestMain.cpp).
#pragma once

#include "WinApp.h"

constexpr char kTestCommandLine[] = "\"C:\\My Files\\site.dat\"";

class TestApp : public CWinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

    int startHookCalls = 0;
    int m_nResult = 1;
};
