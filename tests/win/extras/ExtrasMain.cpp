// The extras test program: the About box, the integration dialog and the
// help, run for real in this process under Wine.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&classes);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
