// Local names on POSIX are the bytes the file system holds; GBK archives
// are read and written through iconv, naming UTF-8 outright, since that is
// what Linux desktops and servers name files in, whatever the locale says.
#ifndef _WIN32

#include <iconv.h>

#include <cerrno>

#include "NameCodec.h"

namespace torvan {
namespace {

// Strict: an unconvertible or malformed sequence fails the whole name.
bool Convert(const char* to, const char* from, const std::string& in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.clear();
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char chunk[256];
    bool ok = true;
    for (;;) {
        char* outPtr = chunk;
        size_t outLeft = sizeof chunk;
        const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(chunk, sizeof chunk - outLeft);
        if (rc != static_cast<size_t>(-1)) {
            if (inLeft == 0) break;
            continue;
        }
        if (errno == E2BIG) continue;
        ok = false;   // EILSEQ or EINVAL: no faithful form
        break;
    }
    iconv_close(cd);
    return ok;
}

class GbkCodec : public NameCodec {
public:
    bool ToArchive(const std::string& localName, std::string& archiveName) const override {
        return Convert("GBK", "UTF-8", localName, archiveName);
    }
    bool ToLocal(const std::string& archiveName, std::string& localName) const override {
        return Convert("UTF-8", "GBK", archiveName, localName);
    }
};

class RawCodec : public NameCodec {
public:
    bool ToArchive(const std::string& localName, std::string& archiveName) const override {
        archiveName = localName;
        return true;
    }
    bool ToLocal(const std::string& archiveName, std::string& localName) const override {
        localName = archiveName;
        return true;
    }
};

}  // namespace

const NameCodec& GbkNames() {
    static const GbkCodec codec;
    return codec;
}

const NameCodec& RawNames() {
    static const RawCodec codec;
    return codec;
}

}  // namespace torvan

#endif
