// The in-process tests run inside a Torvan application object, as the main
// window expects (its folder browser reads the application's buffer).
#include <gtest/gtest.h>

#include <windows.h>

#include "TorvanApp.h"

namespace {

class TestApp : public CTorvanApp {
public:
    BOOL InitInstance() override {
        m_nResult = RUN_ALL_TESTS();
        return FALSE;
    }
    int ExitInstance() override { return m_nResult; }
    int m_nResult = 1;
};

TestApp theApp;

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return AfxWinMain(::GetModuleHandleW(nullptr), "", SW_SHOWNORMAL);
}
