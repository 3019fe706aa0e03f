// Unpacking: the worked example in both forms, the counting rules, damaged
// and hostile archives, and that nothing is ever written outside the
// destination.
#include <cstdio>

#include "ArchiveFormat.h"
#include "TestSupport.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace torvan {
namespace test {
namespace {

const std::string kManifest =
    "./site|[dir]\n./site/a.txt|5\n./site/img|[dir]\n./site/img/b.gif|3\n./site/img|[/dir]\n./site|[/dir]\n";
const std::string kArchive = PlainArchive(2, kManifest, "helloxyz");

const std::map<std::string, std::string> kSite = {
    {"site", "<dir>"}, {"site/a.txt", "hello"}, {"site/img", "<dir>"}, {"site/img/b.gif", "xyz"}};

class ArchiveReaderTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_TRUE(MakeDir(Path("out")));
    }

    UnpackResult UnpackBytes(const std::string& bytes, std::vector<int>* percents = nullptr,
                             EngineOptions options = {}) {
        if (!options.problem) options.problem = Options().problem;
        EXPECT_TRUE(WriteBytes(Path("in.dat"), bytes));
        return Unpack(Path("in.dat"), Path("out"),
                      [&](int percent) { if (percents) percents->push_back(percent); }, options);
    }

    std::map<std::string, std::string> Out() { return Snapshot(Path("out")); }
};

void ExpectCounts(const UnpackResult& result, int extracted, int failed) {
    EXPECT_EQ(result.extracted, extracted);
    EXPECT_EQ(result.failed, failed);
}

TEST_F(ArchiveReaderTest, WorkedExamplePlainAndGzip) {
    ExpectCounts(UnpackBytes(kArchive), 2, 0);
    EXPECT_EQ(Out(), kSite);
    RemoveTree(Path("out"));
    ASSERT_TRUE(MakeDir(Path("out")));
    ExpectCounts(UnpackBytes(Gzip(kArchive)), 2, 0);
    EXPECT_EQ(Out(), kSite);
    EXPECT_TRUE(problems.empty());
}

TEST_F(ArchiveReaderTest, ConcatenatedGzipMembersReadAsOneStream) {
    const std::string cut = kArchive.substr(0, 70);
    ExpectCounts(UnpackBytes(Gzip(cut) + Gzip(kArchive.substr(70))), 2, 0);
    EXPECT_EQ(Out(), kSite);
}

TEST_F(ArchiveReaderTest, TruncatedGzipStillUnpacksWhatItHolds) {
    // A big second file, compressed, then cut: the first file is whole, the
    // second is written at its announced size with a zero tail.
    std::string big;
    for (int i = 0; i < 200000; ++i) big += static_cast<char>('a' + (i * 7919 % 26));
    const std::string manifest = "./s|[dir]\n./s/a|5\n./s/big|" + std::to_string(big.size()) + "\n./s|[/dir]\n";
    const std::string gz = Gzip(PlainArchive(2, manifest, "hello" + big));
    // The cut-short file is kept, but is not the file that was packed.
    ExpectCounts(UnpackBytes(gz.substr(0, gz.size() / 2)), 1, 1);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("compressed data ends before its checksum"), std::string::npos) << problems[0];
    EXPECT_NE(problems[1].find("./s/big: archive ends early"), std::string::npos) << problems[1];
    EXPECT_EQ(ReadBytes(Path("out/s/a")), "hello");
    const std::string got = ReadBytes(Path("out/s/big"));
    ASSERT_EQ(got.size(), big.size());
    const std::string::size_type end = got.find_last_not_of('\0') + 1;
    EXPECT_GT(end, 1000u);
    EXPECT_LT(end, big.size());
    EXPECT_EQ(got.substr(0, end), big.substr(0, end));
    EXPECT_NE(problems[1].find(std::to_string(big.size() - end)), std::string::npos) << problems[1];
}

TEST_F(ArchiveReaderTest, CorruptGzipOrWrongChecksumUnpacksNothing) {
    std::string gz = Gzip(kArchive);
    std::string badCrc = gz;
    badCrc[badCrc.size() - 6] ^= 0x55;
    ExpectCounts(UnpackBytes(badCrc), 0, 0);
    std::string badData = gz;
    for (std::size_t i = 10; i < badData.size() - 8; ++i) badData[i] = '\xff';
    ExpectCounts(UnpackBytes(badData), 0, 0);
    EXPECT_TRUE(Out().empty());
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("checksum does not match"), std::string::npos) << problems[0];
    EXPECT_NE(problems[1].find("corrupt compressed data"), std::string::npos) << problems[1];
}

TEST_F(ArchiveReaderTest, NotAnArchive) {
    for (const std::string& bytes : {std::string(), std::string("hello, world"),
                                     std::string("0000000000000000" "0000000000000013./a|[dir]\n./a|[/dir]\n"),
                                     std::string("0000000000000001" "0000000000000000"),
                                     Gzip("just some text, not digits at all....")}) {
        ExpectCounts(UnpackBytes(bytes), 0, 0);
    }
    EXPECT_TRUE(Out().empty());
    EXPECT_EQ(Unpack(Path("missing.dat"), Path("out"), nullptr, Options()).extracted, 0);
}

TEST_F(ArchiveReaderTest, DestinationMustBeAnExistingFolder) {
    ASSERT_TRUE(WriteBytes(Path("in.dat"), kArchive));
    ExpectCounts(Unpack(Path("in.dat"), Path("nowhere"), nullptr, Options()), 0, 0);
    ExpectCounts(Unpack(Path("in.dat"), Path("in.dat"), nullptr, Options()), 0, 0);
    EXPECT_FALSE(Exists(Path("nowhere")));
    EXPECT_NE(problems.at(0).find("destination"), std::string::npos);
}

TEST_F(ArchiveReaderTest, UnpackingTwiceOverwritesAndReusesFolders) {
    ASSERT_TRUE(MakeDir(Path("out/site")));
    ASSERT_TRUE(WriteBytes(Path("out/site/a.txt"), "a much longer old file"));
    ExpectCounts(UnpackBytes(kArchive), 2, 0);
    ExpectCounts(UnpackBytes(kArchive), 2, 0);
    EXPECT_EQ(Out(), kSite);
}

TEST_F(ArchiveReaderTest, AFileThatCannotBeCreatedIsPassedOver) {
    const std::string manifest = "./s|[dir]\n./s/a|3\n./nofolder/b|4\n./s/c|2\n|5\n./s/d|1\n./s|[/dir]\n";
    ExpectCounts(UnpackBytes(PlainArchive(5, manifest, "aaaBBBBccEEEEEd")), 3, 2);
    EXPECT_EQ(Out(), (std::map<std::string, std::string>{
                         {"s", "<dir>"}, {"s/a", "aaa"}, {"s/c", "cc"}, {"s/d", "d"}}));
}

#ifdef _WIN32
bool MakeReadOnly(const std::string& path) {
    return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY) != FALSE;
}
#else
bool MakeReadOnly(const std::string& path) { return chmod(path.c_str(), 0444) == 0; }
#endif

TEST_F(ArchiveReaderTest, AReadOnlyFileFailsAndTheNextGetsItsOwnBytes) {
    ExpectCounts(UnpackBytes(kArchive), 2, 0);
    ASSERT_TRUE(MakeReadOnly(Path("out/site/a.txt")));
    if (FILE* probe = std::fopen(Path("out/site/a.txt").c_str(), "ab")) {
        std::fclose(probe);
        GTEST_SKIP() << "this user may write read-only files (root)";
    }
    // Bytes that are right already need no writing, read-only or not.
    ExpectCounts(UnpackBytes(kArchive), 2, 0);
    ASSERT_TRUE(WriteBytes(Path("out/site/img/b.gif"), "old"));
    ASSERT_TRUE(MakeReadOnly(Path("out/site/img/b.gif")));
    ExpectCounts(UnpackBytes(kArchive), 1, 1);
    EXPECT_EQ(ReadBytes(Path("out/site/img/b.gif")), "old");
}

#ifndef _WIN32
TEST_F(ArchiveReaderTest, AFileThatHoldsItsBytesAlreadyIsNotRewritten) {
    // Differing only past the first copy buffer: the part that matched is
    // taken from the old file, the rest from the archive.
    const std::string big(kCopyBufferSize + 1000, 'b');
    std::string changed = big;
    changed[kCopyBufferSize + 10] = 'c';
    const std::string manifest = "./s|[dir]\n./s/same|4\n./s/big|" + std::to_string(big.size()) +
                                 "\n./s/empty|0\n./s/grown|2\n./s|[/dir]\n";
    const std::string archive = Gzip(PlainArchive(4, manifest, "same" + changed + "gg"));
    ASSERT_TRUE(MakeDir(Path("out/s")));
    for (const auto& [name, bytes] : {std::pair<std::string, std::string>{"same", "same"}, {"big", big},
                                      {"empty", ""}, {"grown", "g"}})
        ASSERT_TRUE(WriteBytes(Path("out/s/" + name), bytes));
    ASSERT_EQ(chmod(Path("out/s/same").c_str(), 0640), 0);
    struct stat before[2];
    ASSERT_EQ(stat(Path("out/s/same").c_str(), &before[0]), 0);
    ASSERT_EQ(stat(Path("out/s/empty").c_str(), &before[1]), 0);

    ExpectCounts(UnpackBytes(archive), 4, 0);
    EXPECT_EQ(ReadBytes(Path("out/s/big")), changed);
    EXPECT_EQ(ReadBytes(Path("out/s/grown")), "gg");
    int i = 0;
    for (const char* name : {"out/s/same", "out/s/empty"}) {
        struct stat after;
        ASSERT_EQ(stat(Path(name).c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before[i].st_ino) << name;
        EXPECT_EQ(after.st_mtim.tv_nsec, before[i].st_mtim.tv_nsec) << name;
        EXPECT_EQ(after.st_mode, before[i].st_mode) << name;
        ++i;
    }
}
#endif

// A name that comes twice ends as its later entry, also when one of the
// two holds what the file there holds already; on Windows "A.TXT." and
// "a.txt" are such a name.
TEST_F(ArchiveReaderTest, ANameThatComesTwiceEndsAsItsLaterEntry) {
#ifdef _WIN32
    const std::string again = "./s/A.TXT.";
#else
    const std::string again = "./s/a.txt";
#endif
    const std::string manifest = "./s|[dir]\n./s/a.txt|3\n" + again + "|3\n./s|[/dir]\n";
    ASSERT_TRUE(MakeDir(Path("out/s")));
    for (const auto& [payload, last] : {std::pair<std::string, std::string>{"oldnew", "new"}, {"newold", "old"}}) {
        SCOPED_TRACE(payload);
        ASSERT_TRUE(WriteBytes(Path("out/s/a.txt"), "old"));
        ExpectCounts(UnpackBytes(PlainArchive(2, manifest, payload)), 2, 0);
        EXPECT_EQ(Out().size(), 2u);   // the folder and one file
        EXPECT_EQ(ReadBytes(Path("out/s/a.txt")), last);
    }
}

TEST_F(ArchiveReaderTest, FilesThePayloadEndsBeforeAreZeroFilledAndFail) {
    const std::string manifest = "./s|[dir]\n./s/a|3\n./s/b|6\n./s/e|0\n./s/c|4\n./s|[/dir]\n";
    ExpectCounts(UnpackBytes(PlainArchive(4, manifest, "aaabb")), 2, 2);
    EXPECT_EQ(ReadBytes(Path("out/s/a")), "aaa");
    EXPECT_EQ(ReadBytes(Path("out/s/b")), std::string("bb\0\0\0\0", 6));
    EXPECT_EQ(ReadBytes(Path("out/s/e")), "");
    EXPECT_EQ(ReadBytes(Path("out/s/c")), std::string(4, '\0'));
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("./s/b: archive ends early: the last 4 of 6 bytes"), std::string::npos) << problems[0];
    EXPECT_NE(problems[1].find("./s/c: archive ends early: the last 4 of 4 bytes"), std::string::npos) << problems[1];

    // Cut inside the only file: nothing is whole, so nothing counts.
    ExpectCounts(UnpackBytes(PlainArchive(1, "./t|[dir]\n./t/x|9\n./t|[/dir]\n", "xxxx")), 0, 1);
}

// Unpacking over a working copy: what the archive does not hold whole
// never replaces a file that is there, not even one the same archive wrote
// a moment before.
TEST_F(ArchiveReaderTest, AFileThePayloadEndsBeforeNeverReplacesOneThatIsThere) {
    ASSERT_TRUE(MakeDir(Path("out/s")));
    for (const char* name : {"a", "b", "c"}) ASSERT_TRUE(WriteBytes(Path("out/s/") + name, "old"));
    const std::string manifest = "./s|[dir]\n./s/a|3\n./s/b|6\n./s/c|4\n./s/n|2\n./s/d|1\n./s/d|4\n./s|[/dir]\n";
    ExpectCounts(UnpackBytes(PlainArchive(6, manifest, "AAAbb")), 1, 5);
    EXPECT_EQ(Out(), (std::map<std::string, std::string>{{"s", "<dir>"}, {"s/a", "AAA"}, {"s/b", "old"},
                                                         {"s/c", "old"}, {"s/n", std::string(2, '\0')},
                                                         {"s/d", std::string(1, '\0')}}));
    ASSERT_EQ(problems.size(), 5u);
    EXPECT_NE(problems[0].find("./s/b: archive ends early: the last 4 of 6 bytes are missing; the existing file was kept"),
              std::string::npos) << problems[0];
    EXPECT_NE(problems[1].find("./s/c: archive ends early: the last 4 of 4 bytes are missing; the existing"),
              std::string::npos) << problems[1];
    EXPECT_NE(problems[2].find("(written as zeros)"), std::string::npos) << problems[2];
    EXPECT_NE(problems[4].find("./s/d: archive ends early: the last 4 of 4 bytes are missing; the existing"),
              std::string::npos) << problems[4];
}

TEST_F(ArchiveReaderTest, ANameEndingInASeparatorOrDotMakesNoFile) {
    ASSERT_TRUE(MakeDir(Path("out/site")));
    const std::string manifest = "./site|[dir]\n./site/dir/|3\n./site/./|2\n./site/.|2\n./site/dir|[dir]\n"
                                 "./site/dir/a|1\n./site|[/dir]\n";
    ExpectCounts(UnpackBytes(PlainArchive(4, manifest, "xxxyyzza")), 1, 3);
    EXPECT_EQ(Out(), (std::map<std::string, std::string>{{"site", "<dir>"}, {"site/dir", "<dir>"},
                                                         {"site/dir/a", "a"}}));
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_NE(problems[0].find("./site/dir/: names no file"), std::string::npos) << problems[0];
}

TEST_F(ArchiveReaderTest, ProgressOnlyForNonEmptyFilesAtEveryTenth) {
    std::string manifest = "./s|[dir]\n";
    std::string payload;
    for (int i = 1; i <= 10; ++i) {
        const int size = i == 10 ? 0 : 1;
        manifest += "./s/f" + std::to_string(i) + "|" + std::to_string(size) + "\n";
        payload += std::string(size, 'x');
    }
    manifest += "./s|[/dir]\n";
    std::vector<int> percents;
    ExpectCounts(UnpackBytes(PlainArchive(10, manifest, payload), &percents), 10, 0);
    EXPECT_TRUE(percents.empty());

    manifest = "./t|[dir]\n";
    for (int i = 1; i <= 25; ++i) manifest += "./t/f" + std::to_string(i) + "|1\n";
    manifest += "./t|[/dir]\n";
    int calls = 0;
    EngineOptions options;
    options.fileDone = [&](int done, int total) {
        EXPECT_EQ(done, ++calls);
        EXPECT_EQ(total, 25);
    };
    ExpectCounts(UnpackBytes(PlainArchive(25, manifest, std::string(25, 'y')), &percents, options), 25, 0);
    EXPECT_EQ(percents, (std::vector<int>{40, 80}));
    EXPECT_EQ(calls, 25);
}

TEST_F(ArchiveReaderTest, EmptyLinesAreFailedEntries) {
    const std::string manifest = "./s|[dir]\n./s/a|2\n\n./s/b|1\n./s|[/dir]\n\n";
    ExpectCounts(UnpackBytes(PlainArchive(2, manifest, "aab")), 2, 2);
    EXPECT_EQ(ReadBytes(Path("out/s/b")), "b");
}

TEST_F(ArchiveReaderTest, HugeManifestLengthNeitherAllocatesNorLoops) {
    const std::string bytes = "0000000000000001" "2147483647000000" "./s|[dir]\n./s/a|1\n";
    // The payload lies beyond the end: the file is all zeros; the zeros
    // after the real manifest bytes make one line too long.
    ExpectCounts(UnpackBytes(bytes), 0, 2);
    EXPECT_EQ(Out(), (std::map<std::string, std::string>{{"s", "<dir>"}, {"s/a", std::string(1, '\0')}}));
    ExpectCounts(UnpackBytes(Gzip(bytes)), 0, 2);
}

TEST_F(ArchiveReaderTest, OverLongLineEndsTheParse) {
    const std::string manifest = "./s|[dir]\n./s/a|1\n./s/" + std::string(400, 'n') + "|1\n./s/b|1\n./s|[/dir]\n";
    ExpectCounts(UnpackBytes(PlainArchive(3, manifest, "abc")), 1, 1);
    EXPECT_EQ(Out(), (std::map<std::string, std::string>{{"s", "<dir>"}, {"s/a", "a"}}));
}

TEST_F(ArchiveReaderTest, NamesLeadingOutsideAreRefused) {
    ASSERT_TRUE(MakeDir(Path("out/in")));
    std::string manifest = "./in|[dir]\n../escaped|[dir]\n";
    std::vector<std::string> hostile = {"../x1", "./in/../../x2", "/tmp/torvan-escape-x3"};
#ifdef _WIN32
    for (const char* name : {"C:x4", "..\\x5", "./in\\..\\..\\x6", "\\x7", "./in/...\\x8", "./in:x9"})
        hostile.push_back(name);
#endif
    std::string payload;
    for (const std::string& name : hostile) {
        manifest += name + "|2\n";
        payload += "!!";
    }
    manifest += "./in/ok|2\n./in|[/dir]\n";
    payload += "ok";
    const UnpackResult result = UnpackBytes(PlainArchive(1, manifest, payload));
    ExpectCounts(result, 1, static_cast<int>(hostile.size()));
    EXPECT_EQ(ReadBytes(Path("out/in/ok")), "ok");
    EXPECT_EQ(Snapshot(root).count("escaped"), 0u);
    EXPECT_EQ(Snapshot(root).count("x1"), 0u);
    EXPECT_EQ(Snapshot(root).count("x2"), 0u);
    EXPECT_FALSE(Exists("/tmp/torvan-escape-x3"));
    EXPECT_EQ(problems.size(), hostile.size() + 1);
    for (const std::string& problem : problems) EXPECT_NE(problem.find("refused"), std::string::npos) << problem;
}

#ifndef _WIN32
TEST_F(ArchiveReaderTest, NeverWritesThroughASymbolicLink) {
    ASSERT_TRUE(MakeDir(Path("elsewhere")));
    ASSERT_EQ(symlink(Path("elsewhere").c_str(), Path("out/s").c_str()), 0);
    ASSERT_TRUE(WriteBytes(Path("elsewhere/target"), "keep"));
    ASSERT_EQ(symlink(Path("elsewhere/target").c_str(), Path("out/f").c_str()), 0);
    const std::string manifest = "./s|[dir]\n./s/a|3\n./s/sub|[dir]\n./f|3\n./g|3\n";
    ExpectCounts(UnpackBytes(PlainArchive(3, manifest, "aaafffggg")), 1, 2);
    EXPECT_EQ(Snapshot(Path("elsewhere")), (std::map<std::string, std::string>{{"target", "keep"}}));
    EXPECT_EQ(ReadBytes(Path("out/g")), "ggg");
}
#endif

// A plain archive is read where it lies, so it must survive an entry that
// names it: on POSIX the entry is refused by identity, on Windows the
// archive's share mode keeps it from being opened for writing.
TEST_F(ArchiveReaderTest, AnEntryNeverOverwritesThePlainArchiveBeingRead) {
    const std::string archive =
        PlainArchive(3, "./a|3\n./in.dat|4\n./b|3\n", "aaaXXXXbbb");
    ASSERT_TRUE(WriteBytes(Path("out/in.dat"), archive));
    ExpectCounts(Unpack(Path("out/in.dat"), Path("out"), nullptr, Options()), 2, 1);
    EXPECT_EQ(ReadBytes(Path("out/in.dat")), archive);
    EXPECT_EQ(ReadBytes(Path("out/a")), "aaa");
    EXPECT_EQ(ReadBytes(Path("out/b")), "bbb");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("./in.dat"), std::string::npos) << problems[0];

    // The gzip form is read to its end before anything is put in place:
    // the entry may then replace it.
    problems.clear();
    ASSERT_TRUE(WriteBytes(Path("out/in.dat"), Gzip(archive)));
    ExpectCounts(Unpack(Path("out/in.dat"), Path("out"), nullptr, Options()), 3, 0);
    EXPECT_EQ(ReadBytes(Path("out/in.dat")), "XXXX");
}

#ifndef _WIN32
TEST_F(ArchiveReaderTest, AnEntryNeverOverwritesTheArchiveThroughAHardLink) {
    const std::string archive = PlainArchive(2, "./s|[dir]\n./s/h|4\n./s/b|3\n./s|[/dir]\n", "XXXXbbb");
    ASSERT_TRUE(WriteBytes(Path("in.dat"), archive));
    ASSERT_TRUE(MakeDir(Path("out/s")));
    ASSERT_EQ(link(Path("in.dat").c_str(), Path("out/s/h").c_str()), 0);
    ExpectCounts(Unpack(Path("in.dat"), Path("out"), nullptr, Options()), 1, 1);
    EXPECT_EQ(ReadBytes(Path("in.dat")), archive);
    EXPECT_EQ(ReadBytes(Path("out/s/b")), "bbb");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("refused: would overwrite the archive"), std::string::npos) << problems[0];
}
#endif

// Fails every write of the victim's bytes ("v...").
class FailingOutput : public DelegatingFileSystem {
public:
    FailingOutput() : DelegatingFileSystem(PlatformFileSystem()) {}
    bool Write(Handle file, const void* data, std::size_t size) override {
        return !(size > 0 && static_cast<const char*>(data)[0] == 'v') && m_inner.Write(file, data, size);
    }
};

TEST_F(ArchiveReaderTest, AFailedWriteCountsTheEntryAsFailed) {
    FailingOutput failing;
    EngineOptions options;
    options.fs = &failing;
    const std::string manifest = "./s|[dir]\n./s/a|2\n./s/victim|3\n./s/b|2\n./s|[/dir]\n";
    ExpectCounts(UnpackBytes(PlainArchive(3, manifest, "aavvvbb"), nullptr, options), 2, 1);
    EXPECT_EQ(ReadBytes(Path("out/s/b")), "bb");
    EXPECT_FALSE(Exists(Path("out/s/victim")));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("write failed"), std::string::npos);
}

TEST_F(ArchiveReaderTest, ListArchiveReportsEveryLine) {
    ASSERT_TRUE(WriteBytes(Path("in.gz"), Gzip(kArchive)));
    std::string listed;
    EXPECT_TRUE(ListArchive(Path("in.gz"), [&](const ArchiveEntry& e) {
        listed += std::to_string(e.kind) + e.name + "=" + std::to_string(e.size) + ";";
    }).Whole());
    EXPECT_EQ(listed, "1./site=0;0./site/a.txt=5;1./site/img=0;0./site/img/b.gif=3;2./site/img=0;2./site=0;");
    ASSERT_TRUE(WriteBytes(Path("text.dat"), "not an archive at all, really not"));
    EXPECT_FALSE(ListArchive(Path("text.dat"), [&](const ArchiveEntry&) { ADD_FAILURE(); }).Opened());
    EXPECT_FALSE(ListArchive(Path("missing.dat"), [&](const ArchiveEntry&) { ADD_FAILURE(); }).Opened());
}

}  // namespace
}  // namespace test
}  // namespace torvan
