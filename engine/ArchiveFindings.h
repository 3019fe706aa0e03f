// What reading an archive found, the same for unpack, list and test: how
// far its data can be trusted, and the archive's own problems. Commands
// and the GUI decide from this, never by guessing from messages.
#pragma once

#include <string>

namespace torvan {

enum class ArchiveOutcome {
    Unread,         // not read at all: missing, cannot be opened, no room for the scratch copy
    NotAnArchive,   // its first 32 bytes are not two numbers above 0
    Corrupt,        // compressed data that breaks or whose checksum does not match: none of it is used
    CutShort,       // compressed data that ends before its checksum: read, but never verified
    Plain,          // not compressed: there is no checksum to compare
    Verified,       // compressed, and the checksum and length matched
};

struct ArchiveFindings {
    ArchiveOutcome outcome = ArchiveOutcome::Unread;
    // For Unread, NotAnArchive and Corrupt: the cause, in words.
    std::string why;
    // A manifest line is not wholly inside the data: the entries end there.
    bool endsInManifest = false;
    // Payload bytes that the manifest announces and the data lacks.
    long long missingBytes = 0;
    // Bytes after the payload's end that belong to no entry (a warning).
    long long trailingBytes = 0;

    // Entries were (or could be) read from it.
    bool Opened() const {
        return outcome == ArchiveOutcome::CutShort || outcome == ArchiveOutcome::Plain ||
               outcome == ArchiveOutcome::Verified;
    }
    // Read to its end and nothing is missing; trailing bytes do not count.
    bool Whole() const {
        return (outcome == ArchiveOutcome::Plain || outcome == ArchiveOutcome::Verified) && !endsInManifest &&
               missingBytes == 0;
    }
};

}  // namespace torvan
