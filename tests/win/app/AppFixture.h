// What every end-to-end test shares: the program's ids, a started process
// with its main window, and checks on the boxes the main window shows.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Driver.h"
#include "TestTree.h"
#include "Texts.h"

namespace ids {
constexpr int kFolder = 1002, kBrowseFolder = 1000, kCompress = 1, kHelp = 57670, kArchive = 1006,
              kBrowseArchive = 1005, kUnpack = 2222, kExit = 1011, kGzip = 1003, kAbout = 1015,
              kIntegration = 1016;
}  // namespace ids

// A box the main window shows: its text, the main window as owner and the
// program's name as caption.
::testing::AssertionResult IsMainWindowError(const driver::BoxReading& box, HWND mainWindow,
                                             const char* utf8Text);

class AppTest : public ::testing::Test {
protected:
    // Starts Torvan.exe and waits for its main window.
    void Start(const std::string& arguments = "", const std::string& folder = "");
    // Starts it with arguments; in command-line mode the save dialog or the
    // folder browser comes before the main window.
    void Launch(const std::string& arguments, const std::string& folder = "");
    // An archive of `folder` made by the engine itself.
    std::string MakeArchive(const std::string& folder, const std::string& archive, bool gzip = true);
    // Confirms the folder browser with `destination` and checks the text it
    // shows above its tree.
    void ChooseDestination(HWND browser, const std::string& destination);
    void ExpectUnpackSucceeded(const driver::BoxReading& box, int files, const std::string& destination);
    // Types a path, presses "压缩..." and returns the save dialog.
    HWND PressCompress(const std::string& folder);
    // Types a path, presses "解压..." and returns the folder browser.
    HWND PressUnpack(const std::string& archive);
    HWND WaitForSaveDialog();
    HWND WaitForFolderBrowser();
    // The name the save dialog suggests (ANSI).
    std::string SuggestedName(HWND saveDialog);
    // The worker's box after a pack into `archive` of `files` files.
    void ExpectPackSucceeded(const driver::BoxReading& box, int files, const std::string& archive);

    std::unique_ptr<driver::TorvanProcess> process;
    HWND main = nullptr;
    driver::TestFolder temp{"app"};
};
