// The archive layout shared with the server-side peer: a preamble of two
// "%016d" numbers, a manifest of "name|field" lines, then the payload.
// Writer, reader and catalog all go through here so they cannot disagree.
#pragma once

#include <cstddef>
#include <string>

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
};

// Splits a manifest into its lines. `present` holds the bytes actually found
// after the preamble, which may be fewer than `manifestLength` announces;
// the missing ones read as zeros without ever being allocated. The final
// byte is not parsed (in a sound archive it is the last line feed).
class ManifestParser {
public:
    ManifestParser(const std::string& present, int manifestLength);
    // False when the parsed bytes are used up.
    bool Next(ManifestLine& line);

private:
    const std::string& m_present;
    std::size_t m_end;      // parsed bytes: manifest length - 1
    std::size_t m_pos = 0;
    bool m_done = false;
};

}  // namespace torvan
