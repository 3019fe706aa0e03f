// torvan.exe on a gzip download cut off in its checksum, and on one with a
// byte flipped near its end: `test` fails as an unpack into an empty folder
// does, and an unpack over the old copy replaces none of its files. Runs
// under Wine in the Windows builds.
#include <gtest/gtest.h>

#include "WinToolSupport.h"

TEST(DamagedTool, NeitherPassesNorReplacesAGoodFile)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string root = std::string(temp) + "torvan-damaged-" + std::to_string(GetCurrentProcessId());
    for (const char* sub : {"", "\\site", "\\empty", "\\over", "\\over\\site"})
        CreateDirectoryA((root + sub).c_str(), nullptr);
    const std::vector<std::string> names = {"a.html", "b.html", "c.html"};
    for (const std::string& name : names)
        ASSERT_TRUE(Write(root + "\\site\\" + name, "<p>the new " + name + ", with some text to compress</p>\n"));
    ASSERT_EQ(RunToEnd("pack -q \"" + root + "\\site\" -o \"" + root + "\\site.dat.gz\""), 0);
    const std::string gz = Read(root + "\\site.dat.gz");
    ASSERT_GT(gz.size(), 40u);
    std::string flipped = gz;
    flipped[gz.size() - 20] = static_cast<char>(flipped[gz.size() - 20] ^ 0x01);

    for (const auto& [archive, bytes] : {std::make_pair("cut.dat.gz", gz.substr(0, gz.size() - 4)),
                                         std::make_pair("flipped.dat.gz", flipped)}) {
        SCOPED_TRACE(archive);
        const std::string path = "\"" + root + "\\" + archive + "\"";
        ASSERT_TRUE(Write(root + "\\" + archive, bytes));
        const int test = RunToEnd("test -q " + path);
        EXPECT_NE(test, 0);
        EXPECT_EQ(RunToEnd("unpack -q " + path + " -C \"" + root + "\\empty\""), test);
        for (const std::string& name : names) ASSERT_TRUE(Write(root + "\\over\\site\\" + name, "old " + name));
        EXPECT_NE(RunToEnd("unpack -q " + path + " -C \"" + root + "\\over\""), 0);
        for (const std::string& name : names) EXPECT_EQ(Read(root + "\\over\\site\\" + name), "old " + name);
    }
    RemoveTree(root);
}
