// The test program's application object and entry: common controls first,
// then GoogleTest. The main thread's CWinThread is this application object.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "WinApp.h"

static CWinApp theApp;

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&classes);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
