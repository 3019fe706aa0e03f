#include "GzipHeader.h"

#include <zlib.h>

namespace torvan {
namespace {

constexpr std::size_t kFixedSize = 10;   // magic, method, flags, time, extra flags, system
constexpr unsigned char kDeflateMethod = 8;
constexpr unsigned kHeaderCrcFlag = 0x02;
constexpr unsigned kExtraFlag = 0x04;
constexpr unsigned kNameFlag = 0x08;
constexpr unsigned kCommentFlag = 0x10;
constexpr unsigned kReservedFlags = 0xe0;

}  // namespace

std::size_t GzipHeader::Take(const unsigned char* data, std::size_t size) {
    std::size_t used = 0;
    while (used < size && m_state == State::Reading) {
        const unsigned char byte = data[used++];
        if (m_field != Field::HeaderCrc) m_crc = crc32(m_crc, &byte, 1);
        switch (m_field) {
        case Field::Fixed:
            if (m_seen == 2) m_method = byte;
            // zlib judges method and flags together, once both are in.
            if (m_seen == 3) {
                m_flags = byte;
                if (m_method != kDeflateMethod || (m_flags & kReservedFlags)) m_state = State::Bad;
            }
            if (++m_seen == kFixedSize && m_state == State::Reading) EnterFrom(Field::Fixed);
            break;
        case Field::ExtraLength:
            m_extraLength |= static_cast<std::size_t>(byte) << (8 * m_seen);
            if (++m_seen == 2) EnterFrom(Field::ExtraLength);
            break;
        case Field::Extra:
            if (++m_seen == m_extraLength) EnterFrom(Field::Extra);
            break;
        case Field::Name:
        case Field::Comment:
            if (byte == 0) EnterFrom(m_field);
            break;
        case Field::HeaderCrc:
            m_storedCrc = static_cast<std::uint16_t>(m_storedCrc | byte << (8 * m_seen));
            if (++m_seen == 2) m_state = m_storedCrc == (m_crc & 0xffff) ? State::Done : State::Bad;
            break;
        }
    }
    return used;
}

// The optional fields come in a fixed order, each only when its flag is set.
void GzipHeader::EnterFrom(Field field) {
    m_seen = 0;
    switch (field) {
    case Field::Fixed:
        if (m_flags & kExtraFlag) {
            m_field = Field::ExtraLength;
            return;
        }
        [[fallthrough]];
    case Field::ExtraLength:
        if (field == Field::ExtraLength && m_extraLength > 0) {
            m_field = Field::Extra;
            return;
        }
        [[fallthrough]];
    case Field::Extra:
        if (m_flags & kNameFlag) {
            m_field = Field::Name;
            return;
        }
        [[fallthrough]];
    case Field::Name:
        if (m_flags & kCommentFlag) {
            m_field = Field::Comment;
            return;
        }
        [[fallthrough]];
    case Field::Comment:
        if (m_flags & kHeaderCrcFlag) {
            m_field = Field::HeaderCrc;
            return;
        }
        [[fallthrough]];
    case Field::HeaderCrc:
        m_state = State::Done;
        return;
    }
}

}  // namespace torvan
