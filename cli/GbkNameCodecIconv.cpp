// Locally, names are UTF-8: that is what Linux desktops and servers use,
// whatever the process locale says, so the conversion names it outright.
#include "GbkNameCodec.h"

#include <iconv.h>

#include <cerrno>

namespace torvan::cli {

namespace {

// Strict: an unconvertible or malformed sequence fails the whole name, since
// a name silently altered would unpack somewhere else than it says.
bool Convert(const char* to, const char* from, const std::string& in, std::string& out)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;

    out.clear();
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char chunk[256];
    bool ok = true;
    while (true) {
        char* outPtr = chunk;
        size_t outLeft = sizeof chunk;
        size_t rc = iconv(cd, inLeft ? &inPtr : nullptr, &inLeft, &outPtr, &outLeft);
        out.append(chunk, sizeof chunk - outLeft);
        if (rc != static_cast<size_t>(-1)) {
            if (inLeft == 0) {
                // Flush any shift state; GBK and UTF-8 have none, but be exact.
                outPtr = chunk;
                outLeft = sizeof chunk;
                iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
                out.append(chunk, sizeof chunk - outLeft);
                break;
            }
            continue;
        }
        if (errno == E2BIG) continue;
        ok = false;   // EILSEQ or EINVAL: no faithful form
        break;
    }
    iconv_close(cd);
    return ok;
}

}  // namespace

bool GbkNameCodec::Available(std::string& why)
{
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        why = "this system's iconv has no GBK converter";
        return false;
    }
    iconv_close(cd);
    return true;
}

bool GbkNameCodec::ToArchive(const std::string& localName, std::string& archiveName) const
{
    return Convert("GBK", "UTF-8", localName, archiveName);
}

bool GbkNameCodec::ToLocal(const std::string& archiveName, std::string& localName) const
{
    return Convert("UTF-8", "GBK", archiveName, localName);
}

}  // namespace torvan::cli
