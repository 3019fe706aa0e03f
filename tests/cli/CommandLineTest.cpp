#include <gtest/gtest.h>

#include "CommandLine.h"
#include "LocalPaths.h"

#ifdef _WIN32
#include <windows.h>
#endif

using namespace torvan::cli;

namespace {

Request Parse(std::vector<std::string> args)
{
    Request request;
    std::string error;
    EXPECT_TRUE(ParseCommandLine(args, request, error)) << error;
    return request;
}

std::string Refusal(std::vector<std::string> args)
{
    Request request;
    std::string error;
    EXPECT_FALSE(ParseCommandLine(args, request, error));
    return error;
}

}  // namespace

TEST(CommandLine, PackTakesFolderPlainAndOutputInAnyOrder)
{
    Request r = Parse({"pack", "site"});
    EXPECT_EQ(r.command, Command::Pack);
    EXPECT_EQ(r.folder, "site");
    EXPECT_TRUE(r.archive.empty());
    EXPECT_FALSE(r.plain);

    r = Parse({"pack", "-o", "out.dat", "--plain", "site"});
    EXPECT_EQ(r.folder, "site");
    EXPECT_EQ(r.archive, "out.dat");
    EXPECT_TRUE(r.plain);

    r = Parse({"pack", "site", "-o=x.gz", "--names=gbk", "-q"});
    EXPECT_EQ(r.archive, "x.gz");
    EXPECT_EQ(r.names, NameMode::Gbk);
    EXPECT_TRUE(r.quiet);

    EXPECT_EQ(r.threads, 0);
    EXPECT_EQ(Parse({"pack", "--threads", "3", "site"}).threads, 3);
    EXPECT_EQ(Parse({"pack", "site", "--threads=1"}).threads, 1);

    // After "--" a name that looks like an option is a name.
    r = Parse({"pack", "--", "-odd"});
    EXPECT_EQ(r.folder, "-odd");
}

TEST(CommandLine, UnpackAndListTakeOneArchive)
{
    Request r = Parse({"unpack", "a.dat.gz", "-C", "out"});
    EXPECT_EQ(r.command, Command::Unpack);
    EXPECT_EQ(r.archive, "a.dat.gz");
    EXPECT_EQ(r.destination, "out");

    r = Parse({"list", "--names", "gbk", "a.dat"});
    EXPECT_EQ(r.command, Command::List);
    EXPECT_EQ(r.archive, "a.dat");
    EXPECT_EQ(r.names, NameMode::Gbk);

    EXPECT_EQ(Parse({"--help"}).command, Command::Help);
    EXPECT_EQ(Parse({"unpack", "--help"}).command, Command::Help);
    EXPECT_EQ(Parse({"-V"}).command, Command::Version);
    EXPECT_EQ(Parse({"list", "a.dat", "--version"}).command, Command::Version);
}

TEST(CommandLine, ServerOptionsBelongToTheirCommands)
{
    Request r = Parse({"pack", "--exclude", ".git", "site", "--exclude=*.log", "--exclude-from", "x.txt",
                       "--ignore-failed-read", "-v"});
    EXPECT_EQ(r.excludes, (std::vector<std::string>{".git", "*.log"}));
    EXPECT_EQ(r.excludeFiles, std::vector<std::string>{"x.txt"});
    EXPECT_TRUE(r.ignoreFailedRead);
    EXPECT_TRUE(r.verbose);

    for (const char* verb : {"unpack", "list", "test"})
        EXPECT_EQ(Parse({verb, "a.dat", "--strip-components", "1"}).stripComponents, 1) << verb;
    r = Parse({"test", "a.dat", "-C", "/var/www"});
    EXPECT_EQ(r.destination, "/var/www");
    EXPECT_TRUE(Parse({"unpack", "--verbose", "a.dat"}).verbose);

    EXPECT_NE(Refusal({"unpack", "a", "--exclude", "x"}).find("'--exclude'"), std::string::npos);
    EXPECT_NE(Refusal({"pack", "a", "--strip-components", "1"}).find("'--strip-components'"), std::string::npos);
    EXPECT_NE(Refusal({"list", "a", "-v"}).find("'-v'"), std::string::npos);
    EXPECT_NE(Refusal({"list", "a", "-C", "x"}).find("'-C'"), std::string::npos);
    EXPECT_NE(Refusal({"pack", "a", "--exclude"}).find("--exclude needs"), std::string::npos);
    for (const char* n : {"-1", "one", ""})
        EXPECT_NE(Refusal({"unpack", "a", "--strip-components", n}).find("--strip-components"), std::string::npos);
}

TEST(CommandLine, RefusesWhatItCannotMeanWithAReason)
{
    EXPECT_NE(Refusal({}).find("no command"), std::string::npos);
    EXPECT_NE(Refusal({"zip", "x"}).find("unknown command 'zip'"), std::string::npos);
    EXPECT_NE(Refusal({"pack"}).find("FOLDER"), std::string::npos);
    EXPECT_NE(Refusal({"unpack"}).find("ARCHIVE"), std::string::npos);
    EXPECT_NE(Refusal({"pack", "a", "b"}).find("'b'"), std::string::npos);
    EXPECT_NE(Refusal({"pack", "a", "-o"}).find("-o needs a value"), std::string::npos);
    EXPECT_NE(Refusal({"pack", "a", "--names", "utf16"}).find("utf16"), std::string::npos);
    // Options belong to their command: no -C for pack, no --plain for unpack.
    EXPECT_NE(Refusal({"pack", "a", "-C", "x"}).find("'-C'"), std::string::npos);
    EXPECT_NE(Refusal({"unpack", "a", "--plain"}).find("'--plain'"), std::string::npos);
    EXPECT_NE(Refusal({"list", "a", "-o", "x"}).find("'-o'"), std::string::npos);
    for (const char* threads : {"0", "-2", "two", "", "99999999999"})
        EXPECT_NE(Refusal({"pack", "a", "--threads", threads}).find("--threads"), std::string::npos) << threads;
    EXPECT_NE(Refusal({"unpack", "a", "--threads", "2"}).find("'--threads'"), std::string::npos);
}

#ifndef _WIN32
TEST(LocalPaths, FolderBecomesAbsoluteWithoutDotsOrTrailingSeparators)
{
    EXPECT_EQ(AbsoluteFolder("/srv/www/site/"), "/srv/www/site");
    EXPECT_EQ(AbsoluteFolder("/srv/www/site///"), "/srv/www/site");
    EXPECT_EQ(AbsoluteFolder("/srv/./www/../www/site"), "/srv/www/site");
    EXPECT_EQ(AbsoluteFolder("/"), "/");
    EXPECT_EQ(AbsoluteFolder("/.."), "/");

    std::string here = AbsoluteFolder(".");
    ASSERT_FALSE(here.empty());
    EXPECT_EQ(here[0], '/');
    EXPECT_EQ(AbsoluteFolder("site/"), (here == "/" ? "" : here) + "/site");
}

TEST(LocalPaths, DefaultArchiveStandsBesideTheFolder)
{
    EXPECT_EQ(DefaultArchivePath("/srv/www/site", false), "/srv/www/site.dat.gz");
    EXPECT_EQ(DefaultArchivePath("/srv/www/site", true), "/srv/www/site.dat");
    EXPECT_EQ(LastComponent("/srv/www/site"), "site");
    EXPECT_EQ(LastComponent("/"), "");
    EXPECT_EQ(FolderOf("/srv/www/site.dat.gz"), "/srv/www");
    EXPECT_EQ(FolderOf("/site.dat.gz"), "/");
    EXPECT_EQ(FolderOf("site.dat.gz"), ".");
}
#else
TEST(LocalPaths, FolderBecomesAbsoluteWithoutDotsOrTrailingSeparators)
{
    EXPECT_EQ(AbsoluteFolder("C:\\srv\\.\\www\\..\\site\\\\"), "C:\\srv\\site");
    EXPECT_EQ(AbsoluteFolder("C:\\"), "C:\\");
    EXPECT_EQ(LastComponent("C:\\srv\\site"), "site");
    EXPECT_EQ(LastComponent("C:\\"), "");
    EXPECT_EQ(FolderOf("C:\\srv\\site.dat.gz"), "C:\\srv");
    EXPECT_EQ(FolderOf("C:\\site.dat.gz"), "C:\\");
    EXPECT_EQ(DefaultArchivePath("C:\\srv\\site", false), "C:\\srv\\site.dat.gz");
}

TEST(LocalPaths, PathsAreUtf8WhateverTheCodePage)
{
    // 乗 ends in a backslash byte in GBK, and 한 has no GBK form at all:
    // neither matters to a path in UTF-8.
    const std::string name = "\xE4\xB9\x97\xED\x95\x9C";
    EXPECT_EQ(LastComponent("C:\\srv\\" + name), name);
    EXPECT_EQ(AbsoluteFolder("C:\\srv\\" + name), "C:\\srv\\" + name);
    EXPECT_EQ(FolderOf("C:\\srv\\" + name + "\\x.gz"), "C:\\srv\\" + name);
}
#endif
