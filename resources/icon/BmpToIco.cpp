// Joins 24-bit BMP files (as PixelMapToBmp writes them) into one .ico file,
// one image per BMP, with every magenta pixel (255, 0, 255) see-through.
// Each image is stored as 32 bits per pixel with its alpha set, plus the
// monochrome mask that older systems draw with.
//
// Usage: BmpToIco <out.ico> <image.bmp>... Exits non-zero, saying why, on
// anything it cannot read, so a broken icon fails the build.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgr;  // bottom-up rows, 3 bytes a pixel, no padding
};

std::uint32_t GetLe(const std::vector<std::uint8_t>& data, size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | data[at + static_cast<size_t>(i)];
    return value;
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

bool ReadBmp(const std::string& path, Image& image) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.size() < 54 || data[0] != 'B' || data[1] != 'M' || GetLe(data, 28, 2) != 24 ||
        GetLe(data, 30, 4) != 0) {
        std::fprintf(stderr, "%s: not an uncompressed 24-bit BMP\n", path.c_str());
        return false;
    }
    image.width = static_cast<int>(GetLe(data, 18, 4));
    image.height = static_cast<int>(GetLe(data, 22, 4));
    if (image.width <= 0 || image.height <= 0 || image.width > 256 || image.height > 256) {
        std::fprintf(stderr, "%s: icon images are 1 to 256 pixels a side, bottom-up\n", path.c_str());
        return false;
    }
    size_t offset = GetLe(data, 10, 4);
    size_t stride = (static_cast<size_t>(image.width) * 3 + 3) & ~size_t(3);
    if (offset + stride * static_cast<size_t>(image.height) > data.size()) {
        std::fprintf(stderr, "%s: truncated\n", path.c_str());
        return false;
    }
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = &data[offset + stride * static_cast<size_t>(y)];
        image.bgr.insert(image.bgr.end(), row, row + image.width * 3);
    }
    return true;
}

bool IsSeeThrough(const std::uint8_t* bgr) { return bgr[0] == 255 && bgr[1] == 0 && bgr[2] == 255; }

// BITMAPINFOHEADER (height doubled: colour image, then mask), the BGRA
// pixels and the mask, both bottom-up.
std::vector<std::uint8_t> EncodeImage(const Image& image) {
    std::vector<std::uint8_t> out;
    const std::uint32_t maskStride = ((static_cast<std::uint32_t>(image.width) + 31) / 32) * 4;
    PutLe(out, 40, 4);
    PutLe(out, static_cast<std::uint32_t>(image.width), 4);
    PutLe(out, static_cast<std::uint32_t>(image.height * 2), 4);
    PutLe(out, 1, 2);
    PutLe(out, 32, 2);
    PutLe(out, 0, 4);
    PutLe(out, static_cast<std::uint32_t>(image.width * image.height * 4) + maskStride * image.height, 4);
    for (int i = 0; i < 4; ++i) PutLe(out, 0, 4);
    for (size_t p = 0; p < image.bgr.size(); p += 3) {
        bool clear = IsSeeThrough(&image.bgr[p]);
        out.push_back(clear ? 0 : image.bgr[p]);
        out.push_back(clear ? 0 : image.bgr[p + 1]);
        out.push_back(clear ? 0 : image.bgr[p + 2]);
        out.push_back(clear ? 0 : 255);
    }
    for (int y = 0; y < image.height; ++y) {
        std::vector<std::uint8_t> row(maskStride, 0);
        for (int x = 0; x < image.width; ++x)
            if (IsSeeThrough(&image.bgr[(static_cast<size_t>(y) * image.width + x) * 3]))
                row[static_cast<size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <out.ico> <image.bmp>...\n", argv[0]);
        return 2;
    }
    std::vector<std::vector<std::uint8_t>> encoded;
    std::vector<Image> images;
    for (int i = 2; i < argc; ++i) {
        Image image;
        if (!ReadBmp(argv[i], image)) return 1;
        encoded.push_back(EncodeImage(image));
        images.push_back(image);
    }
    std::vector<std::uint8_t> out;
    PutLe(out, 0, 2);  // ICONDIR
    PutLe(out, 1, 2);
    PutLe(out, static_cast<std::uint32_t>(images.size()), 2);
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {  // ICONDIRENTRY
        out.push_back(static_cast<std::uint8_t>(images[i].width & 0xFF));  // 256 is written as 0
        out.push_back(static_cast<std::uint8_t>(images[i].height & 0xFF));
        out.push_back(0);
        out.push_back(0);
        PutLe(out, 1, 2);
        PutLe(out, 32, 2);
        PutLe(out, static_cast<std::uint32_t>(encoded[i].size()), 4);
        PutLe(out, offset, 4);
        offset += static_cast<std::uint32_t>(encoded[i].size());
    }
    for (const auto& image : encoded) out.insert(out.end(), image.begin(), image.end());

    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::fprintf(stderr, "%s: cannot create\n", argv[1]);
        return 1;
    }
    bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    if (std::fclose(file) != 0 || !ok) {
        std::fprintf(stderr, "%s: write failed\n", argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
