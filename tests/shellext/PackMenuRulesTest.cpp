#include "LaunchCommand.h"
#include "PackMenuRules.h"

#include <gtest/gtest.h>

namespace {

using torvan::MenuItem;

bool Gbk(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

constexpr torvan::PathAttributes kFile = {true, false};
constexpr torvan::PathAttributes kFolder = {true, true};
constexpr torvan::PathAttributes kUnreadable = {false, false};

MenuItem ForFile(const std::string& path) { return torvan::ChooseMenuItem(path, kFile, Gbk); }

// One GBK character whose trail byte has the value of "\".
const std::string kTrail5C = "\x81\x5C";

}  // namespace

TEST(PackMenuRules, FoldersPackAndArchivesUnpackInAnyCase) {
    EXPECT_EQ(torvan::ChooseMenuItem("D:\\web\\site", kFolder, Gbk), MenuItem::Pack);
    EXPECT_EQ(torvan::ChooseMenuItem("D:\\web\\site.gz", kFolder, Gbk), MenuItem::Pack);
    for (const char* name : {"D:\\a.GZ", "D:\\b.Dat", "D:\\x.tar.gz", "D:\\c.dat", "e.gZ"})
        EXPECT_EQ(ForFile(name), MenuItem::Unpack) << name;
    for (const char* name : {"D:\\notes.zip", "D:\\README", "D:\\d.gz.bak", "D:\\backup.gz\\notes", "D:\\x.gzip",
                             "D:\\x.g", "D:\\x.", "D:\\dat", ""})
        EXPECT_EQ(ForFile(name), MenuItem::None) << name;
}

TEST(PackMenuRules, APathWhoseAttributesCannotBeReadGetsNothing) {
    EXPECT_EQ(torvan::ChooseMenuItem("", kUnreadable, Gbk), MenuItem::None);
    EXPECT_EQ(torvan::ChooseMenuItem("D:\\gone\\site.gz", kUnreadable, Gbk), MenuItem::None);
}

TEST(PackMenuRules, DoubleByteCharactersAreSteppedOverWhole) {
    EXPECT_EQ(ForFile("D:\\" + kTrail5C + "\\a.gz"), MenuItem::Unpack);
    EXPECT_EQ(ForFile("D:\\" + kTrail5C + ".dat"), MenuItem::Unpack);
    EXPECT_EQ(torvan::FindLastCharacter("a\\b" + kTrail5C, '\\', Gbk), 1u);
    EXPECT_EQ(torvan::FindLastCharacter(kTrail5C, '\\', Gbk), std::string::npos);
    // A lead byte at the very end has no trail to swallow.
    EXPECT_EQ(torvan::FindLastCharacter("a\\\x81", '\\', Gbk), 1u);
}

TEST(PackMenuRules, OnlyOurOwnCommandIsOurs) {
    EXPECT_TRUE(torvan::IsOwnCommand(102, nullptr));
    EXPECT_FALSE(torvan::IsOwnCommand(0, nullptr));
    EXPECT_FALSE(torvan::IsOwnCommand(103, nullptr));
    EXPECT_TRUE(torvan::IsOwnCommand(0, "Torvan."));
    EXPECT_TRUE(torvan::IsOwnCommand(0, "torvan."));
    EXPECT_FALSE(torvan::IsOwnCommand(102, "Torvan"));
    EXPECT_FALSE(torvan::IsOwnCommand(0, "open"));
    EXPECT_FALSE(torvan::IsOwnCommand(0, ""));
}

TEST(PackMenuRules, TheRangeMustHoldOurOffset) {
    EXPECT_TRUE(torvan::FitsCommandRange(1, 103));
    EXPECT_TRUE(torvan::FitsCommandRange(0, 0x7FFF));
    EXPECT_FALSE(torvan::FitsCommandRange(1, 102));
    EXPECT_FALSE(torvan::FitsCommandRange(200, 100));
    // No wrap-around near the top of the range.
    EXPECT_FALSE(torvan::FitsCommandRange(0xFFFFFFF0u, 0xFFFFFFFFu));
}

TEST(PackMenuRules, TheLaunchCommandQuotesTheProgramBesideTheDllAndThePath) {
    std::string command;
    ASSERT_TRUE(torvan::FormatLaunchCommand("C:\\Tools\\TorvanExt.dll", "D:\\web\\site", Gbk, command));
    EXPECT_EQ(command, "\"C:\\Tools\\Torvan.exe\" \"D:\\web\\site\"");
    // The folder is cut at its real last separator, not at a trail byte.
    ASSERT_TRUE(torvan::FormatLaunchCommand("C:\\" + kTrail5C + "\\TorvanExt.dll", "D:\\a b.gz", Gbk, command));
    EXPECT_EQ(command, "\"C:\\" + kTrail5C + "\\Torvan.exe\" \"D:\\a b.gz\"");
    EXPECT_FALSE(torvan::FormatLaunchCommand("TorvanExt.dll", "D:\\site", Gbk, command));
    EXPECT_TRUE(command.empty());
    EXPECT_FALSE(torvan::FormatLaunchCommand(kTrail5C + "TorvanExt.dll", "D:\\site", Gbk, command));
}

TEST(PackMenuRules, TheLongestPathsMakeAWholeCommandAndLongerOnesNone) {
    // 259 bytes each: the longest a module path and a selection can be.
    std::string folder = "C:\\" + std::string(259 - 3 - 14, 'f');
    std::string module = folder + "\\TorvanExt.dll";
    std::string path = "D:\\" + std::string(256, 'p');
    ASSERT_EQ(module.size(), 259u);
    ASSERT_EQ(path.size(), 259u);
    std::string command;
    ASSERT_TRUE(torvan::FormatLaunchCommand(module, path, Gbk, command));
    EXPECT_EQ(command, "\"" + folder + "\\Torvan.exe\" \"" + path + "\"");
    EXPECT_LE(command.size(), torvan::kMaxLaunchCommand);
    EXPECT_FALSE(torvan::FormatLaunchCommand(module, path + std::string(300, 'p'), Gbk, command));
    EXPECT_TRUE(command.empty());

    // The deepest folder the DLL may lie in: 259 bytes, its own name after it.
    std::string deepest = "C:\\" + std::string(256, 'd');
    std::string deepModule = deepest + "\\" + torvan::kDllFileName;
    ASSERT_EQ(deepModule.size(), torvan::kMaxModulePathBytes);
    ASSERT_TRUE(torvan::FormatLaunchCommand(deepModule, path, Gbk, command));
    EXPECT_EQ(command, "\"" + deepest + "\\Torvan.exe\" \"" + path + "\"");
    EXPECT_EQ(command.size(), torvan::kMaxLaunchCommand);
    EXPECT_FALSE(torvan::FormatLaunchCommand(deepest + "d\\" + torvan::kDllFileName, path, Gbk, command));

    // The system starts Torvan.exe by its long path up to 248 folder bytes.
    EXPECT_TRUE(torvan::ProgramPathStartable(std::string(248, 'd') + "\\TorvanExt.dll", Gbk));
    EXPECT_FALSE(torvan::ProgramPathStartable(std::string(249, 'd') + "\\TorvanExt.dll", Gbk));
    EXPECT_FALSE(torvan::ProgramPathStartable(torvan::kDllFileName, Gbk));
}

TEST(PackMenuRules, TitlesAreTheItemTextsWithoutTheirAccessKeys) {
    EXPECT_EQ(torvan::MenuItemTitle(MenuItem::Pack), "添加到 Torvan 压缩文件....");
    EXPECT_EQ(torvan::MenuItemTitle(MenuItem::Unpack), "用 Torvan 解压此文件到...");
    EXPECT_EQ(torvan::MenuItemTitle(MenuItem::None), "");
}
