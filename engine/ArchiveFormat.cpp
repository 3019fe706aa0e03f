#include "ArchiveFormat.h"

#include <climits>
#include <cstdio>
#include <cstring>

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

ManifestParser::ManifestParser(const std::string& present, int manifestLength)
    : m_present(present), m_end(manifestLength > 0 ? static_cast<std::size_t>(manifestLength) - 1 : 0) {
    m_done = manifestLength <= 0;
}

bool ManifestParser::Next(ManifestLine& line) {
    if (m_done) return false;
    line = ManifestLine();

    // Line feeds can only stand among the bytes that are really there.
    const std::size_t searchEnd = m_end < m_present.size() ? m_end : m_present.size();
    std::size_t lineEnd = m_end;
    const void* feed = m_pos < searchEnd
        ? std::memchr(m_present.data() + m_pos, '\n', searchEnd - m_pos) : nullptr;
    if (feed) {
        lineEnd = static_cast<const char*>(feed) - m_present.data();
    } else {
        m_done = true;   // the last piece, even when it is empty
    }

    if (lineEnd - m_pos > kMaxLineLength) {
        // Cannot be read into the peer's line buffer: one failed entry, and
        // nothing after it can be trusted to line up with the payload.
        line.tooLong = true;
        m_done = true;
        return true;
    }

    const std::size_t textEnd = lineEnd < m_present.size() ? lineEnd : m_present.size();
    std::string text = m_pos < textEnd ? m_present.substr(m_pos, textEnd - m_pos) : std::string();
    const std::string::size_type zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    m_pos = lineEnd + 1;

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

}  // namespace torvan
