// The archive layout shared with the server-side peer: a preamble of two
// "%016d" numbers, a manifest of "name|field" lines, then the payload.
// Writer, reader and catalog all go through here so they cannot disagree.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "ArchiveCatalog.h"

namespace torvan {

constexpr std::size_t kPreambleSize = 32;
constexpr std::size_t kPreambleFieldSize = 16;
// Every bulk copy goes through one buffer of this size.
constexpr std::size_t kCopyBufferSize = 1048576;
// The peer reads each line into 324 bytes, terminating zero included.
constexpr std::size_t kMaxLineLength = 323;
constexpr int kLargestFileSize = 2147483647;

std::string FormatPreamble(int fileCount, int manifestLength);
std::string FolderOpeningLine(const std::string& archiveName);
std::string FolderClosingLine(const std::string& archiveName);
std::string FileLine(const std::string& archiveName, int size);

// The leading decimal integer, read the way C's atoi reads it (white space,
// sign, digits), except that it saturates instead of overflowing.
int ReadDecimal(const char* text, std::size_t length);

// The two preamble values; false unless both are greater than 0.
bool ParsePreamble(const char* bytes, int& fileCount, int& manifestLength);

struct ManifestLine {
    ArchiveEntry entry;
    bool tooLong = false;   // longer than kMaxLineLength: the parse ends here
    // Not wholly inside the data (its line feed, or for the last parsed
    // line its last byte, lies past the data's end): no entry, and the
    // parse ends here.
    bool cut = false;
};

// Reads the bytes that follow the preamble: up to `size` of them into
// `buffer`; returns how many (0 at the end of the data), or -1 on error.
using ManifestReadFn = std::function<long long(char* buffer, std::size_t size)>;

// Splits a manifest into its lines as it reads it, holding no more than a
// line at a time, however long the preamble says the manifest is. The
// final byte is not parsed (in a sound archive it is the last line feed).
class ManifestParser {
public:
    ManifestParser(ManifestReadFn read, int manifestLength);
    // False when the parsed bytes are used up.
    bool Next(ManifestLine& line);

private:
    // The byte at m_pos, or -1 where the data has ended.
    int PeekByte();

    ManifestReadFn m_read;
    std::vector<char> m_buffer;
    std::size_t m_bufferStart = 0;   // manifest offset of m_buffer[0]
    std::size_t m_bufferLength = 0;
    bool m_dataEnded = false;
    std::size_t m_end;               // parsed bytes: manifest length - 1
    std::size_t m_pos = 0;
    bool m_done = false;
};

// Every name the manifest's lines hold (closing lines aside), in order, as
// far as they could be read: what decides how the names of an archive read.
std::vector<std::string> ManifestNames(const std::vector<ManifestLine>& lines);

}  // namespace torvan
