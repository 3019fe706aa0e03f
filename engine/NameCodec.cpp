#include "NameCodec.h"

namespace torvan {
namespace {

// Both sides hold UTF-8: only bytes that are no UTF-8 have no form.
class Utf8Codec : public NameCodec {
public:
    bool ToArchive(const std::string& localName, std::string& archiveName) const override {
        archiveName = localName;
        return IsStrictUtf8(localName);
    }
    bool ToLocal(const std::string& archiveName, std::string& localName) const override {
        localName = archiveName;
        return IsStrictUtf8(archiveName);
    }
};

}  // namespace

const NameCodec& Utf8Names() {
    static const Utf8Codec codec;
    return codec;
}

const NameCodec& NamesIn(NameEncoding encoding) {
    switch (encoding) {
    case NameEncoding::Utf8: return Utf8Names();
    case NameEncoding::Gbk: return GbkNames();
    case NameEncoding::Ascii:
    case NameEncoding::Unknown: break;
    }
    return RawNames();
}

}  // namespace torvan
