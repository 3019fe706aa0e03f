// How an archive's names are found to read, and the codecs that then
// translate them. The tables hold names as both sides write them.
#include <gtest/gtest.h>

#include "NameCodec.h"
#include "NameEncoding.h"

namespace torvan {
namespace test {
namespace {

#ifndef _WIN32
std::string Gbk(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(GbkNames().ToArchive(utf8, out)) << utf8;
    return out;
}

// Manifest names for a folder `site` holding the given items.
std::vector<std::string> Site(const std::string& site, const std::vector<std::string>& items) {
    std::vector<std::string> names{"./" + site};
    for (const std::string& item : items) names.push_back("./" + site + "/" + item);
    return names;
}

// Names real sites use; several single hanzi and pairs here have GBK bytes
// that are valid UTF-8 (图 小 猫 谢谢 图片 小说 学习 系统).
const std::vector<std::vector<std::string>> kChineseSites = {
    {"图片"}, {"小说"}, {"学习"}, {"系统"}, {"图"}, {"小"}, {"猫"}, {"谢谢"}, {"页"}, {"站"},
    {"新闻.html"}, {"产品介绍", "图片", "新闻.html"}, {"关于我们", "联系.php", "img", "a.css"},
    {"小", "写"}, {"母婴"}, {"首页.htm", "css", "js", "images", "logo.png", "index.html", "下载"},
};

TEST(NameEncoding, ChineseNamesReadRightInEitherEncoding) {
    for (const std::vector<std::string>& items : kChineseSites) {
        const std::vector<std::string> utf8 = Site("site", items);
        std::vector<std::string> gbk;
        for (const std::string& name : utf8) gbk.push_back(Gbk(name));
        EXPECT_EQ(GuessNameEncoding(utf8), NameEncoding::Utf8) << items[0];
        EXPECT_EQ(GuessNameEncoding(gbk), NameEncoding::Gbk) << items[0];
        // The packed folder itself has the Chinese name, everything else ASCII.
        EXPECT_EQ(GuessNameEncoding({"./" + Gbk(items[0]), "./" + Gbk(items[0]) + "/a.txt"}), NameEncoding::Gbk)
            << items[0];
    }
}

TEST(NameEncoding, OtherScriptsInUtf8StayUtf8) {
    for (const char* name : {"café.html", "Привет", "где", "документы", "한국어", "😀.txt", "Ελληνικά", "naïve.txt",
                             "日本語のファイル", "Ärger", "zhōngwén", "QQ群"})
        EXPECT_EQ(GuessNameEncoding(Site("site", {name})), NameEncoding::Utf8) << name;
}

TEST(NameEncoding, OneDecisionForManyNames) {
    std::vector<std::string> names = Site("site", {});
    for (int i = 0; i < 500; ++i) names.push_back("./site/page" + std::to_string(i) + ".html");
    EXPECT_EQ(GuessNameEncoding(names), NameEncoding::Ascii);
    names.push_back("./site/" + Gbk("新闻"));
    EXPECT_EQ(GuessNameEncoding(names), NameEncoding::Gbk);
    names.push_back("./site/新");   // a UTF-8 name among GBK ones: neither holds for all
    EXPECT_EQ(GuessNameEncoding(names), NameEncoding::Unknown);
    EXPECT_EQ(GuessNameEncoding({"./s/\xFF\xFE"}), NameEncoding::Unknown);
    // 联通 (C1 AA CD A8) is no UTF-8 at all.
    EXPECT_EQ(GuessNameEncoding({"./\xC1\xAA\xCD\xA8"}), NameEncoding::Gbk);
}

TEST(NameEncoding, StrictUtf8RefusesWhatDecodersMustNotAccept) {
    EXPECT_TRUE(IsStrictUtf8("a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80"));
    for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3", "\x80", "\xFF"})
        EXPECT_FALSE(IsStrictUtf8(bad)) << bad;
}

TEST(NameCodecs, TranslateWholeOrRefuse) {
    const std::string utf8 = "./site/关于.txt", gbk = "./site/\xB9\xD8\xD3\xDA.txt";
    std::string out;
    ASSERT_TRUE(GbkNames().ToArchive(utf8, out));
    EXPECT_EQ(out, gbk);
    ASSERT_TRUE(GbkNames().ToLocal(gbk, out));
    EXPECT_EQ(out, utf8);
    std::string longName;
    for (int i = 0; i < 300; ++i) longName += "关";   // longer than one iconv chunk
    ASSERT_TRUE(GbkNames().ToArchive(longName, out));
    EXPECT_EQ(out.size(), 600u);
    // No GBK form, bytes that are no UTF-8, a lead byte with nothing after it.
    EXPECT_FALSE(GbkNames().ToArchive("./site/😀.txt", out));
    EXPECT_FALSE(GbkNames().ToArchive(gbk, out));
    EXPECT_FALSE(GbkNames().ToLocal("./site/\xB9", out));
    EXPECT_FALSE(Utf8Names().ToLocal(gbk, out));
    EXPECT_TRUE(Utf8Names().ToLocal(utf8, out));
    EXPECT_TRUE(RawNames().ToLocal(gbk, out));
    EXPECT_EQ(out, gbk);
}
#endif

}  // namespace
}  // namespace test
}  // namespace torvan
