// The integration dialog run for real: a copy of TorvanExt.dll beside this
// program, whose registration writes its class key, so each test sees what
// the registration tool did; the handler keys; every box's text and icon;
// a missing library; and the dialog's own texts and buttons.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "ExtrasSupport.h"
#include "IntegrationDlg.h"
#include "MessageBox.h"
#include "ModalDriver.h"
#include "PackMenuClsid.h"
#include "Screenshot.h"
#include "Text.h"
#include "resource.h"

namespace {

const char kFileObjectKey[] = "*\\shellex\\ContextMenuHandlers\\Torvan";
const char kFolderKey[] = "Directory\\shellex\\ContextMenuHandlers\\Torvan";
const char kClassKey[] = "CLSID\\" PACKMENU_CLSID_TEXT;
const wchar_t kCaption[] = L"与 Explorer 集成设定...";

std::wstring W(const char* utf8) { return WideFromUtf8(utf8); }

struct Outcome {
    INT_PTR result = -1;
    std::vector<harness::BoxReading> boxes;
    HWND dialog = nullptr;
    std::vector<std::string> failures;
};

// Opens the dialog, clicks `button` and answers `boxes` message boxes.
Outcome Press(int button, size_t boxes, const std::string& screenshot = "") {
    CIntegrationDlg dlg;
    ModalDriver driver;
    Outcome outcome;
    outcome.result = driver.Run(dlg, [&](ModalDriver& d) {
        HWND w = d.WaitForDialog(kCaption);
        if (!w) return;
        outcome.dialog = w;
        if (!screenshot.empty()) testing_win::SaveWindowScreenshot(w, screenshot);
        ::PostMessageW(w, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(w, button)));
        for (size_t i = 0; i < boxes; ++i) {
            harness::BoxReading box = d.AnswerBox(w, screenshot.empty() ? "" : screenshot + "-box" + std::to_string(i));
            if (!box.box) return;
            outcome.boxes.push_back(box);
        }
        if (!d.WaitGone(w)) d.Fail("the dialog stayed open");
    });
    outcome.failures = driver.failures();
    return outcome;
}

void RemoveAllKeys() {
    extras::FinishRegistrationTools();
    extras::DeleteTree(kFolderKey);
    extras::DeleteTree(kFileObjectKey);
    extras::DeleteTree(kClassKey);
}

// Moves the library away for one test, and back.
class LibraryAway {
public:
    LibraryAway() {
        char exe[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
        std::string dir(exe);
        dir.erase(dir.rfind('\\'));
        m_library = dir + "\\TorvanExt.dll";
        m_away = m_library + ".away";
        m_moved = ::MoveFileExA(m_library.c_str(), m_away.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    ~LibraryAway() {
        if (m_moved) ::MoveFileExA(m_away.c_str(), m_library.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    bool Moved() const { return m_moved; }

private:
    std::string m_library, m_away;
    bool m_moved = false;
};

class IntegrationDialog : public ::testing::Test {
protected:
    void SetUp() override { RemoveAllKeys(); }
    void TearDown() override { RemoveAllKeys(); }
};

}  // namespace

TEST_F(IntegrationDialog, IntegrateRegistersTheLibraryAndWritesBothHandlerKeysTwice) {
    for (int round = 0; round < 2; ++round) {
        Outcome outcome = Press(IDC_INTEGRATE, 1, round == 0 ? "integration-dialog" : "");
        EXPECT_TRUE(outcome.failures.empty()) << outcome.failures.front();
        EXPECT_EQ(outcome.result, IDOK);
        ASSERT_EQ(outcome.boxes.size(), 1u);
        const harness::BoxReading& box = outcome.boxes[0];
        EXPECT_EQ(box.text, W("恭喜!, Torvan 成功与 Explorer 集成!"));
        EXPECT_EQ(box.icon, ::LoadIconA(nullptr, IDI_INFORMATION));
        EXPECT_EQ(box.caption, ProgramName());
        EXPECT_EQ(box.owner, outcome.dialog);

        EXPECT_EQ(extras::DefaultValue(kFileObjectKey), PACKMENU_CLSID_TEXT);
        EXPECT_EQ(extras::DefaultValue(kFolderKey), PACKMENU_CLSID_TEXT);
        // The registration tool ran on the library beside the program.
        EXPECT_TRUE(WaitUntil([] { return extras::KeyExists(kClassKey); })) << "round " << round;
        EXPECT_TRUE(extras::FinishRegistrationTools());
        extras::DeleteTree(kClassKey);  // the second round must write it again
    }
}

TEST_F(IntegrationDialog, RemovalDeletesBothKeysAndASecondRemovalTellsWhyItFailed) {
    ASSERT_TRUE(extras::SetDefaultValue(kFileObjectKey, PACKMENU_CLSID_TEXT));
    ASSERT_TRUE(extras::SetDefaultValue(kFolderKey, PACKMENU_CLSID_TEXT));

    Outcome removed = Press(IDC_UNINTEGRATE, 1);
    EXPECT_TRUE(removed.failures.empty());
    EXPECT_EQ(removed.result, IDOK);
    ASSERT_EQ(removed.boxes.size(), 1u);
    EXPECT_EQ(removed.boxes[0].text, W("恭喜!, 缷载成功!"));
    EXPECT_EQ(removed.boxes[0].icon, ::LoadIconA(nullptr, IDI_INFORMATION));
    EXPECT_FALSE(extras::KeyExists(kFolderKey));
    EXPECT_FALSE(extras::KeyExists(kFileObjectKey));

    Outcome again = Press(IDC_UNINTEGRATE, 1, "removal-failure");
    EXPECT_TRUE(again.failures.empty());
    EXPECT_EQ(again.result, IDOK);
    ASSERT_EQ(again.boxes.size(), 1u);
    const std::wstring head = W("不好意思，缷载出了点问题，请看系统提示:\n\n");
    const std::wstring reason = extras::SystemText(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(again.boxes[0].text, head + reason);
    EXPECT_EQ(again.boxes[0].icon, ::LoadIconA(nullptr, IDI_HAND));
}

TEST_F(IntegrationDialog, RemovalStopsAtAMissingFolderKeyAndLeavesTheFileObjectKey) {
    ASSERT_TRUE(extras::SetDefaultValue(kFileObjectKey, PACKMENU_CLSID_TEXT));
    ::SetLastError(0);
    EXPECT_FALSE(CIntegrationDlg::RemoveIntegration());
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(extras::DefaultValue(kFileObjectKey), PACKMENU_CLSID_TEXT);
}

TEST_F(IntegrationDialog, WithoutTheLibraryTwoBoxesAppearAndNothingIsWritten) {
    LibraryAway away;
    ASSERT_TRUE(away.Moved());
    Outcome outcome = Press(IDC_INTEGRATE, 2, "missing-library");
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_EQ(outcome.result, IDOK);
    ASSERT_EQ(outcome.boxes.size(), 2u);
    EXPECT_EQ(outcome.boxes[0].text,
              W("在程序运行的目录下找不到TorvanExt.dll，请到 http://www.torvan.example/download/ 下载完整的程序!"));
    EXPECT_EQ(outcome.boxes[0].icon, ::LoadIconA(nullptr, IDI_HAND));
    // The reason named is the missing file, not whatever the first box left.
    EXPECT_EQ(outcome.boxes[1].text,
              W("不好意思，集成出了点问题，请看系统提示:\n\n") + extras::SystemText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(outcome.boxes[1].icon, ::LoadIconA(nullptr, IDI_HAND));

    EXPECT_FALSE(extras::KeyExists(kFileObjectKey));
    EXPECT_FALSE(extras::KeyExists(kFolderKey));
    EXPECT_FALSE(extras::KeyExists(kClassKey));  // no registration tool was started
}

static std::set<std::wstring> StaticTexts(HWND dialog) {
    std::set<std::wstring> texts;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[16] = {}, text[128] = {};
        ::GetClassNameW(child, name, 16);
        ::GetWindowTextW(child, text, 128);
        if (_wcsicmp(name, L"Static") == 0) texts.insert(text);
    }
    return texts;
}

TEST_F(IntegrationDialog, OkAndCancelCloseWithoutTouchingTheRegistry) {
    for (int button : {IDOK, IDCANCEL}) {
        CIntegrationDlg dlg;
        ModalDriver driver;
        std::set<std::wstring> texts;
        std::vector<LONG> buttonTypes;
        HWND focus = nullptr;
        INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
            HWND w = d.WaitForDialog(kCaption);
            if (!w) return;
            texts = StaticTexts(w);
            for (int id : {IDOK, IDCANCEL, IDC_INTEGRATE, IDC_UNINTEGRATE})
                buttonTypes.push_back(::GetWindowLongW(::GetDlgItem(w, id), GWL_STYLE) & BS_TYPEMASK);
            GUITHREADINFO gui = {sizeof gui};
            ::GetGUIThreadInfo(::GetWindowThreadProcessId(w, nullptr), &gui);
            focus = gui.hwndFocus == ::GetDlgItem(w, IDOK) ? gui.hwndFocus : nullptr;
            ::PostMessageW(w, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(w, button)));
            if (!d.WaitGone(w)) d.Fail("the dialog stayed open");
        });
        EXPECT_TRUE(driver.failures().empty());
        EXPECT_EQ(result, button);
        EXPECT_NE(focus, nullptr) << "OK, the first tab stop, starts with the focus";
        EXPECT_EQ(texts, (std::set<std::wstring>{
                             W("点下面的按钮将会在你的系统右键菜单上增加一项，"),
                             W("可以方便压缩或解压操作，要缷载此项功能，请看下"),
                             W("边说明。更详细的请参看帮助。"),
                             W("点下面的按钮将程序与系统右键菜单的集成的功能缷"),
                             W("掉，更详细的说明请参看帮助。"),
                         }));
        for (LONG type : buttonTypes) EXPECT_EQ(type, BS_OWNERDRAW);
    }
    EXPECT_FALSE(extras::KeyExists(kFileObjectKey));
    EXPECT_FALSE(extras::KeyExists(kFolderKey));
}
