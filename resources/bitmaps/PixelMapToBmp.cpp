// Turns a text pixel map into a 24-bit BMP file, so the button pictures live
// in the repository as text anyone can read, diff and edit.
//
// Pixel map format (lines; '#' starts a comment line, blank lines are skipped):
//   size <width> <height>
//   colour <character> <red> <green> <blue>     (one line per character used)
//   pixels
//   <height rows of exactly <width> characters, top row first>
//
// Usage: PixelMapToBmp <map.txt> <out.bmp>. Exits non-zero, saying why, on any
// malformed input, so a broken picture fails the build rather than shipping.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

struct PixelMap {
    int width = 0;
    int height = 0;
    std::map<char, Rgb> palette;
    std::vector<std::string> rows;
};

bool Fail(const std::string& where, const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", where.c_str(), why.c_str());
    return false;
}

bool ReadPixelMap(const std::string& path, PixelMap& map) {
    std::ifstream in(path);
    if (!in) return Fail(path, "cannot open");
    std::string line;
    bool inPixels = false;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        std::string where = path + ":" + std::to_string(lineNo);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (inPixels) {
            if (line.empty()) continue;
            if (static_cast<int>(line.size()) != map.width) return Fail(where, "row length differs from width");
            for (char c : line)
                if (!map.palette.count(c)) return Fail(where, std::string("no colour for '") + c + "'");
            map.rows.push_back(line);
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword == "size") {
            if (!(words >> map.width >> map.height) || map.width <= 0 || map.height <= 0 ||
                map.width > 1024 || map.height > 1024)
                return Fail(where, "bad size");
        } else if (keyword == "colour") {
            std::string symbol;
            int r, g, b;
            if (!(words >> symbol >> r >> g >> b) || symbol.size() != 1 || r < 0 || r > 255 || g < 0 ||
                g > 255 || b < 0 || b > 255)
                return Fail(where, "bad colour line");
            map.palette[symbol[0]] = {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                      static_cast<std::uint8_t>(b)};
        } else if (keyword == "pixels") {
            if (map.width == 0) return Fail(where, "pixels before size");
            inPixels = true;
        } else {
            return Fail(where, "unknown keyword '" + keyword + "'");
        }
    }
    if (static_cast<int>(map.rows.size()) != map.height)
        return Fail(path, "row count differs from height");
    return true;
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> EncodeBmp(const PixelMap& map) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(map.width) * 3 + 3) & ~3u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(map.height);
    const std::uint32_t offset = 14 + 40;
    std::vector<std::uint8_t> out;
    // BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    PutLe(out, offset + imageSize, 4);
    PutLe(out, 0, 4);
    PutLe(out, offset, 4);
    // BITMAPINFOHEADER: bottom-up, 24 bits, uncompressed
    PutLe(out, 40, 4);
    PutLe(out, static_cast<std::uint32_t>(map.width), 4);
    PutLe(out, static_cast<std::uint32_t>(map.height), 4);
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    PutLe(out, 0, 4);
    PutLe(out, imageSize, 4);
    PutLe(out, 2835, 4);  // 72 dpi
    PutLe(out, 2835, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    for (int y = map.height - 1; y >= 0; --y) {
        std::uint32_t written = 0;
        for (char c : map.rows[static_cast<size_t>(y)]) {
            const Rgb& p = map.palette.at(c);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
            written += 3;
        }
        for (; written < stride; ++written) out.push_back(0);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <map.txt> <out.bmp>\n", argv[0]);
        return 2;
    }
    PixelMap map;
    if (!ReadPixelMap(argv[1], map)) return 1;
    std::vector<std::uint8_t> bmp = EncodeBmp(map);
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out) {
        std::fprintf(stderr, "%s: cannot create\n", argv[2]);
        return 1;
    }
    bool ok = std::fwrite(bmp.data(), 1, bmp.size(), out) == bmp.size();
    if (std::fclose(out) != 0 || !ok) {
        std::fprintf(stderr, "%s: write failed\n", argv[2]);
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
