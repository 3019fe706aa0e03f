// The manifest's reading rules: atoi values, the final byte left unparsed,
// empty lines, zero bytes, over-long lines and a manifest cut short.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "ArchiveFormat.h"

namespace torvan {
namespace {

TEST(ArchiveFormat, PreambleIsTwoZeroPaddedNumbers) {
    EXPECT_EQ(FormatPreamble(2, 96), "00000000000000020000000000000096");
    int count = 0, length = 0;
    EXPECT_TRUE(ParsePreamble("00000000000000020000000000000096", count, length));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(length, 96);
    // Each field is read on its own 16 bytes, never running into the next.
    EXPECT_TRUE(ParsePreamble("   +7xxxxxxxxxxx12abcdefghijklmn", count, length));
    EXPECT_EQ(count, 7);
    EXPECT_EQ(length, 12);
    EXPECT_FALSE(ParsePreamble("0000000000000000000000000000009", count, length));
    EXPECT_FALSE(ParsePreamble("-000000000000001000000000000009", count, length));
    EXPECT_FALSE(ParsePreamble("hello, this is just a text file.", count, length));
    std::string empty(32, '\0');
    EXPECT_FALSE(ParsePreamble(empty.data(), count, length));
}

TEST(ArchiveFormat, ReadDecimalLikeAtoi) {
    auto read = [](const std::string& text) { return ReadDecimal(text.data(), text.size()); };
    EXPECT_EQ(read("5"), 5);
    EXPECT_EQ(read(" \t12abc"), 12);
    EXPECT_EQ(read("-3"), -3);
    EXPECT_EQ(read("+0042"), 42);
    EXPECT_EQ(read("x1"), 0);
    EXPECT_EQ(read(""), 0);
    EXPECT_EQ(read("- 1"), 0);
    EXPECT_EQ(read("99999999999999999999"), INT_MAX);
    EXPECT_EQ(read("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(ReadDecimal("12", 1), 1);
}

// Parses the bytes that are present, in reads of at most 7 bytes so that
// lines cross the parser's refills.
std::vector<ManifestLine> Parse(const std::string& present, int length) {
    std::vector<ManifestLine> lines;
    std::size_t offered = 0;
    ManifestParser parser([&](char* bytes, std::size_t size) -> long long {
        const std::size_t n = std::min<std::size_t>({size, 7, present.size() - offered});
        present.copy(bytes, n, offered);
        offered += n;
        return static_cast<long long>(n);
    }, length);
    ManifestLine line;
    while (parser.Next(line)) lines.push_back(line);
    return lines;
}

std::vector<ManifestLine> Parse(const std::string& manifest) {
    return Parse(manifest, static_cast<int>(manifest.size()));
}

std::string Describe(const std::vector<ManifestLine>& lines) {
    std::string text;
    for (const ManifestLine& line : lines) {
        if (line.tooLong) {
            text += "<too long>;";
            continue;
        }
        const ArchiveEntry& e = line.entry;
        text += e.kind == ArchiveEntry::FolderStart ? "open " : e.kind == ArchiveEntry::FolderEnd ? "close " : "file ";
        text += e.name;
        if (e.kind == ArchiveEntry::File) text += "=" + std::to_string(e.size);
        text += ";";
    }
    return text;
}

TEST(ArchiveFormat, SoundManifestGivesExactlyItsLines) {
    EXPECT_EQ(Describe(Parse("./site|[dir]\n./site/a.txt|5\n./site/e|0\n./site|[/dir]\n")),
              "open ./site;file ./site/a.txt=5;file ./site/e=0;close ./site;");
}

TEST(ArchiveFormat, EdgesOfTheLineRules) {
    // The last byte is never parsed: without its line feed a line loses a character.
    EXPECT_EQ(Describe(Parse("./a|12\n./b|34")), "file ./a=12;file ./b=3;");
    // Empty lines, and a doubled final line feed, give nameless file lines.
    EXPECT_EQ(Describe(Parse("./a|1\n\n./b|2\n\n")), "file ./a=1;file =0;file ./b=2;file =0;");
    EXPECT_EQ(Describe(Parse("\n")), "file =0;");
    // No "|": empty name, whole line as field; the field is compared exactly.
    EXPECT_EQ(Describe(Parse("[dir]\n./x|[DIR]\n./y|[dir] \n./z|-5\n./w|a|b\n")),
              "open ;file ./x=0;file ./y=0;file ./z=-5;file ./w=0;");
    // A zero byte ends a line's text; the line still ends at its line feed.
    EXPECT_EQ(Describe(Parse(std::string("./a|7\0junk|9\n./b|1\n", 19))), "file ./a=7;file ./b=1;");
}

TEST(ArchiveFormat, OverLongLineIsOneFailedEntryAndTheEnd) {
    const std::string fits = "./" + std::string(319, 'n') + "|5";   // 323 bytes
    EXPECT_EQ(Parse(fits + "\n./b|1\n").size(), 2u);
    const std::vector<ManifestLine> lines = Parse("./a|1\n" + fits + "0\n./b|1\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_FALSE(lines[0].tooLong);
    EXPECT_TRUE(lines[1].tooLong);
}

TEST(ArchiveFormat, ALineTheDataEndsInsideIsCutAndEndsTheParse) {
    // Its empty size field would read as 0 and empty a good file.
    const std::vector<ManifestLine> cut = Parse("./a|1\n./b|", 2000);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(Describe({cut[0]}), "file ./a=1;");
    EXPECT_TRUE(cut[1].cut);
    // A line past the data's end is cut too.
    const std::vector<ManifestLine> past = Parse("./a|1\n./b|2\n", 20);
    ASSERT_EQ(past.size(), 3u);
    EXPECT_FALSE(past[1].cut);
    EXPECT_TRUE(past[2].cut);
    // Only the final byte, which is not parsed, missing: nothing is cut.
    EXPECT_EQ(Describe(Parse("./a|1\n./b|2", 12)), "file ./a=1;file ./b=2;");
    EXPECT_TRUE(Parse("./a|1\n./b|2", 13).back().cut);
    // A length near the largest int neither allocates nor loops.
    const std::vector<ManifestLine> huge = Parse("./a|1\n", INT_MAX);
    ASSERT_EQ(huge.size(), 2u);
    EXPECT_TRUE(huge[1].cut);
}

}  // namespace
}  // namespace torvan
