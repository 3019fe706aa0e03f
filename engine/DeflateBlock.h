// One block of a gzip member that is compressed in pieces: raw deflate
// primed with the 32 KiB before it, ended on a byte boundary so that the
// pieces can be laid end to end. The first piece carries the gzip header
// and, when it is also the last, zlib's own trailer: an input that fits in
// one piece comes out exactly as zlib's gzip writer makes it.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <vector>

namespace torvan {

// The window deflate looks back over: what each piece is primed with.
constexpr std::size_t kDeflateWindow = 32768;

struct DeflateBlock {
    std::vector<unsigned char> input;
    std::vector<unsigned char> dictionary;   // the last kDeflateWindow bytes before input
    bool first = false;
    bool last = false;

    std::vector<unsigned char> output;
    unsigned long crc = 0;                   // CRC-32 of input alone
    bool failed = false;
};

// Compresses blocks one after another on one thread, with one deflate
// state reused from block to block.
class BlockDeflater {
public:
    BlockDeflater();
    ~BlockDeflater();
    BlockDeflater(const BlockDeflater&) = delete;
    BlockDeflater& operator=(const BlockDeflater&) = delete;

    // Fills block.output and block.crc; sets block.failed when zlib refuses.
    void Compress(DeflateBlock& block);

private:
    bool Run(z_stream& stream, DeflateBlock& block);

    z_stream m_raw;
    bool m_ready = false;
};

}  // namespace torvan
