// What the integration dialog writes and says: the program's directory cut
// at the real last backslash, the registration command and its limit, the
// handler keys, and the exact texts of every outcome.
#include <gtest/gtest.h>

#include "IntegrationRules.h"

using namespace torvan;

TEST(ProgramDirectory, IsCutAtTheRealLastBackslash) {
    std::string directory;
    ASSERT_TRUE(ProgramDirectory("C:\\Program Files\\Torvan\\Torvan.exe", GbkWindowsPathStyle(), directory));
    EXPECT_EQ(directory, "C:\\Program Files\\Torvan");

    // "\xD5\x5C" is one GBK character whose trail byte is a backslash.
    const std::string gbk = "D:\\\xD5\x5C\\Torvan.exe";
    ASSERT_TRUE(ProgramDirectory(gbk, GbkWindowsPathStyle(), directory));
    EXPECT_EQ(directory, "D:\\\xD5\x5C");
    const std::string trailLast = "D:\\tools\\\xD5\x5C";  // no separator after the character
    ASSERT_TRUE(ProgramDirectory(trailLast, GbkWindowsPathStyle(), directory));
    EXPECT_EQ(directory, "D:\\tools");

    directory = "kept";
    EXPECT_FALSE(ProgramDirectory("Torvan.exe", GbkWindowsPathStyle(), directory));
    EXPECT_EQ(directory, "kept");
}

TEST(RegistrationCommand, QuotesTheLibraryBesideTheProgramAndRefusesWhatWouldNotFit) {
    std::string command;
    ASSERT_TRUE(RegistrationCommand("C:\\Program Files\\Torvan", command));
    EXPECT_EQ(command, "regsvr32 \"C:\\Program Files\\Torvan\\TorvanExt.dll\"");
    EXPECT_EQ(LibraryPath("C:\\Torvan"), "C:\\Torvan\\TorvanExt.dll");

    // regsvr32 "<dir>\TorvanExt.dll" adds 25 characters: 518 in all fits.
    const std::string longest(493, 'd');
    ASSERT_TRUE(RegistrationCommand(longest, command));
    EXPECT_EQ(command.size(), 518u);
    command = "kept";
    EXPECT_FALSE(RegistrationCommand(longest + "d", command));
    EXPECT_EQ(command, "kept");
}

TEST(HandlerKeys, FileObjectsAndFolders) {
    EXPECT_STREQ(kFileObjectHandlerKey, "*\\shellex\\ContextMenuHandlers\\Torvan");
    EXPECT_EQ(FolderHandlerKey(), "Directory\\shellex\\ContextMenuHandlers\\Torvan");
}

TEST(OutcomeMessages, ExactTextsAndIcons) {
    ResultMessage integrated = IntegrationMessage(true, "ignored");
    EXPECT_EQ(integrated.icon, ResultIcon::Information);
    EXPECT_EQ(integrated.text, "恭喜!, Torvan 成功与 Explorer 集成!");

    ResultMessage failed = IntegrationMessage(false, "拒绝访问。\r\n");
    EXPECT_EQ(failed.icon, ResultIcon::Error);
    EXPECT_EQ(failed.text, "不好意思，集成出了点问题，请看系统提示:\n\n拒绝访问。\r\n");

    EXPECT_EQ(RemovalMessage(true, "").text, "恭喜!, 缷载成功!");
    EXPECT_EQ(RemovalMessage(true, "").icon, ResultIcon::Information);
    ResultMessage notRemoved = RemovalMessage(false, "");
    EXPECT_EQ(notRemoved.icon, ResultIcon::Error);
    EXPECT_EQ(notRemoved.text, "不好意思，缷载出了点问题，请看系统提示:\n\n");

    ResultMessage missing = MissingLibraryMessage();
    EXPECT_EQ(missing.icon, ResultIcon::Error);
    EXPECT_EQ(missing.text,
              "在程序运行的目录下找不到TorvanExt.dll，请到 http://www.torvan.example/download/ 下载完整的程序!");
}

TEST(OutcomeMessages, AnOverlongSystemTextIsCutAtACharacterBoundary) {
    std::string system;
    for (int i = 0; i < 1100; ++i) system += "错";
    ResultMessage failed = RemovalMessage(false, system);
    // 22 characters of our own, then as many of the system's as fit in 1023.
    const std::string head = "不好意思，缷载出了点问题，请看系统提示:\n\n";
    ASSERT_EQ(failed.text.compare(0, head.size(), head), 0);
    EXPECT_EQ(failed.text.size() - head.size(), (1023u - 22u) * 3u);
    EXPECT_EQ(FirstCharacters("a错b", 2), "a错");
    EXPECT_EQ(FirstCharacters("ab", 5), "ab");
}
