// Inflating one raw deflate stream, the part of reading gzip where the
// time goes. The gzip framing around it (headers, trailers, members) is
// InflateStream's alone, so that every inflater reads by the same rules.
// Two exist: zlib's, everywhere, and ISA-L's on Linux, several times faster.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace torvan {

enum class Inflater {
    Fastest,   // ISA-L where it was built in, unless TORVAN_INFLATER=zlib
    Zlib,
};

class RawInflater {
public:
    enum class Result {
        Going,     // more input or more room wanted
        End,       // the deflate stream's last block is done
        Corrupt,   // the deflate data is broken
        Failed,    // out of memory
    };
    // The most input bytes an inflater can have taken in past its
    // stream's end (ISA-L reads ahead into a bit buffer and a small array).
    static constexpr std::size_t kMaxTakenBack = 512;

    virtual ~RawInflater() = default;
    virtual const char* Name() const = 0;
    // Ready for a new stream; false when out of memory.
    virtual bool Begin() = 0;
    // Inflates from `in` into `out`, advancing both past what was used.
    virtual Result Inflate(const unsigned char*& in, std::size_t& inSize, unsigned char*& out,
                           std::size_t& outSize) = 0;
    // After End: input the inflater took that lies past the stream's end,
    // in order, so that the trailer and the next member can be read from it.
    virtual std::size_t TakeBack(unsigned char* bytes) = 0;
    // The gzip CRC-32 of `data`, continuing from `crc`.
    virtual std::uint32_t Crc(std::uint32_t crc, const unsigned char* data, std::size_t size) const = 0;
};

std::unique_ptr<RawInflater> MakeZlibInflater();
// nullptr when this build has no ISA-L.
std::unique_ptr<RawInflater> MakeIsalInflater();
// The one `wanted` names, or zlib's when the environment says so or the
// faster one is not built in.
std::unique_ptr<RawInflater> MakeInflater(Inflater wanted);

}  // namespace torvan
