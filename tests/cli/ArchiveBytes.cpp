#include "ArchiveBytes.h"

#include <zlib.h>

#include <cstdio>
#include <stdexcept>

namespace torvan::test {

std::string PlainArchive(int count, const std::string& manifest, const std::string& payload)
{
    char preamble[40];
    std::snprintf(preamble, sizeof preamble, "%016d%016d", count, static_cast<int>(manifest.size()));
    return preamble + manifest + payload;
}

std::string Gzip(const std::string& plain)
{
    z_stream stream{};
    if (deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&stream, plain.size()) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    stream.avail_in = static_cast<uInt>(plain.size());
    stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
    stream.avail_out = static_cast<uInt>(out.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string ReadExpanded(const std::string& path)
{
    gzFile file = gzopen(path.c_str(), "rb");
    if (!file) return "";
    std::string out;
    char buffer[65536];
    int got;
    while ((got = gzread(file, buffer, sizeof buffer)) > 0) out.append(buffer, got);
    gzclose(file);
    return out;
}

}  // namespace torvan::test
