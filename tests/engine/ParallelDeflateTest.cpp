// The parallel compressor: a standard gzip member that every reader
// accepts, the same bytes for any number of threads, and zlib's own gzip
// writer's bytes for an input of one block or less.
#include <zlib.h>

#include <cstdlib>
#include <random>

#include "ParallelDeflate.h"
#include "TestSupport.h"

namespace torvan {
namespace test {
namespace {

constexpr std::size_t kBlock = ParallelDeflate::kBlockSize;

// Text-like bytes that compress, with matches that reach across blocks.
std::string Text(std::size_t size, unsigned seed) {
    static const char* const words[] = {"<div>", "</div>", "archive ", "folder ", "index.html ", "\n", "42 ",
                                        "style=\"margin:0\" ", "上传 ", "下载 "};
    std::mt19937 random(seed);
    std::string text;
    while (text.size() < size) text += words[random() % 10];
    text.resize(size);
    return text;
}

std::string Noise(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

// Compressed by the parallel compressor, fed in pieces of `chunk` bytes.
std::string Compress(const std::string& input, int threads, std::size_t chunk = 100000) {
    std::string out;
    ParallelDeflate gzip([&](const void* data, std::size_t size) {
        out.append(static_cast<const char*>(data), size);
        return true;
    }, threads);
    for (std::size_t at = 0; at < input.size(); at += chunk) {
        const std::size_t size = input.size() - at < chunk ? input.size() - at : chunk;
        if (!gzip.Write(input.data() + at, size)) return "<write failed>";
    }
    return gzip.Finish() ? out : "<finish failed>";
}

class ParallelDeflateTest : public EngineTest {
protected:
    // Through zlib's gzip-file reader, as the unpacker reads archives.
    std::string GzRead(const std::string& compressed) {
        const std::string path = Path("in.gz");
        EXPECT_TRUE(WriteBytes(path, compressed));
        gzFile gz = gzopen(path.c_str(), "rb");
        if (!gz) return "<cannot open>";
        std::string out;
        char chunk[65536];
        int got;
        while ((got = gzread(gz, chunk, sizeof chunk)) > 0) out.append(chunk, got);
        int error = Z_OK;
        gzerror(gz, &error);
        gzclose(gz);
        return got < 0 || (error != Z_OK && error != Z_BUF_ERROR) ? "<corrupt>" : out;
    }

    // What zlib's gzip-file writer makes of the input.
    std::string GzWrite(const std::string& input) {
        const std::string path = Path("zlib.gz");
        gzFile gz = gzopen(path.c_str(), "wb");
        EXPECT_TRUE(gz != nullptr);
        if (!input.empty()) gzwrite(gz, input.data(), static_cast<unsigned>(input.size()));
        gzclose(gz);
        return ReadBytes(path);
    }
};

TEST_F(ParallelDeflateTest, EveryReaderGetsTheInputBack) {
    const std::vector<std::pair<const char*, std::string>> inputs = {
        {"empty", ""},
        {"one byte", "x"},
        {"one block", Text(kBlock, 1)},
        {"one block and a byte", Text(kBlock + 1, 2)},
        {"many blocks", Text(5 * kBlock + 12345, 3)},
        {"incompressible", Noise(3 * kBlock + 7, 4)},
    };
    for (const auto& [name, input] : inputs) {
        SCOPED_TRACE(name);
        const std::string compressed = Compress(input, 0);
        EXPECT_EQ(Gunzip(compressed), input);
        EXPECT_EQ(GzRead(compressed), input);
#ifndef _WIN32
        ASSERT_TRUE(WriteBytes(Path("c.gz"), compressed));
        ASSERT_TRUE(WriteBytes(Path("expected"), input));
        const std::string c = Path("c.gz"), expected = Path("expected");
        EXPECT_EQ(std::system(("gzip -dc '" + c + "' | cmp -s - '" + expected + "'").c_str()), 0);
        EXPECT_EQ(std::system(("python3 -c 'import gzip,sys; sys.exit(gzip.open(sys.argv[1]).read() != "
                               "open(sys.argv[2],\"rb\").read())' '" + c + "' '" + expected + "'").c_str()),
                  0);
#endif
    }
}

TEST_F(ParallelDeflateTest, TheBytesDependOnlyOnTheInput) {
    const std::string input = Text(7 * kBlock + 999, 5) + Noise(kBlock / 2, 6) + Text(kBlock, 7);
    const std::string reference = Compress(input, 1);
    ASSERT_EQ(Gunzip(reference), input);
    for (int threads : {2, 3, 8}) {
        SCOPED_TRACE(threads);
        EXPECT_EQ(Compress(input, threads), reference);
    }
    // However the input arrives.
    EXPECT_EQ(Compress(input, 2, 7), reference);
    EXPECT_EQ(Compress(input, 3, kBlock), reference);
    EXPECT_EQ(Compress(input, 2, 4 * kBlock + 17), reference);
}

TEST_F(ParallelDeflateTest, UpToOneBlockItIsWhatZlibsGzipWriterMakes) {
    for (const std::string& input : {std::string(), std::string("hello"), Text(kBlock - 1, 8), Text(kBlock, 9)}) {
        SCOPED_TRACE(input.size());
        EXPECT_EQ(Compress(input, 2), GzWrite(input));
    }
}

TEST_F(ParallelDeflateTest, CostsLittleAgainstOneStream) {
    const std::string input = Text(40 * kBlock, 10);
    const double ours = static_cast<double>(Compress(input, 0).size());
    const double one = static_cast<double>(GzWrite(input).size());
    EXPECT_LT(ours / one, 1.005);
}

TEST_F(ParallelDeflateTest, AFailingSinkStopsItForGood) {
    const std::string input = Noise(6 * kBlock, 11);
    for (int failAt : {1, 2, 4}) {
        for (int threads : {1, 2}) {
            SCOPED_TRACE("sink call " + std::to_string(failAt) + ", threads " + std::to_string(threads));
            int calls = 0;
            ParallelDeflate gzip([&](const void*, std::size_t) { return ++calls != failAt; }, threads);
            bool ok = true;
            for (std::size_t at = 0; at < input.size() && ok; at += kBlock / 3)
                ok = gzip.Write(input.data() + at, kBlock / 3);
            if (ok) ok = gzip.Finish();
            EXPECT_FALSE(ok);
            EXPECT_EQ(calls, failAt);
            EXPECT_FALSE(gzip.Write("x", 1));
            EXPECT_FALSE(gzip.Finish());
        }
    }
}

}  // namespace
}  // namespace test
}  // namespace torvan
