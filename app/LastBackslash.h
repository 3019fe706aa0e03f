// Splitting a path at its last backslash. Paths are bytes in the system's
// code page, where the second byte of a double-byte character may be 0x5C,
// so the search walks whole characters; the caller says which bytes lead.
#pragma once

#include <string>

namespace torvan {

using LeadBytePredicate = bool (*)(unsigned char);

// Position of the last backslash that is a character of its own, or npos.
std::string::size_type FindLastBackslash(const std::string& path, LeadBytePredicate isLeadByte);

// D:\www\site gives "site"; a path without a backslash is returned whole.
std::string TextAfterLastBackslash(const std::string& path, LeadBytePredicate isLeadByte);

// D:\www\site gives "D:\www"; a path without a backslash gives "".
std::string TextBeforeLastBackslash(const std::string& path, LeadBytePredicate isLeadByte);

}  // namespace torvan
