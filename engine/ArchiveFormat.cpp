#include "ArchiveFormat.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <utility>

namespace torvan {

std::string FormatPreamble(int fileCount, int manifestLength) {
    char text[kPreambleSize * 2];
    std::snprintf(text, sizeof text, "%016d%016d", fileCount, manifestLength);
    return text;
}

std::string FolderOpeningLine(const std::string& archiveName) { return archiveName + "|[dir]\n"; }

std::string FolderClosingLine(const std::string& archiveName) { return archiveName + "|[/dir]\n"; }

std::string FileLine(const std::string& archiveName, int size) {
    return archiveName + "|" + std::to_string(size) + "\n";
}

int ReadDecimal(const char* text, std::size_t length) {
    std::size_t i = 0;
    // The C locale's white space, as atoi skips it.
    while (i < length && text[i] != '\0' && std::strchr(" \t\n\v\f\r", text[i])) ++i;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) return static_cast<int>(-value < INT_MIN ? INT_MIN : -value);
    return static_cast<int>(value > INT_MAX ? INT_MAX : value);
}

bool ParsePreamble(const char* bytes, int& fileCount, int& manifestLength) {
    fileCount = ReadDecimal(bytes, kPreambleFieldSize);
    manifestLength = ReadDecimal(bytes + kPreambleFieldSize, kPreambleFieldSize);
    return fileCount > 0 && manifestLength > 0;
}

namespace {
constexpr std::size_t kManifestChunk = 65536;
}

ManifestParser::ManifestParser(ManifestReadFn read, int manifestLength)
    : m_read(std::move(read)),
      m_end(manifestLength > 0 ? static_cast<std::size_t>(manifestLength) - 1 : 0) {
    m_done = manifestLength <= 0;
}

int ManifestParser::PeekByte() {
    if (m_pos >= m_bufferStart + m_bufferLength) {
        if (m_dataEnded) return -1;
        if (m_buffer.empty()) m_buffer.resize(kManifestChunk);
        m_bufferStart += m_bufferLength;
        const std::size_t left = m_end - m_bufferStart;
        const long long got = m_read(m_buffer.data(), left < m_buffer.size() ? left : m_buffer.size());
        m_bufferLength = got > 0 ? static_cast<std::size_t>(got) : 0;
        if (m_bufferLength == 0) {
            m_dataEnded = true;
            return -1;
        }
    }
    return static_cast<unsigned char>(m_buffer[m_pos - m_bufferStart]);
}

bool ManifestParser::Next(ManifestLine& line) {
    if (m_done) return false;
    line = ManifestLine();

    const std::size_t start = m_pos;
    std::string text;
    bool textEnded = false;   // a zero byte ends a line's text
    bool fed = false;
    bool cut = false;
    while (m_pos < m_end) {
        const int c = PeekByte();
        if (c < 0) {
            cut = true;
            break;
        }
        ++m_pos;
        if (c == '\n') {
            fed = true;
            break;
        }
        if (m_pos - start > kMaxLineLength) break;
        if (c == 0) textEnded = true;
        else if (!textEnded) text += static_cast<char>(c);
    }
    // Without a line feed the line runs to the end of the parsed bytes.
    const std::size_t length = fed ? m_pos - 1 - start : m_end - start;
    if (!fed) m_done = true;   // the last piece, even when it is empty
    if (cut) {
        // Whatever its field would have said (an empty size reads as 0),
        // it is not what was packed.
        line.cut = true;
        return true;
    }
    if (length > kMaxLineLength) {
        // Cannot be read into the peer's line buffer: one failed entry, and
        // nothing after it can be trusted to line up with the payload.
        line.tooLong = true;
        m_done = true;
        return true;
    }

    std::string field = text;
    const std::string::size_type bar = text.find('|');
    if (bar != std::string::npos) {
        line.entry.name = text.substr(0, bar);
        field = text.substr(bar + 1);
    }
    if (field == "[dir]") {
        line.entry.kind = ArchiveEntry::FolderStart;
    } else if (field == "[/dir]") {
        line.entry.kind = ArchiveEntry::FolderEnd;
    } else {
        line.entry.kind = ArchiveEntry::File;
        line.entry.size = ReadDecimal(field.data(), field.size());
    }
    return true;
}

std::vector<std::string> ManifestNames(const std::vector<ManifestLine>& lines) {
    std::vector<std::string> names;
    for (const ManifestLine& line : lines) {
        if (line.tooLong) break;
        if (line.entry.kind != ArchiveEntry::FolderEnd) names.push_back(line.entry.name);
    }
    return names;
}

}  // namespace torvan
