// Translation between local file names and the bytes stored in an archive.
#pragma once

#include <string>

namespace torvan {

class NameCodec {
public:
    virtual ~NameCodec() = default;
    // Both return false when the name has no form on the other side.
    virtual bool ToArchive(const std::string& localName, std::string& archiveName) const = 0;
    virtual bool ToLocal(const std::string& archiveName, std::string& localName) const = 0;
};

}  // namespace torvan
