// gzip read as zlib's gzread reads it, with the inflater of the build's
// choice. Input that does not begin with the gzip magic is passed through
// as it is (a plain archive on standard input). Members follow one another;
// after a member, bytes that do not begin another are ignored, as zlib does.
// Input that ends inside a member, its header or its trailer is cut short.
//
// ISA-L takes Huffman tables that zlib refuses (incomplete or
// over-subscribed ones): after such damage it inflates garbage, which could
// then end as "cut short" where zlib says "corrupt". So when a member read
// with ISA-L ends in anything but a matching trailer, and the source can be
// read again from its start, zlib reads it again and its verdict stands.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "GzipHeader.h"
#include "InflatedInput.h"
#include "RawInflater.h"

namespace torvan {

class InflateStream : public InflatedInput {
public:
    // `rewind`, when given, puts the source back at its first byte (false
    // when it cannot): then every verdict is zlib's, whichever inflater ran.
    explicit InflateStream(ByteSource source, Inflater inflater = Inflater::Fastest,
                           std::function<bool()> rewind = nullptr);
    ~InflateStream() override;
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;

    long long Read(char* buffer, std::size_t size) override;
    InflateEnd Ending() const override { return m_zlibAgain ? m_zlibAgain->Ending() : m_ending; }
    bool IsGzip() const override { return m_gzip; }
    // "zlib" or "ISA-L" (known once the first member begins).
    const char* InflaterName() const;

private:
    enum class Stage { Look, Header, Body, Trailer, Plain, Ended };

    void ReadOn(unsigned char* out, std::size_t size, std::size_t& done);
    void Look();
    void TakeHeader();
    std::size_t Inflate(unsigned char* out, std::size_t size);
    void CheckTrailer();
    std::size_t PassThrough(unsigned char* out, std::size_t size);

    // Reads until `count` bytes are buffered or the source ends; false then.
    bool Want(std::size_t count);
    std::size_t Buffered() const { return m_end - m_next; }
    void PutBack(const unsigned char* bytes, std::size_t count);
    void End(InflateEnd ending);
    // A member ended badly: with ISA-L, zlib reads the data again.
    void EndBadly(InflateEnd ending);

    ByteSource m_source;
    std::function<bool()> m_rewind;
    std::unique_ptr<InflateStream> m_zlibAgain;   // reads on where the first reading stopped
    long long m_delivered = 0;   // inflated bytes handed out
    std::unique_ptr<RawInflater> m_inflater;
    std::vector<unsigned char> m_input;
    std::size_t m_next = 0;   // the unused input is m_input[m_next, m_end)
    std::size_t m_end = 0;
    bool m_sourceEnded = false;

    Stage m_stage = Stage::Look;
    InflateEnd m_ending = InflateEnd::NotYet;
    bool m_gzip = false;
    GzipHeader m_header;
    std::uint32_t m_crc = 0;      // of the member's bytes so far
    std::uint32_t m_length = 0;   // of the member's bytes so far, modulo 2^32 as the trailer holds it
};

}  // namespace torvan
