// Shared helpers of the engine tests: a private scratch area per test,
// plain file I/O that does not go through the engine, archive bytes built
// by hand, and a snapshot of a folder tree to compare.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ArchiveCatalog.h"
#include "ArchiveReader.h"
#include "ArchiveWriter.h"
#include "FileSystem.h"
#include "NameCodec.h"

namespace torvan {
namespace test {

// The platform's separator, for building paths in tests.
extern const char* const kSep;

bool WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool MakeDir(const std::string& path);
bool Exists(const std::string& path);
void RemoveTree(const std::string& path);

// A plain archive from manifest text and payload, preamble in front.
std::string PlainArchive(int fileCount, const std::string& manifest, const std::string& payload);
// The bytes as one gzip member, the way zlib's gzip-file writer makes it.
std::string Gzip(const std::string& bytes);
std::string Gunzip(const std::string& bytes);

// Folder tree below `root`: relative path ("/"-separated) to contents, or
// to "<dir>" for a folder.
std::map<std::string, std::string> Snapshot(const std::string& root);

// Lists folders sorted by name, so tests can rely on one listing order.
class SortedFileSystem : public DelegatingFileSystem {
public:
    SortedFileSystem() : DelegatingFileSystem(PlatformFileSystem()) {}
    bool ListFolder(const std::string& folder, std::vector<FolderItem>& items) override;
};

// Every test runs in its own folder, with the temporary folder pointed at
// a private place so that leftover scratch files are seen.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string& relative) const;   // "/" in, native out
    std::vector<std::string> TempLeftovers() const;

    // Problems the engine reported, as "what: why".
    EngineOptions Options();
    std::vector<std::string> problems;

    std::string root;
    std::string temp;

private:
    std::string m_savedTemp;
};

}  // namespace test
}  // namespace torvan
