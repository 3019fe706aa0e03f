// The gzip input reads exactly as zlib's gzread did before it, with either
// inflater and through the read-ahead thread: the same bytes and the same
// verdict for a small archive in several kinds of members, cut at every
// length and flipped at every byte, and for the corners of the framing.
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <random>

#include "ArchiveFormat.h"
#include "GzipFile.h"
#include "InflateStream.h"
#include "ReadAhead.h"
#include "TestSupport.h"

namespace torvan {
namespace test {
namespace {

constexpr unsigned kHeaderCrc = 0x02, kExtra = 0x04, kName = 0x08, kComment = 0x10;

void PutLittleEndian32(std::string& out, unsigned long value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

// One gzip member built by hand, to reach what zlib's writer never makes:
// other block kinds and every optional header field.
std::string Member(const std::string& data, int level, int strategy, unsigned flags = 0) {
    std::string header("\x1f\x8b\x08", 3);
    header += static_cast<char>(flags);
    header += std::string("\x01\x02\x03\x04\x00\x03", 6);   // time, extra flags, system
    if (flags & kExtra) header += std::string("\x05\x00" "AB\x01\x00z", 7);
    if (flags & kName) header += std::string("site.dat\0", 9);
    if (flags & kComment) header += std::string("a comment\0", 10);
    if (flags & kHeaderCrc) {
        const unsigned long crc = crc32(0, reinterpret_cast<const Bytef*>(header.data()), static_cast<uInt>(header.size()));
        header += static_cast<char>(crc & 0xff);
        header += static_cast<char>((crc >> 8) & 0xff);
    }
    z_stream stream = {};
    deflateInit2(&stream, level, Z_DEFLATED, -15, 8, strategy);
    std::string raw(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(&raw[0]);
    stream.avail_out = static_cast<uInt>(raw.size());
    deflate(&stream, Z_FINISH);
    raw.resize(stream.total_out);
    deflateEnd(&stream);
    std::string member = header + raw;
    PutLittleEndian32(member, crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    PutLittleEndian32(member, static_cast<unsigned long>(data.size()));
    return member;
}

std::string Text(std::size_t size, unsigned seed) {
    static const char* const words[] = {"<div>", "</div>", "index.html ", "\n", "42 ", "上传 ", "style=\"x\" "};
    std::mt19937 random(seed);
    std::string text;
    while (text.size() < size) text += random() % 9 == 0 ? std::string(1, static_cast<char>(random())) : words[random() % 7];
    text.resize(size);
    return text;
}

const std::string kArchive = PlainArchive(2, "./site|[dir]\n./site/a.html|1500\n./site/b.txt|300\n./site|[/dir]\n",
                                          Text(1500, 1) + Text(300, 2));
// Dynamic, fixed and stored blocks, every header field and an empty member.
const std::string kMembers = Gzip(kArchive) + Member(Text(200, 3), 6, Z_FIXED, kExtra | kName | kComment | kHeaderCrc) +
                             Member("", 6, Z_DEFAULT_STRATEGY, kName) + Member(Text(120, 4), 0, Z_DEFAULT_STRATEGY);

struct Outcome {
    std::string bytes;
    InflateEnd end = InflateEnd::NotYet;
    bool gzip = false;
};

std::string Describe(const Outcome& o) {
    return "end " + std::to_string(static_cast<int>(o.end)) + (o.gzip ? " gzip " : " plain ") +
           std::to_string(o.bytes.size()) + " bytes";
}

// After a broken stream the bytes are not used, and how many zlib handed
// out before saying so depends on its buffers: only the verdict counts.
bool Same(const Outcome& a, const Outcome& b) {
    const bool trusted = a.end != InflateEnd::Corrupt && a.end != InflateEnd::CheckMismatch;
    return a.end == b.end && a.gzip == b.gzip && (!trusted || a.bytes == b.bytes);
}

class InflateStreamTest : public EngineTest {
protected:
    // What zlib's reader makes of `bytes`, mapped as ArchiveSource maps it.
    Outcome ZlibReads(const std::string& bytes) {
        EXPECT_TRUE(WriteBytes(Path("in.gz"), bytes));
        gzFile file = OpenGzipFile(Path("in.gz"), "rb");
        gzbuffer(file, 262144);
        Outcome o;
        std::string chunk(kCopyBufferSize, '\0');
        int got;
        while ((got = gzread(file, &chunk[0], static_cast<unsigned>(chunk.size()))) > 0) o.bytes.append(chunk, 0, got);
        int code = Z_OK;
        const char* message = gzerror(file, &code);
        if (got < 0 && code == Z_ERRNO) o.end = InflateEnd::ReadError;
        else if (got < 0) o.end = std::strstr(message, "incorrect") ? InflateEnd::CheckMismatch : InflateEnd::Corrupt;
        else if (code == Z_BUF_ERROR) o.end = InflateEnd::CutShort;
        else o.end = gzdirect(file) ? InflateEnd::Plain : InflateEnd::Verified;
        o.gzip = !gzdirect(file);
        gzclose(file);
        return o;
    }
};

// Hands out `bytes` in pieces of varying size, as a pipe does, and fails
// instead of going past `failAt`; it can start over, as a file can.
struct Feed {
    Feed(const std::string& bytes, bool trickle, std::size_t failAt = std::string::npos) {
        auto at = std::make_shared<std::size_t>(0);
        auto calls = std::make_shared<unsigned>(0);
        source = [=](char* buffer, std::size_t size) -> long long {
            static const std::size_t pieces[] = {1, 3, 7, 2, 4096};
            if (*at >= failAt) return -1;
            std::size_t piece = std::min({size, bytes.size() - *at, failAt - *at});
            if (trickle) piece = std::min(piece, pieces[(*calls)++ % 5]);
            std::memcpy(buffer, bytes.data() + *at, piece);
            *at += piece;
            return static_cast<long long>(piece);
        };
        rewind = [at] {
            *at = 0;
            return true;
        };
    }
    ByteSource source;
    std::function<bool()> rewind;
};

Outcome ReadAll(InflatedInput& input, std::size_t readSize) {
    Outcome o;
    std::string buffer(readSize, '\0');
    long long got;
    while ((got = input.Read(&buffer[0], readSize)) == static_cast<long long>(readSize)) o.bytes += buffer;
    o.bytes.append(buffer, 0, static_cast<std::size_t>(got));
    EXPECT_EQ(input.Read(&buffer[0], readSize), 0);
    o.end = input.Ending();
    o.gzip = input.IsGzip();
    return o;
}

// Three ways to read, so that each inflater, a trickling source, small and
// large reads and the read-ahead thread with chunks that wrap all meet
// every case.
std::vector<std::pair<std::string, Outcome>> EveryWay(const std::string& bytes, std::size_t failAt = std::string::npos) {
    std::vector<std::pair<std::string, Outcome>> ways;
    const Feed trickled(bytes, true, failAt), whole(bytes, false, failAt), ahead(bytes, false, failAt);
    InflateStream fastest(trickled.source, Inflater::Fastest, trickled.rewind);
    ways.emplace_back(std::string(fastest.InflaterName()) + ", trickled", ReadAll(fastest, 1000));
    InflateStream zlib(whole.source, Inflater::Zlib);
    ways.emplace_back("zlib, whole", ReadAll(zlib, 7));
    ReadAhead readAhead(std::make_unique<InflateStream>(ahead.source, Inflater::Fastest, ahead.rewind), 512, 3);
    ways.emplace_back("read ahead", ReadAll(readAhead, 100));
    return ways;
}

TEST_F(InflateStreamTest, EveryCutAndFlipReadsAsZlibReadsIt) {
    std::vector<std::pair<std::string, std::string>> cases;
    for (std::size_t length = 0; length <= kMembers.size(); ++length)
        cases.emplace_back("cut to " + std::to_string(length), kMembers.substr(0, length));
    for (std::size_t at = 0; at < kMembers.size(); ++at) {
        std::string flipped = kMembers;
        flipped[at] = static_cast<char>(flipped[at] ^ (at % 3 == 0 ? 0x01 : at % 3 == 1 ? 0x80 : 0x14));
        cases.emplace_back("flipped at " + std::to_string(at), flipped);
        // Damage, then a cut: corrupt, not cut short, if zlib sees the damage.
        cases.emplace_back("flipped at " + std::to_string(at) + ", then cut", flipped.substr(0, (at + kMembers.size()) / 2));
    }
    const std::string member = Gzip(kArchive);
    const std::pair<const char*, std::string> corners[] = {
        {"plain archive", kArchive},
        {"one byte of magic", "\x1f"},
        {"plain, then a member", "x" + member},
        {"garbage after a member", member + "garbage"},
        {"zeros after a member", member + std::string(512, '\0')},
        {"one magic byte after a member", member + "\x1f"},
        {"a bad method, cut before the flags", member + "\x1f\x8b\x07"},
        {"a bad method", member + std::string("\x1f\x8b\x07\x00", 4)},
        {"reserved flags", Member("x", 6, Z_DEFAULT_STRATEGY, 0x20)},
        {"a wrong header CRC", [] { std::string m = Member("x", 6, 0, kHeaderCrc | kName); m[19] ^= 1; return m; }()},
        {"an empty extra field", [] { std::string m = Member("xy", 6, 0, kExtra); return m.erase(10, 7).insert(10, std::string(2, '\0')); }()},
    };
    for (const auto& [name, bytes] : corners) cases.emplace_back(name, bytes);

    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        const Outcome expected = ZlibReads(bytes);
        for (const auto& [way, outcome] : EveryWay(bytes))
            EXPECT_TRUE(Same(outcome, expected)) << way << ": " << Describe(outcome) << ", zlib: " << Describe(expected);
    }
}

// Large enough for many blocks and reads, with a member boundary at an
// odd place: the CRC carried across reads, the inflater's look-ahead given
// back to the next member.
TEST_F(InflateStreamTest, LargeMembersBackToBack) {
    const std::string first = Text(3000001, 5), second = Text(1500000, 6);
    const std::string gz = Member(first, 6, Z_DEFAULT_STRATEGY) + Member(second, 1, Z_DEFAULT_STRATEGY, kName);
    for (const auto& [way, outcome] : EveryWay(gz)) {
        EXPECT_EQ(outcome.end, InflateEnd::Verified) << way;
        EXPECT_TRUE(outcome.bytes == first + second) << way;
    }
}

// A source that fails ends the data there, gzip or plain; what came before
// is the data's own start.
TEST_F(InflateStreamTest, AReadErrorEndsTheData) {
    const std::string gz = Gzip(kArchive);
    for (const std::string* bytes : {&gz, &kArchive}) {
        for (std::size_t failAt = 0; failAt <= bytes->size(); failAt += 97) {
            for (const auto& [way, outcome] : EveryWay(*bytes, failAt)) {
                EXPECT_EQ(outcome.end, InflateEnd::ReadError) << way << " failing at " << failAt;
                EXPECT_EQ(kArchive.compare(0, outcome.bytes.size(), outcome.bytes), 0) << way;
            }
        }
    }
}

// A consumer that stops early must not wait for the rest of an endless
// input, nor have more than the bounded buffers read ahead of it.
TEST_F(InflateStreamTest, ReadAheadStopsWithItsConsumerAndStaysBounded) {
    auto pulled = std::make_shared<std::atomic<long long>>(0);
    ByteSource endless = [pulled](char* buffer, std::size_t size) -> long long {
        std::memset(buffer, 'x', size);
        *pulled += static_cast<long long>(size);
        return static_cast<long long>(size);
    };
    constexpr long long kMax = ReadAhead::kMaxBuffered;
    {
        // Asks for 400 MiB of buffers, gets 16.
        ReadAhead ahead(std::make_unique<InflateStream>(endless), 4 * 1024 * 1024, 100);
        char some[10];
        EXPECT_EQ(ahead.Read(some, sizeof some), 10);
        EXPECT_EQ(ahead.Ending(), InflateEnd::NotYet);
        EXPECT_FALSE(ahead.IsGzip());
        for (int i = 0; i < 400 && *pulled < kMax; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        // The stream's own input buffer comes on top.
        EXPECT_LE(*pulled, kMax + 262144);
    }
}

}  // namespace
}  // namespace test
}  // namespace torvan
