// A colour as the controls compute with it: 0x00BBGGRR, the same layout as a
// Win32 COLORREF, so values pass between the neutral arithmetic and GDI as is.
#pragma once

#include <cstdint>

namespace torvan {

using Color = std::uint32_t;

constexpr Color MakeColor(int red, int green, int blue) {
    return static_cast<Color>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int RedOf(Color c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Color c) { return static_cast<int>((c >> 16) & 0xFF); }

// Each channel mirrored (255 - channel): readable on top of the original.
constexpr Color InverseColor(Color c) {
    return MakeColor(255 - RedOf(c), 255 - GreenOf(c), 255 - BlueOf(c));
}

// Edges and measurements in pixels, right and bottom exclusive, like a RECT.
struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    void Offset(int dx, int dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    bool operator==(const Box& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

}  // namespace torvan
