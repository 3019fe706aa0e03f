// Names on disk in the local encoding, names in the archive in GBK: the
// bytes that archives made on Chinese Windows carry.
#pragma once

#include <string>

#include "NameCodec.h"

namespace torvan::cli {

class GbkNameCodec : public NameCodec {
public:
    // False, with the reason, when this platform cannot translate at all.
    static bool Available(std::string& why);

    bool ToArchive(const std::string& localName, std::string& archiveName) const override;
    bool ToLocal(const std::string& archiveName, std::string& localName) const override;
};

}  // namespace torvan::cli
