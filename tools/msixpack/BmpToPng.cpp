// bmp-to-png: the package's logo, a PNG, from a 24-bit BMP as the build's
// pixel-map tool writes it; magenta (255, 0, 255) becomes see-through, as
// in the program's icon.
//
//   bmp-to-png <in.bmp> <out.png>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t GetLe(const Bytes& data, size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | data[at + static_cast<size_t>(i)];
    return value;
}

void PutBe(Bytes& out, std::uint32_t value) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void Chunk(Bytes& png, const char* type, const Bytes& body) {
    PutBe(png, static_cast<std::uint32_t>(body.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    png.insert(png.end(), typed.begin(), typed.end());
    PutBe(png, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

int Fail(const std::string& why) {
    std::fprintf(stderr, "bmp-to-png: %s\n", why.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return Fail("usage: bmp-to-png <in.bmp> <out.png>");
    std::ifstream in(argv[1], std::ios::binary);
    Bytes bmp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M' || GetLe(bmp, 28, 2) != 24 || GetLe(bmp, 30, 4) != 0)
        return Fail(std::string(argv[1]) + ": not an uncompressed 24-bit BMP");
    std::uint32_t width = GetLe(bmp, 18, 4), height = GetLe(bmp, 22, 4);
    if (width == 0 || height == 0 || width > 1024 || height > 1024) return Fail("bottom-up images up to 1024 a side");
    size_t offset = GetLe(bmp, 10, 4), stride = (width * 3 + 3) & ~3u;
    if (offset + stride * height > bmp.size()) return Fail(std::string(argv[1]) + ": truncated");

    Bytes raw;  // filter byte 0, then RGBA, top row first
    for (std::uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        const std::uint8_t* row = &bmp[offset + stride * (height - 1 - y)];
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t b = row[3 * x], g = row[3 * x + 1], r = row[3 * x + 2];
            bool seeThrough = r == 255 && g == 0 && b == 255;
            raw.insert(raw.end(), {r, g, b, static_cast<std::uint8_t>(seeThrough ? 0 : 255)});
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
        return Fail("compression failed");
    packed.resize(packedSize);

    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    PutBe(header, width);
    PutBe(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive, no interlace
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", {});
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    out.close();
    if (!out) {
        std::remove(argv[2]);
        return Fail(std::string("cannot write ") + argv[2]);
    }
    return 0;
}
