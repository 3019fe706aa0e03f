// Separator searches that step over double-byte characters, archive names,
// and the refusal of names that would leave the destination.
#include <gtest/gtest.h>

#include "ExcludePatterns.h"
#include "PathText.h"

namespace torvan {
namespace {

const PathStyle& Posix = PosixPathStyle();
const PathStyle& Gbk = GbkWindowsPathStyle();

// 乗 is 81 5C in GBK: its trail byte is a backslash.
const std::string kJou = "\x81\x5c";
// 嘰 is 87 5C.
const std::string kKi = "\x87\x5c";

TEST(PathText, ParentDirectory) {
    EXPECT_EQ(ParentDirectory("D:\\work\\site", Gbk), "D:\\work");
    EXPECT_EQ(ParentDirectory("/work/site", Posix), "/work");
    EXPECT_EQ(ParentDirectory("/site", Posix), "");
    EXPECT_EQ(ParentDirectory("site", Posix), "");
    EXPECT_EQ(ParentDirectory("site", Gbk), "");
    // The trail byte 5C is not the separator the search is after.
    EXPECT_EQ(ParentDirectory("D:\\" + kJou + "\\" + kKi, Gbk), "D:\\" + kJou);
    EXPECT_EQ(ParentDirectory("D:\\a\\" + kJou, Gbk), "D:\\a");
    EXPECT_EQ(ParentDirectory("D:\\a\\b" + kKi + kKi, Gbk), "D:\\a");
    // POSIX names are bytes; "\" is an ordinary character there.
    EXPECT_EQ(ParentDirectory("/a/b\\c", Posix), "/a");
}

TEST(PathText, MakeArchiveName) {
    EXPECT_EQ(MakeArchiveName("D:\\work\\site", "D:\\work", Gbk), "./site");
    EXPECT_EQ(MakeArchiveName("D:\\work\\site\\img\\b.gif", "D:\\work", Gbk), "./site/img/b.gif");
    EXPECT_EQ(MakeArchiveName("/work/site/img/b.gif", "/work", Posix), "./site/img/b.gif");
    EXPECT_EQ(MakeArchiveName("/site/a", "", Posix), "./site/a");
    EXPECT_EQ(MakeArchiveName("site/a", "", Posix), "./site/a");
    // Only real separators turn into "/": the GBK bytes stay as they are.
    EXPECT_EQ(MakeArchiveName("D:\\w\\" + kJou + "\\" + kKi + ".txt", "D:\\w", Gbk),
              "./" + kJou + "/" + kKi + ".txt");
    // A drive root packs its items directly below ".".
    EXPECT_EQ(MakeArchiveName("C:\\", "C:", Gbk), "./");
    EXPECT_EQ(MakeArchiveName("C:\\a.txt", "C:", Gbk), "./a.txt");
}

TEST(PathText, JoinAndTrim) {
    EXPECT_EQ(JoinPath("/a", "b", Posix), "/a/b");
    EXPECT_EQ(JoinPath("/", "b", Posix), "/b");
    EXPECT_EQ(JoinPath("C:\\", "b", Gbk), "C:\\b");
    // A folder whose last character is 乗 does not end with a separator.
    EXPECT_EQ(JoinPath("C:\\" + kJou, "b", Gbk), "C:\\" + kJou + "\\b");
    EXPECT_EQ(TrimTrailingSeparators("/a/b//", Posix), "/a/b");
    EXPECT_EQ(TrimTrailingSeparators("/", Posix), "/");
    EXPECT_EQ(TrimTrailingSeparators("C:\\", Gbk), "C:\\");
    EXPECT_EQ(TrimTrailingSeparators("C:\\x\\", Gbk), "C:\\x");
    EXPECT_EQ(TrimTrailingSeparators("C:\\" + kJou, Gbk), "C:\\" + kJou);
}

std::vector<std::string> Split(const std::string& name, const PathStyle& style) {
    std::vector<std::string> components;
    std::string why;
    if (!SplitSafeArchiveName(name, style, components, why)) return {"<refused: " + why + ">"};
    return components;
}

TEST(PathText, SafeNamesSplitIntoComponents) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Split("./site/img/b.gif", Posix), (V{"site", "img", "b.gif"}));
    EXPECT_EQ(Split("site//a", Posix), (V{"site", "a"}));
    EXPECT_EQ(Split("./a..b/..c/c..", Posix), (V{"a..b", "..c", "c.."}));
    EXPECT_EQ(Split("./" + kJou + "/x", Gbk), (V{kJou, "x"}));
    // On Windows "\" separates too, but never as a trail byte.
    EXPECT_EQ(Split("./a\\b", Gbk), (V{"a", "b"}));
    EXPECT_EQ(Split("./a\\b", Posix), (V{"a\\b"}));
    EXPECT_EQ(Split("./." + kJou + ".", Gbk), (V{"." + kJou + "."}));
}

TEST(PathText, NamesLeadingOutsideAreRefused) {
    for (const PathStyle* style : {&Posix, &Gbk}) {
        EXPECT_EQ(Split("", *style).size(), 1u);
        EXPECT_NE(Split("", *style)[0].find("refused"), std::string::npos);
        for (const char* name : {"/etc/passwd", "../x", "./site/../../x", "./..", "a/.."}) {
            SCOPED_TRACE(name);
            const auto parts = Split(name, *style);
            ASSERT_EQ(parts.size(), 1u);
            EXPECT_NE(parts[0].find("refused"), std::string::npos);
        }
    }
    for (const std::string name : {"\\x", "\\\\server\\share\\x", "C:x", "./C:\\x", "./a:stream",
                                   "./..\\x", "./a\\..\\..\\x", "./.../x", "./.. /x", "./ ../x",
                                   "./con", "./a/NUL.txt", "./Com1 .log/x", "./lpt9"}) {
        SCOPED_TRACE(name);
        EXPECT_NE(Split(name, Gbk)[0].find("refused"), std::string::npos);
    }
    EXPECT_EQ(Split("./console/com10/lpt0", Gbk), (std::vector<std::string>{"console", "com10", "lpt0"}));
    // The same bytes are harmless names on POSIX.
    EXPECT_EQ(Split("./a:b", Posix), std::vector<std::string>{"a:b"});
    EXPECT_EQ(Split("./con", Posix), std::vector<std::string>{"con"});
    EXPECT_EQ(Split("./.../x", Posix), (std::vector<std::string>{"...", "x"}));
    // 乗 followed by "." is not "\.." .
    EXPECT_EQ(Split("./a" + kJou + "..", Gbk), std::vector<std::string>{"a" + kJou + ".."});
}

TEST(PathText, StripComponentsDropsLeadingFoldersButNoSafetyRule) {
    EXPECT_EQ(StripComponents("./site/img/b.gif", 1, Posix), "img/b.gif");
    EXPECT_EQ(StripComponents("site/img/b.gif", 2, Posix), "b.gif");
    EXPECT_EQ(StripComponents(".//site/./img", 1, Posix), "img");
    EXPECT_EQ(StripComponents("./site", 1, Posix), "");
    EXPECT_EQ(StripComponents("./site/img", 3, Posix), "");
    EXPECT_EQ(StripComponents("./site/a", 0, Posix), "./site/a");
    // Unsafe names stay whole, so that they are refused as before.
    for (const char* name : {"/etc/site/x", "./site/../../x", "./../x"})
        EXPECT_EQ(StripComponents(name, 1, Posix), name);
    EXPECT_EQ(StripComponents("./C:\\x", 1, Gbk), "./C:\\x");
    // "\" separates on Windows, but not as the trail byte of 乗.
    EXPECT_EQ(StripComponents("./site\\" + kJou + "\\x", 1, Gbk), kJou + "\\x");
    EXPECT_EQ(StripComponents("./" + kJou + "/x", 1, Gbk), "x");
}

TEST(ExcludePatterns, GlobsCrossSlashesAndMatchEveryTrailingPart) {
    EXPECT_TRUE(GlobMatches("*.log", "logs/a.log", Posix));
    EXPECT_TRUE(GlobMatches("a?c", "abc", Posix));
    EXPECT_FALSE(GlobMatches("a?c", "ac", Posix));
    EXPECT_TRUE(GlobMatches("[a-c]x[!0-9]", "bxy", Posix));
    EXPECT_FALSE(GlobMatches("[a-c]x[!0-9]", "bx1", Posix));
    EXPECT_TRUE(GlobMatches("[]]", "]", Posix));
    EXPECT_TRUE(GlobMatches("a[b", "a[b", Posix));    // no set without its "]"
    EXPECT_TRUE(GlobMatches("\\*", "*", Posix));
    EXPECT_FALSE(GlobMatches("\\*", "x", Posix));
    EXPECT_TRUE(GlobMatches("*a*b*c", "xxaxxbxxbc", Posix));
    EXPECT_FALSE(GlobMatches("*a*b*c", "xxaxxbxx", Posix));
    // "?" takes a whole character: UTF-8 on POSIX, GBK on Windows.
    EXPECT_TRUE(GlobMatches("?.txt", "\xe7\xab\x99.txt", Posix));
    EXPECT_TRUE(GlobMatches("?.txt", "\xd5\xbe.txt", Gbk));
    EXPECT_FALSE(GlobMatches("??.txt", "\xd5\xbe.txt", Gbk));
    EXPECT_TRUE(GlobMatches("*.TXT", "read.me.txt", Gbk));
    EXPECT_FALSE(GlobMatches("*.TXT", "read.me.txt", Posix));

    ExcludePatterns posix(Posix);
    for (const char* pattern : {".git", "./cache/tmp/", "*.log"}) posix.Add(pattern);
    for (const char* path : {".git", "a/b/.git", "cache/tmp", "a/cache/tmp", "x.log", "a/x.log"})
        EXPECT_TRUE(posix.Excludes(path)) << path;
    for (const char* path : {"a.git", ".gitignore", "cache", "xcache/tmp", "cache/tmp2", "a.logs"})
        EXPECT_FALSE(posix.Excludes(path)) << path;

    ExcludePatterns windows(Gbk);
    windows.Add("Cache\\TMP");
    EXPECT_TRUE(windows.Excludes("a/cache/tmp"));
    EXPECT_FALSE(windows.Excludes("a/cache"));
}

}  // namespace
}  // namespace torvan
