#include "CommandLine.h"

#include <gtest/gtest.h>

using torvan::ArgumentTail;
using torvan::CleanCommandLine;

TEST(ArgumentTail, SkipsTheProgramNameQuotedOrNotAndTheBlanksAfterIt) {
    EXPECT_EQ(ArgumentTail("Torvan.exe"), "");
    EXPECT_EQ(ArgumentTail("Torvan.exe D:\\www\\site"), "D:\\www\\site");
    EXPECT_EQ(ArgumentTail("\"C:\\Program Files\\Torvan\\Torvan.exe\" \"D:\\web site\""), "\"D:\\web site\"");
    EXPECT_EQ(ArgumentTail("\"C:\\Torvan.exe\"\t\x01  C:\\My Files\\site.dat  "), "C:\\My Files\\site.dat  ");
    // A quoted name that runs into the argument without a blank.
    EXPECT_EQ(ArgumentTail("\"C:\\Torvan.exe\"x"), "x");
    EXPECT_EQ(ArgumentTail("\"C:\\unterminated"), "");
    EXPECT_EQ(ArgumentTail(""), "");
}

TEST(CleanCommandLine, TrimsBlanksAndTabsThenTheQuotesOfAQuotedPath) {
    EXPECT_EQ(CleanCommandLine(""), "");
    EXPECT_EQ(CleanCommandLine("\"D:\\www\\web site\""), "D:\\www\\web site");
    EXPECT_EQ(CleanCommandLine("\"D:\\www\\site\"  "), "D:\\www\\site");
    EXPECT_EQ(CleanCommandLine("\t \"D:\\www\\site\" \t"), "D:\\www\\site");
    EXPECT_EQ(CleanCommandLine("C:\\My Files\\site.dat"), "C:\\My Files\\site.dat");
    EXPECT_EQ(CleanCommandLine("\"\"\"C:\\a\"\""), "C:\\a");
}

TEST(CleanCommandLine, TakesEverythingElseWholeAsOnePath) {
    // Two quoted paths: only the outermost quotes go.
    EXPECT_EQ(CleanCommandLine("\"C:\\a\" \"C:\\b\""), "C:\\a\" \"C:\\b");
    // An unquoted start keeps a quote at its end.
    EXPECT_EQ(CleanCommandLine("C:\\a\""), "C:\\a\"");
    EXPECT_EQ(CleanCommandLine("\"\""), "");
    EXPECT_EQ(CleanCommandLine("   "), "");
    // Nothing is unescaped or expanded.
    EXPECT_EQ(CleanCommandLine("%TEMP%\\a\\\\b"), "%TEMP%\\a\\\\b");
}
