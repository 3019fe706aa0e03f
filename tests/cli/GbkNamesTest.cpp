#include <gtest/gtest.h>

#include "GbkNameCodec.h"

#ifdef _WIN32
#include <windows.h>
#endif

using torvan::cli::GbkNameCodec;

namespace {

// "关于.txt" in the two encodings.
const std::string kUtf8Name = "./site/\xE5\x85\xB3\xE4\xBA\x8E.txt";
const std::string kGbkName = "./site/\xB9\xD8\xD3\xDA.txt";

}  // namespace

#ifndef _WIN32
TEST(GbkNames, TranslateBothWaysAndLeaveAsciiAlone)
{
    std::string why;
    ASSERT_TRUE(GbkNameCodec::Available(why)) << why;
    GbkNameCodec codec;
    std::string out;
    ASSERT_TRUE(codec.ToArchive(kUtf8Name, out));
    EXPECT_EQ(out, kGbkName);
    ASSERT_TRUE(codec.ToLocal(kGbkName, out));
    EXPECT_EQ(out, kUtf8Name);
    ASSERT_TRUE(codec.ToArchive("./site/img/b.gif", out));
    EXPECT_EQ(out, "./site/img/b.gif");
    ASSERT_TRUE(codec.ToArchive("", out));
    EXPECT_EQ(out, "");
}

TEST(GbkNames, RefuseRatherThanMangle)
{
    GbkNameCodec codec;
    std::string out;
    // An emoji has no GBK form.
    EXPECT_FALSE(codec.ToArchive("./site/\xF0\x9F\x98\x80.txt", out));
    // Bytes that are not UTF-8 (a GBK name packed raw on Linux).
    EXPECT_FALSE(codec.ToArchive(kGbkName, out));
    // A lead byte with nothing after it is no GBK character.
    EXPECT_FALSE(codec.ToLocal("./site/\xB9", out));
    EXPECT_FALSE(codec.ToLocal("./site/\xB9/x", out));
}

TEST(GbkNames, LongNamesConvertWhole)
{
    GbkNameCodec codec;
    std::string utf8, gbk, back;
    for (int i = 0; i < 300; ++i) utf8 += "\xE5\x85\xB3";   // longer than one iconv chunk
    ASSERT_TRUE(codec.ToArchive(utf8, gbk));
    EXPECT_EQ(gbk.size(), 600u);
    ASSERT_TRUE(codec.ToLocal(gbk, back));
    EXPECT_EQ(back, utf8);
}
#else
TEST(GbkNames, AnsiNamesOnChineseWindowsAreAlreadyGbk)
{
    std::string why;
    ASSERT_TRUE(GbkNameCodec::Available(why)) << why;
    GbkNameCodec codec;
    std::string out;
    ASSERT_TRUE(codec.ToArchive("./site/a.txt", out));
    EXPECT_EQ(out, "./site/a.txt");
    if (GetACP() == 936) {
        ASSERT_TRUE(codec.ToLocal(kGbkName, out));
        EXPECT_EQ(out, kGbkName);
    }
}
#endif
