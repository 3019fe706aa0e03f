// Pack then unpack gives back the same tree, in both forms, whatever the
// listing order, with names passed through a codec when one is given.
#include "TestSupport.h"

namespace torvan {
namespace test {
namespace {

class RoundTripTest : public EngineTest {
protected:
    void MakeTree() {
        ASSERT_TRUE(MakeDir(Path("site")));
        ASSERT_TRUE(MakeDir(Path("site/css")));
        ASSERT_TRUE(MakeDir(Path("site/css/empty")));
        ASSERT_TRUE(MakeDir(Path("site/deep")));
        ASSERT_TRUE(MakeDir(Path("site/deep/er")));
        ASSERT_TRUE(WriteBytes(Path("site/index.html"), "<html>\r\n</html>\n"));
        ASSERT_TRUE(WriteBytes(Path("site/css/zero"), ""));
        ASSERT_TRUE(WriteBytes(Path("site/deep/er/.hidden"), std::string("\0\1\2\n|", 5)));
        // Larger than the copy buffer, so contents cross block boundaries.
        std::string big(2500000, '\0');
        for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 131 % 251);
        ASSERT_TRUE(WriteBytes(Path("site/deep/big.bin"), big));
    }
};

TEST_F(RoundTripTest, BothFormsGiveBackTheTree) {
    MakeTree();
    const auto original = Snapshot(Path("site"));
    for (bool gzip : {false, true}) {
        SCOPED_TRACE(gzip ? "gzip" : "plain");
        PackJob job;
        job.folder = Path("site");
        job.archive = Path(gzip ? "site.dat.gz" : "site.dat");
        job.gzip = gzip;
        ASSERT_TRUE(Pack(job, nullptr, Options()));
        EXPECT_EQ(job.fileCount, 4);
        const std::string out = gzip ? "outgz" : "out";
        ASSERT_TRUE(MakeDir(Path(out)));
        const UnpackResult result = Unpack(job.archive, Path(out), nullptr, Options());
        EXPECT_EQ(result.extracted, 4);
        EXPECT_EQ(result.failed, 0);
        EXPECT_EQ(Snapshot(Path(out + "/site")), original);
    }
    EXPECT_TRUE(problems.empty());
}

// Turns names into upper case on the way in and back on the way out.
class ShoutingCodec : public NameCodec {
public:
    bool ToArchive(const std::string& local, std::string& archive) const override {
        archive = local;
        for (char& c : archive) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        return true;
    }
    bool ToLocal(const std::string& archive, std::string& local) const override {
        local = archive;
        for (char& c : local) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        return true;
    }
};

TEST_F(RoundTripTest, NamesGoThroughTheCodecBothWays) {
    ASSERT_TRUE(MakeDir(Path("site")));
    ASSERT_TRUE(WriteBytes(Path("site/page"), "p"));
    ShoutingCodec codec;
    EngineOptions options = Options();
    options.names = &codec;
    PackJob job;
    job.folder = Path("site");
    job.archive = Path("a.dat");
    job.gzip = false;
    ASSERT_TRUE(Pack(job, nullptr, options));
    EXPECT_NE(ReadBytes(job.archive).find("./SITE/PAGE|1\n"), std::string::npos);
    ASSERT_TRUE(MakeDir(Path("out")));
    EXPECT_EQ(Unpack(job.archive, Path("out"), nullptr, options).extracted, 1);
    EXPECT_EQ(ReadBytes(Path("out/site/page")), "p");
}

}  // namespace
}  // namespace test
}  // namespace torvan
