// Local names on Windows are UTF-8, which the back end turns into the wide
// API's UTF-16. Archive names in a code page go through UTF-16 on their way.
#ifdef _WIN32

#include <windows.h>

#include "NameCodec.h"
#include "WideText.h"

namespace torvan {
namespace {

class CodePageCodec : public NameCodec {
public:
    explicit CodePageCodec(UINT codePage) : m_codePage(codePage) {}

    bool ToArchive(const std::string& localName, std::string& archiveName) const override {
        std::wstring wide;
        return WideFromBytes(CP_UTF8, localName, wide) && BytesFromWide(m_codePage, wide, archiveName);
    }
    bool ToLocal(const std::string& archiveName, std::string& localName) const override {
        std::wstring wide;
        return WideFromBytes(m_codePage, archiveName, wide) && BytesFromWide(CP_UTF8, wide, localName);
    }

private:
    UINT m_codePage;
};

}  // namespace

const NameCodec& GbkNames() {
    static const CodePageCodec codec(936);
    return codec;
}

const NameCodec& RawNames() {
    // The ANSI code page, as the narrow API always gave names; on a system
    // set to UTF-8 as its ANSI page, that is UTF-8 itself.
    static const CodePageCodec codec(CP_ACP);
    return GetACP() == CP_UTF8 ? Utf8Names() : static_cast<const NameCodec&>(codec);
}

}  // namespace torvan

#endif
