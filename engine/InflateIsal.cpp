// ISA-L's inflate on raw deflate data, for the Linux tool: several times
// faster than zlib's on the same bytes. Built only where CMake found the
// library; the Windows builds have none.
#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>

#include <climits>
#include <new>
#include <cstring>

#include "RawInflater.h"

namespace torvan {
namespace {

class IsalInflater : public RawInflater {
public:
    const char* Name() const override { return "ISA-L"; }

    bool Begin() override {
        if (!m_state) m_state.reset(new (std::nothrow) inflate_state);
        if (!m_state) return false;
        isal_inflate_init(m_state.get());
        m_state->crc_flag = ISAL_DEFLATE;   // the framing, and so the CRC, are ours
        return true;
    }

    Result Inflate(const unsigned char*& in, std::size_t& inSize, unsigned char*& out,
                   std::size_t& outSize) override {
        inflate_state& state = *m_state;
        state.next_in = const_cast<unsigned char*>(in);
        state.avail_in = inSize < UINT_MAX ? static_cast<uint32_t>(inSize) : UINT_MAX;
        state.next_out = out;
        state.avail_out = outSize < UINT_MAX ? static_cast<uint32_t>(outSize) : UINT_MAX;
        const uint32_t inBefore = state.avail_in;
        const uint32_t outBefore = state.avail_out;
        const int code = isal_inflate(&state);
        in += inBefore - state.avail_in;
        inSize -= inBefore - state.avail_in;
        out += outBefore - state.avail_out;
        outSize -= outBefore - state.avail_out;
        if (code != ISAL_DECOMP_OK) return Result::Corrupt;
        return state.block_state == ISAL_BLOCK_FINISH ? Result::End : Result::Going;
    }

    // ISA-L reads ahead: bytes past the stream's end may sit in its small
    // input array and, whole bytes after the last block's padding bits, in
    // its bit buffer. In that order they came in.
    std::size_t TakeBack(unsigned char* bytes) override {
        inflate_state& state = *m_state;
        std::size_t count = 0;
        if (state.tmp_in_size > 0) {
            std::memcpy(bytes, state.tmp_in_buffer, static_cast<std::size_t>(state.tmp_in_size));
            count = static_cast<std::size_t>(state.tmp_in_size);
        }
        std::uint64_t bits = state.read_in >> (state.read_in_length % 8);
        for (int whole = state.read_in_length / 8; whole > 0; --whole) {
            bytes[count++] = static_cast<unsigned char>(bits & 0xff);
            bits >>= 8;
        }
        state.tmp_in_size = 0;
        state.read_in = 0;
        state.read_in_length = 0;
        return count;
    }

    std::uint32_t Crc(std::uint32_t crc, const unsigned char* data, std::size_t size) const override {
        return crc32_gzip_refl(crc, data, size);
    }

private:
    std::unique_ptr<inflate_state> m_state;
};

}  // namespace

std::unique_ptr<RawInflater> MakeIsalInflater() {
    return std::unique_ptr<RawInflater>(new (std::nothrow) IsalInflater);
}

}  // namespace torvan
