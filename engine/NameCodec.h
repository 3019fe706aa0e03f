// Translation between the bytes an archive stores as names and the local
// form the file-system back end takes: the bytes as they are on POSIX,
// UTF-8 on Windows (where the back end speaks the wide API).
#pragma once

#include <string>

#include "NameEncoding.h"

namespace torvan {

class NameCodec {
public:
    virtual ~NameCodec() = default;
    // Both return false when the name has no form on the other side. No
    // look-alike ever stands in for a character: a name changed on the way
    // would land somewhere else than it says.
    virtual bool ToArchive(const std::string& localName, std::string& archiveName) const = 0;
    virtual bool ToLocal(const std::string& archiveName, std::string& localName) const = 0;
};

// What this side writes and reads when nothing says otherwise: the local
// bytes unchanged on POSIX, the ANSI code page on Windows.
const NameCodec& RawNames();
// Archive names in UTF-8 (strict, both ways).
const NameCodec& Utf8Names();
// Archive names in GBK (code page 936), local names UTF-8 (on POSIX
// whatever the locale says: that is what Linux systems name files in).
const NameCodec& GbkNames();

// The codec for names found to be in `encoding`; the raw one where there
// was nothing to decide or no reading held.
const NameCodec& NamesIn(NameEncoding encoding);

}  // namespace torvan
