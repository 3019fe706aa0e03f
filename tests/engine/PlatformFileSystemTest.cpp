// What each platform's file system brings to packing: on POSIX special
// files, links and names the manifest cannot hold; on Windows double-byte
// names whose trail byte is "\", hidden files and files held open.
#include <algorithm>

#include "TestSupport.h"

#ifdef _WIN32
#include <windows.h>
#include <direct.h>
#else
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace torvan {
namespace test {
namespace {

class PlatformFileSystemTest : public EngineTest {
protected:
    bool PackSite(bool gzip = false) {
        job = PackJob();
        job.folder = Path("site");
        job.archive = Path("site.dat");
        job.gzip = gzip;
        return Pack(job, nullptr, Options());
    }

    void ExpectFailedWith(const std::string& words) {
        EXPECT_FALSE(Exists(Path("site.dat")));
        ASSERT_FALSE(problems.empty());
        EXPECT_NE(problems.back().find(words), std::string::npos) << problems.back();
    }

    std::string CurrentDirectory() {
        char buffer[4096] = "";
#ifdef _WIN32
        return _getcwd(buffer, sizeof buffer) ? buffer : "";
#else
        return getcwd(buffer, sizeof buffer) ? buffer : "";
#endif
    }

    PackJob job;
};

TEST_F(PlatformFileSystemTest, CurrentDirectoryIsLeftAlone) {
    ASSERT_TRUE(MakeDir(Path("site")));
    ASSERT_TRUE(WriteBytes(Path("site/a"), "a"));
    const std::string before = CurrentDirectory();
    ASSERT_TRUE(PackSite(true));
    ASSERT_TRUE(MakeDir(Path("out")));
    EXPECT_EQ(Unpack(Path("site.dat"), Path("out"), nullptr, Options()).extracted, 1);
    EXPECT_EQ(CurrentDirectory(), before);
    EXPECT_EQ(ReadBytes(Path("out/site/a")), "a");
}

// What a killed process leaves of its scratch files is what closing their
// last handle leaves: the system closes them all when the process dies.
TEST_F(PlatformFileSystemTest, AScratchFileGoesWithItsLastHandleUnlessKept) {
    FileSystem& fs = PlatformFileSystem();
    ASSERT_TRUE(MakeDir(Path("arch")));
    ASSERT_TRUE(WriteBytes(Path("arch/site.dat"), "old"));
    const std::string data(300000, 'd');
    {
        FileSystem::Scratch scratch;
        ASSERT_TRUE(fs.CreateScratch(Path("arch"), scratch));
        ASSERT_TRUE(fs.Write(scratch.handle, data.data(), data.size()));
        ASSERT_TRUE(fs.Close(scratch.handle));
        EXPECT_EQ(Snapshot(Path("arch")), (std::map<std::string, std::string>{{"site.dat", "old"}}));
    }

    FileSystem::Scratch scratch;
    ASSERT_TRUE(fs.CreateScratch(Path("arch"), scratch));
    ASSERT_TRUE(fs.Write(scratch.handle, "new", 3));
    ASSERT_TRUE(fs.KeepScratch(scratch, Path("arch/site.dat")));
    EXPECT_EQ(Snapshot(Path("arch")), (std::map<std::string, std::string>{{"site.dat", "new"}}));

    // Parked, it waits closed under a name of its folder, and is kept or
    // discarded by that name.
    ASSERT_TRUE(MakeDir(Path("stage")));
    for (const bool keep : {false, true}) {
        ASSERT_TRUE(fs.CreateScratch(Path("stage"), scratch));
        ASSERT_TRUE(fs.Write(scratch.handle, "parked", 6));
        ASSERT_TRUE(fs.ParkScratch(scratch));
        EXPECT_EQ(scratch.handle, FileSystem::kNoHandle);
        EXPECT_EQ(Snapshot(Path("stage")).size(), 1u);
        if (keep) ASSERT_TRUE(fs.KeepScratch(scratch, Path("arch/site.dat")));
        else fs.DiscardScratch(scratch);
        EXPECT_TRUE(Snapshot(Path("stage")).empty());
    }
    EXPECT_EQ(ReadBytes(Path("arch/site.dat")), "parked");
}

#ifndef _WIN32

TEST_F(PlatformFileSystemTest, SpecialFilesFailInsteadOfHanging) {
    ASSERT_TRUE(MakeDir(Path("site")));
    ASSERT_TRUE(WriteBytes(Path("site/a"), "a"));
    ASSERT_EQ(mkfifo(Path("site/pipe").c_str(), 0600), 0);
    EXPECT_FALSE(PackSite());
    ExpectFailedWith("special file");
    RemoveTree(Path("site/pipe"));

    const int server = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(server, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const std::string socketPath = Path("site/sock");
    if (socketPath.size() >= sizeof address.sun_path) {
        close(server);
        GTEST_SKIP() << "temporary path too long for a socket";
    }
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    problems.clear();
    EXPECT_FALSE(PackSite());
    close(server);
    ExpectFailedWith("special file");
}

TEST_F(PlatformFileSystemTest, LinksToFilesPackTheirContentsLinksToFoldersAreSkipped) {
    ASSERT_TRUE(MakeDir(Path("site")));
    ASSERT_TRUE(MakeDir(Path("site/sub")));
    ASSERT_TRUE(WriteBytes(Path("site/sub/real"), "contents"));
    ASSERT_EQ(symlink(Path("site/sub/real").c_str(), Path("site/alias").c_str()), 0);
    // A link to its own ancestor: followed, it would never end.
    ASSERT_EQ(symlink(Path("site").c_str(), Path("site/sub/loop").c_str()), 0);
    EXPECT_EQ(CountFiles(Path("site")), 2);
    ASSERT_TRUE(PackSite());
    EXPECT_EQ(job.fileCount, 2);
    EXPECT_EQ(job.filesDone, 2);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("loop: symbolic link to a folder not followed"), std::string::npos);
    ASSERT_TRUE(MakeDir(Path("out")));
    EXPECT_EQ(Unpack(Path("site.dat"), Path("out"), nullptr, Options()).extracted, 2);
    EXPECT_EQ(Snapshot(Path("out/site")),
              (std::map<std::string, std::string>{
                  {"alias", "contents"}, {"sub", "<dir>"}, {"sub/real", "contents"}}));
}

TEST_F(PlatformFileSystemTest, ALinkThatLeadsNowhereFailsThePack) {
    ASSERT_TRUE(MakeDir(Path("site")));
    ASSERT_TRUE(WriteBytes(Path("site/a"), "a"));
    ASSERT_EQ(symlink(Path("nothing").c_str(), Path("site/dangling").c_str()), 0);
    ASSERT_TRUE(WriteBytes(Path("site.dat"), "old"));
    EXPECT_FALSE(PackSite(true));
    EXPECT_EQ(ReadBytes(Path("site.dat")), "old");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("dangling: symbolic link that leads nowhere"), std::string::npos) << problems[0];
}

TEST_F(PlatformFileSystemTest, NamesWithBarOrLineFeedFailThePack) {
    for (const char* name : {"a|b", "a\nb"}) {
        SCOPED_TRACE(name);
        RemoveTree(Path("site"));
        ASSERT_TRUE(MakeDir(Path("site")));
        ASSERT_TRUE(MakeDir(Path("site/sub")));
        ASSERT_TRUE(WriteBytes(Path("site/sub/") + name, "x"));
        problems.clear();
        EXPECT_FALSE(PackSite());
        ExpectFailedWith("\"|\" or a line feed");
    }
    // A folder's name is checked as well, even when it holds no file.
    RemoveTree(Path("site"));
    ASSERT_TRUE(MakeDir(Path("site")));
    ASSERT_TRUE(WriteBytes(Path("site/f"), "x"));
    ASSERT_TRUE(MakeDir(Path("site/x|y")));
    EXPECT_FALSE(PackSite());
}

TEST_F(PlatformFileSystemTest, ArchiveGetsTheUsualPermissions) {
    ASSERT_TRUE(MakeDir(Path("site")));
    ASSERT_TRUE(WriteBytes(Path("site/a"), "a"));
    const mode_t mask = umask(022);
    ASSERT_TRUE(PackSite(true));
    umask(mask);
    struct stat st;
    ASSERT_EQ(stat(Path("site.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

// A replaced file is a new file under the old name; it must not lose what
// writing into the old one kept, a private file's permissions above all.
TEST_F(PlatformFileSystemTest, UnpackingOverFilesKeepsTheirPermissions) {
    ASSERT_TRUE(MakeDir(Path("site")));
    ASSERT_TRUE(WriteBytes(Path("site/private"), "new secret"));
    ASSERT_TRUE(WriteBytes(Path("site/script"), "new script"));
    ASSERT_TRUE(PackSite());
    ASSERT_TRUE(MakeDir(Path("out")));
    ASSERT_TRUE(MakeDir(Path("out/site")));
    ASSERT_TRUE(WriteBytes(Path("out/site/private"), "old"));
    ASSERT_TRUE(WriteBytes(Path("out/site/script"), "old"));
    ASSERT_EQ(chmod(Path("out/site/private").c_str(), 0600), 0);
    ASSERT_EQ(chmod(Path("out/site/script").c_str(), 0755), 0);
    EXPECT_EQ(Unpack(Path("site.dat"), Path("out"), nullptr, Options()).extracted, 2);
    struct stat st;
    ASSERT_EQ(stat(Path("out/site/private").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(Path("out/site/script").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
    EXPECT_EQ(ReadBytes(Path("out/site/private")), "new secret");
}

TEST_F(PlatformFileSystemTest, AnUnreadableFolderFailsThePack) {
    if (geteuid() == 0) GTEST_SKIP() << "root lists every folder";
    ASSERT_TRUE(MakeDir(Path("site")));
    ASSERT_TRUE(WriteBytes(Path("site/a"), "a"));
    ASSERT_TRUE(MakeDir(Path("site/locked")));
    ASSERT_EQ(chmod(Path("site/locked").c_str(), 0), 0);
    EXPECT_FALSE(PackSite());
    chmod(Path("site/locked").c_str(), 0755);
    ExpectFailedWith("cannot be listed");
}

#else  // _WIN32

// 乗 (81 5C) and 嘰 (87 5C) end in a byte equal to "\" in GBK; paths
// here are UTF-8, names in the archive GBK.
const std::string kJou = "\xE4\xB9\x97", kJouGbk = "\x81\x5c";
const std::string kKi = "\xE5\x98\xB0", kKiGbk = "\x87\x5c";

class GbkNamesTest : public PlatformFileSystemTest {
protected:
    void SetUp() override {
        if (GetACP() != 936) GTEST_SKIP() << "needs the Chinese ANSI code page 936";
        PlatformFileSystemTest::SetUp();
    }
};

TEST_F(GbkNamesTest, TrailBytesEqualToBackslashAreNotSeparators) {
    // A packed folder whose own name ends in such a byte, too.
    const std::string site = "site" + kJou, siteGbk = "site" + kJouGbk;
    ASSERT_TRUE(MakeDir(Path(site)));
    ASSERT_TRUE(MakeDir(Path(site + "/" + kKi)));
    ASSERT_TRUE(WriteBytes(Path(site + "/" + kKi + "/" + kJou + ".txt"), "gbk"));
    job.folder = Path(site);
    job.archive = Path(site + ".dat");
    job.gzip = false;
    ASSERT_TRUE(Pack(job, nullptr, Options()));
    const std::string manifest = "./" + siteGbk + "|[dir]\n./" + siteGbk + "/" + kKiGbk + "|[dir]\n./" + siteGbk +
                                 "/" + kKiGbk + "/" + kJouGbk + ".txt|3\n./" + siteGbk + "/" + kKiGbk +
                                 "|[/dir]\n./" + siteGbk + "|[/dir]\n";
    EXPECT_EQ(ReadBytes(job.archive), PlainArchive(1, manifest, "gbk"));

    // Unpacked below a folder whose name ends in 5C as well.
    const std::string out = "out" + kKi;
    ASSERT_TRUE(MakeDir(Path(out)));
    const UnpackResult result = Unpack(job.archive, Path(out), nullptr, Options());
    EXPECT_EQ(result.extracted, 1);
    EXPECT_EQ(result.failed, 0);
    EXPECT_EQ(ReadBytes(Path(out + "/" + site + "/" + kKi + "/" + kJou + ".txt")), "gbk");

    // zlib opens the compressed archive by its Unicode name as well.
    job.archive = Path(site + ".dat.gz");
    job.gzip = true;
    ASSERT_TRUE(Pack(job, nullptr, Options()));
    RemoveTree(Path(out + "/" + site));
    EXPECT_EQ(Unpack(job.archive, Path(out), nullptr, Options()).extracted, 1);
    EXPECT_EQ(ReadBytes(Path(out + "/" + site + "/" + kKi + "/" + kJou + ".txt")), "gbk");
    EXPECT_TRUE(problems.empty());
}

TEST_F(GbkNamesTest, ATrailByteEqualToBarFailsThePack) {
    // 亅 is 81 7C: the reader and the server peer split lines at that byte.
    ASSERT_TRUE(MakeDir(Path("site")));
    ASSERT_TRUE(WriteBytes(Path("site/\xE4\xBA\x85.txt"), "x"));
    EXPECT_FALSE(PackSite());
    ExpectFailedWith("\"|\" or a line feed");
}

TEST_F(GbkNamesTest, ANameOutsideTheCodePageIsRefusedByNameOrPackedAsUtf8) {
    ASSERT_TRUE(MakeDir(Path("site")));
    // Thai ko kai has no form in code page 936, and no look-alike may stand in.
    ASSERT_TRUE(WriteBytes(Path("site/\xE0\xB8\x81.txt"), "k"));
    EXPECT_FALSE(PackSite());
    ExpectFailedWith("cannot be represented");
    problems.clear();

    EngineOptions options = Options();
    options.names = &Utf8Names();
    job.folder = Path("site");
    job.archive = Path("site.dat");
    job.gzip = false;
    ASSERT_TRUE(Pack(job, nullptr, options));
    EXPECT_EQ(ReadBytes(job.archive), PlainArchive(1, "./site|[dir]\n./site/\xE0\xB8\x81.txt|1\n./site|[/dir]\n", "k"));
}

TEST_F(PlatformFileSystemTest, Utf8NamesOutsideTheCodePageUnpackUnderTheirOwnNames) {
    // Korean, an emoji, accented Latin outside GBK: none has an ANSI form.
    const std::string names[] = {"\xED\x95\x9C\xEA\xB5\xAD", "\xF0\x9F\x98\x80.txt", "\xC5\x91.txt"};
    std::string manifest = "./site|[dir]\n";
    for (const std::string& name : names) manifest += "./site/" + name + "|1\n";
    ASSERT_TRUE(WriteBytes(Path("utf8.dat"), PlainArchive(3, manifest + "./site|[/dir]\n", "abc")));
    ASSERT_TRUE(MakeDir(Path("out")));
    EngineOptions options = Options();
    options.chooseNames = [](const std::vector<std::string>& all) { return &NamesIn(GuessNameEncoding(all)); };
    EXPECT_EQ(Unpack(Path("utf8.dat"), Path("out"), nullptr, options).extracted, 3);
    EXPECT_EQ(ReadBytes(Path("out/site/" + names[0])), "a");
    EXPECT_EQ(ReadBytes(Path("out/site/" + names[1])), "b");
    EXPECT_EQ(ReadBytes(Path("out/site/" + names[2])), "c");
    EXPECT_TRUE(problems.empty());
}

TEST_F(PlatformFileSystemTest, PathsPastTheOldLimitPackAndUnpack) {
    // Each folder name short enough for an archive line, the whole path
    // well past 260 characters.
    std::string relative = "site";
    ASSERT_TRUE(MakeDir(Path(relative)));
    for (int i = 0; i < 6; ++i) {
        relative += "/" + std::string(45, static_cast<char>('a' + i));
        ASSERT_TRUE(MakeDir(Path(relative)));
    }
    ASSERT_GT(Path(relative).size(), 300u);
    ASSERT_TRUE(WriteBytes(Path(relative + "/deep.txt"), "deep"));
    ASSERT_TRUE(PackSite());
    ASSERT_TRUE(MakeDir(Path("out")));
    const UnpackResult result = Unpack(Path("site.dat"), Path("out"), nullptr, Options());
    EXPECT_EQ(result.extracted, 1);
    EXPECT_EQ(result.failed, 0);
    EXPECT_EQ(ReadBytes(Path("out/" + relative + "/deep.txt")), "deep");
    // "\\?\" switches off Windows' clean-up, not ours: a trailing dot still goes.
    ASSERT_TRUE(WriteBytes(Path("dots.dat"), PlainArchive(1, "./d|[dir]\n./d/A.TXT.|1\n./d|[/dir]\n", "x")));
    EXPECT_EQ(Unpack(Path("dots.dat"), Path("out"), nullptr, Options()).extracted, 1);
    EXPECT_EQ(ReadBytes(Path("out/d/A.TXT")), "x");
    EXPECT_TRUE(problems.empty()) << problems.front();
}

TEST_F(PlatformFileSystemTest, HiddenFilesArePackedAndOverwritten) {
    ASSERT_TRUE(MakeDir(Path("site")));
    ASSERT_TRUE(WriteBytes(Path("site/secret"), "hidden"));
    ASSERT_TRUE(SetFileAttributesA(Path("site/secret").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(PackSite());
    EXPECT_EQ(job.fileCount, 1);
    ASSERT_TRUE(MakeDir(Path("out")));
    ASSERT_TRUE(MakeDir(Path("out/site")));
    ASSERT_TRUE(WriteBytes(Path("out/site/secret"), "older and longer"));
    ASSERT_TRUE(SetFileAttributesA(Path("out/site/secret").c_str(), FILE_ATTRIBUTE_HIDDEN));
    const UnpackResult result = Unpack(Path("site.dat"), Path("out"), nullptr, Options());
    EXPECT_EQ(result.extracted, 1);
    EXPECT_EQ(ReadBytes(Path("out/site/secret")), "hidden");
    // The replacement is hidden as the file it replaced was.
    EXPECT_TRUE(GetFileAttributesA(Path("out/site/secret").c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(PlatformFileSystemTest, AFileHeldOpenFailsThePack) {
    ASSERT_TRUE(MakeDir(Path("site")));
    ASSERT_TRUE(WriteBytes(Path("site/a"), "a"));
    ASSERT_TRUE(WriteBytes(Path("site/busy"), "being written"));
    ASSERT_TRUE(WriteBytes(Path("site.dat"), "old"));
    HANDLE holder = CreateFileA(Path("site/busy").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(PackSite());
    CloseHandle(holder);
    EXPECT_EQ(ReadBytes(Path("site.dat")), "old");
    ASSERT_FALSE(problems.empty());
    EXPECT_NE(problems.back().find("busy: cannot be opened"), std::string::npos) << problems.back();
    problems.clear();
    EXPECT_TRUE(PackSite());
}

#endif

}  // namespace
}  // namespace test
}  // namespace torvan
