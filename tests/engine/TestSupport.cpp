#include "TestSupport.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#include <direct.h>

#include "WideText.h"
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace torvan {
namespace test {

#ifdef _WIN32
const char* const kSep = "\\";
#else
const char* const kSep = "/";
#endif

// Paths are UTF-8 on Windows too, as the engine takes them.
static FILE* Open(const std::string& path, const char* mode) {
#ifdef _WIN32
    return _wfopen(ApiPath(path).c_str(), mode[0] == 'w' ? L"wb" : L"rb");
#else
    return std::fopen(path.c_str(), mode);
#endif
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* file = Open(path, "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    FILE* file = Open(path, "rb");
    if (!file) return "<missing>";
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
    std::fclose(file);
    return bytes;
}

bool MakeDir(const std::string& path) {
#ifdef _WIN32
    return PlatformFileSystem().MakeFolder(path);
#else
    return mkdir(path.c_str(), 0777) == 0;
#endif
}

bool Exists(const std::string& path) { return PlatformFileSystem().KindOf(path) != ItemKind::Missing
                                              || PlatformFileSystem().IsLink(path); }

void RemoveTree(const std::string& path) {
    FileSystem& fs = PlatformFileSystem();
    std::vector<FolderItem> items;
    if (fs.KindOf(path) == ItemKind::Folder && !fs.IsLink(path) && fs.ListFolder(path, items)) {
        for (const FolderItem& item : items) RemoveTree(path + kSep + item.name);
#ifdef _WIN32
        SetFileAttributesW(ApiPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveDirectoryW(ApiPath(path).c_str());
#else
        rmdir(path.c_str());
#endif
        return;
    }
#ifdef _WIN32
    SetFileAttributesW(ApiPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileW(ApiPath(path).c_str())) RemoveDirectoryW(ApiPath(path).c_str());
#else
    unlink(path.c_str());
#endif
}

std::string PlainArchive(int fileCount, const std::string& manifest, const std::string& payload) {
    char preamble[64];
    std::snprintf(preamble, sizeof preamble, "%016d%016d", fileCount, static_cast<int>(manifest.size()));
    return preamble + manifest + payload;
}

std::string Gzip(const std::string& bytes) {
    z_stream stream = {};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string Gunzip(const std::string& bytes) {
    z_stream stream = {};
    inflateInit2(&stream, 15 + 16);
    std::string out;
    char chunk[65536];
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        status = inflate(&stream, Z_NO_FLUSH);
        out.append(chunk, sizeof chunk - stream.avail_out);
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END ? out : "<corrupt>";
}

static void SnapshotInto(const std::string& folder, const std::string& prefix,
                         std::map<std::string, std::string>& tree) {
    std::vector<FolderItem> items;
    PlatformFileSystem().ListFolder(folder, items);
    for (const FolderItem& item : items) {
        const std::string path = folder + kSep + item.name;
        const std::string name = prefix + item.name;
        if (item.kind == ItemKind::Folder) {
            tree[name] = "<dir>";
            SnapshotInto(path, name + "/", tree);
        } else {
            tree[name] = ReadBytes(path);
        }
    }
}

std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> tree;
    SnapshotInto(root, "", tree);
    return tree;
}

bool SortedFileSystem::ListFolder(const std::string& folder, std::vector<FolderItem>& items) {
    if (!m_inner.ListFolder(folder, items)) return false;
    std::sort(items.begin(), items.end(),
              [](const FolderItem& a, const FolderItem& b) { return a.name < b.name; });
    return true;
}

static std::string SystemTemp() {
#ifdef _WIN32
    char dir[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof dir, dir);
    std::string path(dir, length);
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
#else
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
#endif
}

static void SetTemp(const std::string& value) {
#ifdef _WIN32
    SetEnvironmentVariableA("TMP", value.c_str());
    SetEnvironmentVariableA("TEMP", value.c_str());
#else
    setenv("TMPDIR", value.c_str(), 1);
#endif
}

void EngineTest::SetUp() {
    m_savedTemp = SystemTemp();
    static int serial = 0;
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string base = m_savedTemp + kSep + "torvan-engine-test-" +
#ifdef _WIN32
                             std::to_string(GetCurrentProcessId());
#else
                             std::to_string(getpid());
#endif
    MakeDir(base);
    root = base + kSep + info->name() + std::to_string(++serial);
    RemoveTree(root);
    ASSERT_TRUE(MakeDir(root));
    temp = root + kSep + "tmp";
    ASSERT_TRUE(MakeDir(temp));
    SetTemp(temp);
}

void EngineTest::TearDown() {
    EXPECT_TRUE(TempLeftovers().empty()) << "scratch file left in the temporary folder";
    SetTemp(m_savedTemp);
    const std::string base = ParentDirectory(root);
    RemoveTree(root);
#ifdef _WIN32
    RemoveDirectoryA(base.c_str());
#else
    rmdir(base.c_str());
#endif
}

std::string EngineTest::Path(const std::string& relative) const {
    std::string native = relative;
    std::replace(native.begin(), native.end(), '/', kSep[0]);
    return root + kSep + native;
}

std::vector<std::string> EngineTest::TempLeftovers() const {
    std::vector<FolderItem> items;
    PlatformFileSystem().ListFolder(temp, items);
    std::vector<std::string> names;
    for (const FolderItem& item : items) names.push_back(item.name);
    return names;
}

EngineOptions EngineTest::Options() {
    EngineOptions options;
    options.problem = [this](const std::string& what, const std::string& why) {
        problems.push_back(what + ": " + why);
    };
    return options;
}

}  // namespace test
}  // namespace torvan
