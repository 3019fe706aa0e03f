#include "SaveSuggestion.h"

#include <gtest/gtest.h>

#include "PathText.h"

using namespace torvan;

namespace {
const LeadBytePredicate kGbk = &IsGbkLeadByte;
}  // namespace

TEST(SaveSuggestion, NamesTheArchiveAfterTheFolderWithTheGzipOption) {
    SaveSuggestion gz = SuggestArchive("D:\\www\\site", true, kGbk);
    EXPECT_EQ(gz.fileName, "site.dat.gz");
    EXPECT_EQ(gz.defaultExtension, "dat.gz");
    EXPECT_EQ(gz.filter, "gz files|*.gz|All files|*.*||");
    EXPECT_EQ(gz.initialFolder, "D:\\www");

    SaveSuggestion plain = SuggestArchive("D:\\www\\web site", false, kGbk);
    EXPECT_EQ(plain.fileName, "web site.dat");
    EXPECT_EQ(plain.defaultExtension, "dat");
    EXPECT_EQ(plain.filter, "dat files|*.dat|All files|*.*||");
    EXPECT_EQ(plain.initialFolder, "D:\\www");
}

TEST(SaveSuggestion, DriveRootsAndNamesWithoutBackslash) {
    SaveSuggestion root = SuggestArchive("C:\\", true, kGbk);
    EXPECT_EQ(root.fileName, ".dat.gz");
    EXPECT_EQ(root.initialFolder, "C:");
    EXPECT_EQ(SuggestArchive("C:\\", false, kGbk).fileName, ".dat");

    SaveSuggestion bare = SuggestArchive("site", true, kGbk);
    EXPECT_EQ(bare.fileName, "site.dat.gz");
    EXPECT_EQ(bare.initialFolder, "");
}

TEST(LastBackslash, TrailBytesOfDoubleByteCharactersAreNotSeparators) {
    // 乗 is 81 5C in GBK: its trail byte has the value of a backslash.
    const std::string jo = "\x81\x5C";
    const std::string folder = "D:\\www\\" + jo + "site" + jo;
    EXPECT_EQ(FindLastBackslash(folder, kGbk), 6u);
    EXPECT_EQ(TextAfterLastBackslash(folder, kGbk), jo + "site" + jo);
    EXPECT_EQ(SuggestArchive(folder, true, kGbk).fileName, jo + "site" + jo + ".dat.gz");
    EXPECT_EQ(SuggestArchive(folder, true, kGbk).initialFolder, "D:\\www");
    // Without lead-byte knowledge the same bytes split wrongly.
    EXPECT_EQ(TextAfterLastBackslash(folder, nullptr), "");
    // A lone lead byte at the very end does not swallow anything.
    EXPECT_EQ(FindLastBackslash("a\\\x81", kGbk), 1u);
    EXPECT_EQ(TextBeforeLastBackslash(jo, kGbk), "");
}

TEST(PreselectedFolder, ABackslashIsAddedOnlyWhenThereIsNone) {
    EXPECT_EQ(PreselectedFolder("", kGbk), "\\");
    EXPECT_EQ(PreselectedFolder("C:", kGbk), "C:\\");
    EXPECT_EQ(PreselectedFolder("D:\\www", kGbk), "D:\\www");
    EXPECT_EQ(PreselectedFolder("\x81\x5C", kGbk), "\x81\x5C\\");
}
