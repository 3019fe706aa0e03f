// zlib's gzip-file reader opened by a path in the engine's own form: on
// Windows that is UTF-8, which zlib's narrow gzopen would read as ANSI.
#pragma once

#include <zlib.h>

#include <string>

#ifdef _WIN32
#include "WideText.h"
#endif

namespace torvan {

inline gzFile OpenGzipFile(const std::string& path, const char* mode) {
#ifdef _WIN32
    return gzopen_w(ApiPath(path).c_str(), mode);
#else
    return gzopen(path.c_str(), mode);
#endif
}

}  // namespace torvan
