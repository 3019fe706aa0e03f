// A gzip member's header, taken byte by byte as it arrives, with the rules
// zlib reads it by: the compression method and the reserved flags are
// judged as soon as their two bytes are in (so a header cut before them is
// cut short, not corrupt); the extra field, the name and the comment are
// skipped; a header CRC, when the flags announce one, must match.
#pragma once

#include <cstddef>
#include <cstdint>

namespace torvan {

class GzipHeader {
public:
    enum class State { Reading, Done, Bad };

    // Takes bytes of the header from `data` and stops at its end: the
    // count used. The rest belongs to the deflate data.
    std::size_t Take(const unsigned char* data, std::size_t size);
    State Status() const { return m_state; }

private:
    enum class Field { Fixed, ExtraLength, Extra, Name, Comment, HeaderCrc };
    // Which field comes after `field`, by the flags.
    void EnterFrom(Field field);

    State m_state = State::Reading;
    Field m_field = Field::Fixed;
    unsigned m_method = 0;
    unsigned m_flags = 0;
    std::size_t m_seen = 0;      // bytes of the current field so far
    std::size_t m_extraLength = 0;
    std::uint16_t m_storedCrc = 0;
    unsigned long m_crc = 0;     // of every header byte before the header CRC
};

}  // namespace torvan
