// An unpack over the dry-run file system meets what a real unpack into an
// empty folder meets, by this platform's own rules for names (case, trailing
// dots, characters it refuses, lengths), and writes nothing.
#include "DryRunFileSystem.h"
#include "TestSupport.h"

namespace torvan {
namespace test {
namespace {

class DryRunFileSystemTest : public EngineTest {};

// The system's reason after "cannot be created: ". For names Windows
// refuses, it depends on the version (and on Wine) whether the reason is
// an invalid name or a path not found; that the entry fails is what counts.
std::vector<std::string> WithoutSystemReasons(std::vector<std::string> problems) {
#ifdef _WIN32
    const std::string created = "cannot be created";
    for (std::string& problem : problems) {
        const std::string::size_type at = problem.find(created);
        if (at != std::string::npos) problem.erase(at + created.size());
    }
#endif
    return problems;
}

TEST_F(DryRunFileSystemTest, PredictsARealUnpackIntoAnEmptyFolder) {
    const std::string manifest =
        "./site|[dir]\n"
        "./site/a.txt|3\n"
        "./site/A.TXT.|2\n"             // the same file on Windows
        "./site/q?.txt|1\n"             // refused on Windows
        "./site/sub|[dir]\n"
        "./site/SUB/x|1\n"              // no such folder on POSIX
        "./site/sub|1\n"                // a folder is there
        "./site/" + std::string(256, 'n') + "|1\n"
        "./site/\xd5\xbe\x81\x5c.txt|2\n"   // GBK, trail byte "\"
        "./site/sub/\xd5\xbe|[dir]\n"
        "./site/sub/\xd5\xbe/y|1\n"
        "./site/sub/y/z|1\n"
        "../up|1\n"
        "./site|[/dir]\n";
    ASSERT_TRUE(WriteBytes(Path("site.dat"), PlainArchive(9, manifest, "abcdefghijklmn")));
    ASSERT_TRUE(MakeDir(Path("out")));
    const UnpackResult real = Unpack(Path("site.dat"), Path("out"), nullptr, Options());
    const std::vector<std::string> realProblems = problems;
    RemoveTree(Path("out"));
    problems.clear();

    const auto before = Snapshot(root);
    DryRunFileSystem dryRun(PlatformFileSystem());
    EngineOptions options = Options();
    options.fs = &dryRun;
    const UnpackResult dry = Unpack(Path("site.dat"), dryRun.Destination(), nullptr, options);

    EXPECT_EQ(dry.extracted, real.extracted);
    EXPECT_EQ(dry.failed, real.failed);
    EXPECT_EQ(WithoutSystemReasons(problems), WithoutSystemReasons(realProblems));
    EXPECT_GT(dry.failed, 2);
    EXPECT_EQ(Snapshot(root), before);
    EXPECT_TRUE(TempLeftovers().empty());
}

}  // namespace
}  // namespace test
}  // namespace torvan
