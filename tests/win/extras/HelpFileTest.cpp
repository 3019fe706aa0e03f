// The help as the main window asks for it: the first request writes the
// embedded help file to the temporary folder once and has the shell open
// it; later requests open the same copy; a copy that is gone is written
// anew; without a temporary folder nothing happens. The shell's viewer is a
// stand-in that records what it was asked to open.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "ExtrasSupport.h"
#include "HelpFile.h"

namespace {

std::string TempFolder() {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    return temp;
}

// Copies in the temporary folder named the way the help copy is named.
std::set<std::string> HelpCopies() {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((TempFolder() + "Tor*.tmp.chm").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.insert(TempFolder() + found.cFileName);
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string EmbeddedHelp() {
    HMODULE self = ::GetModuleHandleA(nullptr);
    HRSRC resource = ::FindResourceA(self, "IDR_HELP_CHM", "CHM");
    if (!resource) return std::string();
    const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(self, resource)));
    return std::string(bytes, ::SizeofResource(self, resource));
}

}  // namespace

TEST(Help, IsEmbeddedAsAChineseChmResource) {
    HMODULE self = ::GetModuleHandleA(nullptr);
    EXPECT_NE(::FindResourceExA(self, "CHM", "IDR_HELP_CHM", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)),
              nullptr);
    EXPECT_EQ(EmbeddedHelp().compare(0, 4, "ITSF"), 0);
}

TEST(Help, TheFirstRequestExtractsOneCopyAndLaterOnesReuseIt) {
    extras::RecordingOpener viewer(".chm");
    ASSERT_TRUE(viewer.Ready());
    const std::set<std::string> before = HelpCopies();

    std::string helpFile;
    ShowHelp(nullptr, helpFile);
    std::set<std::string> after = HelpCopies();
    ASSERT_EQ(after.size(), before.size() + 1);
    for (const std::string& name : before) after.erase(name);
    ASSERT_EQ(*after.begin(), helpFile);
    const std::string bytes = FileBytes(helpFile);
    EXPECT_EQ(bytes.compare(0, 4, "ITSF"), 0);
    EXPECT_EQ(bytes, EmbeddedHelp());
    ASSERT_TRUE(viewer.WaitForLines(1));
    EXPECT_NE(viewer.Record().find(helpFile), std::string::npos) << viewer.Record();

    // The pages are checked by the CHM reader of the build machine.
    if (const char* copy = std::getenv("TORVAN_HELP_COPY")) ::CopyFileA(helpFile.c_str(), copy, FALSE);

    // A second request opens the same copy without writing it again: a byte
    // added to it stays.
    { std::ofstream(helpFile, std::ios::binary | std::ios::app) << '!'; }
    const std::string first = helpFile;
    ShowHelp(nullptr, helpFile);
    EXPECT_EQ(helpFile, first);
    EXPECT_EQ(FileBytes(helpFile), bytes + "!");
    EXPECT_EQ(HelpCopies().size(), before.size() + 1);
    ASSERT_TRUE(viewer.WaitForLines(2));

    // Deleted behind the program's back: the next request writes a new copy.
    ASSERT_TRUE(::DeleteFileA(first.c_str()));
    ShowHelp(nullptr, helpFile);
    EXPECT_NE(helpFile, first);
    EXPECT_EQ(FileBytes(helpFile), bytes);
    EXPECT_EQ(HelpCopies().size(), before.size() + 1);
    ASSERT_TRUE(viewer.WaitForLines(3));
    ::DeleteFileA(helpFile.c_str());
}

TEST(Help, WithoutATemporaryFolderNothingIsWrittenOrOpened) {
    extras::RecordingOpener viewer(".chm");
    ASSERT_TRUE(viewer.Ready());
    char tmp[MAX_PATH] = {}, temp[MAX_PATH] = {};
    ::GetEnvironmentVariableA("TMP", tmp, MAX_PATH);
    ::GetEnvironmentVariableA("TEMP", temp, MAX_PATH);
    const std::set<std::string> before = HelpCopies();
    ::SetEnvironmentVariableA("TMP", "C:\\torvan-no-such-folder");
    ::SetEnvironmentVariableA("TEMP", "C:\\torvan-no-such-folder");

    std::string helpFile;
    ShowHelp(nullptr, helpFile);  // a box here would hang the test until its time limit

    ::SetEnvironmentVariableA("TMP", tmp[0] ? tmp : nullptr);
    ::SetEnvironmentVariableA("TEMP", temp[0] ? temp : nullptr);
    EXPECT_TRUE(helpFile.empty());
    EXPECT_EQ(HelpCopies(), before);
    EXPECT_TRUE(viewer.Record().empty());
}
