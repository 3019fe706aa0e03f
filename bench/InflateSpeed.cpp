// Reads one gzip file through one of the engine's inputs and writes the
// expanded bytes to standard output, for bench/inflate.sh to time:
//
//   torvan_inflate_bench gzread|zlib|fastest|readahead FILE > /dev/null
//
// "gzread" is zlib's gzip-file reader as ArchiveSource used it before;
// the others are InflateStream with zlib's or the fastest inflater, and
// the fastest behind ReadAhead. The verdict goes to standard error.
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "InflateStream.h"
#include "ReadAhead.h"

using namespace torvan;

namespace {

constexpr std::size_t kChunk = 1048576;   // what the reader asks for at a time

int Gzread(const char* path) {
    gzFile file = gzopen(path, "rb");
    if (!file) return 1;
    gzbuffer(file, 262144);
    std::vector<char> buffer(kChunk);
    int got;
    while ((got = gzread(file, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0)
        std::fwrite(buffer.data(), 1, static_cast<std::size_t>(got), stdout);
    int code = Z_OK;
    std::fprintf(stderr, "gzread: %s\n", got < 0 ? gzerror(file, &code) : "ended");
    gzclose(file);
    return got < 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s gzread|zlib|fastest|readahead FILE\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    if (mode == "gzread") return Gzread(argv[2]);
    FILE* in = std::fopen(argv[2], "rb");
    if (!in) return 1;
    ByteSource source = [in](char* buffer, std::size_t size) -> long long {
        const std::size_t got = std::fread(buffer, 1, size, in);
        return got == 0 && std::ferror(in) ? -1 : static_cast<long long>(got);
    };
    auto stream = std::make_unique<InflateStream>(source, mode == "zlib" ? Inflater::Zlib : Inflater::Fastest);
    std::fprintf(stderr, "inflater: %s\n", stream->InflaterName());
    std::unique_ptr<InflatedInput> input;
    if (mode == "readahead") input = std::make_unique<ReadAhead>(std::move(stream));
    else input = std::move(stream);
    std::vector<char> buffer(kChunk);
    long long got;
    while ((got = input->Read(buffer.data(), buffer.size())) > 0)
        std::fwrite(buffer.data(), 1, static_cast<std::size_t>(got), stdout);
    const bool verified = input->Ending() == InflateEnd::Verified;
    std::fprintf(stderr, "%s\n", verified ? "verified" : "not verified");
    input.reset();   // joins the read-ahead thread before the file closes
    std::fclose(in);
    return verified ? 0 : 1;
}
