#include "GradientMath.h"

#include <cstdio>

namespace torvan {

int GradientFilledWidth(int width, int position, int upper) {
    if (upper <= 0 || width <= 0) return 0;
    // The quotient first, in double precision, then truncated toward zero.
    double filled = width * (static_cast<double>(position) / upper);
    // Below zero paints exactly like zero (the background covers the bar);
    // clamping here keeps the column loop and the remainder fill in range
    // for any position a caller may pass.
    if (filled <= 0) return 0;
    if (filled >= width) return width;
    return static_cast<int>(filled);
}

static int GradientChannel(int start, int end, int width, int column) {
    double step = static_cast<double>(end - start) / width;
    return static_cast<int>(start + column * step);
}

Color GradientColumnColor(Color start, Color end, int width, int column) {
    if (width <= 0) return start;
    return MakeColor(GradientChannel(RedOf(start), RedOf(end), width, column),
                     GradientChannel(GreenOf(start), GreenOf(end), width, column),
                     GradientChannel(BlueOf(start), BlueOf(end), width, column));
}

std::string GradientPercentText(int position, int upper) {
    // 64 bits: position * 100 leaves the int range for large positions.
    long long percent = upper > 0 ? static_cast<long long>(position * 100.0 / upper) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%lld%%", percent);
    return text;
}

Color GradientTextColor(Color text, int filled, int width) {
    return filled < width / 2 ? text : InverseColor(text);
}

}  // namespace torvan
