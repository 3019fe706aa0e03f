// Damaged archives never pass as good ones. One small site, cut at every
// length and flipped at a spread of positions, gzip and plain, unpacked into
// an empty folder, over an older copy of the site and as a dry run: a full
// success only with the exact tree, an existing file only ever old or new,
// and old after a gzip stream that did not verify. Then the rules one by one.
#include <algorithm>

#include "DryRunFileSystem.h"
#include "TestSupport.h"

namespace torvan {
namespace test {
namespace {

using Tree = std::map<std::string, std::string>;

std::string Logo(int seed, int size) {
    std::string bytes;
    for (int i = 0; i < size; ++i) bytes += static_cast<char>((i * 37 + seed * 11) % 251);
    return bytes;
}

const std::string kIndex = "<html><body>welcome to the new site</body></html>\n";
const std::string kNews = "<p>news of the week, new edition</p>\n";
const std::string kLogo = Logo(1, 40);
const std::string kNewArchive = PlainArchive(
    4,
    "./site|[dir]\n./site/index.html|" + std::to_string(kIndex.size()) + "\n./site/img|[dir]\n./site/img/logo.bin|" +
        std::to_string(kLogo.size()) + "\n./site/img|[/dir]\n./site/empty.txt|0\n./site/news.html|" +
        std::to_string(kNews.size()) + "\n./site|[/dir]\n",
    kIndex + kLogo + kNews);

const Tree kNewSite = {{"site", "<dir>"},        {"site/index.html", kIndex}, {"site/img", "<dir>"},
                       {"site/img/logo.bin", kLogo}, {"site/empty.txt", ""},   {"site/news.html", kNews}};
const Tree kOldSite = {{"site", "<dir>"},
                       {"site/index.html", "<html>the old site</html>\n"},
                       {"site/img", "<dir>"},
                       {"site/img/logo.bin", Logo(2, 300)},
                       {"site/empty.txt", "was not empty"},
                       {"site/news.html", "<p>old news</p>\n"},
                       {"site/old-only.txt", "only in the old copy"}};

bool FullSuccess(const UnpackResult& result) { return result.extracted > 0 && result.failed == 0; }

class DamagedArchiveTest : public EngineTest {
protected:
    void Plant(const std::string& folder, const Tree& tree) {
        RemoveTree(Path(folder));
        ASSERT_TRUE(MakeDir(Path(folder)));
        for (const auto& [name, contents] : tree) {
            if (contents == "<dir>") ASSERT_TRUE(MakeDir(Path(folder + "/" + name)));
            else ASSERT_TRUE(WriteBytes(Path(folder + "/" + name), contents));
        }
    }

    UnpackResult UnpackInto(const std::string& folder, const std::string& bytes, const Tree& before = {}) {
        Plant(folder, before);
        EXPECT_TRUE(WriteBytes(Path("in.dat"), bytes));
        return Unpack(Path("in.dat"), Path(folder), nullptr, Options());
    }

    UnpackResult DryRun(const std::string& bytes) {
        EXPECT_TRUE(WriteBytes(Path("in.dat"), bytes));
        DryRunFileSystem dryRun(PlatformFileSystem());
        EngineOptions options = Options();
        options.fs = &dryRun;
        return Unpack(Path("in.dat"), dryRun.Destination(), nullptr, options);
    }

    // A plain archive has no checksum: a flipped byte in it reads as
    // another archive, and only the dry run's agreement can be checked.
    enum Damage { kPlainCut, kPlainFlip, kGzip };

    // Every rule that holds for any damage.
    void Check(const std::string& bytes, Damage damage) {
        const UnpackResult empty = UnpackInto("empty", bytes);
        const Tree intoEmpty = Snapshot(Path("empty"));
        const UnpackResult dry = DryRun(bytes);
        EXPECT_EQ(dry.extracted, empty.extracted);
        EXPECT_EQ(dry.failed, empty.failed);
        EXPECT_EQ(dry.archive.outcome, empty.archive.outcome);
        if (damage == kPlainFlip) return;

        const bool gzip = damage == kGzip;
        const bool verified = gzip && Gunzip(bytes) == kNewArchive;
        if (FullSuccess(empty)) EXPECT_EQ(intoEmpty, kNewSite);

        const UnpackResult over = UnpackInto("over", bytes, kOldSite);
        const Tree overOld = Snapshot(Path("over"));
        Tree merged = kOldSite;
        for (const auto& [name, contents] : kNewSite) merged[name] = contents;
        if (FullSuccess(over)) EXPECT_EQ(overOld, merged);
        for (const auto& [name, old] : kOldSite) {
            const auto now = overOld.find(name);
            ASSERT_NE(now, overOld.end()) << name << " is gone";
            if (gzip && !verified) EXPECT_EQ(now->second, old) << name << " replaced by bytes that never verified";
            else EXPECT_TRUE(now->second == old || now->second == merged[name]) << name << " is neither old nor new";
        }
        if (verified || (!gzip && bytes == kNewArchive)) EXPECT_TRUE(FullSuccess(empty) && FullSuccess(over));
    }
};

// Under Wine every file operation is slow: a sample of the cases there.
#ifdef _WIN32
constexpr std::size_t kSample = 5;
#else
constexpr std::size_t kSample = 1;
#endif

TEST_F(DamagedArchiveTest, EveryCutAndFlipOfASmallSite) {
    const std::string gz = Gzip(kNewArchive);
    for (const bool gzip : {false, true}) {
        const std::string& whole = gzip ? gz : kNewArchive;
        for (std::size_t length = 0; length <= whole.size(); length += kSample) {
            SCOPED_TRACE((gzip ? "gzip cut to " : "plain cut to ") + std::to_string(length));
            Check(whole.substr(0, length), gzip ? kGzip : kPlainCut);
        }
        // Headers, data and trailer all get their share of flips, a low bit
        // and a high one by turns.
        for (std::size_t at = 0; at < whole.size(); at += (gzip ? 2 : 5) * kSample) {
            SCOPED_TRACE((gzip ? "gzip flipped at " : "plain flipped at ") + std::to_string(at));
            std::string flipped = whole;
            flipped[at] = static_cast<char>(flipped[at] ^ (at % 4 < 2 ? 0x01 : 0x80));
            Check(flipped, gzip ? kGzip : kPlainFlip);
        }
    }
    // Fields of the gzip header that no reader uses: time, extra flags, OS.
    for (const std::size_t at : {4, 5, 6, 7, 8, 9}) {
        std::string flipped = gz;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x5a);
        EXPECT_TRUE(FullSuccess(UnpackInto("empty", flipped))) << at;
        EXPECT_EQ(Snapshot(Path("empty")), kNewSite) << at;
    }
}

// A download cut in the gzip trailer: every byte of the site is there, but
// none of it verified.
TEST_F(DamagedArchiveTest, GzipCutInItsTrailerIsNeverAFullSuccess) {
    const std::string gz = Gzip(kNewArchive);
    for (std::size_t cut = 1; cut <= 8; ++cut) {
        problems.clear();
        const UnpackResult empty = UnpackInto("empty", gz.substr(0, gz.size() - cut));
        EXPECT_EQ(empty.archive.outcome, ArchiveOutcome::CutShort);
        // The file next to the damage stays, but counts as failed.
        EXPECT_EQ(empty.extracted, 3);
        EXPECT_EQ(empty.failed, 1);
        EXPECT_EQ(Snapshot(Path("empty")), kNewSite);
        ASSERT_EQ(problems.size(), 2u);
        EXPECT_NE(problems[0].find("in.dat: compressed data ends before its checksum"), std::string::npos);
        EXPECT_NE(problems[1].find("./site/news.html: written, but its bytes lie next to"), std::string::npos);
    }
    // Over the old copy nothing is replaced, the empty file not either.
    problems.clear();
    const UnpackResult over = UnpackInto("over", gz.substr(0, gz.size() - 4), kOldSite);
    EXPECT_EQ(over.extracted, 0);
    EXPECT_EQ(over.failed, 4);
    EXPECT_EQ(Snapshot(Path("over")), kOldSite);
    EXPECT_NE(problems.at(1).find("./site/index.html: the existing file was kept, because the archive's checksum"),
              std::string::npos);
}

TEST_F(DamagedArchiveTest, GzipOfEmptyFilesCutShortStillFailsOnce) {
    const std::string gz = Gzip(PlainArchive(2, "./s|[dir]\n./s/a|0\n./s/b|0\n./s|[/dir]\n", ""));
    const UnpackResult result = UnpackInto("empty", gz.substr(0, gz.size() - 3));
    EXPECT_EQ(result.extracted, 2);
    EXPECT_EQ(result.failed, 1);
}

TEST_F(DamagedArchiveTest, AWrongChecksumOrLengthIsNamedAndUnpacksNothing) {
    const std::string gz = Gzip(kNewArchive);
    for (const std::size_t at : {gz.size() - 8, gz.size() - 3}) {   // CRC, then length
        std::string bad = gz;
        bad[at] = static_cast<char>(bad[at] ^ 0x10);
        problems.clear();
        const UnpackResult result = UnpackInto("empty", bad);
        EXPECT_EQ(result.extracted + result.failed, 0);
        EXPECT_EQ(result.archive.outcome, ArchiveOutcome::Corrupt);
        EXPECT_EQ(problems, std::vector<std::string>{Path("in.dat") + ": checksum does not match"});
        EXPECT_TRUE(Snapshot(Path("empty")).empty());
    }
}

// Cut right after "logo.bin|": the empty size would read as 0 and empty the
// good file. The cut line is no entry, fails once and ends the manifest.
TEST_F(DamagedArchiveTest, APlainArchiveCutInsideItsManifest) {
    const std::string::size_type bar = kNewArchive.find("logo.bin|") + 9;
    const UnpackResult result = UnpackInto("over", kNewArchive.substr(0, bar), kOldSite);
    EXPECT_EQ(result.archive.outcome, ArchiveOutcome::Plain);
    EXPECT_TRUE(result.archive.endsInManifest);
    // index.html lies past the data: the old one is kept.
    EXPECT_EQ(result.extracted, 0);
    EXPECT_EQ(result.failed, 2);
    EXPECT_EQ(Snapshot(Path("over")), kOldSite);
    EXPECT_NE(std::find(problems.begin(), problems.end(), Path("in.dat") + ": archive ends inside its manifest"),
              problems.end());
}

TEST_F(DamagedArchiveTest, BytesAfterThePayloadAreAWarningOnly) {
    const UnpackResult result = UnpackInto("empty", kNewArchive + "tail");
    EXPECT_TRUE(FullSuccess(result));
    EXPECT_EQ(result.archive.trailingBytes, 4);
    EXPECT_EQ(problems, std::vector<std::string>{Path("in.dat") +
                                                 ": warning: 4 bytes after the end of the payload belong to no file"});
}

// list reads the same way: a stream's checksum is read to its end.
TEST_F(DamagedArchiveTest, ListingFindsTheSameDamage) {
    const std::string gz = Gzip(kNewArchive);
    const auto list = [&](const std::string& bytes) {
        EXPECT_TRUE(WriteBytes(Path("in.dat"), bytes));
        int entries = 0;
        const ArchiveFindings found = ListArchive(Path("in.dat"), [&](const ArchiveEntry&) { ++entries; }, Options());
        return std::make_pair(found, entries);
    };
    EXPECT_TRUE(list(gz).first.Whole());
    EXPECT_EQ(list(gz.substr(0, gz.size() - 2)).first.outcome, ArchiveOutcome::CutShort);
    std::string bad = gz;
    bad[gz.size() - 6] = static_cast<char>(bad[gz.size() - 6] ^ 1);
    EXPECT_EQ(list(bad).first.outcome, ArchiveOutcome::Corrupt);
    const auto cut = list(kNewArchive.substr(0, kNewArchive.find("logo.bin|") + 9));
    EXPECT_TRUE(cut.first.endsInManifest);
    EXPECT_EQ(cut.second, 3);
    EXPECT_EQ(list(kNewArchive.substr(0, kNewArchive.size() - 5)).first.missingBytes, 5);
    EXPECT_EQ(list(kNewArchive + "xy").first.trailingBytes, 2);
    EXPECT_TRUE(TempLeftovers().empty());
}

}  // namespace
}  // namespace test
}  // namespace torvan
