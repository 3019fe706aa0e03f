#include "DeflateBlock.h"

namespace torvan {
namespace {

// zlib's gzip writer: default level, a 32 KiB window, memory level 8.
constexpr int kLevel = Z_DEFAULT_COMPRESSION;
constexpr int kWindowBits = 15;
constexpr int kMemLevel = 8;

}  // namespace

BlockDeflater::BlockDeflater() : m_raw() {
    m_ready = deflateInit2(&m_raw, kLevel, Z_DEFLATED, -kWindowBits, kMemLevel, Z_DEFAULT_STRATEGY) == Z_OK;
}

BlockDeflater::~BlockDeflater() {
    if (m_ready) deflateEnd(&m_raw);
}

void BlockDeflater::Compress(DeflateBlock& block) {
    block.failed = false;
    block.output.clear();
    block.crc = crc32(crc32(0L, Z_NULL, 0), block.input.data(), static_cast<uInt>(block.input.size()));

    if (block.first) {
        // The header comes from zlib itself, so it is byte for byte the one
        // its gzip writer puts down on this platform.
        z_stream gzip = {};
        if (deflateInit2(&gzip, kLevel, Z_DEFLATED, kWindowBits + 16, kMemLevel, Z_DEFAULT_STRATEGY) != Z_OK) {
            block.failed = true;
            return;
        }
        block.failed = !Run(gzip, block);
        deflateEnd(&gzip);
        return;
    }
    if (!m_ready || deflateReset(&m_raw) != Z_OK ||
        deflateSetDictionary(&m_raw, block.dictionary.data(), static_cast<uInt>(block.dictionary.size())) != Z_OK) {
        block.failed = true;
        return;
    }
    block.failed = !Run(m_raw, block);
}

bool BlockDeflater::Run(z_stream& stream, DeflateBlock& block) {
    // A sync flush ends every piece but the last on a byte boundary (with
    // an empty stored block), leaving the stream open for the next piece.
    const int flush = block.last ? Z_FINISH : Z_SYNC_FLUSH;
    const uLong bound = deflateBound(&stream, static_cast<uLong>(block.input.size())) + 16;
    block.output.resize(bound);
    stream.next_in = block.input.data();
    stream.avail_in = static_cast<uInt>(block.input.size());
    std::size_t produced = 0;
    for (;;) {
        stream.next_out = block.output.data() + produced;
        stream.avail_out = static_cast<uInt>(block.output.size() - produced);
        const int status = deflate(&stream, flush);
        produced = block.output.size() - stream.avail_out;
        if (status == Z_STREAM_END) break;
        if (status != Z_OK && status != Z_BUF_ERROR) return false;
        if (flush == Z_SYNC_FLUSH && stream.avail_in == 0 && stream.avail_out > 0) break;
        block.output.resize(block.output.size() * 2);   // never needed within the bound
    }
    block.output.resize(produced);
    return true;
}

}  // namespace torvan
