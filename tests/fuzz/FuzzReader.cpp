// Feeds arbitrary bytes to the reader, as a plain archive and wrapped in
// gzip, and checks what a hostile archive must never achieve: a crash, a
// hang, a leak, a file beside the destination, a scratch file left behind.
#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ArchiveCatalog.h"
#include "ArchiveReader.h"
#include "TempTree.h"

namespace {

using torvan::test::RemoveTree;

// Big enough for every honest small archive, small enough that an entry
// announcing gigabytes fails its write instead of filling the disk.
const rlim_t kMaxFileBytes = 8 << 20;

struct Sandbox {
    std::string base;          // everything the target touches lives here
    std::string archive;       // base/in.dat
    std::string outer;         // base/dest: must hold nothing but inner
    std::string destination;   // base/dest/inner: where the reader unpacks
    std::string scratch;       // base/tmp: TMPDIR, must be empty afterwards

    Sandbox()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/torvan-fuzz-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (!mkdtemp(name.data())) std::abort();
        base = name.data();
        archive = base + "/in.dat";
        outer = base + "/dest";
        destination = outer + "/inner";
        scratch = base + "/tmp";
        mkdir(scratch.c_str(), 0700);
        setenv("TMPDIR", scratch.c_str(), 1);

        struct rlimit limit = {kMaxFileBytes, kMaxFileBytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN);   // a too-large write fails with EFBIG instead
    }
};

Sandbox& TheSandbox()
{
    static Sandbox sandbox;
    static bool cleanupRegistered = false;
    if (!cleanupRegistered) {
        cleanupRegistered = true;
        std::atexit([] { RemoveTree(TheSandbox().base); });
    }
    return sandbox;
}


std::vector<std::string> Listing(const std::string& path)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, "..")) continue;
            names.push_back(entry->d_name);
        }
        closedir(dir);
    }
    return names;
}

void Fail(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "fuzz_reader: %s: %s\n", what, detail.c_str());
    std::abort();
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) Fail("cannot write input", path);
    if (size && std::fwrite(data, 1, size, f) != size) Fail("cannot write input", path);
    std::fclose(f);
}

std::vector<uint8_t> Gzip(const uint8_t* data, size_t size)
{
    z_stream stream{};
    if (deflateInit2(&stream, 1, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) std::abort();
    std::vector<uint8_t> out(deflateBound(&stream, size) + 32);
    stream.next_in = const_cast<uint8_t*>(data);
    stream.avail_in = static_cast<uInt>(size);
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END) std::abort();
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

void UnpackOnce(const uint8_t* data, size_t size)
{
    Sandbox& box = TheSandbox();
    WriteFile(box.archive, data, size);
    mkdir(box.outer.c_str(), 0700);
    mkdir(box.destination.c_str(), 0700);

    torvan::EngineOptions options;
    options.problem = [](const std::string&, const std::string&) {};
    int reported = 0;
    options.fileDone = [&reported](int, int) { ++reported; };

    torvan::UnpackResult result = torvan::Unpack(box.archive, box.destination, nullptr, options);
    if (result.extracted < 0 || result.failed < 0)
        Fail("negative count", std::to_string(result.extracted) + "/" + std::to_string(result.failed));

    int listed = 0;
    torvan::ListArchive(box.archive, [&listed](const torvan::ArchiveEntry&) { ++listed; }, options);

    // The reader may change the current directory; take it back out of the
    // tree about to be removed.
    if (chdir(box.base.c_str()) != 0) Fail("chdir", box.base);

    std::vector<std::string> beside = Listing(box.outer);
    if (beside.size() != 1 || beside[0] != "inner")
        Fail("wrote outside the destination", box.outer + "/" + (beside.empty() ? "?" : beside[0]));
    std::vector<std::string> base = Listing(box.base);
    for (const std::string& name : base)
        if (name != "in.dat" && name != "dest" && name != "tmp")
            Fail("wrote outside the destination", box.base + "/" + name);
    std::vector<std::string> left = Listing(box.scratch);
    if (!left.empty()) Fail("scratch file left behind", box.scratch + "/" + left[0]);

    RemoveTree(box.outer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    UnpackOnce(data, size);
    // Inputs that are gzip already were read through the gzip path above.
    if (size < 2 || data[0] != 0x1f || data[1] != 0x8b) {
        std::vector<uint8_t> wrapped = Gzip(data, size);
        UnpackOnce(wrapped.data(), wrapped.size());
    }
    return 0;
}
