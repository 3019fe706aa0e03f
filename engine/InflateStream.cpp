#include "InflateStream.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace torvan {
namespace {

// As much as ArchiveSource gave zlib's reader: a pipe or a file is read in
// few calls, and ISA-L gets long runs of input to decode from.
constexpr std::size_t kInputSize = 262144;
constexpr std::size_t kTrailerSize = 8;   // CRC-32, then the length modulo 2^32

std::uint32_t LittleEndian32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace

InflateStream::InflateStream(ByteSource source, Inflater inflater, std::function<bool()> rewind)
    : m_source(std::move(source)), m_rewind(std::move(rewind)), m_inflater(MakeInflater(inflater)) {}

InflateStream::~InflateStream() = default;

const char* InflateStream::InflaterName() const { return m_inflater ? m_inflater->Name() : "none"; }

long long InflateStream::Read(char* buffer, std::size_t size) {
    if (m_zlibAgain) return m_zlibAgain->Read(buffer, size);
    std::size_t done = 0;
    try {
        ReadOn(reinterpret_cast<unsigned char*>(buffer), size, done);
        if (m_zlibAgain && done < size) {
            const long long more = m_zlibAgain->Read(buffer + done, size - done);
            done += static_cast<std::size_t>(more > 0 ? more : 0);
        }
    } catch (...) {
        // Out of memory, or a source that threw: nothing after this is known.
        End(InflateEnd::ReadError);
    }
    return static_cast<long long>(done);
}

void InflateStream::ReadOn(unsigned char* out, std::size_t size, std::size_t& done) {
    while (done < size && m_stage != Stage::Ended) {
        switch (m_stage) {
        case Stage::Look: Look(); break;
        case Stage::Header: TakeHeader(); break;
        case Stage::Body: done += Inflate(out + done, size - done); break;
        case Stage::Trailer: CheckTrailer(); break;
        case Stage::Plain: done += PassThrough(out + done, size - done); break;
        case Stage::Ended: break;
        }
    }
}

void InflateStream::End(InflateEnd ending) {
    m_ending = ending;
    m_stage = Stage::Ended;
}

// zlib reads from the start, silently up to what was delivered (the same
// bytes, if it gets that far: both inflate valid data alike), and on from
// there to its own verdict.
void InflateStream::EndBadly(InflateEnd ending) {
    End(ending);
    if (!m_inflater || std::string(m_inflater->Name()) == "zlib" || !m_rewind || !m_rewind()) return;
    // The source moves on: its state (a position, say) must not be copied.
    m_zlibAgain = std::make_unique<InflateStream>(std::move(m_source), Inflater::Zlib);
    std::vector<char> skipped(std::min<long long>(m_delivered, 1048576) + 1);
    for (long long left = m_delivered; left > 0;) {
        const std::size_t want = static_cast<std::size_t>(std::min<long long>(left, skipped.size() - 1));
        const long long got = m_zlibAgain->Read(skipped.data(), want);
        left -= got;
        if (got < static_cast<long long>(want)) break;
    }
}

bool InflateStream::Want(std::size_t count) {
    if (m_input.empty()) m_input.resize(kInputSize);
    while (Buffered() < count && !m_sourceEnded) {
        if (m_next > 0) {
            std::memmove(m_input.data(), m_input.data() + m_next, Buffered());
            m_end -= m_next;
            m_next = 0;
        }
        const std::size_t room = m_input.size() - m_end;
        const long long got = m_source(reinterpret_cast<char*>(m_input.data() + m_end), room);
        if (got < 0 || static_cast<unsigned long long>(got) > room) {
            End(InflateEnd::ReadError);
            return false;
        }
        if (got == 0) m_sourceEnded = true;
        m_end += static_cast<std::size_t>(got);
    }
    return Buffered() >= count;
}

void InflateStream::PutBack(const unsigned char* bytes, std::size_t count) {
    if (count == 0) return;
    if (m_next < count) {
        std::vector<unsigned char> joined(bytes, bytes + count);
        joined.insert(joined.end(), m_input.begin() + static_cast<std::ptrdiff_t>(m_next),
                      m_input.begin() + static_cast<std::ptrdiff_t>(m_end));
        if (m_input.size() < joined.size()) m_input.resize(joined.size());
        std::copy(joined.begin(), joined.end(), m_input.begin());
        m_next = 0;
        m_end = joined.size();
        return;
    }
    m_next -= count;
    std::memcpy(m_input.data() + m_next, bytes, count);
}

// zlib decides by the first two bytes alone: gzip's magic, or anything
// else. Only the very first look may find plain data; after a member,
// whatever is not another member is left unread and the stream ends well.
void InflateStream::Look() {
    if (!Want(2) && m_stage == Stage::Ended) return;
    if (Buffered() >= 2 && m_input[m_next] == 0x1f && m_input[m_next + 1] == 0x8b) {
        m_gzip = true;
        m_header = GzipHeader();
        m_stage = Stage::Header;
    } else if (!m_gzip) {
        m_stage = Stage::Plain;
    } else {
        End(InflateEnd::Verified);
    }
}

void InflateStream::TakeHeader() {
    if (!Want(1)) {
        if (m_stage != Stage::Ended) EndBadly(InflateEnd::CutShort);
        return;
    }
    m_next += m_header.Take(m_input.data() + m_next, Buffered());
    if (m_header.Status() == GzipHeader::State::Bad) {
        End(InflateEnd::Corrupt);
    } else if (m_header.Status() == GzipHeader::State::Done) {
        if (!m_inflater || !m_inflater->Begin()) return End(InflateEnd::ReadError);
        m_crc = 0;
        m_length = 0;
        m_stage = Stage::Body;
    }
}

std::size_t InflateStream::Inflate(unsigned char* out, std::size_t size) {
    const unsigned char* in = m_input.data() + m_next;
    std::size_t inLeft = Buffered();
    unsigned char* next = out;
    std::size_t room = size;
    const RawInflater::Result result = m_inflater->Inflate(in, inLeft, next, room);
    const std::size_t consumed = Buffered() - inLeft;
    const std::size_t produced = size - room;
    m_next += consumed;
    m_crc = m_inflater->Crc(m_crc, out, produced);
    m_length += static_cast<std::uint32_t>(produced);
    m_delivered += static_cast<long long>(produced);

    switch (result) {
    case RawInflater::Result::End: {
        unsigned char back[RawInflater::kMaxTakenBack];
        PutBack(back, m_inflater->TakeBack(back));
        m_stage = Stage::Trailer;
        break;
    }
    case RawInflater::Result::Corrupt: EndBadly(InflateEnd::Corrupt); break;
    case RawInflater::Result::Failed: End(InflateEnd::ReadError); break;
    case RawInflater::Result::Going:
        if (produced > 0 || consumed > 0) break;
        // What is buffered gives nothing more: more input, or the data was
        // cut. An inflater stuck on a full buffer would be a broken stream.
        if (Buffered() == m_input.size()) {
            EndBadly(InflateEnd::Corrupt);
        } else if (!Want(Buffered() + 1) && m_stage != Stage::Ended) {
            EndBadly(InflateEnd::CutShort);
        }
        break;
    }
    return produced;
}

// As zlib checks it: the CRC as soon as its four bytes are in, then the
// length, so that a wrong CRC before a cut is a mismatch, not a cut.
void InflateStream::CheckTrailer() {
    if (!Want(4)) {
        if (m_stage != Stage::Ended) EndBadly(InflateEnd::CutShort);
        return;
    }
    if (LittleEndian32(m_input.data() + m_next) != m_crc) return EndBadly(InflateEnd::CheckMismatch);
    if (!Want(kTrailerSize)) {
        if (m_stage != Stage::Ended) EndBadly(InflateEnd::CutShort);
        return;
    }
    if (LittleEndian32(m_input.data() + m_next + 4) != m_length) return EndBadly(InflateEnd::CheckMismatch);
    m_next += kTrailerSize;
    m_stage = Stage::Look;
}

std::size_t InflateStream::PassThrough(unsigned char* out, std::size_t size) {
    const std::size_t buffered = std::min(Buffered(), size);
    if (buffered > 0) {
        std::memcpy(out, m_input.data() + m_next, buffered);
        m_next += buffered;
        return buffered;
    }
    if (m_sourceEnded) {
        End(InflateEnd::Plain);
        return 0;
    }
    // Plain data needs no buffer of ours: straight into the caller's.
    const long long got = m_source(reinterpret_cast<char*>(out), size);
    if (got < 0 || static_cast<unsigned long long>(got) > size) {
        End(InflateEnd::ReadError);
        return 0;
    }
    if (got == 0) End(InflateEnd::Plain);
    return static_cast<std::size_t>(got);
}

}  // namespace torvan
