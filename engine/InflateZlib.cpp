// zlib's inflate on raw deflate data: the inflater of the Windows builds,
// and of Linux builds without ISA-L.
#include <zlib.h>

#include <climits>
#include <new>

#include "RawInflater.h"

namespace torvan {
namespace {

class ZlibInflater : public RawInflater {
public:
    ~ZlibInflater() override {
        if (m_ready) inflateEnd(&m_stream);
    }

    const char* Name() const override { return "zlib"; }

    bool Begin() override {
        if (m_ready) return inflateReset(&m_stream) == Z_OK;
        m_stream = z_stream();
        // Negative window bits: no zlib or gzip wrapper, the framing is ours.
        m_ready = inflateInit2(&m_stream, -MAX_WBITS) == Z_OK;
        return m_ready;
    }

    Result Inflate(const unsigned char*& in, std::size_t& inSize, unsigned char*& out,
                   std::size_t& outSize) override {
        m_stream.next_in = const_cast<unsigned char*>(in);
        m_stream.avail_in = inSize < UINT_MAX ? static_cast<uInt>(inSize) : UINT_MAX;
        m_stream.next_out = out;
        m_stream.avail_out = outSize < UINT_MAX ? static_cast<uInt>(outSize) : UINT_MAX;
        const uInt inBefore = m_stream.avail_in;
        const uInt outBefore = m_stream.avail_out;
        const int code = inflate(&m_stream, Z_NO_FLUSH);
        in += inBefore - m_stream.avail_in;
        inSize -= inBefore - m_stream.avail_in;
        out += outBefore - m_stream.avail_out;
        outSize -= outBefore - m_stream.avail_out;
        switch (code) {
        case Z_STREAM_END: return Result::End;
        case Z_OK:
        case Z_BUF_ERROR: return Result::Going;   // no progress possible with what was given
        case Z_MEM_ERROR: return Result::Failed;
        default: return Result::Corrupt;          // Z_DATA_ERROR, or a dictionary raw data never has
        }
    }

    // zlib pulls input bytes only as it needs their bits: whatever follows
    // the stream is still in `in`.
    std::size_t TakeBack(unsigned char*) override { return 0; }

    std::uint32_t Crc(std::uint32_t crc, const unsigned char* data, std::size_t size) const override {
        while (size > 0) {
            const uInt piece = size < UINT_MAX ? static_cast<uInt>(size) : UINT_MAX;
            crc = static_cast<std::uint32_t>(crc32(crc, data, piece));
            data += piece;
            size -= piece;
        }
        return crc;
    }

private:
    z_stream m_stream = z_stream();
    bool m_ready = false;
};

}  // namespace

std::unique_ptr<RawInflater> MakeZlibInflater() {
    return std::unique_ptr<RawInflater>(new (std::nothrow) ZlibInflater);
}

}  // namespace torvan
