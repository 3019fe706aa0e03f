// On Windows the names the tool sees are already in the ANSI code page,
// which on Chinese Windows is GBK itself (code page 936). Translating from
// the ANSI page to 936 through UTF-16 is then the identity there, and right
// on any other Windows too.
#include "GbkNameCodec.h"

#include <windows.h>

#include <vector>

namespace torvan::cli {

namespace {

const UINT kGbk = 936;

bool Recode(UINT from, UINT to, const std::string& in, std::string& out)
{
    out.clear();
    if (in.empty()) return true;
    int wideLength = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(),
                                         static_cast<int>(in.size()), nullptr, 0);
    if (wideLength <= 0) return false;
    std::vector<wchar_t> wide(wideLength);
    MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()),
                        wide.data(), wideLength);

    // No best-fit guesses: a character without a form is a refusal.
    BOOL usedDefault = FALSE;
    int length = WideCharToMultiByte(to, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr,
                                     0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) return false;
    std::vector<char> narrow(length);
    WideCharToMultiByte(to, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, narrow.data(), length,
                        nullptr, &usedDefault);
    if (usedDefault) return false;
    out.assign(narrow.data(), narrow.size());
    return true;
}

}  // namespace

bool GbkNameCodec::Available(std::string& why)
{
    if (!IsValidCodePage(kGbk)) {
        why = "this Windows has no GBK code page (936) installed";
        return false;
    }
    return true;
}

bool GbkNameCodec::ToArchive(const std::string& localName, std::string& archiveName) const
{
    if (GetACP() == kGbk) { archiveName = localName; return true; }
    return Recode(CP_ACP, kGbk, localName, archiveName);
}

bool GbkNameCodec::ToLocal(const std::string& archiveName, std::string& localName) const
{
    if (GetACP() == kGbk) { localName = archiveName; return true; }
    return Recode(kGbk, CP_ACP, archiveName, localName);
}

}  // namespace torvan::cli
